#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// A real ap-emulator process in a fresh temporary folder, for the length of a test.
// Points AP_DEVICE_DIR of this process at it.
class EmulatorProcess {
public:
    // withTcp: also serve the loopback TCP transport on a free port (TcpPort()).
    explicit EmulatorProcess(bool withTcp = false);
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    bool Running() const { return m_pid > 0; }
    // Sends one control command and returns the answer line.
    std::string Control(const std::string& command) const;
    // The 889 bytes of "dump current" or "dump factory".
    std::vector<uint8_t> Dump(const std::string& which) const;
    void Load(const std::vector<uint8_t>& config) const;
    void Kill(int signal);
    bool Start();

    const std::string& Folder() const { return m_root; }
    const std::string& DeviceDir() const { return m_deviceDir; }
    const std::string& StatePath() const { return m_statePath; }
    pid_t Pid() const { return m_pid; }
    // The port of the loopback transport ("127.0.0.1:PORT"), or -1. A restart keeps it.
    int TcpPort() const { return m_tcpPort; }
    std::string TcpAddress() const { return "127.0.0.1:" + std::to_string(m_tcpPort); }
    // The file the emulator writes the loopback transport's token to (a new one each start).
    std::string TokenPath() const { return m_deviceDir + "/DfuDevice0.token"; }

private:
    std::string m_root, m_deviceDir, m_statePath;
    pid_t m_pid = -1;
    bool m_withTcp = false;
    int m_tcpPort = -1;
};

// The ap-emulator program under test.
const char* EmulatorBinary();

// "key=value" counters out of a "stats" answer.
long StatValue(const std::string& stats, const std::string& key);
