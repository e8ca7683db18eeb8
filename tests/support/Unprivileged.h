#pragma once

// File-permission cases prove nothing as root, who may read and write any file, and CI runs
// the tests as root. RunUnprivileged runs such a case in a child process that has become
// the user "nobody" first (when this process is root; otherwise as the current user, and
// on Windows in this process). The case's assertions print as usual; the result says
// whether it passed.

#include <functional>
#include <gtest/gtest.h>
#include <string>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

constexpr unsigned kUnprivilegedId = 65534; // nobody, and its group nogroup

inline bool IsRoot() {
    return geteuid() == 0;
}

inline bool RunUnprivileged(const std::function<void()>& body) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        if (IsRoot() && (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedId) != 0 ||
                         setuid(kUnprivilegedId) != 0 || geteuid() == 0))
            _exit(3);
        body();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Gives a file or folder to the user the cases run as (a no-op when not root).
inline void GiveToUnprivileged(const std::string& path) {
    if (IsRoot()) {
        EXPECT_EQ(chown(path.c_str(), kUnprivilegedId, kUnprivilegedId), 0) << path;
    }
}
#else
inline bool RunUnprivileged(const std::function<void()>& body) {
    body();
    return !::testing::Test::HasFailure();
}
#endif
