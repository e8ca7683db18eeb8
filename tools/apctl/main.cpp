// apctl: sends one command to an emulator's control socket and prints the answer.
#include "platform/CommandWords.h"
#include "platform/DeviceProtocol.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const char kUsage[] = "usage: apctl [--device-dir DIR] [--name DfuDevice0] COMMAND [ARGUMENT...]\n"
                      "       apctl --help | --version\n"
                      "commands: fail-reads K, fail-writes K, absent on|off, delay-ms T,\n"
                      "          short-reply on|off, hang on|off, stats, reset-stats,\n"
                      "          dump current|factory, load current HEX, firmware A.B.C.D\n";

} // namespace

int main(int argc, char** argv) {
    std::string dir = devproto::DeviceDir(), name = "DfuDevice0", command;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        bool valued = i + 1 < argc && commandwords::IsName(argv[i + 1]);
        if (std::strcmp(argv[i], "--help") == 0 && argc == 2)
            return commandwords::Answer(kUsage);
        if (std::strcmp(argv[i], "--version") == 0 && argc == 2)
            return commandwords::Answer("apctl " AP_VERSION "\n");
        if (valued && std::strcmp(argv[i], "--device-dir") == 0)
            dir = argv[++i];
        else if (valued && std::strcmp(argv[i], "--name") == 0)
            name = argv[++i];
        else
            return commandwords::Refuse(kUsage);
    }
    for (; i < argc; ++i)
        command += (command.empty() ? "" : " ") + std::string(argv[i]);
    if (command.empty())
        return commandwords::Refuse(kUsage);

    std::string path = dir + "/" + name + ".ctl";
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path))
        return commandwords::Refuse(kUsage);
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        std::fprintf(stderr, "apctl: no emulator at %s\n", path.c_str());
        return 1;
    }
    command += "\n";
    std::string answer;
    char c;
    bool sent = devproto::WriteAll(fd, command.data(), command.size());
    while (sent && read(fd, &c, 1) == 1 && c != '\n')
        answer += c;
    close(fd);
    std::printf("%s\n", answer.c_str());
    return answer.compare(0, 2, "ok") == 0 ? 0 : 1;
}
