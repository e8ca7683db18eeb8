#pragma once

#include "DeviceModel.h"
#include "platform/DeviceProtocol.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Serves the device socket, its control socket and, if asked, the loopback TCP transport
// from one poll loop, so one stuck client never blocks another. The model's state is saved
// atomically after every change.
class Server {
public:
    // tcpPort: -1 for no TCP listener, 0 for a free port of the system's choice. With a
    // listener, the token its connections must send first is written to tokenPath (empty:
    // NAME.token in the device folder).
    Server(std::string deviceDir, std::string name, std::string statePath, int tcpPort = -1,
           std::string tokenPath = {});
    ~Server();

    // Loads or creates the state file and binds the sockets; false with a message on error.
    bool Start(std::string* error);
    // Runs until Stop() (or a signal handler's flag) ends it.
    void Run(const volatile int* stopFlag);
    const std::string& DevicePath() const { return m_devicePath; }
    // The TCP port bound by Start(), or -1.
    int TcpPort() const { return m_tcpPort; }
    // The file that holds the TCP connections' token (written by Start() with a listener).
    const std::string& TokenPath() const { return m_tokenPath; }

    // What may wait unsent for one client before its further requests are left unread.
    static constexpr size_t kMaxUnsent = 64 * 1024;
    // What is read ahead of processing from one client.
    static constexpr size_t kMaxUnread = 128 * 1024;
    // How long a listener rests after an accept failed for want of descriptors.
    static constexpr int kAcceptBackoffMs = 250;

private:
    struct Connection;
    struct Listener {
        int fd = -1;
        bool control = false;
        int64_t restUntilMs = 0; // not polled before then
    };
    bool SaveState();
    bool LoadState(std::string* error);
    bool WriteToken(std::string* error);
    // A TCP connection's first frame, AUTH with the token: false while it waits for more.
    bool Authenticate(Connection& c);
    void Accept(Listener& listener);
    void ReadInput(Connection& c);
    void Process(Connection& c);
    void ProcessDevice(Connection& c);
    void ProcessControl(Connection& c);
    bool OpenConflicts(const Connection& c);
    void Send(Connection& c, const std::vector<uint8_t>& bytes);
    void SendStatus(Connection& c, uint32_t status);
    void AnswerRequest(Connection& c, const RequestFrame& frame);
    void Flush(Connection& c);
    void DropOpenHandles();

    std::string m_dir, m_name, m_statePath, m_devicePath, m_controlPath, m_tokenPath;
    uint8_t m_token[devproto::kTokenSize] = {};
    int m_tcpPort = -1;
    std::vector<Listener> m_listeners; // device socket, control socket, TCP (if any)
    // A descriptor held in reserve, given up to accept a control connection when the
    // process has run out of descriptors, so the control socket keeps answering.
    int m_spareFd = -1;
    bool m_spareLent = false;
    // The state file's permission bits, kept across replacements (0600 for a new file).
    unsigned m_stateMode = 0600;
    DeviceModel m_model;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

// Creates the device folder (mode 0700) or checks that an existing one is safe to use.
bool PrepareDeviceDir(const std::string& dir, std::string* error);
