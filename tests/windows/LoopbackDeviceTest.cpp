// The Windows build's device calls over the loopback transport: with AP_DEVICE_ADDR and
// AP_DEVICE_TOKEN_FILE set (scripts/windows-tests.sh starts an emulator with --listen-tcp
// and sets them), the channel opens, reads, writes and closes against a real emulator
// through the same frames as the Unix socket. Without the address these tests are skipped.
#include "device/DeviceChannel.h"
#include "platform/DeviceClient.h"
#include "platform/DeviceIo.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Whether Winsock was in the process before main(): it is loaded the first time the loopback
// transport is asked for, so a program that talks to the driver never has it.
const bool g_winsockAtStart = GetModuleHandleW(L"ws2_32.dll") != nullptr;

TEST(LoopbackTransport, WinsockIsNotLoadedAtStart) {
    EXPECT_FALSE(g_winsockAtStart);
}

class LoopbackDevice : public ::testing::Test {
protected:
    void SetUp() override {
        char value[MAX_PATH] = {};
        if (GetEnvironmentVariableA("AP_DEVICE_ADDR", value, sizeof(value)) == 0)
            GTEST_SKIP() << "AP_DEVICE_ADDR is not set: no emulator to reach";
        address = value;
        value[0] = '\0';
        GetEnvironmentVariableA("AP_DEVICE_TOKEN_FILE", value, sizeof(value));
        tokenFile = value;
    }
    void TearDown() override {
        if (!address.empty())
            SetEnvironmentVariableA("AP_DEVICE_ADDR", address.c_str());
        SetEnvironmentVariableA("AP_DEVICE_TOKEN", nullptr);
        if (!tokenFile.empty())
            SetEnvironmentVariableA("AP_DEVICE_TOKEN_FILE", tokenFile.c_str());
    }
    std::string address, tokenFile;
};

TEST_F(LoopbackDevice, OpenReadWriteClose) {
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open()) << GetLastError();
    EXPECT_NE(GetModuleHandleW(L"ws2_32.dll"), nullptr); // loaded by the first connection
    // The utility's handle shares read only: a second one is refused while it is open.
    CDeviceChannel second;
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    auto factory = std::make_unique<BYTE[]>(16385);
    BYTE selector = kSelectFactory;
    ASSERT_TRUE(channel.Read(factory.get(), &selector, 1024));
    EXPECT_EQ(factory[192], 5); // the factory password "admin" and its length
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&factory[196]), 5), "admin");
    EXPECT_NE(g_szFirmwareVersion[0], '\0');

    auto before = std::make_unique<BYTE[]>(16385);
    selector = kSelectCurrent;
    ASSERT_TRUE(channel.Read(before.get(), &selector, 1024));
    std::vector<BYTE> buffer(before.get(), before.get() + 400);
    for (int i = 0; i < 348; ++i)
        buffer[static_cast<size_t>(i)] = static_cast<BYTE>(i * 5 + 1);
    ASSERT_TRUE(channel.Write(buffer.data(), 1, 348)) << GetLastError();
    auto after = std::make_unique<BYTE[]>(16385);
    ASSERT_TRUE(channel.Read(after.get(), &selector, 1024));
    for (int i = 0; i < 348; ++i)
        ASSERT_EQ(after[i], static_cast<BYTE>(i * 5 + 1)) << i;
    for (int i = 348; i < 889; ++i)
        ASSERT_EQ(after[i], before[i]) << i;
    // A write the device refuses leaves the configuration as it was.
    EXPECT_FALSE(channel.Write(buffer.data(), 7, 348));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    std::vector<BYTE> restore(before.get(), before.get() + 400);
    ASSERT_TRUE(channel.Write(restore.data(), 1, 348));
    EXPECT_TRUE(channel.Close());
    EXPECT_TRUE(second.Open()); // the first handle's claim went with its close
    second.Close();
}

// The connection proves itself with the emulator's token, from AP_DEVICE_TOKEN or else the
// file AP_DEVICE_TOKEN_FILE names (through Z: here); without one, with a wrong one, or with a
// file that cannot be read, the open fails with a code and words of its own.
TEST_F(LoopbackDevice, TheTokenIsAskedFor) {
    ASSERT_FALSE(tokenFile.empty()) << "AP_DEVICE_TOKEN_FILE is not set";
    char digits[80] = {};
    FILE* file = std::fopen(tokenFile.c_str(), "rb");
    ASSERT_NE(file, nullptr) << tokenFile;
    size_t n = std::fread(digits, 1, sizeof(digits) - 1, file);
    std::fclose(file);
    ASSERT_EQ(n, 65u) << "64 digits and a line feed";
    digits[64] = '\0';
    std::string wrong = digits;
    wrong[10] = wrong[10] == '7' ? '8' : '7';
    const std::string missing = "Z:\\nonexistent\\DfuDevice0.token";
    struct Row {
        const char* what;
        const char* text;  // AP_DEVICE_TOKEN, null: unset
        const char* path;  // AP_DEVICE_TOKEN_FILE, null: unset
        DWORD error;       // 0: it opens
        std::string fault; // the start of its words
    } rows[] = {
        {"the emulator's file", nullptr, tokenFile.c_str(), 0, ""},
        {"its digits in the variable", digits, nullptr, 0, ""},
        {"a wrong token before the right file", wrong.c_str(), tokenFile.c_str(), 0x20000104,
         "the access point at " + address + " refused the token from AP_DEVICE_TOKEN"},
        {"no token", nullptr, nullptr, 0x20000101, "no token given: set AP_DEVICE_TOKEN_FILE"},
        {"a file that is not there", nullptr, missing.c_str(), 0x20000102,
         "cannot read the token file " + missing + ": "},
        {"a folder", nullptr, "Z:\\tmp", 0x20000102,
         "the token file Z:\\tmp is not a regular file"},
    };
    for (const Row& row : rows) {
        SetEnvironmentVariableA("AP_DEVICE_TOKEN", row.text);
        SetEnvironmentVariableA("AP_DEVICE_TOKEN_FILE", row.path);
        CDeviceChannel channel;
        EXPECT_EQ(channel.Open(), row.error == 0) << row.what;
        const DWORD error = row.error == 0 ? 0 : GetLastError();
        channel.Close();
        EXPECT_EQ(error, row.error) << row.what;
        const std::string text = devclient::TokenFaultText(error);
        EXPECT_EQ(text.substr(0, row.fault.size()), row.fault) << row.what;
        EXPECT_EQ(text.empty(), row.fault.empty()) << row.what;
        // Windows files have no mode that others could read them by.
        EXPECT_EQ(devclient::TokenFileWarning(), "") << row.what;
    }
}

TEST_F(LoopbackDevice, OnlyTheLoopbackAddressIsUsed) {
    for (const char* refused : {"192.168.0.1:80", "localhost:80", "127.0.0.1:0", "127.0.0.1"}) {
        SetEnvironmentVariableA("AP_DEVICE_ADDR", refused);
        CDeviceChannel channel;
        EXPECT_FALSE(channel.Open()) << refused;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << refused;
    }
    // A port where nothing listens is an absent device.
    SetEnvironmentVariableA("AP_DEVICE_ADDR", "127.0.0.1:1");
    CDeviceChannel channel;
    EXPECT_FALSE(channel.Open());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

} // namespace
