#include "InstanceLock.h"

#include "DeviceProtocol.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        close(m_fd);
}

bool InstanceLock::Acquire(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
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
