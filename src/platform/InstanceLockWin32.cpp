#include "InstanceLock.h"

#include "Win32Types.h"

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    if (m_hMutex)
        CloseHandle(m_hMutex);
    m_hMutex = nullptr;
}

bool InstanceLock::Acquire(const std::string& path) {
    Release();
    // The mutex is never owned: while a handle to it is open it exists, and that is the lock.
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

bool InstanceLock::Held(const std::string& path) {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, path.c_str());
    if (!mutex)
        return false;
    CloseHandle(mutex);
    return true;
}

std::string InstanceLock::DefaultPath() {
    // Local\: this session only, so another user's copy on the same machine is no bar.
    return "Local\\ap-utility.instance";
}

std::string InstanceLock::WriterPath() {
    return "Local\\ap-utility.ap-config";
}

void WriterLocks::Pause(int ms) {
    Sleep(static_cast<DWORD>(ms));
}
