#include "DeviceSocket.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

namespace devproto {

int64_t NowMs() {
    return static_cast<int64_t>(GetTickCount64());
}

namespace {

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

// One call moves at most 1 MiB.
int Chunk(size_t size) {
    return static_cast<int>(size > 1 << 20 ? 1 << 20 : size);
}

} // namespace

namespace sockets {

bool Interrupted() {
    return false;
}

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

long SendSome(Socket s, const char* p, size_t size) {
    const Winsock* ws = LoadWinsock();
    int n = ws ? ws->send(static_cast<SOCKET>(s), p, Chunk(size), 0) : SOCKET_ERROR;
    return n == SOCKET_ERROR ? -1 : n;
}

long RecvSome(Socket s, char* p, size_t size) {
    const Winsock* ws = LoadWinsock();
    int n = ws ? ws->recv(static_cast<SOCKET>(s), p, Chunk(size), 0) : SOCKET_ERROR;
    return n == SOCKET_ERROR ? -1 : n;
}

} // namespace sockets

void CloseSocket(Socket s) {
    if (s == kNoSocket)
        return;
    if (const Winsock* ws = LoadWinsock())
        ws->closesocket(static_cast<SOCKET>(s));
}

Socket ConnectLoopback(uint16_t port) {
    const Winsock* ws = LoadWinsock();
    if (!ws)
        return kNoSocket;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    sockets::PutLoopback(&addr, port);
    SOCKET s = ws->socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return kNoSocket;
    if (ws->connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        ws->closesocket(s);
        return kNoSocket;
    }
    // Requests and replies are small and answered one by one: each is sent at once.
    int one = 1;
    ws->setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof(one));
    return static_cast<Socket>(s);
}

} // namespace devproto
