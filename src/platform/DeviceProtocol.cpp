#include "DeviceProtocol.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

namespace devproto {

#ifndef _WIN32
std::string DeviceDir() {
    if (const char* dir = std::getenv("AP_DEVICE_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/ap-devices";
    return "/tmp/ap-devices-" + std::to_string(getuid());
}
#endif

std::string SocketPathForDevice(const std::string& deviceName) {
    static const std::string prefix = "\\\\.\\";
    if (deviceName.compare(0, prefix.size(), prefix) != 0 || deviceName.size() == prefix.size())
        return {};
    std::string name = deviceName.substr(prefix.size());
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return {};
#ifdef _WIN32
    return name;
#else
    return DeviceDir() + "/" + name;
#endif
}

void EncodeOpen(uint8_t out[kOpenFrameSize], uint32_t access, uint32_t share) {
    PutU32(out, kMagicOpen);
    PutU32(out + 4, kVersion);
    PutU32(out + 8, access);
    PutU32(out + 12, share);
}

void EncodeRequestHeader(uint8_t out[kRequestHeaderSize], uint32_t code, uint32_t inputLength,
                         uint32_t outputLength) {
    PutU32(out, kMagicRequest);
    PutU32(out + 4, code);
    PutU32(out + 8, inputLength);
    PutU32(out + 12, outputLength);
}

void EncodeClose(uint8_t out[4]) {
    PutU32(out, kMagicClose);
}

int64_t NowMs() {
#ifdef _WIN32
    return static_cast<int64_t>(GetTickCount64());
#else
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
#endif
}

namespace {

#ifdef _WIN32
bool Interrupted() {
    return false;
}
// Waits until s is readable: 1 readable, 0 time out, -1 error.
int WaitReadable(Socket s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(s), &set);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    int r = select(0, &set, nullptr, nullptr, &tv);
    return r == SOCKET_ERROR ? -1 : r;
}
int SendSome(Socket s, const char* p, size_t size) {
    int n = send(static_cast<SOCKET>(s), p, static_cast<int>(size > 1 << 20 ? 1 << 20 : size), 0);
    return n == SOCKET_ERROR ? -1 : n;
}
int RecvSome(Socket s, char* p, size_t size) {
    int n = recv(static_cast<SOCKET>(s), p, static_cast<int>(size > 1 << 20 ? 1 << 20 : size), 0);
    return n == SOCKET_ERROR ? -1 : n;
}
#else
bool Interrupted() {
    return errno == EINTR;
}
int WaitReadable(Socket s, int ms) {
    pollfd pfd{static_cast<int>(s), POLLIN, 0};
    int r = poll(&pfd, 1, ms);
    if (r < 0 && errno == EINTR)
        return 0;
    return r;
}
ssize_t SendSome(Socket s, const char* p, size_t size) {
    return send(static_cast<int>(s), p, size, MSG_NOSIGNAL);
}
ssize_t RecvSome(Socket s, char* p, size_t size) {
    return recv(static_cast<int>(s), p, size, 0);
}
#endif

} // namespace

void CloseSocket(Socket s) {
    if (s == kNoSocket)
        return;
#ifdef _WIN32
    closesocket(static_cast<SOCKET>(s));
#else
    close(static_cast<int>(s));
#endif
}

bool WriteAll(Socket s, const void* data, size_t size) {
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        auto n = SendSome(s, p, size);
        if (n < 0 && Interrupted())
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(Socket s, void* data, size_t size, int64_t deadlineMs, bool* timedOut) {
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
            int r = WaitReadable(s, static_cast<int>(left));
            if (r < 0)
                return false;
            if (r == 0)
                continue; // the deadline check above ends the wait
        }
        auto n = RecvSome(s, p, size);
        if (n < 0 && Interrupted())
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ParseLoopbackAddress(const std::string& text, uint16_t* port) {
    static const std::string host = "127.0.0.1:";
    if (text.compare(0, host.size(), host) != 0)
        return false;
    std::string digits = text.substr(host.size());
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long value = std::strtol(digits.c_str(), nullptr, 10);
    if (value < 1 || value > 65535)
        return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

Socket ConnectLoopback(uint16_t port) {
#ifdef _WIN32
    static std::once_flag started;
    static bool ready = false;
    std::call_once(started, [] {
        WSADATA data;
        ready = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    if (!ready)
        return kNoSocket;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return kNoSocket;
#else
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return kNoSocket;
#endif
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        CloseSocket(static_cast<Socket>(s));
        return kNoSocket;
    }
    // Requests and replies are small and answered one by one: send each at once.
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof(one));
    return static_cast<Socket>(s);
}

} // namespace devproto
