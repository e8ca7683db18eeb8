#include "DeviceSocket.h"

#include "MoveAll.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <netinet/in.h>
#include <netinet/tcp.h>
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

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

namespace sockets {

bool Interrupted() {
    return moveall::Interrupted();
}

int WaitReadable(Socket s, int ms) {
    pollfd pfd{static_cast<int>(s), POLLIN, 0};
    int r = poll(&pfd, 1, ms);
    if (r < 0 && errno == EINTR)
        return 0;
    return r;
}

long SendSome(Socket s, const char* p, size_t size) {
    return send(static_cast<int>(s), p, size, MSG_NOSIGNAL);
}

long RecvSome(Socket s, char* p, size_t size) {
    return recv(static_cast<int>(s), p, size, 0);
}

} // namespace sockets

void CloseSocket(Socket s) {
    if (s != kNoSocket)
        close(static_cast<int>(s));
}

Socket ConnectLoopback(uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    sockets::PutLoopback(&addr, port);
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return kNoSocket;
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        close(s);
        return kNoSocket;
    }
    // Requests and replies are small and answered one by one: each is sent at once.
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    return static_cast<Socket>(s);
}

} // namespace devproto
