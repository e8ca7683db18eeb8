// The socket calls under the helpers of DeviceProtocol.h, one file per system:
// DeviceSocketPosix.cpp (POSIX sockets) and DeviceSocketWin32.cpp (Winsock, loaded the first
// time a socket is asked for). DeviceProtocol.cpp builds the whole reads and writes on them.
#pragma once

#include "DeviceProtocol.h"

#include <cstring>

namespace devproto::sockets {

// True when the call that just failed was only cut short by a signal.
bool Interrupted();
// Waits until s is readable: 1 readable, 0 time out (or a signal), -1 error.
int WaitReadable(Socket s, int ms);
// One send or receive: the bytes moved, 0 at the end of the stream, negative on failure.
long SendSome(Socket s, const char* p, size_t size);
long RecvSome(Socket s, char* p, size_t size);

// 127.0.0.1:port in network byte order, written byte by byte into either system's
// sockaddr_in (the caller sets its family).
template <typename SockaddrIn> void PutLoopback(SockaddrIn* addr, uint16_t port) {
    const uint8_t portBytes[2] = {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port)};
    const uint8_t loopback[4] = {127, 0, 0, 1};
    std::memcpy(&addr->sin_port, portBytes, sizeof portBytes);
    std::memcpy(&addr->sin_addr, loopback, sizeof loopback);
}

} // namespace devproto::sockets
