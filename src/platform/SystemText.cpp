#include "SystemText.h"

#include <cstdlib>

#ifdef _WIN32
#include "WideText.h"
#include "Win32Types.h"

namespace systemtext {

bool Environment(const char* name, std::string* value) {
    // The process's own environment, as SetEnvironmentVariable leaves it (the C library keeps
    // a copy of its own).
    const std::wstring wideName = widetext::Wide(name);
    SetLastError(ERROR_SUCCESS);
    DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return false;
    std::wstring wide(size + 1, L'\0');
    DWORD n = GetEnvironmentVariableW(wideName.c_str(), &wide[0], size + 1);
    if (n > size) // it grew meanwhile
        return false;
    wide.resize(n);
    *value = widetext::Utf8(wide.c_str());
    return true;
}

} // namespace systemtext

#else

namespace systemtext {

bool Environment(const char* name, std::string* value) {
    const char* text = std::getenv(name);
    if (!text)
        return false;
    *value = text;
    return true;
}

} // namespace systemtext
#endif
