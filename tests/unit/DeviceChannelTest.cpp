// The device channel against a real emulator process.
#include "device/DeviceChannel.h"
#include "Emulator.h"
#include "device/ConfigImage.h"
#include "platform/DeviceIo.h"

#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<uint8_t> Pattern() {
    std::vector<uint8_t> config(889);
    for (size_t i = 0; i < config.size(); ++i)
        config[i] = static_cast<uint8_t>(i * 7 + 3);
    return config;
}

class DeviceChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(emu.Running());
        std::strcpy(g_szFirmwareVersion, "");
    }
    void TearDown() override { deviceio::SetReplyTimeoutMs(5000); }
    EmulatorProcess emu;
};

TEST_F(DeviceChannelTest, ReadUnpacksRecordsAndFirmware) {
    emu.Load(Pattern());
    ASSERT_EQ(emu.Control("firmware 2.10.0.3"), "ok");
    auto image = std::make_unique<ConfigImage>();
    std::memset(image->Bytes(), 0xAB, kImageBufferSize);
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    BYTE selector = kSelectCurrent;
    ASSERT_TRUE(channel.Read(image->Bytes(), &selector, 1024));
    channel.Close();
    EXPECT_STREQ(g_szFirmwareVersion, "2.10.0.3");
    auto expected = Pattern();
    EXPECT_EQ(0, std::memcmp(image->Bytes(), expected.data(), 889));
    for (size_t i = 889; i < kImageBufferSize; ++i)
        ASSERT_EQ(image->Bytes()[i], 0xAB) << "byte " << i << " past the block was touched";
}

TEST(ReplyUnpacking, SkipsEveryRecordHeader) {
    BYTE reply[1024];
    for (int i = 0; i < 1024; ++i)
        reply[i] = static_cast<BYTE>(i % 8 == 0 ? 0xEE : i);
    BYTE image[900];
    std::memset(image, 0x55, sizeof(image));
    EXPECT_EQ(UnpackReadReply(reply, 1024, image), 889u);
    EXPECT_EQ(image[0], 9);
    EXPECT_EQ(image[6], 15);
    EXPECT_EQ(image[7], 17); // reply byte 16 is record 2's header
    EXPECT_EQ(image[888], static_cast<BYTE>(1023));
    EXPECT_EQ(image[889], 0x55);
    for (int i = 0; i < 889; ++i)
        ASSERT_EQ(image[i], reply[8 * (1 + i / 7) + 1 + i % 7]) << i;
}

TEST_F(DeviceChannelTest, FailedReadsTouchNothing) {
    auto image = std::make_unique<ConfigImage>();
    std::memset(image->Bytes(), 0x5A, kImageBufferSize);
    std::strcpy(g_szFirmwareVersion, "9.9.9.9");
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    BYTE selector = kSelectCurrent;

    ASSERT_EQ(emu.Control("fail-reads 1"), "ok");
    EXPECT_FALSE(channel.Read(image->Bytes(), &selector, 1024));
    // A reply cut short is a failed read too.
    ASSERT_EQ(emu.Control("short-reply on"), "ok");
    EXPECT_FALSE(channel.Read(image->Bytes(), &selector, 1024));
    channel.Close();
    EXPECT_STREQ(g_szFirmwareVersion, "9.9.9.9");
    for (size_t i = 0; i < kImageBufferSize; ++i)
        ASSERT_EQ(image->Bytes()[i], 0x5A);
}

TEST_F(DeviceChannelTest, HungDeviceFailsWithinTheReplyLimit) {
    deviceio::SetReplyTimeoutMs(300);
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    ASSERT_EQ(emu.Control("hang on"), "ok");
    auto image = std::make_unique<ConfigImage>();
    BYTE selector = kSelectCurrent;
    EXPECT_FALSE(channel.Read(image->Bytes(), &selector, 1024));
    EXPECT_EQ(GetLastError(), ERROR_SEM_TIMEOUT);
    channel.Close();
    ASSERT_EQ(emu.Control("hang off"), "ok");
    EXPECT_TRUE(channel.Open()); // the timed-out handle's claim was released
    channel.Close();
}

TEST_F(DeviceChannelTest, WriteSendsLengthPlusCommandByte) {
    auto before = emu.Dump("current");
    ASSERT_EQ(before.size(), 889u);
    std::vector<BYTE> buffer(400, 0x11);
    for (int i = 0; i < 348; ++i)
        buffer[static_cast<size_t>(i)] = static_cast<BYTE>(255 - i);
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    ASSERT_EQ(emu.Control("reset-stats"), "ok");
    ASSERT_TRUE(channel.Write(buffer.data(), 1, 348));
    channel.Close();
    EXPECT_EQ(buffer[348], 1);
    auto after = emu.Dump("current");
    for (size_t i = 0; i < 348; ++i)
        ASSERT_EQ(after[i], buffer[i]);
    for (size_t i = 348; i < 889; ++i)
        ASSERT_EQ(after[i], before[i]) << "byte " << i;
    std::string stats = emu.Control("stats");
    EXPECT_EQ(StatValue(stats, "writes"), 1);
    EXPECT_EQ(StatValue(stats, "failed"), 0);
}

TEST_F(DeviceChannelTest, SharingAndPresence) {
    CDeviceChannel first;
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(first.Open()); // reopening closes the old handle first
    CDeviceChannel second;
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    // A reader that shares write access is compatible; one that does not is refused.
    HANDLE reader =
        CreateFileA("\\\\.\\DfuDevice0", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    reader = CreateFileA("\\\\.\\DfuDevice0", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         0, nullptr);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    first.Close();
    EXPECT_TRUE(second.Open());
    second.Close();

    ASSERT_EQ(emu.Control("absent on"), "ok");
    EXPECT_FALSE(first.Open());
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(first.m_bOpen);
    ASSERT_EQ(emu.Control("absent off"), "ok");
    emu.Kill(SIGTERM); // no emulator at all
    EXPECT_FALSE(first.Open());
}

TEST_F(DeviceChannelTest, DeadHolderDoesNotBlockTheDevice) {
    pid_t child = fork();
    if (child == 0) {
        CDeviceChannel held;
        _exit(held.Open() ? 0 : 1); // dies with the handle open
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    CDeviceChannel channel;
    EXPECT_TRUE(channel.Open());
    channel.Close();
}

} // namespace
