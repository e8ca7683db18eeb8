#pragma once

#include <string>
#include <vector>

// The password file of --password-file: line 1 the password, for passwd lines 2 and 3 the
// new one.
class PasswordFile {
public:
    // Three lines of 16 characters with their line ends fit many times over.
    static constexpr size_t kLargestFile = 4096;
    // The first count lines of text, each without its line end (LF or CRLF), after a UTF-8
    // byte-order mark; fewer when the text has fewer. The lines are UTF-8: on Windows a text
    // that is not valid UTF-8 (and has no byte-order mark) is read as Windows-1252, as
    // Notepad saves it in the ANSI code page.
    static std::vector<std::string> Lines(const std::string& text, size_t count);
    // Reads the file's lines; false (with the reason in *error) when it cannot be read or is
    // larger than kLargestFile (a device that never ends is refused once that much came).
    // Any file is read, a pipe too (<(echo pw)), and standard input for "-". *warning: what
    // to tell when group or others may read the file, else empty.
    static bool Read(const std::string& path, size_t count, std::vector<std::string>* lines,
                     std::string* error, std::string* warning);
};
