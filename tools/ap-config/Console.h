#pragma once

#include "platform/WholeFile.h"

#include <string>

// Standard output and standard error of ap-config. The text is UTF-8; on Windows a console
// is written through WriteConsoleW (as UTF-16), files and pipes get the UTF-8 bytes.
// Every write to standard output is checked: the first failure is kept with its reason.
// What a command reads comes through here too: a file, or standard input for "-".
class Console {
public:
    static void Out(const std::string& utf8);
    static void Err(const std::string& utf8);
    // Flushes standard output: false, with the system's reason for the first write that
    // failed, when anything written to it was lost.
    static bool Finish(std::string* reason);
    // The file a command reads, or standard input when the name is "-": whole, at most limit
    // bytes, as wholefile::Read reads a file (a pipe read until its writer closes it). False
    // with the reason, to follow "cannot read NAME: ": the system's, or for more than limit
    // bytes "larger than WHAT can be (4 KiB)", WHAT being, say, "a password file".
    static bool ReadFileOrInput(const std::string& name, size_t limit, const char* what,
                                std::string* text, std::string* error);
    // The name of that file in a message: "standard input" for "-".
    static std::string InputName(const std::string& name);
};
