#include "DeviceChannel.h"

#include "platform/DeviceIo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

char g_szFirmwareVersion[16] = "";

namespace {
std::string g_deviceName = "\\\\.\\DfuDevice0";
}

void SetDeviceName(const std::string& name) {
    g_deviceName = "\\\\.\\" + name;
}

CDeviceChannel::CDeviceChannel() : m_hDevice(INVALID_HANDLE_VALUE), m_bOpen(FALSE) {}

CDeviceChannel::~CDeviceChannel() = default;

BOOL CDeviceChannel::Open() {
    if (m_bOpen)
        Close();
    m_hDevice =
        deviceio::CreateFileA(g_deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hDevice == INVALID_HANDLE_VALUE)
        return FALSE;
    m_bOpen = TRUE;
    return TRUE;
}

BOOL CDeviceChannel::Close() {
    m_bOpen = FALSE;
    deviceio::CloseHandle(m_hDevice);
    m_hDevice = INVALID_HANDLE_VALUE;
    return TRUE;
}

UINT UnpackReadReply(const BYTE* reply, UINT replyLength, BYTE* dest) {
    UINT copied = 0;
    UINT position = 0;
    for (UINT off = 9; off < replyLength; off += 8, position += 7) {
        UINT run = std::min<UINT>(replyLength - off, 7);
        std::memcpy(dest + position, reply + off, run);
        copied += run;
    }
    return copied;
}

BOOL CDeviceChannel::Read(BYTE* dest, const BYTE* selector, UINT replyLength) {
    BYTE reply[kReadReplyLength];
    DWORD returned = 0;
    BYTE request = *selector;
    if (!deviceio::DeviceIoControl(m_hDevice, kConfigIoctl, &request, 1, reply, sizeof(reply),
                                   &returned, nullptr))
        return FALSE;
    // A reply shorter than the full block would unpack stale stack bytes into the image:
    // it counts as a failed read.
    if (returned < sizeof(reply))
        return FALSE;
    std::snprintf(g_szFirmwareVersion, sizeof(g_szFirmwareVersion), "%u.%u.%u.%u", reply[1],
                  reply[2], reply[3], reply[4]);
    UnpackReadReply(reply, std::min<UINT>(replyLength, sizeof(reply)), dest);
    return TRUE;
}

BOOL CDeviceChannel::Write(BYTE* buffer, BYTE command, UINT length) {
    buffer[length] = command;
    DWORD returned = 0;
    return deviceio::DeviceIoControl(m_hDevice, kConfigIoctl, buffer, length + 1, nullptr, 0,
                                     &returned, nullptr);
}
