#include "AnsiText.h"

#include <algorithm>

namespace ansi {

namespace {

// Bytes 0x80 to 0x9F; the others are the Latin-1 characters of the same number.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

} // namespace

char16_t ToWide(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

bool ToByte(char16_t ch, unsigned char* byte) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        *byte = static_cast<unsigned char>(ch);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == ch) {
            *byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

std::u16string Widen(const std::string& bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (char c : bytes)
        text.push_back(ToWide(static_cast<unsigned char>(c)));
    return text;
}

bool Narrow(const std::u16string& text, std::string* bytes) {
    std::string out;
    out.reserve(text.size());
    for (char16_t ch : text) {
        unsigned char b = 0;
        if (!ToByte(ch, &b))
            return false;
        out.push_back(static_cast<char>(b));
    }
    *bytes = std::move(out);
    return true;
}

std::string NarrowKnown(const std::u16string& text) {
    std::string out;
    for (char16_t ch : text) {
        unsigned char b = 0;
        if (ToByte(ch, &b))
            out.push_back(static_cast<char>(b));
    }
    return out;
}

unsigned char UpperByte(unsigned char b) {
    if (b >= 'a' && b <= 'z')
        return static_cast<unsigned char>(b - 0x20);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) // à to þ, the division sign aside
        return static_cast<unsigned char>(b - 0x20);
    switch (b) {
    case 0x9A: // š
    case 0x9C: // œ
    case 0x9E: // ž
        return static_cast<unsigned char>(b - 0x10);
    case 0xFF: // ÿ
        return 0x9F;
    default:
        return b;
    }
}

std::u16string Upper(std::u16string text) {
    for (char16_t& ch : text) {
        unsigned char b = 0;
        if (ToByte(ch, &b))
            ch = ToWide(UpperByte(b));
    }
    return text;
}

std::u16string FirstLine(const std::u16string& pasted) {
    return pasted.substr(0, pasted.find_first_of(u"\r\n"));
}

UserEdit AdmitUserEdit(const std::u16string& before, std::u16string& after, int& cursor, int limit,
                       bool upperCase) {
    // The edit replaced before[prefix, before.size() - suffix) by what now stands between
    // the same prefix and suffix of after. What is added ends at the caret.
    size_t caret = std::min(static_cast<size_t>(std::max(cursor, 0)), after.size());
    size_t suffix = after.size() - caret;
    if (suffix > before.size() ||
        before.compare(before.size() - suffix, suffix, after, caret, suffix) != 0) {
        suffix = 0; // not an insertion at the caret: take the longest common ending
        while (suffix < before.size() && suffix < after.size() &&
               before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
            ++suffix;
    }
    size_t prefix = 0;
    while (prefix + suffix < before.size() && prefix + suffix < after.size() &&
           before[prefix] == after[prefix])
        ++prefix;
    std::u16string added = after.substr(prefix, after.size() - suffix - prefix);
    bool cut = false;
    if (std::u16string line = FirstLine(added); line.size() < added.size()) {
        added = line;
        cut = true;
    }
    for (char16_t ch : added) {
        unsigned char b = 0;
        if (!ToByte(ch, &b))
            return UserEdit::kRefused;
    }
    if (upperCase)
        added = Upper(added);
    const size_t kept = prefix + suffix; // what the edit leaves of before
    const size_t max = static_cast<size_t>(std::max(limit, 0));
    const size_t room = max > kept ? max - kept : 0;
    if (added.size() > room) {
        added.resize(room);
        cut = true;
    }
    if (cut && added.empty() && kept == before.size())
        return UserEdit::kNothingFits;
    std::u16string result = after.substr(0, prefix) + added + after.substr(after.size() - suffix);
    if (cut)
        cursor = static_cast<int>(prefix + added.size());
    after = std::move(result);
    return UserEdit::kAdmitted;
}

} // namespace ansi
