// On Windows the device calls are the system's own, unless AP_DEVICE_ADDR asks for the
// loopback transport to an emulator (DeviceClient.h).
#ifdef _WIN32
#include "DeviceClient.h"
#include "DeviceIo.h"

namespace {

bool LoopbackPort(uint16_t* port) {
    char value[64];
    DWORD n = GetEnvironmentVariableA("AP_DEVICE_ADDR", value, sizeof(value));
    if (n == 0)
        return false;
    if (n >= sizeof(value)) { // too long to be any address we accept
        *port = 0;
        return true;
    }
    return devclient::LoopbackRequested(value, port);
}

} // namespace

namespace deviceio {

void SetReplyTimeoutMs(int ms) {
    devclient::SetReplyTimeoutMs(ms);
}
int ReplyTimeoutMs() {
    return devclient::ReplyTimeoutMs();
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
    uint16_t port = 0;
    if (LoopbackPort(&port))
        return devclient::OpenLoopback(fileName, port, desiredAccess, shareMode);
    return ::CreateFileA(fileName, desiredAccess, shareMode, securityAttributes,
                         creationDisposition, flagsAndAttributes, templateFile);
}

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
                     DWORD outSize, LPDWORD bytesReturned, OVERLAPPED* overlapped) {
    if (devclient::Owns(device))
        return devclient::Control(device, code, inBuffer, inSize, outBuffer, outSize,
                                  bytesReturned);
    return ::DeviceIoControl(device, code, inBuffer, inSize, outBuffer, outSize, bytesReturned,
                             overlapped);
}

BOOL CloseHandle(HANDLE object) {
    if (devclient::Owns(object))
        return devclient::Close(object);
    return ::CloseHandle(object);
}

} // namespace deviceio
#endif
