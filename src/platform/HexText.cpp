#include "HexText.h"

#include <cctype>

int HexText::DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string HexText::Of(const BYTE* bytes, size_t count, bool upperCase, const char* separator) {
    const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string s;
    s.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0)
            s += separator;
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

std::string HexText::Of(const std::string& bytes, bool upperCase, const char* separator) {
    return Of(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), upperCase, separator);
}

bool HexText::Parse(const std::string& text, std::vector<BYTE>* bytes) {
    // With a separator the text is NN, then (separator NN) repeated: every third character.
    char separator = text.size() > 2 && (text[2] == ':' || text[2] == '-') ? text[2] : '\0';
    size_t step = separator ? 3 : 2;
    if (separator ? (text.size() + 1) % 3 != 0 : text.size() % 2 != 0)
        return false;
    std::vector<BYTE> out;
    out.reserve(text.size() / step + 1);
    for (size_t i = 0; i < text.size(); i += step) {
        int high = DigitValue(text[i]), low = DigitValue(text[i + 1]);
        if (high < 0 || low < 0 || (separator && i + 2 < text.size() && text[i + 2] != separator))
            return false;
        out.push_back(static_cast<BYTE>(high * 16 + low));
    }
    *bytes = std::move(out);
    return true;
}

bool HexText::ScanByte(const std::string& text, size_t* pos, BYTE* value) {
    size_t i = *pos;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    int v = 0, digits = 0;
    for (; i < text.size() && digits < 2 && DigitValue(text[i]) >= 0; ++i, ++digits)
        v = v * 16 + DigitValue(text[i]);
    *pos = i;
    if (digits == 0)
        return false;
    *value = static_cast<BYTE>(v);
    return true;
}
