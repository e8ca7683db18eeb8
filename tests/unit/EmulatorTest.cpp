// The emulator as its own program: durability, malformed requests, restarts.
#include "Emulator.h"
#include "DeviceModel.h"
#include "device/DeviceChannel.h"
#include "platform/DeviceProtocol.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

int RawConnect(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

uint32_t ReadU32(int fd) {
    uint8_t b[4] = {};
    devproto::ReadAll(fd, b, 4, devproto::NowMs() + 2000);
    return devproto::GetU32(b);
}

void SendU32s(int fd, std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) {
        uint8_t b[4];
        devproto::PutU32(b, v);
        devproto::WriteAll(fd, b, 4);
    }
}

TEST(Emulator, RefusesMalformedRequestsWithoutChangingAnything) {
    EmulatorProcess emu;
    ASSERT_TRUE(emu.Running());
    auto before = emu.Dump("current");
    int fd = RawConnect(emu.DeviceDir() + "/DfuDevice0");
    ASSERT_GE(fd, 0);
    SendU32s(fd, {devproto::kMagicOpen, 1, 0xC0000000u, 1});
    ASSERT_EQ(ReadU32(fd), 0u);
    // A write whose command byte is not 1, then one that is too long, then an unknown code.
    SendU32s(fd, {devproto::kMagicRequest, 0x222004, 3, 0});
    uint8_t bad[3] = {9, 9, 0};
    devproto::WriteAll(fd, bad, 3);
    EXPECT_EQ(ReadU32(fd), 87u);
    EXPECT_EQ(ReadU32(fd), 0u);
    std::vector<uint8_t> tooLong(891, 1);
    SendU32s(fd, {devproto::kMagicRequest, 0x222004, 891, 0});
    devproto::WriteAll(fd, tooLong.data(), tooLong.size());
    EXPECT_EQ(ReadU32(fd), 87u);
    EXPECT_EQ(ReadU32(fd), 0u);
    SendU32s(fd, {devproto::kMagicRequest, 0x222008, 0, 0});
    EXPECT_EQ(ReadU32(fd), 1u);
    EXPECT_EQ(ReadU32(fd), 0u);
    // A frame with a wrong magic cannot be resynchronised: refused, then the connection ends.
    SendU32s(fd, {0xDEADBEEF, 0x222004, 1, 1024});
    EXPECT_EQ(ReadU32(fd), 87u);
    close(fd);
    EXPECT_EQ(emu.Dump("current"), before);
    EXPECT_EQ(emu.Control("frobnicate"), "error unknown command or bad argument");
    EXPECT_EQ(emu.Control("load current 00"), "error load needs 889 bytes in hexadecimal");
}

TEST(Emulator, StateSurvivesKillDuringWrites) {
    EmulatorProcess emu;
    ASSERT_TRUE(emu.Running());
    std::atomic<bool> stop{false};
    std::atomic<int> accepted{0};
    std::thread writer([&] {
        std::vector<BYTE> buffer(400);
        for (int round = 1; !stop; ++round) {
            std::memset(buffer.data(), round & 0xFF, 348);
            CDeviceChannel channel;
            if (!channel.Open())
                continue;
            if (channel.Write(buffer.data(), 1, 348))
                ++accepted;
            channel.Close();
        }
    });
    while (accepted < 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    emu.Kill(SIGKILL);
    stop = true;
    writer.join();

    std::ifstream in(emu.StatePath());
    std::stringstream text;
    text << in.rdbuf();
    DeviceModel model;
    ASSERT_TRUE(model.Deserialize(text.str())) << "state file is not whole";
    for (size_t i = 1; i < 348; ++i)
        ASSERT_EQ(model.current[i], model.current[0]) << "configuration mixes two writes";

    // The sockets left behind by the killed process do not stop a new start.
    ASSERT_TRUE(emu.Start());
    auto dump = emu.Dump("current");
    ASSERT_EQ(dump.size(), 889u);
    EXPECT_EQ(dump[0], model.current[0]);
}

TEST(Emulator, FaultsAndCounters) {
    EmulatorProcess emu;
    ASSERT_EQ(emu.Control("reset-stats"), "ok");
    ASSERT_EQ(emu.Control("delay-ms 50"), "ok");
    auto image = std::make_unique<BYTE[]>(16385);
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    BYTE selector = kSelectFactory;
    EXPECT_TRUE(channel.Read(image.get(), &selector, 1024));
    channel.Close();
    auto factory = emu.Dump("factory");
    EXPECT_EQ(0, std::memcmp(image.get(), factory.data(), 889));
    EXPECT_EQ(emu.Control("stats"), "ok opens=1 reads=1 writes=0 failed=0");
    // The factory values are plausible: password "admin" with its length, a unicast
    // locally administered MAC address.
    EXPECT_EQ(factory[192], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&factory[196])), "admin");
    EXPECT_EQ(factory[8] & 0x03, 0x02);
}

TEST(Emulator, RefusesADeviceFolderOthersCanWrite) {
    EmulatorProcess emu;
    emu.Kill(SIGTERM);
    ASSERT_EQ(chmod(emu.DeviceDir().c_str(), 0777), 0);
    EXPECT_FALSE(emu.Start());
    ASSERT_EQ(chmod(emu.DeviceDir().c_str(), 0700), 0);
    EXPECT_TRUE(emu.Start());
    struct stat st {};
    ASSERT_EQ(stat((emu.DeviceDir() + "/DfuDevice0").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

} // namespace
