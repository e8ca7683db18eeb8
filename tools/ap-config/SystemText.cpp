#include "SystemText.h"

#include <cstdlib>

#ifdef _WIN32
#include "platform/WideText.h"

namespace systemtext {

bool Environment(const char* name, std::string* value) {
    const wchar_t* wide = _wgetenv(widetext::Wide(name).c_str());
    if (!wide)
        return false;
    *value = widetext::Utf8(wide);
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
