// The profile (INI file) services, with the Windows service's observable behaviour.
// On Windows they are the system's own.
#pragma once

#include "Win32Types.h"

#ifndef _WIN32
DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                               LPSTR returnedString, DWORD size, LPCSTR fileName);
// Replaces the file atomically; FALSE (and the old file untouched) when it cannot.
BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR text, LPCSTR fileName);
#endif
