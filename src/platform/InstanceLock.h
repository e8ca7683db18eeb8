#pragma once

#include <string>

// Who keeps a lock from being taken.
enum class LockHolder {
    kNone,     // nobody: it was taken
    kUtility,  // a copy of the utility runs
    kApConfig, // an ap-config is writing (it holds its writer lock)
};

// A per-user lock held while a copy of the utility runs, so a second copy can tell. ap-config
// takes it too while it writes, after a writer lock of its own (WriterLocks below), so
// whoever finds it held can name the holder.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process (or another InstanceLock object) holds the lock at path. A
    // lock file that cannot be made (no such folder) does not stop the start. On Windows
    // path names a mutex. A lock this object held before is let go first.
    bool Acquire(const std::string& path);
    void Release();
    // The lock beside the device folder of this user ($AP_DEVICE_DIR and its defaults); on
    // Windows a named mutex in the session's namespace.
    static std::string DefaultPath();
    // ap-config's writer lock, beside the instance lock: <DeviceDir>.ap-config.lock; on
    // Windows the mutex Local\ap-utility.ap-config.
    static std::string WriterPath();
    // Whether a lock at path is held now, by anyone (this process too). It is asked by
    // taking it for an instant (POSIX) or opening the mutex (Windows), never kept. Lock
    // files of other users never count, as in Acquire.
    static bool Held(const std::string& path);
    // Who holds the instance lock: an ap-config while the writer lock is held too, else the
    // utility; kNone when it is free.
    static LockHolder InstanceHolder();

private:
#ifdef _WIN32
    void* m_hMutex = nullptr;
#else
    int m_fd = -1;
#endif
};

// What ap-config holds while it writes: its writer lock, then the instance lock, until the
// object ends.
class WriterLocks {
public:
    enum class IfUtilityRuns {
        kRefuse, // a running utility keeps the write from going on
        kGoOn,   // the write goes on beside it (only the writer lock is then held)
    };
    // How long Take waits between two tries.
    static constexpr int kRetryMs = 100;

    // Takes the writer lock, then the instance lock. kNone when the write may go on; else
    // who kept it from going on (and nothing is held): kApConfig when another ap-config
    // holds the writer lock, kUtility when the utility holds the instance lock. With
    // waitSeconds > 0 it tries again every kRetryMs until that many seconds have passed,
    // holding nothing in between, so the last holder's answer is the one returned.
    LockHolder Take(int waitSeconds, IfUtilityRuns ifUtility = IfUtilityRuns::kRefuse);
    void Release();

private:
    LockHolder TryOnce(IfUtilityRuns ifUtility);
    // Waits ms milliseconds (per system).
    static void Pause(int ms);

    InstanceLock m_writer, m_instance;
};
