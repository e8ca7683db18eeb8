// The three device calls the channel uses. On Windows they are the system's own; elsewhere
// they speak the emulator's socket protocol (DeviceProtocol.h).
#pragma once

#include "Win32Types.h"

#ifndef _WIN32
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     OVERLAPPED* overlapped);
BOOL CloseHandle(HANDLE object);
#endif

namespace deviceio {
// How long a device request may wait for its reply before it fails with ERROR_SEM_TIMEOUT.
// Tests shorten it; the product keeps the protocol's 5 seconds.
void SetReplyTimeoutMs(int ms);
int ReplyTimeoutMs();
} // namespace deviceio
