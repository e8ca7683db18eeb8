// The profile (INI file) services, with the Windows service's observable behaviour.
// On Windows they are the system's own.
#pragma once

#include "Win32Types.h"

#include <memory>
#include <string>

#ifndef _WIN32
// A NULL keyName lists the section's key names, a NULL appName the file's section names,
// each name ended by a NUL and the list by a second one.
DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                               LPSTR returnedString, DWORD size, LPCSTR fileName);
// A NULL text deletes the key, a NULL keyName the whole section. FALSE, and the file
// untouched, when the file may not be read or written; a write that changes nothing leaves
// the file as it is. Writes through symbolic links (not those another user planted in a
// folder of someone else's), keeps the file's mode and owner and every line it does not
// change; replaces the file atomically where its folder allows.
BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR text, LPCSTR fileName);
#endif

// Several reads and writes of one profile file in a row. Here the file is read once, the
// writes change a copy in memory, and Commit writes the file once (and only when something
// changed); on Windows every call is the system's own service, which caches the file itself.
class CProfileBatch {
public:
    explicit CProfileBatch(LPCSTR fileName);
    ~CProfileBatch();
    CProfileBatch(const CProfileBatch&) = delete;
    CProfileBatch& operator=(const CProfileBatch&) = delete;

    // GetPrivateProfileStringA on the file; sees the batch's own writes.
    DWORD GetString(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText, LPSTR returnedString,
                    DWORD size);
    // WritePrivateProfileStringA on the file; the change reaches the file with Commit.
    BOOL WriteString(LPCSTR appName, LPCSTR keyName, LPCSTR text);
    // Whether every write of the batch was accepted and has reached the file.
    BOOL Commit();

private:
    struct Impl; // ProfilePosix.cpp or ProfileWin32.cpp
    std::unique_ptr<Impl> m_impl;
};
