#include "InstanceLock.h"

#include "DeviceProtocol.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lock file at path opened, when it is a regular file of this user's own: without
// XDG_RUNTIME_DIR the locks lie in /tmp, where anyone may leave a file (or a link) at their
// names and hold it, and only a file of this user's own tells of a running copy. -1 otherwise.
int OpenOwn(const std::string& path, int flags) {
    int fd = open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(fd);
        return -1;
    }
    return fd;
}

// Whether fd's lock is taken by another open file; false when this one got it.
bool Busy(int fd) {
    return flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

} // namespace

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

bool InstanceLock::Acquire(const std::string& path) {
    Release();
    int fd = OpenOwn(path, O_RDWR | O_CREAT);
    if (fd < 0)
        return true;
    if (Busy(fd)) {
        close(fd);
        return false;
    }
    m_fd = fd; // held, or not lockable for another reason, which does not stop the start
    return true;
}

bool InstanceLock::Held(const std::string& path) {
    // Never created here: a lock nobody made is free. The instant it is taken keeps anyone
    // else's Acquire out for as long as one system call.
    int fd = OpenOwn(path, O_RDONLY);
    if (fd < 0)
        return false;
    bool held = Busy(fd);
    close(fd);
    return held;
}

std::string InstanceLock::DefaultPath() {
    return devproto::DeviceDir() + ".utility.lock";
}

std::string InstanceLock::WriterPath() {
    return devproto::DeviceDir() + ".ap-config.lock";
}

void WriterLocks::Pause(int ms) {
    poll(nullptr, 0, ms);
}
