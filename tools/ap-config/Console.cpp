#include "Console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
#endif

namespace {

std::string g_failure; // the reason of the first failed write to standard output

#ifdef _WIN32
// Writes to the console behind stream when there is one; false when it is a file or a pipe.
bool ToConsole(FILE* stream, DWORD handle, const std::string& utf8) {
    HANDLE h = GetStdHandle(handle);
    DWORD mode;
    if (h == INVALID_HANDLE_VALUE || !GetConsoleMode(h, &mode))
        return false;
    std::fflush(stream);
    std::wstring wide = widetext::Wide(utf8);
    DWORD done = 0;
    if (!wide.empty() &&
        !WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr) &&
        stream == stdout && g_failure.empty())
        g_failure = "the console refused the text (error " + std::to_string(GetLastError()) + ")";
    return true;
}
#endif

} // namespace

void Console::Out(const std::string& utf8) {
#ifdef _WIN32
    if (ToConsole(stdout, STD_OUTPUT_HANDLE, utf8))
        return;
#endif
    if (std::fwrite(utf8.data(), 1, utf8.size(), stdout) != utf8.size() && g_failure.empty())
        g_failure = std::strerror(errno);
}

void Console::Err(const std::string& utf8) {
#ifdef _WIN32
    if (ToConsole(stderr, STD_ERROR_HANDLE, utf8))
        return;
#endif
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

bool Console::Finish(std::string* reason) {
    errno = 0;
    if (std::fflush(stdout) != 0 && g_failure.empty())
        g_failure = std::strerror(errno);
    if (std::ferror(stdout) && g_failure.empty())
        g_failure = errno ? std::strerror(errno) : "a write failed";
    *reason = g_failure;
    return g_failure.empty();
}

bool Console::ReadFileOrInput(const std::string& name, size_t limit, const char* what,
                              std::string* text, std::string* error) {
    wholefile::Got got = name == "-" ? wholefile::ReadStandardInput(limit, text, error)
                                     : wholefile::Read(name, limit, false, text, error);
    if (got == wholefile::Got::kTooLarge) {
        bool mebibytes = limit >= (1u << 20);
        *error = std::string("larger than ") + what + " can be (" +
                 std::to_string(mebibytes ? limit >> 20 : limit >> 10) +
                 (mebibytes ? " MiB)" : " KiB)");
    }
    return got == wholefile::Got::kDone;
}

std::string Console::InputName(const std::string& name) {
    return name == "-" ? "standard input" : name;
}
