#pragma once

#include <string>
#include <vector>

// The units attached, by the device names the device calls open ("DfuDevice0"), beside the
// device client that owns the loopback transport's address (AP_DEVICE_ADDR).
namespace devlist {

// The device names found without opening any device: the device sockets in the device
// folder (POSIX), DfuDevice2 before DfuDevice10. None where only opening a device tells
// (Windows, the loopback transport), so that a shell completion never reaches a unit.
std::vector<std::string> DeviceSocketNames();
// The attached units: on POSIX the device sockets; on Windows DfuDevice0 to DfuDevice9 that
// open (or that another program holds open); with the loopback transport its one unit, as
// DfuDevice0.
std::vector<std::string> AttachedDevices();

// The parts both systems share: whether the loopback transport is asked for, and the names
// DfuDevice0 to DfuDevice<last> that open.
bool Loopback();
std::vector<std::string> DevicesThatOpen(int last);

} // namespace devlist
