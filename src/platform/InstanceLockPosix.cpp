#include "InstanceLock.h"

#include "DeviceProtocol.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        close(m_fd);
}

bool InstanceLock::Acquire(const std::string& path) {
    // Without XDG_RUNTIME_DIR the lock lies in /tmp, where anyone may leave a file (or a
    // link) at its name and hold it: only a file of this user's own tells of a running copy.
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(fd);
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool busy = errno == EWOULDBLOCK;
        close(fd);
        return !busy;
    }
    m_fd = fd;
    return true;
}

std::string InstanceLock::DefaultPath() {
    return devproto::DeviceDir() + ".utility.lock";
}
