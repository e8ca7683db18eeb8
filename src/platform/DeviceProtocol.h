// The socket contract between the device calls, the emulator and the command-line tool.
// Wire format: every integer is an unsigned 32-bit little-endian number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace devproto {

constexpr uint32_t kMagicOpen = 0x4E45504F;    // "OPEN"
constexpr uint32_t kMagicRequest = 0x4C54434F; // "OCTL"
constexpr uint32_t kMagicClose = 0x534F4C43;   // "CLOS"
constexpr uint32_t kVersion = 1;
constexpr uint32_t kIoctlConfig = 0x222004;
constexpr size_t kReplySize = 1024;
constexpr size_t kConfigSize = 889;
constexpr size_t kMaxWriteContent = 889;
constexpr int kDefaultTimeoutMs = 5000;

// Folder of the device sockets: $AP_DEVICE_DIR, else $XDG_RUNTIME_DIR/ap-devices,
// else /tmp/ap-devices-<uid>.
std::string DeviceDir();
// "\\.\NAME" -> DeviceDir()/NAME; an empty text for a name of another form.
std::string SocketPathForDevice(const std::string& deviceName);

inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Blocking helpers over a stream socket. ReadAll returns false on end of stream, error or
// when deadlineMs (milliseconds on the monotonic clock, 0 = none) passes; timedOut tells which.
bool WriteAll(int fd, const void* data, size_t size);
bool ReadAll(int fd, void* data, size_t size, int64_t deadlineMs, bool* timedOut = nullptr);
int64_t NowMs();

} // namespace devproto
