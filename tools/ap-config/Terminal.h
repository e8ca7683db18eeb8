#pragma once

#include <string>

// Lines typed on the terminal without echo (termios on Linux, the console mode on Windows).
class Terminal {
public:
    // Shows prompt on the terminal and reads one line with echo off. False when there is no
    // terminal to ask. The echo comes back whatever ends the read: SIGINT, SIGTERM and SIGHUP
    // restore the terminal and then end the process as they would (a shell sees 130 for
    // Ctrl-C); SIGTSTP restores it and stops, and the prompt goes on hidden when continued.
    // On Windows Ctrl-C and Ctrl-Break restore the console's mode.
    static bool ReadHidden(const std::string& prompt, std::string* line);
};
