// The device channel against a real emulator process.
#include "device/DeviceChannel.h"
#include "Emulator.h"
#include "TempFolder.h"
#include "device/ConfigImage.h"
#include "platform/DeviceClient.h"
#include "platform/DeviceIo.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
        deviceio::CreateFileA("\\\\.\\DfuDevice0", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    deviceio::CloseHandle(reader);
    reader = deviceio::CreateFileA("\\\\.\\DfuDevice0", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
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

// Another user's socket, or one in a folder others may write, could stand in for the
// device and be handed the whole configuration: such an open is refused with
// ERROR_ACCESS_DENIED before anything is sent.
TEST_F(DeviceChannelTest, RefusesADeviceOthersCouldStandIn) {
    const std::string dir = emu.DeviceDir(), socket = dir + "/DfuDevice0";
    auto refused = [] {
        CDeviceChannel channel;
        bool opened = channel.Open();
        DWORD error = GetLastError();
        channel.Close();
        return !opened && error == ERROR_ACCESS_DENIED;
    };
    ASSERT_EQ(emu.Control("reset-stats"), "ok");
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    EXPECT_TRUE(refused()) << "folder writable by others";
    ASSERT_EQ(chmod(dir.c_str(), 0720), 0);
    EXPECT_TRUE(refused()) << "folder writable by its group";
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    ASSERT_EQ(chmod(socket.c_str(), 0666), 0);
    EXPECT_TRUE(refused()) << "socket writable by others";
    ASSERT_EQ(chmod(socket.c_str(), 0600), 0);

    // A link to the real socket is not the socket itself.
    std::string linkDir = emu.Folder() + "/linked";
    ASSERT_EQ(mkdir(linkDir.c_str(), 0700), 0);
    ASSERT_EQ(symlink(socket.c_str(), (linkDir + "/DfuDevice0").c_str()), 0);
    setenv("AP_DEVICE_DIR", linkDir.c_str(), 1);
    EXPECT_TRUE(refused()) << "symbolic link";

    if (geteuid() == 0) {
        // As root: the folder, then the socket, handed to another user.
        setenv("AP_DEVICE_DIR", dir.c_str(), 1);
        ASSERT_EQ(chown(dir.c_str(), 65534, 65534), 0);
        EXPECT_TRUE(refused()) << "folder owned by another user";
        ASSERT_EQ(chown(dir.c_str(), 0, 0), 0);
        ASSERT_EQ(chown(socket.c_str(), 65534, 65534), 0);
        EXPECT_TRUE(refused()) << "socket owned by another user";
        ASSERT_EQ(chown(socket.c_str(), 0, 0), 0);
    } else {
        // A folder of root's, which this user cannot have made.
        setenv("AP_DEVICE_DIR", "/", 1);
        EXPECT_TRUE(refused()) << "folder owned by another user";
    }
    // Nothing reached the emulator, and the user's own device still opens.
    EXPECT_EQ(StatValue(emu.Control("stats"), "opens"), 0);
    setenv("AP_DEVICE_DIR", dir.c_str(), 1);
    CDeviceChannel channel;
    EXPECT_TRUE(channel.Open());
    channel.Close();
}

// The loopback TCP transport: the same frames and rules as the Unix socket, through the
// same client code, selected by AP_DEVICE_ADDR, proved with the emulator's token.
class TcpDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(emu.Running());
        ASSERT_GT(emu.TcpPort(), 0);
        setenv("AP_DEVICE_ADDR", emu.TcpAddress().c_str(), 1);
        setenv("AP_DEVICE_TOKEN_FILE", emu.TokenPath().c_str(), 1);
    }
    void TearDown() override {
        unsetenv("AP_DEVICE_ADDR");
        unsetenv("AP_DEVICE_TOKEN");
        unsetenv("AP_DEVICE_TOKEN_FILE");
        deviceio::SetReplyTimeoutMs(5000);
    }
    EmulatorProcess emu{true};
};

