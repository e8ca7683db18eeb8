#include "PrivateFile.h"

#include "Console.h"
#include "platform/WholeFile.h"

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
