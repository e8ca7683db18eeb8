#pragma once

#include "platform/Win32Types.h"

#include <string>

// The firmware version text of the last successful read ("1.0.2.0"), empty until then.
extern char g_szFirmwareVersion[16];

constexpr DWORD kConfigIoctl = 0x222004;
constexpr UINT kReadReplyLength = 1024;
constexpr BYTE kSelectCurrent = 1;
constexpr BYTE kSelectFactory = 2;
constexpr BYTE kWriteCommand = 1;

// The driver device that channels open: "DfuDevice0" unless set (several access points are
// DfuDevice1, ...). Set once at start, before any channel exists.
void SetDeviceName(const std::string& name);

// The one path to the access point: opens its driver device, frames read and write
// requests and unframes read replies. Short-lived: one object per transfer.
class CDeviceChannel {
public:
    CDeviceChannel();
    virtual ~CDeviceChannel();

    BOOL Open();
    BOOL Close();
    // Reads the configuration chosen by *selector into dest (bytes 0..888) and the firmware
    // version text; on failure touches neither.
    BOOL Read(BYTE* dest, const BYTE* selector, UINT replyLength);
    // Stores command at buffer[length] and sends buffer bytes 0..length.
    BOOL Write(BYTE* buffer, BYTE command, UINT length);

    HANDLE m_hDevice;
    BOOL m_bOpen;
};

// Copies the image bytes of a read reply into dest, 7 bytes per 8-byte record after the
// first; returns how many bytes were copied.
UINT UnpackReadReply(const BYTE* reply, UINT replyLength, BYTE* dest);
