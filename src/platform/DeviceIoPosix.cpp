// The device calls over the emulator's Unix socket, or over the loopback TCP transport when
// AP_DEVICE_ADDR is set, with the token from AP_DEVICE_TOKEN or AP_DEVICE_TOKEN_FILE (see
// DeviceProtocol.h and DeviceClient.h).
#include "DeviceClient.h"
#include "DeviceIo.h"
#include "DeviceProtocol.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

thread_local DWORD t_lastError = 0;

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

// Whether the path may be trusted with the configuration (password and keys included):
// it belongs to this user and nobody else may write it.
bool Trusted(const struct stat& st) {
    return st.st_uid == geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH));
}

// The device folder and the socket in it must be this user's own: otherwise another user
// could stand in for the device. ERROR_SUCCESS when the path may be connected to.
DWORD CheckSocketPath(const std::string& path) {
    std::string folder = path.substr(0, path.rfind('/'));
    if (folder.empty())
        folder = "/";
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0)
        return ERROR_FILE_NOT_FOUND;
    if (!S_ISDIR(st.st_mode) || !Trusted(st))
        return ERROR_ACCESS_DENIED;
    if (lstat(path.c_str(), &st) != 0)
        return ERROR_FILE_NOT_FOUND;
    if (!S_ISSOCK(st.st_mode) || !Trusted(st))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
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
    devclient::SetReplyTimeoutMs(ms);
}
int ReplyTimeoutMs() {
    return devclient::ReplyTimeoutMs();
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES*,
                   DWORD, DWORD, HANDLE) {
    uint16_t port = 0;
    if (devclient::LoopbackRequested(&port))
        return devclient::OpenLoopback(fileName, port, desiredAccess, shareMode);
    std::string path = devproto::SocketPathForDevice(fileName ? fileName : "");
    if (path.empty()) {
        t_lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    if (DWORD refused = CheckSocketPath(path); refused != ERROR_SUCCESS) {
        t_lastError = refused;
        return INVALID_HANDLE_VALUE;
    }
    int fd = Connect(path);
    if (fd < 0) {
        t_lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    return devclient::Open(fd, desiredAccess, shareMode);
}

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
                     DWORD outSize, LPDWORD bytesReturned, OVERLAPPED*) {
    return devclient::Control(device, code, inBuffer, inSize, outBuffer, outSize, bytesReturned);
}

BOOL CloseHandle(HANDLE object) {
    return devclient::Close(object);
}

} // namespace deviceio
