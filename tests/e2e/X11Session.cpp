#include "X11Session.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The process that holds display n's lock file, as the X server writes it; -1 if none.
pid_t LockHolder(int n) {
    pid_t pid = -1;
    if (FILE* f = std::fopen(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), "r")) {
        long value = 0;
        if (std::fscanf(f, "%ld", &value) == 1)
            pid = static_cast<pid_t>(value);
        std::fclose(f);
    }
    return pid;
}
} // namespace

bool HaveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

X11Session::X11Session() {
    for (const char* program : {"Xvfb", "xdotool"})
        if (!HaveProgram(program))
            m_problem = std::string(program) + " is not installed";
    if (!m_problem.empty())
        return;
    // A display number whose lock file is absent is tried; the server takes the lock
    // itself (and ends if another has it), so the start counts only once the display
    // answers and its lock names our server: a server that lost the race may still be
    // running for a moment while another's answers. (A server left to pick its own number
    // unlinks the socket of a running one while it probes, so numbers are picked here.)
    for (int n = 90 + getpid() % 50, tries = 0; n < 400 && tries < 10; ++n) {
        struct stat st {};
        if (stat(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), &st) == 0)
            continue;
        ++tries;
        m_display = ":" + std::to_string(n);
        if (StartServer() && Run("xdpyinfo >/dev/null && echo ok") == "ok" &&
            waitpid(m_server, nullptr, WNOHANG) == 0 && LockHolder(n) == m_server) {
            setenv("DISPLAY", m_display.c_str(), 1);
            return;
        }
        StopServer();
    }
    m_problem = "Xvfb did not start";
}

bool X11Session::StartServer() {
    m_server = fork();
    if (m_server == 0) {
        // -noreset: by default the server resets when its last client leaves, and a
        // client that connects meanwhile (the next program of a test) is refused.
        execlp("Xvfb", "Xvfb", m_display.c_str(), "-screen", "0", "1280x1024x24", "-dpi", "96",
               "-noreset", "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (m_server < 0)
        return false;
    std::string socket = "/tmp/.X11-unix/X" + m_display.substr(1);
    struct stat st {};
    for (int i = 0; i < 100 && stat(socket.c_str(), &st) != 0; ++i) {
        if (waitpid(m_server, nullptr, WNOHANG) != 0) {
            m_server = -1; // it ended: the number was taken
            return false;
        }
        Sleep(50);
    }
    return stat(socket.c_str(), &st) == 0;
}

void X11Session::StopServer() {
    if (m_server > 0) {
        kill(m_server, SIGTERM);
        waitpid(m_server, nullptr, 0);
    }
    m_server = -1;
}

X11Session::~X11Session() {
    StopServer();
}

std::string X11Session::Run(const std::string& command) const {
    std::string full = "DISPLAY=" + m_display + " " + command + " 2>/dev/null";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe)
        return {};
    std::string out;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), pipe)) > 0)
        out.append(buf, n);
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::string X11Session::WaitForWindow(const std::string& title, int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; waited += 100) {
        std::string id = Run("xdotool search --onlyvisible --name " + Quote("^" + title + "$"));
        if (!id.empty())
            return id.substr(0, id.find('\n'));
        Sleep(100);
    }
    return {};
}

bool X11Session::WindowGone(const std::string& id, int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; waited += 100) {
        if (Run("xdotool search --onlyvisible --name '.*' | grep -x " + id).empty())
            return true;
        Sleep(100);
    }
    return false;
}

void X11Session::WindowOrigin(const std::string& id, int* x, int* y) const {
    std::string geometry = Run("xdotool getwindowgeometry --shell " + id);
    *x = *y = 0;
    std::sscanf(geometry.c_str() + geometry.find("X="), "X=%d", x);
    std::sscanf(geometry.c_str() + geometry.find("Y="), "Y=%d", y);
}

void X11Session::Click(int x, int y) const {
    Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    Sleep(150);
}

void X11Session::Type(const std::string& text) const {
    Run("xdotool type --delay 40 " + Quote(text));
    Sleep(150);
}

void X11Session::Key(const std::string& keys) const {
    Run("xdotool key --delay 60 " + keys);
    Sleep(150);
}

void X11Session::Screenshot(const std::string& id, const std::string& path) const {
    if (!HaveProgram("import"))
        return;
    Run("import -window " + id + " " + Quote(path));
}
