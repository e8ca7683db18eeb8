// ap-config list: the attached access points by device name, with their MAC addresses when
// the password is given.
#include "ApConfig.h"

#include "Codepage1252.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "platform/DeviceProtocol.h"
#include "platform/SystemText.h"

#include <algorithm>
#include <cstdlib>
#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

// A device that opens, or that another program holds open, is there.
bool Opens(const std::string& name) {
    SetDeviceName(name);
    CDeviceChannel channel;
    bool there = channel.Open() || GetLastError() == ERROR_SHARING_VIOLATION;
    channel.Close();
    return there;
}

} // namespace

std::vector<std::string> DeviceSocketNames() {
    std::vector<std::string> names;
#ifndef _WIN32
    const char* address = std::getenv("AP_DEVICE_ADDR");
    if (address && *address)
        return names;
    std::string dir = devproto::DeviceDir();
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            struct stat st {};
            bool numbered = name.size() > 9 && name.rfind("DfuDevice", 0) == 0 &&
                            name.find_first_not_of("0123456789", 9) == std::string::npos;
            if (numbered && lstat((dir + "/" + name).c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
                names.push_back(name);
        }
        closedir(d);
    }
    // DfuDevice2 before DfuDevice10.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
#endif
    return names;
}

std::vector<std::string> AttachedDevices() {
    const char* address = std::getenv("AP_DEVICE_ADDR");
#ifndef _WIN32
    // The device sockets in the device folder, unless the loopback transport is asked for.
    if (!address || !*address)
        return DeviceSocketNames();
#endif
    std::vector<std::string> names;
    // The loopback transport reaches its one unit whatever the name: listed once.
    int last = address && *address ? 0 : 9;
    for (int i = 0; i <= last; ++i)
        if (Opens("DfuDevice" + std::to_string(i)))
            names.push_back("DfuDevice" + std::to_string(i));
    return names;
}

int ApConfig::List() {
    std::vector<std::string> names = AttachedDevices();
    // The addresses need the login: only when a password is given, never asked for.
    std::string ignored;
    bool given = !m_passwordFile.empty() || systemtext::Environment("AP_PASSWORD", &ignored);
    std::vector<std::string> lines;
    if (given && !PasswordLines(&lines, false))
        return kExitRefused;
    std::string typed, refused;
    bool convertible = given && Codepage1252::FromUtf8(lines[0], &typed, &refused);
    for (const std::string& name : names) {
        nlohmann::ordered_json unit = {{"device", name}};
        if (!given) {
            m_units.push_back(unit);
            PrintLine(name);
            continue;
        }
        SetDeviceName(name);
        ConfigImage image;
        std::string state;
        switch (ReadConfigurationBlock(image.Bytes(), kSelectCurrent)) {
        case TransferOutcome::kOk:
            state = convertible && LoginAccepts(image, typed)
                        ? ConfigFields::Text(image, "macAddress", "")
                        : "(the password is not this access point's)";
            break;
        case TransferOutcome::kOpenFailed:
            state = GetLastError() == ERROR_SHARING_VIOLATION ? "(in use by another program)"
                                                              : "(does not open)";
            break;
        case TransferOutcome::kRequestFailed:
            state = "(does not answer)";
            break;
        }
        PrintLine(name + std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') + state);
        bool known = state[0] != '(';
        unit["macAddress"] = known ? nlohmann::ordered_json(state) : nullptr;
        if (!known)
            unit["state"] = state.substr(1, state.size() - 2);
        m_units.push_back(unit);
    }
    m_report = {{"units", m_units}};
    return kExitDone;
}
