#include "DeviceProtocol.h"

#include "DeviceSocket.h"
#include "HexText.h"
#include "MoveAll.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace devproto {

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
    // Digits only: a separator between the bytes would leave fewer than kTokenSize of them.
    std::vector<BYTE> bytes;
    if (digits.size() != 2 * kTokenSize || !HexText::Parse(digits, &bytes) ||
        bytes.size() != kTokenSize)
        return false;
    std::memcpy(token, bytes.data(), kTokenSize);
    return true;
}

bool SameToken(const uint8_t a[kTokenSize], const uint8_t b[kTokenSize]) {
    // Every byte is looked at whatever came before: no early end tells where they differ.
    volatile uint8_t difference = 0;
    for (size_t i = 0; i < kTokenSize; ++i)
        difference = static_cast<uint8_t>(difference | (a[i] ^ b[i]));
    return difference == 0;
}

bool WriteAll(Socket s, const void* data, size_t size) {
    auto p = static_cast<const char*>(data);
    return moveall::MoveAll(
        size, [&](size_t done) { return sockets::SendSome(s, p + done, size - done); }, nullptr,
        sockets::Interrupted);
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
        int r = sockets::WaitReadable(s, static_cast<int>(left));
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
    auto step = [&](size_t done) -> long {
        if (deadlineMs > 0 && !WaitUntil(s, deadlineMs, timedOut))
            return 0;
        return sockets::RecvSome(s, p + done, size - done);
    };
    return moveall::MoveAll(size, step, nullptr, sockets::Interrupted);
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

} // namespace devproto
