// The units of the driver: only opening a device tells.
#include "DeviceList.h"

std::vector<std::string> devlist::DeviceSocketNames() {
    return {};
}

std::vector<std::string> devlist::AttachedDevices() {
    // The loopback transport reaches its one unit whatever the name: listed once.
    return DevicesThatOpen(Loopback() ? 0 : 9);
}
