#pragma once

#include <string>

// Lines typed on the terminal without echo (termios on Linux, the console mode on Windows).
class Terminal {
public:
    // Shows prompt on the terminal and reads one line with echo off. False when there is no
    // terminal to ask.
    static bool ReadHidden(const std::string& prompt, std::string* line);
};
