#include "Terminal.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>

bool Terminal::ReadHidden(const std::string& prompt, std::string* line) {
    HANDLE in = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode = 0;
    if (!GetConsoleMode(in, &mode)) {
        CloseHandle(in);
        return false;
    }
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    SetConsoleMode(in, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
    line->clear();
    char c;
    DWORD got = 0;
    while (ReadFile(in, &c, 1, &got, nullptr) && got == 1 && c != '\n')
        if (c != '\r')
            *line += c;
    SetConsoleMode(in, mode);
    CloseHandle(in);
    std::fputs("\n", stderr);
    return true;
}

#else
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

bool Terminal::ReadHidden(const std::string& prompt, std::string* line) {
    int fd = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios saved{};
    if (tcgetattr(fd, &saved) != 0) {
        close(fd);
        return false;
    }
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ICANON;
    if (write(fd, prompt.data(), prompt.size()) < 0) {
        // the prompt is a courtesy; the line can still be read
    }
    tcsetattr(fd, TCSAFLUSH, &quiet);
    line->clear();
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        *line += c;
    tcsetattr(fd, TCSAFLUSH, &saved);
    if (write(fd, "\n", 1) < 0) {
        // nothing to do
    }
    close(fd);
    return true;
}
#endif
