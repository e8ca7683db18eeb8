// ap-emulator: the emulated access point behind the device socket.
#include "Server.h"
#include "platform/CommandWords.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

volatile int g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

const char kUsage[] =
    "usage: ap-emulator --device-dir DIR --state FILE [--name DfuDevice0]\n"
    "                   [--listen-tcp PORT [--tcp-token-file PATH]] [--foreground]\n"
    "       ap-emulator --help | --version\n";

const char kHelp[] =
    "Serves an emulated access point on DIR/NAME (a Unix socket), with the control\n"
    "socket DIR/NAME.ctl; with --listen-tcp also on 127.0.0.1:PORT (0: a free port),\n"
    "whose clients first send the token written to DIR/NAME.token (or PATH).\n";

} // namespace

int main(int argc, char** argv) {
    std::string dir, state, name = "DfuDevice0", tokenFile;
    bool foreground = false;
    int tcpPort = -1;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool valued = i + 1 < argc && commandwords::IsName(argv[i + 1]);
        if (arg == "--help")
            return commandwords::Answer((std::string(kUsage) + kHelp).c_str());
        else if (arg == "--version")
            return commandwords::Answer("ap-emulator " AP_VERSION "\n");
        else if (arg == "--foreground")
            foreground = true;
        else if (valued && arg == "--device-dir")
            dir = argv[++i];
        else if (valued && arg == "--state")
            state = argv[++i];
        else if (valued && arg == "--name")
            name = argv[++i];
        else if (valued && arg == "--tcp-token-file")
            tokenFile = argv[++i];
        else if (i + 1 < argc && arg == "--listen-tcp") {
            std::string port = argv[++i];
            if (port.empty() || port.size() > 5 ||
                port.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(port) > 65535)
                return commandwords::Refuse(kUsage);
            tcpPort = std::stoi(port);
        } else
            return commandwords::Refuse(kUsage);
    }
    if (dir.empty() || state.empty() || name.empty() || name.find('/') != std::string::npos ||
        (!tokenFile.empty() && tcpPort < 0))
        return commandwords::Refuse(kUsage);

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Server server(dir, name, state, tcpPort, tokenFile);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "ap-emulator: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "ap-emulator: serving %s\n", server.DevicePath().c_str());
    // Written before the daemon's parent returns, so a script that starts it with port 0
    // finds the port in what it captured of the standard error.
    if (server.TcpPort() >= 0)
        std::fprintf(stderr, "ap-emulator: tcp 127.0.0.1:%d\n", server.TcpPort());
    if (!foreground) {
        // The sockets are ready: the parent reports the child's pid and returns, so a
        // script can rely on the device being there once this command has ended. The
        // child lets go of the terminal and of the parent's output, so that a
        // "pid=$(ap-emulator ...)" returns at once.
        std::fflush(stdout);
        std::fflush(stderr);
        pid_t pid = fork();
        if (pid < 0) {
            std::perror("ap-emulator: fork");
            return 1;
        }
        if (pid > 0) {
            std::printf("%d\n", static_cast<int>(pid));
            std::fflush(stdout);
            _exit(0);
        }
        setsid();
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            if (null > STDERR_FILENO)
                close(null);
        }
    }
    server.Run(&g_stop);
    return 0;
}
