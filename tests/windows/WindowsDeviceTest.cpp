// On Windows the channel opens the vendor driver's device; without the driver it fails
// the way the transfers turn into "Please Attach the Access Point USB Connector or
// Install the Access Point Driver !  ".
#include "device/DeviceChannel.h"

#include <gtest/gtest.h>

TEST(WindowsDevice, AbsentDriverFailsTheOpen) {
    // The driver, not the loopback transport to an emulator (LoopbackDeviceTest.cpp).
    char address[64] = {};
    bool loopback = GetEnvironmentVariableA("AP_DEVICE_ADDR", address, sizeof(address)) > 0;
    SetEnvironmentVariableA("AP_DEVICE_ADDR", nullptr);
    CDeviceChannel channel;
    EXPECT_FALSE(channel.Open());
    EXPECT_FALSE(channel.m_bOpen);
    DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
    EXPECT_TRUE(channel.Close());
    EXPECT_EQ(channel.m_hDevice, INVALID_HANDLE_VALUE);
    if (loopback)
        SetEnvironmentVariableA("AP_DEVICE_ADDR", address);
}
