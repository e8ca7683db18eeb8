#include "DeviceClient.h"

#include "SystemText.h"
#include "WholeFile.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace devclient {

namespace {

std::atomic<int> g_replyTimeoutMs{devproto::kDefaultTimeoutMs};

// A handle whose request timed out or whose connection broke keeps its number (socket
// kNoSocket) until Close releases it.
std::mutex g_handleMutex;
std::map<intptr_t, devproto::Socket> g_handles;
intptr_t g_nextHandle = 0x40;

HANDLE AddHandle(devproto::Socket s) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    intptr_t h = (g_nextHandle++ << 2) | 3;
    g_handles[h] = s;
    return reinterpret_cast<HANDLE>(h);
}

bool LookUp(HANDLE handle, devproto::Socket* s) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = g_handles.find(reinterpret_cast<intptr_t>(handle));
    if (it == g_handles.end())
        return false;
    *s = it->second;
    return true;
}

void Invalidate(HANDLE handle) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = g_handles.find(reinterpret_cast<intptr_t>(handle));
    if (it != g_handles.end() && it->second != devproto::kNoSocket) {
        devproto::CloseSocket(it->second);
        it->second = devproto::kNoSocket;
    }
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

constexpr DWORD kInvalidHandle = 6; // ERROR_INVALID_HANDLE

// Sends a frame that the emulator answers with a status word, and reads that word: true
// when it is 0. Otherwise the socket is closed and the last error set: ERROR_SEM_TIMEOUT or
// ERROR_FILE_NOT_FOUND when the frame or its answer did not pass, else the refusal given,
// or the status itself for a refusal of 0.
bool Exchange(devproto::Socket s, const uint8_t* frame, size_t size, DWORD refusal) {
    uint8_t word[4];
    bool timedOut = false;
    int64_t deadline = devproto::NowMs() + ReplyTimeoutMs();
    DWORD error = ERROR_SUCCESS;
    if (!devproto::WriteAll(s, frame, size) ||
        !devproto::ReadAll(s, word, sizeof(word), deadline, &timedOut))
        error = timedOut ? ERROR_SEM_TIMEOUT : ERROR_FILE_NOT_FOUND;
    else if (uint32_t status = devproto::GetU32(word); status != 0)
        error = refusal != 0 ? refusal : status;
    if (error == ERROR_SUCCESS)
        return true;
    devproto::CloseSocket(s);
    SetLastError(error);
    return false;
}

} // namespace

int ReplyTimeoutMs() {
    return g_replyTimeoutMs;
}
void SetReplyTimeoutMs(int ms) {
    g_replyTimeoutMs = ms;
}

HANDLE Open(devproto::Socket s, DWORD desiredAccess, DWORD shareMode) {
    uint8_t open[devproto::kOpenFrameSize];
    devproto::EncodeOpen(open, desiredAccess, shareMode);
    if (!Exchange(s, open, sizeof(open), 0))
        return INVALID_HANDLE_VALUE;
    return AddHandle(s);
}

bool Owns(HANDLE handle) {
    devproto::Socket s;
    return LookUp(handle, &s);
}

