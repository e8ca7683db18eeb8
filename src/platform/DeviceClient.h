// The client side of the device frames (DeviceProtocol.h) over a connected stream socket,
// shared by the POSIX device calls (Unix socket or loopback TCP) and the Windows build's
// loopback transport. Handles are numbers from a table of their own, never a real kernel
// handle's value (those are multiples of four).
#pragma once

#include "DeviceProtocol.h"
#include "Win32Types.h"

#include <string>

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
// AP_DEVICE_TOKEN_FILE names: 87 for a bad address, 2 when nothing listens, one of the
// token's codes below when the token is the fault.
HANDLE OpenLoopback(const char* fileName, uint16_t port, DWORD desiredAccess, DWORD shareMode);

// The loopback open's refusals for its token, as its last error: application codes (bit 29
// set), which no system call gives.
constexpr DWORD kErrorNoToken = 0x20000101;      // neither variable names a token
constexpr DWORD kErrorTokenFile = 0x20000102;    // the file is missing, unreadable or not a
                                                 // regular file (a pipe, a device, a folder)
constexpr DWORD kErrorNotAToken = 0x20000103;    // what was given is not 64 hexadecimal digits
constexpr DWORD kErrorTokenRefused = 0x20000104; // the unit refused it

enum class TokenFault { kNone, kNoToken, kTokenFile, kNotAToken, kRefused };
// The fault an open's last error tells of; kNone for any other code.
TokenFault TokenFaultOf(DWORD error);
// The fault in words for the user, naming where the token came from (the variable, or the
// file with the system's reason), e.g. "the token file /tmp/t is not a regular file"; empty
// unless error is the token fault of this thread's last loopback open.
std::string TokenFaultText(DWORD error);
// The warning for a token file that other users may read, as a password file gets it:
// "the token file NAME may be read by other users (mode 0644); chmod 600 NAME". Empty when
// the token is not taken from a file (AP_DEVICE_TOKEN set, or no file named), when they may
// not read it, and on Windows.
std::string TokenFileWarning();

int ReplyTimeoutMs();
void SetReplyTimeoutMs(int ms);

} // namespace devclient
