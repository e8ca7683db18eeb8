#include "DeviceProtocol.h"

#include "MoveAll.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
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

void EncodeAuth(uint8_t out[kAuthFrameSize], const uint8_t token[kTokenSize]) {
    PutU32(out, kMagicAuth);
    std::memcpy(out + 4, token, kTokenSize);
}

bool ParseToken(const std::string& text, uint8_t token[kTokenSize]) {
    std::string digits = text;
    if (!digits.empty() && digits.back() == '\n')
        digits.pop_back();
    if (!digits.empty() && digits.back() == '\r')
        digits.pop_back();
    if (digits.size() != 2 * kTokenSize)
        return false;
    auto value = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    uint8_t bytes[kTokenSize];
    for (size_t i = 0; i < kTokenSize; ++i) {
        int high = value(digits[2 * i]), low = value(digits[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    std::memcpy(token, bytes, kTokenSize);
    return true;
}

bool SameToken(const uint8_t a[kTokenSize], const uint8_t b[kTokenSize]) {
    // Every byte is looked at whatever came before: no early end tells where they differ.
    volatile uint8_t difference = 0;
    for (size_t i = 0; i < kTokenSize; ++i)
        difference = static_cast<uint8_t>(difference | (a[i] ^ b[i]));
    return difference == 0;
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
// Winsock is loaded the first time a socket is asked for, not with the program: only the
// loopback transport uses it, and a program that talks to the driver never does. Its calls
// are reached through this table.
struct Winsock {
    decltype(&::WSAStartup) startup;
    decltype(&::socket) socket;
    decltype(&::connect) connect;
    decltype(&::setsockopt) setsockopt;
    decltype(&::closesocket) closesocket;
    decltype(&::send) send;
    decltype(&::recv) recv;
    decltype(&::select) select;
};

template <typename Function> bool Bind(HMODULE dll, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    return *function != nullptr;
}

// The table, or nullptr when the DLL, one of its calls or its start-up is missing.
const Winsock* LoadWinsock() {
    static const Winsock* const loaded = []() -> const Winsock* {
        static Winsock w{};
        HMODULE dll = LoadLibraryW(L"ws2_32.dll");
        if (!dll || !Bind(dll, "WSAStartup", &w.startup) || !Bind(dll, "socket", &w.socket) ||
            !Bind(dll, "connect", &w.connect) || !Bind(dll, "setsockopt", &w.setsockopt) ||
            !Bind(dll, "closesocket", &w.closesocket) || !Bind(dll, "send", &w.send) ||
            !Bind(dll, "recv", &w.recv) || !Bind(dll, "select", &w.select))
            return nullptr;
        WSADATA data;
        return w.startup(MAKEWORD(2, 2), &data) == 0 ? &w : nullptr;
    }();
    return loaded;
}

bool Interrupted() {
    return false;
}
// Waits until s is readable: 1 readable, 0 time out, -1 error.
int WaitReadable(Socket s, int ms) {
    const Winsock* ws = LoadWinsock();
    if (!ws)
        return -1;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(s), &set);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    int r = ws->select(0, &set, nullptr, nullptr, &tv);
    return r == SOCKET_ERROR ? -1 : r;
}
// One call moves at most 1 MiB.
int Chunk(size_t size) {
    return static_cast<int>(size > 1 << 20 ? 1 << 20 : size);
}
int SendSome(Socket s, const char* p, size_t size) {
    const Winsock* ws = LoadWinsock();
    int n = ws ? ws->send(static_cast<SOCKET>(s), p, Chunk(size), 0) : SOCKET_ERROR;
    return n == SOCKET_ERROR ? -1 : n;
}
int RecvSome(Socket s, char* p, size_t size) {
    const Winsock* ws = LoadWinsock();
    int n = ws ? ws->recv(static_cast<SOCKET>(s), p, Chunk(size), 0) : SOCKET_ERROR;
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
    if (const Winsock* ws = LoadWinsock())
        ws->closesocket(static_cast<SOCKET>(s));
#else
    close(static_cast<int>(s));
#endif
}

bool WriteAll(Socket s, const void* data, size_t size) {
    auto p = static_cast<const char*>(data);
    return moveall::MoveAll(
        size, [&](size_t done) { return SendSome(s, p + done, size - done); }, nullptr,
        Interrupted);
}

namespace {

// Waits until s is readable or deadlineMs (on NowMs's clock) has passed: false on a time out
// (*timedOut set when not null) or an error.
bool WaitUntil(Socket s, int64_t deadlineMs, bool* timedOut) {
    for (;;) {
        int64_t left = deadlineMs - NowMs();
        if (left <= 0) {
            if (timedOut)
                *timedOut = true;
            return false;
        }
        int r = WaitReadable(s, static_cast<int>(left));
        if (r != 0)
            return r > 0; // 0: the deadline check above ends the wait
    }
}

} // namespace

bool ReadAll(Socket s, void* data, size_t size, int64_t deadlineMs, bool* timedOut) {
    if (timedOut)
        *timedOut = false;
    auto p = static_cast<char*>(data);
    // A failed wait moves nothing, which ends the read without a retry.
    auto step = [&](size_t done) -> decltype(RecvSome(s, p, size)) {
        if (deadlineMs > 0 && !WaitUntil(s, deadlineMs, timedOut))
            return 0;
        return RecvSome(s, p + done, size - done);
    };
    return moveall::MoveAll(size, step, nullptr, Interrupted);
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
    // The address in network byte order, written byte by byte: 127.0.0.1 and the port.
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    const uint8_t portBytes[2] = {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port)};
    const uint8_t loopback[4] = {127, 0, 0, 1};
    std::memcpy(&addr.sin_port, portBytes, sizeof portBytes);
    std::memcpy(&addr.sin_addr, loopback, sizeof loopback);
    // Requests and replies are small and answered one by one: each is sent at once.
    int one = 1;
    auto noDelay = reinterpret_cast<const char*>(&one);
#ifdef _WIN32
    const Winsock* ws = LoadWinsock();
    if (!ws)
        return kNoSocket;
    SOCKET s = ws->socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return kNoSocket;
    bool connected = ws->connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    if (connected)
        ws->setsockopt(s, IPPROTO_TCP, TCP_NODELAY, noDelay, sizeof(one));
#else
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return kNoSocket;
    bool connected = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    if (connected)
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, noDelay, sizeof(one));
#endif
    if (!connected) {
        CloseSocket(static_cast<Socket>(s));
        return kNoSocket;
    }
    return static_cast<Socket>(s);
}

} // namespace devproto