// The token from AP_DEVICE_TOKEN, else from the file AP_DEVICE_TOKEN_FILE names. An open
// without one, with one that is not a token, with a file that cannot be read or is not a
// regular file, or with a token the emulator refuses fails with a code and words of its own;
// a token file others may read gets the password file's warning.
TEST_F(TcpDeviceTest, TheTokenComesFromTheEnvironmentOrItsFile) {
    const std::string file = TempWorkingFolder::Read(emu.TokenPath()), digits = file.substr(0, 64);
    ASSERT_EQ(file.size(), 65u);
    std::string upper = digits, wrong = digits, shortOne = digits.substr(1);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    wrong[0] = wrong[0] == 'f' ? 'e' : 'f';
    const std::string dir = emu.Folder();
    // name, content, mode
    const std::tuple<std::string, std::string, mode_t> files[] = {
        {"crlf", digits + "\r\n", 0600}, {"twice", file + file, 0600}, {"bare", digits, 0600},
        {"wrong", wrong + "\n", 0600},   {"shared", file, 0644},       {"empty", "", 0600}};
    for (const auto& [name, content, mode] : files) {
        TempWorkingFolder::Write(dir + "/" + name, content);
        ASSERT_EQ(chmod((dir + "/" + name).c_str(), mode), 0) << name;
    }
    // A pipe nobody writes to would hold an open of it for good: it is never opened.
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0644), 0);
    std::string separated; // 64 characters, but bytes apart: "ab:cd:..."
    for (size_t i = 0; separated.size() < 64; i += 2)
        separated += digits.substr(i, 2) + ":";
    separated.resize(64);
    const std::string refused =
        "the access point at " + emu.TcpAddress() + " refused the token from ";
    const std::string noToken = " does not hold a token (64 hexadecimal digits)";
    struct Row {
        const char* what;
        const char* text; // AP_DEVICE_TOKEN, null: unset
        std::string path; // AP_DEVICE_TOKEN_FILE, empty: unset
        DWORD error;      // 0: it opens
        std::string fault, warning;
        long denied; // what the emulator counts for it
    } rows[] = {
        {"the emulator's file", nullptr, emu.TokenPath(), 0, "", "", 0},
        {"its digits, in capitals", upper.c_str(), "", 0, "", "", 0},
        {"the variable before the file", wrong.c_str(), dir + "/shared", 0x20000104,
         refused + "AP_DEVICE_TOKEN", "", 1},
        {"a line end of CR LF", nullptr, dir + "/crlf", 0, "", "", 0},
        {"no line end", nullptr, dir + "/bare", 0, "", "", 0},
        {"a file others may read", nullptr, dir + "/shared", 0, "",
         "the token file " + dir + "/shared may be read by other users (mode 0644); chmod 600 " +
             dir + "/shared",
         0},
        {"a file the emulator refuses", nullptr, dir + "/wrong", 0x20000104,
         refused + "the token file " + dir + "/wrong", "", 1},
        {"no token at all", nullptr, "", 0x20000101,
         "no token given: set AP_DEVICE_TOKEN_FILE to the emulator's token file, or "
         "AP_DEVICE_TOKEN to its token",
         "", 0},
        {"a digit short", shortOne.c_str(), "", 0x20000103, "AP_DEVICE_TOKEN" + noToken, "", 0},
        {"bytes with separators", separated.c_str(), "", 0x20000103, "AP_DEVICE_TOKEN" + noToken,
         "", 0},
        {"a file that is not there", nullptr, dir + "/none", 0x20000102,
         "cannot read the token file " + dir + "/none: No such file or directory", "", 0},
        {"a file holding the token twice", nullptr, dir + "/twice", 0x20000103,
         "the token file " + dir + "/twice" + noToken, "", 0},
        {"an empty file", nullptr, dir + "/empty", 0x20000103,
         "the token file " + dir + "/empty" + noToken, "", 0},
        {"a named pipe at the file's name", nullptr, dir + "/pipe", 0x20000102,
         "the token file " + dir + "/pipe is not a regular file", "", 0},
        {"a device that never ends", nullptr, "/dev/zero", 0x20000102,
         "the token file /dev/zero is not a regular file", "", 0},
        {"a folder", nullptr, dir, 0x20000102, "the token file " + dir + " is not a regular file",
         "", 0},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(emu.Control("reset-stats"), "ok");
        if (row.text)
            setenv("AP_DEVICE_TOKEN", row.text, 1);
        else
            unsetenv("AP_DEVICE_TOKEN");
        if (!row.path.empty())
            setenv("AP_DEVICE_TOKEN_FILE", row.path.c_str(), 1);
        else
            unsetenv("AP_DEVICE_TOKEN_FILE");
        CDeviceChannel channel;
        EXPECT_EQ(channel.Open(), row.error == 0) << row.what;
        const DWORD error = row.error == 0 ? 0 : GetLastError();
        channel.Close();
        EXPECT_EQ(error, row.error) << row.what;
        EXPECT_EQ(devclient::TokenFaultText(error), row.fault) << row.what;
        EXPECT_EQ(devclient::TokenFileWarning(), row.warning) << row.what;
        std::string stats = emu.Control("stats");
        EXPECT_EQ(StatValue(stats, "opens"), row.error == 0 ? 1 : 0) << row.what;
        EXPECT_EQ(StatValue(stats, "denied"), row.denied) << row.what;
    }
    // The codes tell their faults apart; any other code is none of them.
    const std::pair<DWORD, devclient::TokenFault> faults[] = {
        {0x20000101, devclient::TokenFault::kNoToken},
        {0x20000102, devclient::TokenFault::kTokenFile},
        {0x20000103, devclient::TokenFault::kNotAToken},
        {0x20000104, devclient::TokenFault::kRefused},
        {ERROR_ACCESS_DENIED, devclient::TokenFault::kNone},
        {ERROR_FILE_NOT_FOUND, devclient::TokenFault::kNone}};
    for (const auto& [code, fault] : faults)
        EXPECT_EQ(devclient::TokenFaultOf(code), fault) << code;
    // The words belong to the fault of this thread's last open: not to another code.
    EXPECT_EQ(devclient::TokenFaultText(0x20000101), "");
    // The token of an earlier start is refused after a new one.
    unsetenv("AP_DEVICE_TOKEN");
    TempWorkingFolder::Write(dir + "/old", file);
    setenv("AP_DEVICE_TOKEN_FILE", (dir + "/old").c_str(), 1);
    emu.Kill(SIGTERM);
    ASSERT_TRUE(emu.Start());
    CDeviceChannel channel;
    EXPECT_FALSE(channel.Open());
    EXPECT_EQ(GetLastError(), 0x20000104u);
    EXPECT_EQ(StatValue(emu.Control("stats"), "denied"), 1);
}

