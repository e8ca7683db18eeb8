#include "PrivateFile.h"

#include "Console.h"
#include "SystemText.h"
#include "platform/WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool PrivateFile::Write(const std::string& path, const std::string& content, std::string* error) {
    if (path == "-") {
        Console::Out(content);
        return true;
    }
    if (!wholefile::MayReplace(path, error))
        return false;
    if (wholefile::Replace(path, content, {0600, true}, error) != wholefile::Replaced::kDone) {
        *error += "; nothing was written";
        return false;
    }
    return true;
}

bool PrivateFile::Read(const std::string& path, std::string* content, std::string* error) {
#ifdef _WIN32
    FILE* f = _wfopen(systemtext::Wide(path).c_str(), L"rb");
#else
    FILE* f = std::fopen(path.c_str(), "rb");
#endif
    if (!f) {
        *error = std::strerror(errno);
        return false;
    }
    content->clear();
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        content->append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok)
        *error = "read failed";
    return ok;
}
