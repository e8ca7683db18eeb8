#pragma once

#include <string>

// The single-byte code page of the names and the ESSID (Windows-1252), to and from the
// UTF-8 of the command line.
class Codepage1252 {
public:
    // Converts UTF-8 text; false (with the first character that has no byte in the code page,
    // or "invalid UTF-8") when it cannot.
    static bool FromUtf8(const std::string& utf8, std::string* bytes, std::string* refused);
    static std::string ToUtf8(const std::string& bytes);
};
