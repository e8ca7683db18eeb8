#include "Codepage1252.h"

#include "platform/AnsiText.h"

#include <cstdint>

namespace {

uint32_t CodePointOf(unsigned char byte) {
    return ansi::ToWide(byte);
}

// The code page is the controls' own; characters outside the 16-bit range have no byte.
bool ByteOf(uint32_t cp, char* byte) {
    unsigned char b = 0;
    if (cp > 0xFFFF || !ansi::ToByte(static_cast<char16_t>(cp), &b))
        return false;
    *byte = static_cast<char>(b);
    return true;
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
