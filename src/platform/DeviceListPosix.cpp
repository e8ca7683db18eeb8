// The units of the device folder: its sockets, found without opening them.
#include "DeviceList.h"

#include "DeviceProtocol.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

std::vector<std::string> devlist::DeviceSocketNames() {
    std::vector<std::string> names;
    if (Loopback())
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
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

std::vector<std::string> devlist::AttachedDevices() {
    // The loopback transport reaches its one unit whatever the name: listed once.
    return Loopback() ? DevicesThatOpen(0) : DeviceSocketNames();
}