BOOL Control(HANDLE device, DWORD code, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
             DWORD outSize, LPDWORD bytesReturned) {
    devproto::Socket s = devproto::kNoSocket;
    if (!LookUp(device, &s))
        return Fail(kInvalidHandle);
    if (s == devproto::kNoSocket)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if ((inSize > 0 && !inBuffer) || (outSize > 0 && !outBuffer))
        return Fail(ERROR_INVALID_PARAMETER);

    std::vector<uint8_t> request(devproto::kRequestHeaderSize + inSize);
    devproto::EncodeRequestHeader(request.data(), code, inSize, outSize);
    if (inSize > 0)
        std::memcpy(request.data() + devproto::kRequestHeaderSize, inBuffer, inSize);
    if (!devproto::WriteAll(s, request.data(), request.size())) {
        Invalidate(device);
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    }

    int64_t deadline = devproto::NowMs() + ReplyTimeoutMs();
    uint8_t header[devproto::kReplyHeaderSize];
    bool timedOut = false;
    if (!devproto::ReadAll(s, header, sizeof(header), deadline, &timedOut)) {
        Invalidate(device);
        return Fail(timedOut ? ERROR_SEM_TIMEOUT : ERROR_DEVICE_NOT_CONNECTED);
    }
    uint32_t status = devproto::GetU32(header);
    uint32_t returned = devproto::GetU32(header + 4);
    if (returned > outSize) { // the peer broke the contract: nothing it sends can be trusted
        Invalidate(device);
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    }
    // The reply lands in a scratch buffer first, so a reply cut short leaves the caller's
    // buffer as it was.
    std::vector<uint8_t> reply(returned);
    if (returned > 0 && !devproto::ReadAll(s, reply.data(), returned, deadline, &timedOut)) {
        Invalidate(device);
        return Fail(timedOut ? ERROR_SEM_TIMEOUT : ERROR_DEVICE_NOT_CONNECTED);
    }
    if (returned > 0)
        std::memcpy(outBuffer, reply.data(), returned);
    if (bytesReturned)
        *bytesReturned = returned;
    if (status != 0)
        return Fail(status);
    SetLastError(0);
    return TRUE;
}

BOOL Close(HANDLE handle) {
    devproto::Socket s = devproto::kNoSocket;
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        auto it = g_handles.find(reinterpret_cast<intptr_t>(handle));
        if (it == g_handles.end())
            return Fail(kInvalidHandle);
        s = it->second;
        g_handles.erase(it);
    }
    if (s == devproto::kNoSocket)
        return TRUE;
    uint8_t close[4];
    devproto::EncodeClose(close);
    uint8_t status[4];
    if (devproto::WriteAll(s, close, sizeof(close)))
        devproto::ReadAll(s, status, sizeof(status), devproto::NowMs() + ReplyTimeoutMs());
    devproto::CloseSocket(s);
    return TRUE;
}

bool LoopbackRequested(uint16_t* port) {
    std::string address;
    if (!systemtext::Environment("AP_DEVICE_ADDR", &address) || address.empty())
        return false;
    if (!devproto::ParseLoopbackAddress(address.c_str(), port))
        *port = 0;
    return true;
}

namespace {

// The token from AP_DEVICE_TOKEN, else from the file AP_DEVICE_TOKEN_FILE names: false when
// neither is set, or the one taken is unreadable or not a token.
bool LoopbackToken(uint8_t token[devproto::kTokenSize]) {
    std::string text, file;
    if (systemtext::Environment("AP_DEVICE_TOKEN", &text) && !text.empty())
        return devproto::ParseToken(text, token);
    if (!systemtext::Environment("AP_DEVICE_TOKEN_FILE", &file) || file.empty())
        return false;
    // A token with CR LF is the longest a token file may hold; only a regular file is read,
    // so a pipe at the name never holds the connection up.
    if (wholefile::Read(file, 2 * devproto::kTokenSize + 2, true, &text, nullptr) !=
        wholefile::Got::kDone)
        return false;
    return devproto::ParseToken(text, token);
}

} // namespace

HANDLE OpenLoopback(const char* fileName, uint16_t port, DWORD desiredAccess, DWORD shareMode) {
    if (port == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (devproto::SocketPathForDevice(fileName ? fileName : "").empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    uint8_t token[devproto::kTokenSize];
    if (!LoopbackToken(token)) { // nothing to prove the connection with: it would be refused
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    devproto::Socket s = devproto::ConnectLoopback(port);
    if (s == devproto::kNoSocket) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    uint8_t auth[devproto::kAuthFrameSize];
    devproto::EncodeAuth(auth, token);
    // Any other answer than 0 (an emulator without tokens answers 87) is a refusal.
    if (!Exchange(s, auth, sizeof(auth), ERROR_ACCESS_DENIED))
        return INVALID_HANDLE_VALUE;
    return Open(s, desiredAccess, shareMode);
}

} // namespace devclient
