#include "app/ConfigApp.h"

int main(int argc, char** argv) {
    theApp.m_strUsage = "usage: ap-utility [--help | --version]\n";
    theApp.m_strHelp =
        "Configures the wireless access point attached by USB, in dialogs: log in with its\n"
        "password, then change its settings page by page. It takes no other arguments.\n"
        "Environment: AP_DEVICE_DIR, the folder of the device sockets (Linux);\n"
        "AP_DEVICE_ADDR=127.0.0.1:PORT, an emulator's loopback port, with its token from\n"
        "AP_DEVICE_TOKEN or the file AP_DEVICE_TOKEN_FILE names.\n";
    theApp.m_strVersion = "ap-utility " AP_VERSION "\n";
    return AfxWinMain(&theApp, argc, argv);
}
