// The client side of the device frames (DeviceProtocol.h) over a connected stream socket,
// shared by the POSIX device calls (Unix socket or loopback TCP) and the Windows build's
// loopback transport. Handles are numbers from a table of their own, never a real kernel
// handle's value (those are multiples of four).
#pragma once

#include "DeviceProtocol.h"
#include "Win32Types.h"

namespace devclient {

// Sends OPEN over the connected socket s and waits for its status. Returns the new handle,
// or INVALID_HANDLE_VALUE with the last error set (s is then closed).
HANDLE Open(devproto::Socket s, DWORD desiredAccess, DWORD shareMode);
// Whether handle came from Open and has not been closed.
bool Owns(HANDLE handle);
// DeviceIoControl and CloseHandle over a handle that Owns() accepts.
BOOL Control(HANDLE device, DWORD code, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
             DWORD outSize, LPDWORD bytesReturned);
BOOL Close(HANDLE handle);

// The device address of the loopback transport from AP_DEVICE_ADDR: false when
// the transport is not asked for (AP_DEVICE_ADDR unset or empty); else *port, or 0 when the
// address is not 127.0.0.1:PORT.
bool LoopbackRequested(uint16_t* port);
// CreateFileA over the loopback transport, the connection proved (AUTH) before it opens
// with the token from AP_DEVICE_TOKEN (its hexadecimal digits), else from the file
// AP_DEVICE_TOKEN_FILE names: 87 for a bad address, 5 without a token or with one the
// emulator refuses, 2 when nothing listens.
HANDLE OpenLoopback(const char* fileName, uint16_t port, DWORD desiredAccess, DWORD shareMode);

int ReplyTimeoutMs();
void SetReplyTimeoutMs(int ms);

} // namespace devclient
