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
    // made (no such folder) does not stop the start. On Windows path names a mutex.
    bool Acquire(const std::string& path);
    // The lock beside the device folder of this user ($AP_DEVICE_DIR and its defaults); on
    // Windows a named mutex in the session's namespace.
    static std::string DefaultPath();

private:
#ifdef _WIN32
    void* m_hMutex = nullptr;
#else
    int m_fd = -1;
#endif
};
