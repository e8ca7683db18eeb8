#include "Terminal.h"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>

namespace {

// The console while a hidden line is read: Ctrl-C and Ctrl-Break put its mode back before the
// system's own handler ends the process.
HANDLE g_console = INVALID_HANDLE_VALUE;
DWORD g_savedMode = 0;

BOOL WINAPI OnControl(DWORD) {
    SetConsoleMode(g_console, g_savedMode);
    return FALSE;
}

} // namespace

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
    g_console = in;
    g_savedMode = mode;
    SetConsoleCtrlHandler(OnControl, TRUE);
    SetConsoleMode(in, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
    // The typed characters as UTF-16, whatever the console's code page.
    std::wstring typed;
    wchar_t c;
    DWORD got = 0;
    while (ReadConsoleW(in, &c, 1, &got, nullptr) && got == 1 && c != L'\n')
        if (c != L'\r')
            typed += c;
    *line = widetext::Utf8(typed.c_str());
    SetConsoleMode(in, mode);
    SetConsoleCtrlHandler(OnControl, FALSE);
    CloseHandle(in);
    std::fputs("\n", stderr);
    return true;
}

#else
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The terminal while a hidden line is read, for the signal handler: it puts the echo back
// before the signal takes its course.
int g_fd = -1;
termios g_saved{}, g_quiet{};
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGTSTP};
struct sigaction g_previous[4];

void OnSignal(int signal);

void Catch() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        sigaddset(&action.sa_mask, s);
    for (int i = 0; i < 4; ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

void Release() {
    for (int i = 0; i < 4; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

// Async-signal-safe only: tcsetattr, write, sigaction, sigprocmask, raise.
void OnSignal(int signal) {
    int saved = errno;
    tcsetattr(g_fd, TCSANOW, &g_saved);
    if (write(g_fd, "\n", 1) < 0) {
        // the echo is back, which is what matters
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    // Ends the process as the signal would (a shell sees 130 for Ctrl-C), or stops it.
    raise(signal);
    // Continued after a stop: the prompt's terminal state again.
    Catch();
    tcsetattr(g_fd, TCSANOW, &g_quiet);
    errno = saved;
}

} // namespace

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
    g_fd = fd;
    g_saved = saved;
    g_quiet = quiet;
    Catch();
    tcsetattr(fd, TCSAFLUSH, &quiet);
    // Hidden first: nothing typed after the prompt shows.
    if (write(fd, prompt.data(), prompt.size()) < 0) {
        // the prompt is a courtesy; the line can still be read
    }
    line->clear();
    char c;
    for (;;) {
        ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue; // a stop and continue: go on reading
        if (n != 1 || c == '\n')
            break;
        *line += c;
    }
    tcsetattr(fd, TCSAFLUSH, &saved);
    Release();
    g_fd = -1;
    if (write(fd, "\n", 1) < 0) {
        // nothing to do
    }
    close(fd);
    return true;
}
#endif
