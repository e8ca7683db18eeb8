// The three device calls the channel uses, named after the system calls they stand for and
// called by their full names (deviceio::CreateFileA), so the system's own calls keep theirs.
// Elsewhere than on Windows they speak the emulator's socket protocol (DeviceProtocol.h). On
// Windows they are the system's own, unless AP_DEVICE_ADDR names the loopback transport
// (127.0.0.1:PORT): then the device handles are connections to an emulator speaking the same
// frames.
#pragma once

#include "Win32Types.h"

namespace deviceio {

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     OVERLAPPED* overlapped);
BOOL CloseHandle(HANDLE object);

// How long a device request may wait for its reply before it fails with ERROR_SEM_TIMEOUT.
// Tests shorten it; the product keeps the protocol's 5 seconds. (The driver's own requests
// on Windows are synchronous and have no limit of their own.)
void SetReplyTimeoutMs(int ms);
int ReplyTimeoutMs();

} // namespace deviceio
