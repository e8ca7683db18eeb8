#include "DeviceList.h"

#include "DeviceClient.h"
#include "DeviceIo.h"

bool devlist::Loopback() {
    uint16_t port = 0;
    return devclient::LoopbackRequested(&port);
}

std::vector<std::string> devlist::DevicesThatOpen(int last) {
    std::vector<std::string> names;
    for (int i = 0; i <= last; ++i) {
        std::string name = "DfuDevice" + std::to_string(i);
        std::string path = "\\\\.\\" + name;
        HANDLE device =
            deviceio::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        // A device another program holds open is there too.
        if (device != INVALID_HANDLE_VALUE)
            deviceio::CloseHandle(device);
        if (device != INVALID_HANDLE_VALUE || GetLastError() == ERROR_SHARING_VIOLATION)
            names.push_back(name);
    }
    return names;
}
