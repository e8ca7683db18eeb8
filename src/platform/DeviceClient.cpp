#include "DeviceClient.h"

#include "SystemText.h"
#include "WholeFile.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
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

// This thread's last loopback open's token fault and its words (TokenFaultText).
thread_local DWORD t_tokenFault = ERROR_SUCCESS;
thread_local std::string t_tokenFaultText;

HANDLE FailOpen(DWORD error, std::string text = {}) {
    t_tokenFault = error;
    t_tokenFaultText = std::move(text);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// The file AP_DEVICE_TOKEN_FILE names, when the token is taken from it: AP_DEVICE_TOKEN
// comes first.
bool TokenFileName(std::string* file) {
    std::string text;
    if (systemtext::Environment("AP_DEVICE_TOKEN", &text) && !text.empty())
        return false;
    return systemtext::Environment("AP_DEVICE_TOKEN_FILE", file) && !file->empty();
}

// The token from AP_DEVICE_TOKEN, else from the file AP_DEVICE_TOKEN_FILE names, and in
// *source where it came from. ERROR_SUCCESS, or the token's code with the fault in *fault.
DWORD LoopbackToken(uint8_t token[devproto::kTokenSize], std::string* source, std::string* fault) {
    std::string text, file, reason;
    if (!TokenFileName(&file)) {
        if (!systemtext::Environment("AP_DEVICE_TOKEN", &text) || text.empty()) {
            *fault = "no token given: set AP_DEVICE_TOKEN_FILE to the emulator's token file, "
                     "or AP_DEVICE_TOKEN to its token";
            return kErrorNoToken;
        }
        *source = "AP_DEVICE_TOKEN";
    } else {
        *source = "the token file " + file;
        // A token with CR LF is the longest a token file may hold; only a regular file is
        // read, so a pipe at the name never holds the connection up.
        switch (wholefile::Read(file, 2 * devproto::kTokenSize + 2, true, &text, &reason)) {
        case wholefile::Got::kDone:
        case wholefile::Got::kTooLarge:
            break;
        case wholefile::Got::kNotRegular:
            *fault = *source + " is not a regular file";
            return kErrorTokenFile;
        default:
            *fault = "cannot read " + *source + ": " + reason;
            return kErrorTokenFile;
        }
    }
    if (devproto::ParseToken(text, token))
        return ERROR_SUCCESS;
    *fault = *source + " does not hold a token (64 hexadecimal digits)";
    return kErrorNotAToken;
}

} // namespace

TokenFault TokenFaultOf(DWORD error) {
    switch (error) {
    case kErrorNoToken:
        return TokenFault::kNoToken;
    case kErrorTokenFile:
        return TokenFault::kTokenFile;
    case kErrorNotAToken:
        return TokenFault::kNotAToken;
    case kErrorTokenRefused:
        return TokenFault::kRefused;
    default:
        return TokenFault::kNone;
    }
}

std::string TokenFaultText(DWORD error) {
    if (TokenFaultOf(error) == TokenFault::kNone || error != t_tokenFault)
        return {};
    return t_tokenFaultText;
}

std::string TokenFileWarning() {
    // Only a regular file is read for its token: anything else is refused anyway.
    std::string file;
    if (!TokenFileName(&file) || wholefile::KindOf(file) != wholefile::Kind::kRegular)
        return {};
    std::string warning = wholefile::ReadableByOthersWarning(file);
    return warning.empty() ? warning : "the token file " + warning;
}

HANDLE OpenLoopback(const char* fileName, uint16_t port, DWORD desiredAccess, DWORD shareMode) {
    t_tokenFault = ERROR_SUCCESS;
    if (port == 0)
        return FailOpen(ERROR_INVALID_PARAMETER);
    if (devproto::SocketPathForDevice(fileName ? fileName : "").empty())
        return FailOpen(ERROR_FILE_NOT_FOUND);
    uint8_t token[devproto::kTokenSize];
    std::string source, fault;
    // Nothing to prove the connection with: it would be refused, so it is never made.
    if (DWORD error = LoopbackToken(token, &source, &fault); error != ERROR_SUCCESS)
        return FailOpen(error, fault);
    devproto::Socket s = devproto::ConnectLoopback(port);
    if (s == devproto::kNoSocket)
        return FailOpen(ERROR_FILE_NOT_FOUND);
    uint8_t auth[devproto::kAuthFrameSize];
    devproto::EncodeAuth(auth, token);
    // Any other answer than 0 (an emulator without tokens answers 87) is a refusal.
    if (!Exchange(s, auth, sizeof(auth), kErrorTokenRefused))
        return GetLastError() == kErrorTokenRefused
                   ? FailOpen(kErrorTokenRefused,
                              "the access point at 127.0.0.1:" + std::to_string(port) +
                                  " refused the token from " + source)
                   : INVALID_HANDLE_VALUE;
    return Open(s, desiredAccess, shareMode);
}

} // namespace devclient
