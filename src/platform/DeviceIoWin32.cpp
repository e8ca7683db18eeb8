// On Windows the device calls are the system's own, unless AP_DEVICE_ADDR asks for the
// loopback transport to an emulator (DeviceClient.h), proved with the token from
// AP_DEVICE_TOKEN or the file AP_DEVICE_TOKEN_FILE names.
#ifdef _WIN32
#include "DeviceClient.h"
#include "DeviceIo.h"

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
    if (devclient::LoopbackRequested(&port))
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
