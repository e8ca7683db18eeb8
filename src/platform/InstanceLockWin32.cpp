#include "InstanceLock.h"

#include "Win32Types.h"

InstanceLock::~InstanceLock() {
    if (m_hMutex)
        CloseHandle(m_hMutex);
}

bool InstanceLock::Acquire(const std::string& path) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, path.c_str());
    if (!mutex)
        return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    m_hMutex = mutex;
    return true;
}

std::string InstanceLock::DefaultPath() {
    // Local\: this session only, so another user's copy on the same machine is no bar.
    return "Local\\ap-utility.instance";
}
