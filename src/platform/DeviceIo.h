// The three device calls the channel uses. Elsewhere than on Windows they speak the
// emulator's socket protocol (DeviceProtocol.h). On Windows they are the system's own,
// unless AP_DEVICE_ADDR names the loopback transport (127.0.0.1:PORT): then the device
// handles are connections to an emulator speaking the same frames.
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
#else
namespace deviceio {
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   SECURITY_ATTRIBUTES* securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                     LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                     OVERLAPPED* overlapped);
BOOL CloseHandle(HANDLE object);
} // namespace deviceio
  // The device code calls these by their system names; they pick the transport.
#define CreateFileA ::deviceio::CreateFileA
#define DeviceIoControl ::deviceio::DeviceIoControl
#define CloseHandle ::deviceio::CloseHandle
#endif

namespace deviceio {
// How long a device request may wait for its reply before it fails with ERROR_SEM_TIMEOUT.
// Tests shorten it; the product keeps the protocol's 5 seconds. (The driver's own requests
// on Windows are synchronous and have no limit of their own.)
void SetReplyTimeoutMs(int ms);
int ReplyTimeoutMs();
} // namespace deviceio
