// The emulator as its own program: durability, malformed requests, restarts.
#include "Emulator.h"
#include "DeviceModel.h"
#include "TempFolder.h"
#include "device/DeviceChannel.h"
#include "platform/DeviceProtocol.h"
#include "platform/HexText.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
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

// Resident memory of a process in KiB (VmRSS), -1 when unknown.
long ResidentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Clock ticks of CPU time a process has used (user + system).
long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) { // fields 3.. after "pid (comm)"
        if (i == 14)
            utime = std::atol(field.c_str());
        if (i == 15)
            stime = std::atol(field.c_str());
    }
    return utime + stime;
}

// The descriptors a process has open: their count and the highest number.
void Descriptors(pid_t pid, int* count, int* highest) {
    *count = 0;
    *highest = -1;
    DIR* dir = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
    while (dir) {
        dirent* entry = readdir(dir);
        if (!entry)
            break;
        if (entry->d_name[0] == '.')
            continue;
        ++*count;
        *highest = std::max(*highest, std::atoi(entry->d_name));
    }
    if (dir)
        closedir(dir);
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
    EXPECT_EQ(emu.Control("stats"), "ok opens=1 reads=1 writes=0 failed=0 denied=0");
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

// A client that sends read requests and never reads the replies is held back once a
// bounded amount waits for it; the emulator's memory stays small and others are served.
TEST(Emulator, AClientThatNeverReadsIsHeldBack) {
    EmulatorProcess emu;
    ASSERT_TRUE(emu.Running());
    long startKb = ResidentKb(emu.Pid());
    ASSERT_GT(startKb, 0);
    int flood = RawConnect(emu.DeviceDir() + "/DfuDevice0");
    ASSERT_GE(flood, 0);
    SendU32s(flood, {devproto::kMagicOpen, 1, 0x80000000u, 3}); // read, sharing both
    ASSERT_EQ(ReadU32(flood), 0u);
    ASSERT_EQ(fcntl(flood, F_SETFL, O_NONBLOCK), 0);
    std::vector<uint8_t> batch;
    for (int i = 0; i < 100; ++i) {
        uint8_t request[17];
        devproto::EncodeRequestHeader(request, devproto::kIoctlConfig, 1, 1024);
        request[16] = 1;
        batch.insert(batch.end(), request, request + sizeof(request));
    }
    // Up to 200000 requests (about 200 MB of replies), a batch at a time with a pause
    // between (as a client doing other work would), until the emulator stops taking them
    // or drops the client.
    size_t sent = 0, total = 2000 * batch.size();
    while (sent < total) {
        ssize_t n = send(flood, batch.data() + sent % batch.size(),
                         batch.size() - sent % batch.size(), MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            if (sent % batch.size() == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            continue;
        }
        if (n < 0 && errno != EAGAIN)
            break; // dropped
        pollfd pfd{flood, POLLOUT, 0};
        if (poll(&pfd, 1, 500) == 0)
            break; // held back
    }
    EXPECT_LT(sent, total) << "every request was taken";
    long grownKb = ResidentKb(emu.Pid()) - startKb;
    EXPECT_LT(grownKb, 16 * 1024) << "the emulator grew by " << grownKb << " KiB";

    // Meanwhile the device and the control socket serve the others.
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    auto image = std::make_unique<BYTE[]>(16385);
    BYTE selector = kSelectCurrent;
    EXPECT_TRUE(channel.Read(image.get(), &selector, 1024));
    channel.Close();
    EXPECT_EQ(emu.Control("stats").compare(0, 3, "ok "), 0);
    close(flood);
}

// Out of descriptors, the emulator neither spins nor stops answering its control socket,
// and it serves the device again once descriptors come back.
TEST(Emulator, OutOfDescriptorsItRestsAndRecovers) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers' runtime in the emulator opens descriptors of its own (a pipe to test
    // memory before it reports) and reports falsely when there are none.
    GTEST_SKIP() << "the sanitizers need descriptors of their own";
#endif
    EmulatorProcess emu;
    ASSERT_TRUE(emu.Running());
    pid_t pid = emu.Pid();
    rlimit limit{};
    ASSERT_EQ(prlimit(pid, RLIMIT_NOFILE, nullptr, &limit), 0);
    int count = 0, highest = 0;
    Descriptors(pid, &count, &highest);
    // Room for two clients above the highest descriptor, besides any gaps below it.
    limit.rlim_cur = static_cast<rlim_t>(highest + 3);
    ASSERT_EQ(prlimit(pid, RLIMIT_NOFILE, &limit, nullptr), 0);
    int room = highest + 3 - count;
    std::vector<int> hogs;
    for (int i = 0; i < room + 4; ++i) {
        int fd = RawConnect(emu.DeviceDir() + "/DfuDevice0");
        ASSERT_GE(fd, 0);
        hogs.push_back(fd);
    }
    // About 1.5 s with the descriptors used up: a spinning loop would take about a
    // hundred ticks a second; the control socket answers throughout.
    long ticks = CpuTicks(pid);
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int answered = 0;
    while (std::chrono::steady_clock::now() < end) {
        std::string stats = emu.Control("stats");
        EXPECT_EQ(stats.compare(0, 3, "ok "), 0) << stats;
        answered += stats.compare(0, 3, "ok ") == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    long used = CpuTicks(pid) - ticks;
    Descriptors(pid, &count, &highest);
    EXPECT_EQ(count, static_cast<int>(limit.rlim_cur)) << "the emulator has descriptors left";
    EXPECT_LE(used, 20) << "clock ticks used while out of descriptors";
    EXPECT_GE(answered, 5);

    for (int fd : hogs)
        close(fd);
    CDeviceChannel channel;
    EXPECT_TRUE(channel.Open());
    channel.Close();
}

// A control change that cannot be saved does not happen, as a device write does not.
TEST(Emulator, UnsavedControlChangesAreNotKept) {
    EmulatorProcess emu;
    ASSERT_TRUE(emu.Running());
    auto before = emu.Dump("current");
    ASSERT_EQ(before.size(), 889u);
    // A folder that is not empty at the state file's name makes every save's rename fail,
    // even for root.
    const std::string state = emu.StatePath(), aside = state + ".aside";
    ASSERT_EQ(rename(state.c_str(), aside.c_str()), 0);
    ASSERT_EQ(mkdir(state.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((state + "/x").c_str(), 0700), 0);
    auto changed = before;
    changed[0] ^= 0xFF;
    EXPECT_EQ(emu.Control("load current " + HexText::Of(changed.data(), changed.size())),
              "error cannot save state");
    EXPECT_EQ(emu.Control("firmware 9.8.7.6"), "error cannot save state");
    EXPECT_EQ(emu.Dump("current"), before);
    auto image = std::make_unique<BYTE[]>(16385);
    BYTE selector = kSelectCurrent;
    CDeviceChannel channel;
    ASSERT_TRUE(channel.Open());
    ASSERT_TRUE(channel.Read(image.get(), &selector, 1024));
    EXPECT_STREQ(g_szFirmwareVersion, "1.0.2.0");
    EXPECT_EQ(0, std::memcmp(image.get(), before.data(), 889));
    channel.Close();

    ASSERT_EQ(rmdir((state + "/x").c_str()), 0);
    ASSERT_EQ(rmdir(state.c_str()), 0);
    ASSERT_EQ(rename(aside.c_str(), state.c_str()), 0);
    EXPECT_EQ(emu.Control("load current " + HexText::Of(changed.data(), changed.size())), "ok");
    EXPECT_EQ(emu.Dump("current"), changed);
}

// The state file keeps its mode across saves; a read-only one is refused at start with a
// message that says so, and is left as it was.
TEST(Emulator, StateFileModeIsKeptAndReadOnlyIsRefused) {
    EmulatorProcess emu;
    emu.Kill(SIGTERM);
    const std::string state = emu.StatePath();
    ASSERT_EQ(chmod(state.c_str(), 0640), 0);
    ASSERT_TRUE(emu.Start());
    ASSERT_EQ(emu.Control("firmware 2.0.0.1"), "ok");
    struct stat st {};
    ASSERT_EQ(stat(state.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    emu.Kill(SIGTERM);

    ASSERT_EQ(chmod(state.c_str(), 0444), 0);
    std::ifstream in(state);
    std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string command = std::string(EmulatorBinary()) + " --device-dir " + emu.DeviceDir() +
                          " --state " + state + " --foreground 2>&1";
    FILE* output = popen(command.c_str(), "r");
    ASSERT_NE(output, nullptr);
    char text[512] = {};
    size_t n = std::fread(text, 1, sizeof(text) - 1, output);
    int status = pclose(output);
    EXPECT_NE(status, 0);
    EXPECT_NE(std::string(text, n).find("read-only"), std::string::npos) << text;
    ASSERT_EQ(stat(state.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    std::ifstream again(state);
    EXPECT_EQ(
        std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()),
        before);
}

// The token file: 64 lower-case hexadecimal digits and a line feed, for this user alone.
void ExpectTokenFile(const std::string& path) {
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0) << path;
    EXPECT_TRUE(S_ISREG(st.st_mode)) << path;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << path;
    std::string text = TempWorkingFolder::Read(path);
    ASSERT_EQ(text.size(), 65u) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), 64u) << text;
}

// An AUTH frame: the magic, then the token's bytes out of its 64 digits.
std::vector<uint8_t> AuthFrame(const std::string& digits) {
    std::vector<uint8_t> frame = {'A', 'U', 'T', 'H'};
    for (size_t i = 0; i + 1 < digits.size() && i < 64; i += 2)
        frame.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return frame;
}

// Whether the emulator has closed the connection: the read sees its end (or a reset),
// not a time out and no byte.
bool ClosedByPeer(int fd) {
    pollfd pfd{fd, POLLIN, 0};
    char byte;
    return poll(&pfd, 1, 2000) == 1 && recv(fd, &byte, 1, 0) <= 0;
}

// A TCP connection's first frame is AUTH with the token of this start: anything else is
// answered 5 and the connection closed, and counted. The Unix socket asks for no token.
TEST(Emulator, TcpConnectionsProveTheToken) {
    EmulatorProcess emu(true);
    ASSERT_TRUE(emu.Running());
    ExpectTokenFile(emu.TokenPath());
    const std::string token = TempWorkingFolder::Read(emu.TokenPath()).substr(0, 64);
    std::string wrong = token;
    wrong[63] = wrong[63] == '0' ? '1' : '0';
    std::vector<uint8_t> open(devproto::kOpenFrameSize);
    devproto::EncodeOpen(open.data(), 0x80000000u, 3);
    std::vector<uint8_t> shortAuth = AuthFrame(token);
    shortAuth.resize(20);
    struct Row {
        const char* what;
        std::vector<uint8_t> first;
        uint32_t status;
    } rows[] = {
        {"the right token", AuthFrame(token), 0},
        {"a wrong token", AuthFrame(wrong), 5},
        {"OPEN first", open, 5},
        {"an AUTH cut short", shortAuth, 5},
        {"another magic", {'A', 'U', 'T', 'X', 0, 0, 0, 0}, 5},
    };
    ASSERT_EQ(emu.Control("reset-stats"), "ok");
    for (const Row& row : rows) {
        devproto::Socket fd = devproto::ConnectLoopback(static_cast<uint16_t>(emu.TcpPort()));
        ASSERT_NE(fd, devproto::kNoSocket) << row.what;
        ASSERT_TRUE(devproto::WriteAll(fd, row.first.data(), row.first.size())) << row.what;
        if (row.first.size() < devproto::kAuthFrameSize && row.first[3] == 'H')
            shutdown(static_cast<int>(fd), SHUT_WR); // no more is coming
        EXPECT_EQ(ReadU32(static_cast<int>(fd)), row.status) << row.what;
        // The OPEN that follows is served only after a granted AUTH.
        SendU32s(static_cast<int>(fd), {devproto::kMagicOpen, 1, 0x80000000u, 3});
        if (row.status == 0) {
            EXPECT_EQ(ReadU32(static_cast<int>(fd)), 0u) << row.what;
        } else {
            EXPECT_TRUE(ClosedByPeer(static_cast<int>(fd))) << row.what;
        }
        devproto::CloseSocket(fd);
    }
    int fd = RawConnect(emu.DeviceDir() + "/DfuDevice0");
    ASSERT_GE(fd, 0);
    SendU32s(fd, {devproto::kMagicOpen, 1, 0x80000000u, 3});
    EXPECT_EQ(ReadU32(fd), 0u) << "the Unix socket";
    close(fd);
    EXPECT_EQ(emu.Control("stats"), "ok opens=2 reads=0 writes=0 failed=0 denied=4");

    // A new start draws a new token, and replaces a file left with other bits whole.
    emu.Kill(SIGTERM);
    ASSERT_EQ(chmod(emu.TokenPath().c_str(), 0644), 0);
    ASSERT_TRUE(emu.Start());
    ExpectTokenFile(emu.TokenPath());
    EXPECT_NE(TempWorkingFolder::Read(emu.TokenPath()).substr(0, 64), token);
}

// In daemon mode the port of --listen-tcp 0 is on the standard error once the command
// has returned with the pid; --tcp-token-file puts the token where it names.
TEST(Emulator, DaemonReportsItsTcpPort) {
    EmulatorProcess emu;
    emu.Kill(SIGTERM);
    const std::string errors = emu.Folder() + "/errors", token = emu.Folder() + "/token";
    std::string command = std::string(EmulatorBinary()) + " --device-dir " + emu.DeviceDir() +
                          " --state " + emu.StatePath() + " --listen-tcp 0 --tcp-token-file " +
                          token + " 2>" + errors;
    FILE* output = popen(command.c_str(), "r");
    ASSERT_NE(output, nullptr);
    int pid = 0;
    ASSERT_EQ(std::fscanf(output, "%d", &pid), 1);
    ASSERT_EQ(pclose(output), 0);
    std::ifstream in(errors);
    std::string line, port;
    while (std::getline(in, line))
        if (line.compare(0, 27, "ap-emulator: tcp 127.0.0.1:") == 0)
            port = line.substr(27);
    ASSERT_FALSE(port.empty());
    ExpectTokenFile(token);
    struct stat st {};
    EXPECT_NE(lstat(emu.TokenPath().c_str(), &st), 0) << "a token beside the sockets too";
    setenv("AP_DEVICE_ADDR", ("127.0.0.1:" + port).c_str(), 1);
    setenv("AP_DEVICE_TOKEN_FILE", token.c_str(), 1);
    CDeviceChannel channel;
    EXPECT_TRUE(channel.Open());
    channel.Close();
    unsetenv("AP_DEVICE_ADDR");
    unsetenv("AP_DEVICE_TOKEN_FILE");
    EXPECT_EQ(emu.Control("stats"), "ok opens=1 reads=0 writes=0 failed=0 denied=0");
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    for (int i = 0; i < 500 && stat((emu.DeviceDir() + "/DfuDevice0").c_str(), &st) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_NE(stat((emu.DeviceDir() + "/DfuDevice0").c_str(), &st), 0);
}

} // namespace