TEST_F(TcpDeviceTest, ReadWriteAndCountersOverTcp) {
    emu.Load(Pattern());
    ASSERT_EQ(emu.Control("firmware 3.1.4.1"), "ok");
    ASSERT_EQ(emu.Control("reset-stats"), "ok");
    auto image = std::make_unique<ConfigImage>();
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    BYTE selector = kSelectCurrent;
    ASSERT_TRUE(channel.Read(image->Bytes(), &selector, 1024));
    EXPECT_STREQ(g_szFirmwareVersion, "3.1.4.1");
    auto expected = Pattern();
    EXPECT_EQ(0, std::memcmp(image->Bytes(), expected.data(), 889));
    std::vector<BYTE> buffer(400, 0x77);
    ASSERT_TRUE(channel.Write(buffer.data(), 1, 348));
    // A write whose command byte is wrong is refused over TCP as over the socket.
    EXPECT_FALSE(channel.Write(buffer.data(), 9, 348));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    channel.Close();
    auto after = emu.Dump("current");
    ASSERT_EQ(after.size(), 889u);
    EXPECT_EQ(after[0], 0x77);
    EXPECT_EQ(after[347], 0x77);
    EXPECT_EQ(after[348], expected[348]);
    EXPECT_EQ(emu.Control("stats"), "ok opens=1 reads=1 writes=1 failed=1 denied=0");
}

TEST_F(TcpDeviceTest, SharingSpansBothTransports) {
    CDeviceChannel overTcp, overUnix;
    ASSERT_TRUE(overTcp.Open());
    unsetenv("AP_DEVICE_ADDR");
    EXPECT_FALSE(overUnix.Open());
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    overTcp.Close();
    ASSERT_TRUE(overUnix.Open());
    setenv("AP_DEVICE_ADDR", emu.TcpAddress().c_str(), 1);
    EXPECT_FALSE(overTcp.Open());
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    overUnix.Close();

    // A holder over TCP that dies without CLOSE does not keep the device.
    pid_t child = fork();
    if (child == 0) {
        CDeviceChannel held;
        _exit(held.Open() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(overTcp.Open());
    overTcp.Close();
}

TEST_F(TcpDeviceTest, FaultsGiveTheSameErrors) {
    deviceio::SetReplyTimeoutMs(300);
    auto image = std::make_unique<ConfigImage>();
    BYTE selector = kSelectCurrent;
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    ASSERT_EQ(emu.Control("fail-reads 1"), "ok");
    EXPECT_FALSE(channel.Read(image->Bytes(), &selector, 1024));
    EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
    ASSERT_EQ(emu.Control("hang on"), "ok");
    EXPECT_FALSE(channel.Read(image->Bytes(), &selector, 1024));
    EXPECT_EQ(GetLastError(), ERROR_SEM_TIMEOUT);
    channel.Close();
    ASSERT_EQ(emu.Control("hang off"), "ok");
    ASSERT_EQ(emu.Control("absent on"), "ok");
    EXPECT_FALSE(channel.Open());
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(emu.Control("absent off"), "ok");
    ASSERT_TRUE(channel.Open());
    emu.Kill(SIGKILL); // unplugged with the handle open
    EXPECT_FALSE(channel.Read(image->Bytes(), &selector, 1024));
    EXPECT_EQ(GetLastError(), ERROR_DEVICE_NOT_CONNECTED);
    channel.Close();
    EXPECT_FALSE(channel.Open()); // nothing listens
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(TcpDeviceTest, OnlyTheLoopbackAddressIsUsed) {
    const std::string port = std::to_string(emu.TcpPort());
    for (const std::string& address : std::vector<std::string>{
             "10.0.0.1:" + port, "localhost:" + port, "127.0.0.2:" + port, "0.0.0.0:" + port,
             "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:" + port + "x",
             "127.0.0.1:", "127.0.0.1:-" + port, "127.0.0.1"}) {
        setenv("AP_DEVICE_ADDR", address.c_str(), 1);
        CDeviceChannel channel;
        EXPECT_FALSE(channel.Open()) << address;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << address;
    }
    // The emulator listens on 127.0.0.1 alone: another loopback address is refused.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(emu.TcpPort()));
    addr.sin_addr.s_addr = htonl(0x7F000002);
    EXPECT_NE(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    EXPECT_EQ(errno, ECONNREFUSED);
    close(fd);
}

} // namespace
