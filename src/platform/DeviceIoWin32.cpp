// On Windows the device calls are the system's own, unless AP_DEVICE_ADDR asks for the
// loopback transport to an emulator (DeviceClient.h), proved with the token from
// AP_DEVICE_TOKEN or the file AP_DEVICE_TOKEN_FILE names.
#ifdef _WIN32
#include "DeviceClient.h"
#include "DeviceIo.h"
#include "SystemText.h"

#include <string>

namespace {

bool LoopbackPort(uint16_t* port) {
    std::string value;
    if (!systemtext::Environment("AP_DEVICE_ADDR", &value))
        return false;
    return devclient::LoopbackRequested(value.c_str(), port);
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
    if (LoopbackPort(&port)) {
        std::string text, file;
        systemtext::Environment("AP_DEVICE_TOKEN", &text);
        systemtext::Environment("AP_DEVICE_TOKEN_FILE", &file);
        uint8_t token[devproto::kTokenSize];
        bool known = devclient::LoopbackToken(text.c_str(), file.c_str(), token);
        return devclient::OpenLoopback(fileName, port, known ? token : nullptr, desiredAccess,
                                       shareMode);
    }
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
