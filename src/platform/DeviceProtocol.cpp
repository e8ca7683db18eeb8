#include "DeviceProtocol.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace devproto {

std::string DeviceDir() {
    if (const char* dir = std::getenv("AP_DEVICE_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/ap-devices";
    return "/tmp/ap-devices-" + std::to_string(getuid());
}

std::string SocketPathForDevice(const std::string& deviceName) {
    static const std::string prefix = "\\\\.\\";
    if (deviceName.compare(0, prefix.size(), prefix) != 0 || deviceName.size() == prefix.size())
        return {};
    std::string name = deviceName.substr(prefix.size());
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return {};
    return DeviceDir() + "/" + name;
}

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool WriteAll(int fd, const void* data, size_t size) {
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size, int64_t deadlineMs, bool* timedOut) {
    if (timedOut)
        *timedOut = false;
    auto p = static_cast<char*>(data);
    while (size > 0) {
        if (deadlineMs > 0) {
            int64_t left = deadlineMs - NowMs();
            if (left <= 0) {
                if (timedOut)
                    *timedOut = true;
                return false;
            }
            pollfd pfd{fd, POLLIN, 0};
            int r = poll(&pfd, 1, static_cast<int>(left));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return false;
            if (r == 0)
                continue; // the deadline check above ends the wait
        }
        ssize_t n = recv(fd, p, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace devproto
