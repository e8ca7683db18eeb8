#pragma once

#include <string>

// Standard output and standard error of ap-config. The text is UTF-8; on Windows a console
// is written through WriteConsoleW (as UTF-16), files and pipes get the UTF-8 bytes.
// Every write to standard output is checked: the first failure is kept with its reason.
class Console {
public:
    static void Out(const std::string& utf8);
    static void Err(const std::string& utf8);
    // Flushes standard output: false, with the system's reason for the first write that
    // failed, when anything written to it was lost.
    static bool Finish(std::string* reason);
    // Reads standard input to its end, at most limit bytes: false, with the reason, when it
    // holds more or cannot be read.
    static bool ReadInput(size_t limit, std::string* text, std::string* error);
};
