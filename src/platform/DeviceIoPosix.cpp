// The device calls over the emulator's Unix socket (see DeviceProtocol.h).
#include "DeviceIo.h"
#include "DeviceProtocol.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

thread_local DWORD t_lastError = 0;
std::atomic<int> g_replyTimeoutMs{devproto::kDefaultTimeoutMs};

// Handles are small numbers standing for a socket; a handle whose request timed out or
// whose connection broke keeps its number (fd -1) until CloseHandle releases it.
std::mutex g_handleMutex;
std::map<intptr_t, int> g_handles;
intptr_t g_nextHandle = 0x100;

HANDLE AddHandle(int fd) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    intptr_t h = g_nextHandle++;
    g_handles[h] = fd;
    return reinterpret_cast<HANDLE>(h);
}

bool LookUp(HANDLE handle, int* fd) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = g_handles.find(reinterpret_cast<intptr_t>(handle));
    if (it == g_handles.end())
        return false;
    *fd = it->second;
    return true;
}

void Invalidate(HANDLE handle) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = g_handles.find(reinterpret_cast<intptr_t>(handle));
    if (it != g_handles.end() && it->second >= 0) {
        close(it->second);
        it->second = -1;
    }
}

int Connect(const std::string& path) {
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof(addr.sun_path))
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

BOOL Fail(DWORD error) {
    t_lastError = error;
    return FALSE;
}

} // namespace

DWORD GetLastError() {
    return t_lastError;
}
void SetLastError(DWORD error) {
    t_lastError = error;
}

namespace deviceio {
void SetReplyTimeoutMs(int ms) {
    g_replyTimeoutMs = ms;
}
int ReplyTimeoutMs() {
    return g_replyTimeoutMs;
}
} // namespace deviceio

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES*,
                   DWORD, DWORD, HANDLE) {
    int fd = Connect(devproto::SocketPathForDevice(fileName ? fileName : ""));
    if (fd < 0) {
        t_lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    uint8_t open[16];
    devproto::PutU32(open, devproto::kMagicOpen);
    devproto::PutU32(open + 4, devproto::kVersion);
    devproto::PutU32(open + 8, desiredAccess);
    devproto::PutU32(open + 12, shareMode);
    uint8_t status[4];
    bool timedOut = false;
    int64_t deadline = devproto::NowMs() + deviceio::ReplyTimeoutMs();
    if (!devproto::WriteAll(fd, open, sizeof(open)) ||
        !devproto::ReadAll(fd, status, sizeof(status), deadline, &timedOut)) {
        close(fd);
        t_lastError = timedOut ? ERROR_SEM_TIMEOUT : ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (uint32_t s = devproto::GetU32(status); s != 0) {
        close(fd);
        t_lastError = s;
        return INVALID_HANDLE_VALUE;
    }
    return AddHandle(fd);
}

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
                     DWORD outSize, LPDWORD bytesReturned, OVERLAPPED*) {
    int fd = -1;
    if (!LookUp(device, &fd))
        return Fail(6); // ERROR_INVALID_HANDLE
    if (fd < 0)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if ((inSize > 0 && !inBuffer) || (outSize > 0 && !outBuffer))
        return Fail(ERROR_INVALID_PARAMETER);

    std::vector<uint8_t> request(16 + inSize);
    devproto::PutU32(request.data(), devproto::kMagicRequest);
    devproto::PutU32(request.data() + 4, code);
    devproto::PutU32(request.data() + 8, inSize);
    devproto::PutU32(request.data() + 12, outSize);
    if (inSize > 0)
        std::memcpy(request.data() + 16, inBuffer, inSize);
    if (!devproto::WriteAll(fd, request.data(), request.size())) {
        Invalidate(device);
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    }

    int64_t deadline = devproto::NowMs() + deviceio::ReplyTimeoutMs();
    uint8_t header[8];
    bool timedOut = false;
    if (!devproto::ReadAll(fd, header, sizeof(header), deadline, &timedOut)) {
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
    if (returned > 0 && !devproto::ReadAll(fd, reply.data(), returned, deadline, &timedOut)) {
        Invalidate(device);
        return Fail(timedOut ? ERROR_SEM_TIMEOUT : ERROR_DEVICE_NOT_CONNECTED);
    }
    if (returned > 0)
        std::memcpy(outBuffer, reply.data(), returned);
    if (bytesReturned)
        *bytesReturned = returned;
    if (status != 0)
        return Fail(status);
    t_lastError = 0;
    return TRUE;
}

BOOL CloseHandle(HANDLE object) {
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        auto it = g_handles.find(reinterpret_cast<intptr_t>(object));
        if (it == g_handles.end())
            return Fail(6);
        fd = it->second;
        g_handles.erase(it);
    }
    if (fd < 0)
        return TRUE;
    uint8_t close_[4];
    devproto::PutU32(close_, devproto::kMagicClose);
    uint8_t status[4];
    if (devproto::WriteAll(fd, close_, sizeof(close_)))
        devproto::ReadAll(fd, status, sizeof(status),
                          devproto::NowMs() + deviceio::ReplyTimeoutMs());
    close(fd);
    return TRUE;
}
