#include "PasswordFile.h"

#include "Codepage1252.h"
#include "Console.h"
#include "platform/WholeFile.h"

std::vector<std::string> PasswordFile::Lines(const std::string& text, size_t count) {
    static const char kBom[] = "\xEF\xBB\xBF";
    bool bom = text.compare(0, 3, kBom) == 0;
    std::string utf8 = bom ? text.substr(3) : text;
#ifdef _WIN32
    std::string bytes, refused;
    if (!bom && !Codepage1252::FromUtf8(utf8, &bytes, &refused) && refused == "invalid UTF-8")
        utf8 = Codepage1252::ToUtf8(utf8);
#endif
    std::vector<std::string> lines;
    size_t start = 0;
    while (lines.size() < count && start < utf8.size()) {
        size_t end = utf8.find('\n', start);
        std::string line = utf8.substr(start, end == std::string::npos ? end : end - start);
        if (end != std::string::npos && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end == std::string::npos ? utf8.size() : end + 1;
    }
    // An empty file is one empty line (an empty password).
    if (lines.empty() && count > 0)
        lines.emplace_back();
    return lines;
}

bool PasswordFile::Read(const std::string& path, size_t count, std::vector<std::string>* lines,
                        std::string* error, std::string* warning) {
    std::string text;
    if (!Console::ReadFileOrInput(path, kLargestFile, "a password file", &text, error))
        return false;
    *warning = path == "-" ? "" : wholefile::ReadableByOthersWarning(path);
    *lines = Lines(text, count);
    return true;
}
