#pragma once

#include "Win32Types.h"

#include <cstddef>
#include <string>
#include <vector>

// Bytes as hexadecimal text and back, for every place that shows, stores or reads bytes
// in hexadecimal: the key file, the pages, ap-config, the emulator's state file and the
// loopback transport's token.
class HexText {
public:
    // The value of one hexadecimal digit, or -1.
    static int DigitValue(char c);

    // Two digits a byte, lower or upper case, with separator between bytes.
    static std::string Of(const BYTE* bytes, size_t count, bool upperCase = false,
                          const char* separator = "");
    static std::string Of(const std::string& bytes, bool upperCase = false,
                          const char* separator = "");

    // Hexadecimal digits into bytes. A separator (':' or '-', one kind per text) may stand
    // between bytes, and then stands between every two of them: "00-0A-FF", "00:0a:ff" and
    // "000AFF" are read, "0-0A-FF", "00-0AFF" and "00:0A-FF" are not. False (bytes
    // untouched) for anything else, an odd digit count included.
    static bool Parse(const std::string& text, std::vector<BYTE>* bytes);

    // Reads one byte at text[*pos] as "%2x" reads it: white space skipped, then one or two
    // hexadecimal digits. False (pos past the white space) when no digit follows.
    static bool ScanByte(const std::string& text, size_t* pos, BYTE* value);
};
