#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// An Xvfb server of the test's own, and the real utility driven on it with xdotool.
class X11Session {
public:
    X11Session();
    ~X11Session();
    // Empty when the session runs; otherwise why it cannot (a missing program).
    const std::string& Problem() const { return m_problem; }
    const std::string& Display() const { return m_display; }

    // Runs a command with DISPLAY set; returns its standard output.
    std::string Run(const std::string& command) const;
    // The id of the window whose whole title is title, waiting up to timeoutMs.
    std::string WaitForWindow(const std::string& title, int timeoutMs = 10000) const;
    bool WindowGone(const std::string& id, int timeoutMs) const;
    void WindowOrigin(const std::string& id, int* x, int* y) const;
    void Click(int x, int y) const;
    void Type(const std::string& text) const;
    void Key(const std::string& keys) const;
    // Saves the window's picture as a PNG (nothing when ImageMagick is missing).
    void Screenshot(const std::string& id, const std::string& path) const;

private:
    bool StartServer();
    void StopServer();
    std::string m_display;
    std::string m_problem;
    pid_t m_server = -1;
};

bool HaveProgram(const std::string& name);
