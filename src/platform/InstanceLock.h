#pragma once

#include <string>

// A per-user lock held while a copy of the utility runs, so a second copy can tell.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process holds the lock at path. A lock file that cannot be
    // made (no such folder) does not stop the start.
    bool Acquire(const std::string& path);
    // The lock beside the device folder of this user ($AP_DEVICE_DIR and its defaults).
    static std::string DefaultPath();

private:
    int m_fd = -1;
};
