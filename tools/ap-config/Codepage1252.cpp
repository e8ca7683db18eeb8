#include "Codepage1252.h"

#include <cstdint>

namespace {

// Code points of bytes 0x80..0x9F; the five bytes the code page leaves open stand for the
// control characters of the same number, so every byte converts and converts back.
const uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePointOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

bool ByteOf(uint32_t cp, char* byte) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        *byte = static_cast<char>(cp);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == cp) {
            *byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void AppendUtf8(uint32_t cp, std::string* out) {
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[*pos]; false on a malformed, overlong or surrogate one.
bool NextCodePoint(const std::string& text, size_t* pos, uint32_t* cp) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(*pos);
    int extra;
    uint32_t min;
    if (lead < 0x80) {
        *cp = lead;
        ++*pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, min = 0x80, *cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, min = 0x800, *cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, min = 0x10000, *cp = lead & 0x07;
    } else {
        return false;
    }
    if (*pos + static_cast<size_t>(extra) >= text.size())
        return false;
    for (int i = 1; i <= extra; ++i) {
        unsigned char c = byte(*pos + static_cast<size_t>(i));
        if ((c & 0xC0) != 0x80)
            return false;
        *cp = (*cp << 6) | (c & 0x3F);
    }
    if (*cp < min || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF))
        return false;
    *pos += static_cast<size_t>(extra) + 1;
    return true;
}

} // namespace

bool Codepage1252::FromUtf8(const std::string& utf8, std::string* bytes, std::string* refused) {
    bytes->clear();
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t start = pos;
        uint32_t cp;
        if (!NextCodePoint(utf8, &pos, &cp)) {
            *refused = "invalid UTF-8";
            return false;
        }
        char b;
        if (!ByteOf(cp, &b)) {
            *refused = utf8.substr(start, pos - start);
            return false;
        }
        *bytes += b;
    }
    return true;
}

std::string Codepage1252::ToUtf8(const std::string& bytes) {
    std::string out;
    for (char c : bytes)
        AppendUtf8(CodePointOf(static_cast<unsigned char>(c)), &out);
    return out;
}
