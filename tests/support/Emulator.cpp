#include "Emulator.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int ConnectTo(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        close(fd);
        return -1;
    }
    // A control answer that never comes fails the command instead of hanging the test.
    timeval limit{5, 0};
    if (fd >= 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    return fd;
}

// The port out of the emulator's "ap-emulator: tcp 127.0.0.1:N" line on its error output.
int ReadTcpPort(int fd) {
    std::string text;
    char c;
    const std::string marker = "ap-emulator: tcp 127.0.0.1:";
    while (read(fd, &c, 1) == 1) {
        if (c != '\n') {
            text += c;
            continue;
        }
        if (text.compare(0, marker.size(), marker) == 0)
            return std::atoi(text.c_str() + marker.size());
        text.clear();
    }
    return -1;
}

} // namespace

EmulatorProcess::EmulatorProcess(bool withTcp) : m_withTcp(withTcp) {
    char pattern[] = "/tmp/ap-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    m_deviceDir = m_root + "/devices";
    m_statePath = m_root + "/state";
    setenv("AP_DEVICE_DIR", m_deviceDir.c_str(), 1);
    Start();
}

bool EmulatorProcess::Start() {
    int errors[2] = {-1, -1};
    if (m_withTcp && pipe2(errors, O_CLOEXEC) != 0)
        return false;
    std::string port = std::to_string(m_tcpPort < 0 ? 0 : m_tcpPort);
    m_pid = fork();
    if (m_pid == 0) {
        if (m_withTcp) {
            dup2(errors[1], STDERR_FILENO);
            execl(EmulatorBinary(), "ap-emulator", "--device-dir", m_deviceDir.c_str(), "--state",
                  m_statePath.c_str(), "--listen-tcp", port.c_str(), "--foreground",
                  static_cast<char*>(nullptr));
        } else {
            execl(EmulatorBinary(), "ap-emulator", "--device-dir", m_deviceDir.c_str(), "--state",
                  m_statePath.c_str(), "--foreground", static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    if (m_withTcp) {
        close(errors[1]);
        int bound = ReadTcpPort(errors[0]); // ends with the line, or when the child fails
        close(errors[0]);
        if (bound <= 0) {
            Kill(SIGKILL);
            return false;
        }
        m_tcpPort = bound;
    }
    for (int i = 0; i < 500; ++i) {
        int fd = ConnectTo(m_deviceDir + "/DfuDevice0.ctl");
        if (fd >= 0) {
            close(fd);
            return true;
        }
        int status;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void EmulatorProcess::Kill(int signal) {
    if (m_pid <= 0)
        return;
    kill(m_pid, signal);
    int status;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

EmulatorProcess::~EmulatorProcess() {
    Kill(SIGTERM);
    std::string cmd = "rm -rf '" + m_root + "'";
    if (std::system(cmd.c_str()) != 0) {
        // nothing to do: a left-over temporary folder harms no later test
    }
}

std::string EmulatorProcess::Control(const std::string& command) const {
    int fd = ConnectTo(m_deviceDir + "/DfuDevice0.ctl");
    if (fd < 0)
        return "error no control socket";
    std::string line = command + "\n";
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        close(fd);
        return "error write";
    }
    std::string answer;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        answer += c;
    close(fd);
    return answer;
}

std::vector<uint8_t> EmulatorProcess::Dump(const std::string& which) const {
    std::string answer = Control("dump " + which);
    std::vector<uint8_t> bytes;
    if (answer.compare(0, 3, "ok ") != 0)
        return bytes;
    for (size_t i = 3; i + 1 < answer.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(answer.substr(i, 2), nullptr, 16)));
    return bytes;
}

void EmulatorProcess::Load(const std::vector<uint8_t>& config) const {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : config) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    Control("load current " + hex);
}

// The build's emulator, or the one AP_TEST_EMULATOR names (the installed package's).
const char* EmulatorBinary() {
    const char* other = std::getenv("AP_TEST_EMULATOR");
    return other && *other ? other : AP_EMULATOR_PATH;
}

long StatValue(const std::string& stats, const std::string& key) {
    size_t at = stats.find(" " + key + "=");
    if (at == std::string::npos)
        return -1;
    return std::atol(stats.c_str() + at + key.size() + 2);
}
