// CProfileBatch on Windows: every call is the system's own profile service, which caches the
// file itself; Commit reports whether every write was accepted.
#include "Profile.h"

#include <string>

struct CProfileBatch::Impl {
    std::string fileName;
    bool ok = true;
};

CProfileBatch::CProfileBatch(LPCSTR fileName) : m_impl(new Impl{fileName}) {}

CProfileBatch::~CProfileBatch() = default;

DWORD CProfileBatch::GetString(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                               LPSTR returnedString, DWORD size) {
    return GetPrivateProfileStringA(appName, keyName, defaultText, returnedString, size,
                                    m_impl->fileName.c_str());
}

BOOL CProfileBatch::WriteString(LPCSTR appName, LPCSTR keyName, LPCSTR text) {
    BOOL ok = WritePrivateProfileStringA(appName, keyName, text, m_impl->fileName.c_str());
    m_impl->ok = m_impl->ok && ok;
    return ok;
}

BOOL CProfileBatch::Commit() {
    return m_impl->ok ? TRUE : FALSE;
}
