// The socket contract between the device calls, the emulator and the command-line tool.
// Wire format: every integer is an unsigned 32-bit little-endian number. The same frames
// travel over the emulator's Unix socket and over the loopback TCP transport, so this part
// builds for Windows too.
#pragma once

#include "LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace devproto {

constexpr uint32_t kMagicOpen = 0x4E45504F;    // "OPEN"
constexpr uint32_t kMagicRequest = 0x4C54434F; // "OCTL"
constexpr uint32_t kMagicClose = 0x534F4C43;   // "CLOS"
constexpr uint32_t kMagicAuth = 0x48545541;    // "AUTH"
constexpr uint32_t kVersion = 1;
constexpr uint32_t kIoctlConfig = 0x222004;
constexpr size_t kReplySize = 1024;
constexpr size_t kConfigSize = 889;
constexpr size_t kMaxWriteContent = 889;
constexpr int kDefaultTimeoutMs = 5000;
constexpr size_t kOpenFrameSize = 16;
constexpr size_t kRequestHeaderSize = 16;
constexpr size_t kReplyHeaderSize = 8;
// The loopback transport's secret: the first frame on a TCP connection is AUTH and these
// bytes; the emulator keeps them as kTokenSize * 2 lower-case hexadecimal digits and a line
// feed in its token file.
constexpr size_t kTokenSize = 32;
constexpr size_t kAuthFrameSize = 4 + kTokenSize;
constexpr uint32_t kStatusAccessDenied = 5;

#ifndef _WIN32
// Folder of the device sockets: $AP_DEVICE_DIR, else $XDG_RUNTIME_DIR/ap-devices,
// else /tmp/ap-devices-<uid>.
std::string DeviceDir();
#endif
// "\\.\NAME" -> DeviceDir()/NAME; an empty text for a name of another form.
std::string SocketPathForDevice(const std::string& deviceName);

// The wire's numbers, read and written by the tree's one little-endian helper.
using littleendian::GetU32;
using littleendian::PutU32;

// The frames a client sends.
void EncodeOpen(uint8_t out[kOpenFrameSize], uint32_t access, uint32_t share);
void EncodeRequestHeader(uint8_t out[kRequestHeaderSize], uint32_t code, uint32_t inputLength,
                         uint32_t outputLength);
void EncodeClose(uint8_t out[4]);
void EncodeAuth(uint8_t out[kAuthFrameSize], const uint8_t token[kTokenSize]);

// The token out of its text form: exactly kTokenSize * 2 hexadecimal digits, either case,
// with one line end (LF or CR LF) allowed after them, as the token file holds it. False
// (token untouched) for anything else.
bool ParseToken(const std::string& text, uint8_t token[kTokenSize]);
// Whether two tokens are equal, in a time that does not depend on where they differ.
bool SameToken(const uint8_t a[kTokenSize], const uint8_t b[kTokenSize]);

// A stream socket: a file descriptor on POSIX, a Winsock SOCKET on Windows.
using Socket = intptr_t;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s);

// Blocking helpers over a stream socket. ReadAll returns false on end of stream, error or
// when deadlineMs (milliseconds on the monotonic clock, 0 = none) passes; timedOut tells which.
bool WriteAll(Socket s, const void* data, size_t size);
bool ReadAll(Socket s, void* data, size_t size, int64_t deadlineMs, bool* timedOut = nullptr);
int64_t NowMs();

// The loopback transport's address: exactly "127.0.0.1:PORT" with PORT in 1..65535.
bool ParseLoopbackAddress(const std::string& text, uint16_t* port);
// Connects to 127.0.0.1:port; kNoSocket when nothing listens there.
Socket ConnectLoopback(uint16_t port);

} // namespace devproto
