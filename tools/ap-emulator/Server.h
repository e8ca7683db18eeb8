#pragma once

#include "DeviceModel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Serves the device socket and its control socket from one poll loop, so one stuck client
// never blocks another. The model's state is saved atomically after every change.
class Server {
public:
    Server(std::string deviceDir, std::string name, std::string statePath);
    ~Server();

    // Loads or creates the state file and binds both sockets; false with a message on error.
    bool Start(std::string* error);
    // Runs until Stop() (or a signal handler's flag) ends it.
    void Run(const volatile int* stopFlag);
    const std::string& DevicePath() const { return m_devicePath; }

private:
    struct Connection;
    bool SaveState();
    void Accept(int listenFd, bool control);
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

    std::string m_dir, m_name, m_statePath, m_devicePath, m_controlPath;
    int m_deviceListen = -1, m_controlListen = -1;
    DeviceModel m_model;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

// Creates the device folder (mode 0700) or checks that an existing one is safe to use.
bool PrepareDeviceDir(const std::string& dir, std::string* error);
