#pragma once

#include <cstdio>

// The command line of the small programs (ap-emulator, apctl, ap-artwork): what a name is,
// which ap-config asks too, and the answers to --help, --version and a line they do not take.
namespace commandwords {

// Whether word may stand where a name or a value belongs: not empty and not starting with
// "-", so an option written in its place ("--state --help") is refused, never taken for a
// file of that name.
inline bool IsName(const char* word) {
    return word[0] != '\0' && word[0] != '-';
}

// Writes text (the answer to --help or --version) on standard output: exit code 0, or 1
// when it could not be written.
inline int Answer(const char* text) {
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Writes usage on standard error: exit code 2, a command line the program does not take.
inline int Refuse(const char* usage) {
    std::fputs(usage, stderr);
    return 2;
}

} // namespace commandwords
