// win_hold_mutex NAME: creates the named mutex, owns it, says "held" on standard output and
// keeps it until it is ended. A stand-in, for the installer's checks, for a program that
// holds one of the mutexes the installer looks for (the utility's instance lock, ap-config's
// writer lock).
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: win_hold_mutex NAME\n", stderr);
        return 2;
    }
    HANDLE mutex = CreateMutexW(nullptr, TRUE, argv[1]);
    if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        std::fputs("the mutex could not be made, or exists already\n", stderr);
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
