#include "WholeFile.h"

#include "WideText.h"

#include <algorithm>
#include <windows.h>

namespace wholefile {
namespace {

// Paths are UTF-8 here, as the programs hold them; the system takes UTF-16.
using widetext::Wide;

template <typename Outcome> Outcome Fail(Outcome r, std::string* error) {
    if (!error)
        return r;
    char text[256] = "";
    DWORD code = GetLastError();
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof(text), nullptr);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.'))
        text[--n] = '\0';
    *error = n > 0 ? text : "system error " + std::to_string(code);
    return r;
}

} // namespace

Replaced Replace(const std::string& path, const std::string& content, const Attributes&,
                 std::string* error) {
    std::wstring target = Wide(path), tmp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; file == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        tmp = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(attempt);
        file = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return Fail(Replaced::kNoReplacement, error);
    }
    if (file == INVALID_HANDLE_VALUE)
        return Fail(Replaced::kNoReplacement, error);
    auto drop = [&](Replaced r) {
        Fail(r, error);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        DeleteFileW(tmp.c_str());
        return r;
    };
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
        DWORD wrote = 0;
        if (!WriteFile(file, content.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            return drop(Replaced::kFailed);
        done += wrote;
    }
    if (!FlushFileBuffers(file))
        return drop(Replaced::kFailed);
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    if (!MoveFileExW(tmp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return drop(Replaced::kNoReplacement);
    return Replaced::kDone;
}

Kind KindOf(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Kind::kMissing;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::kFolder : Kind::kRegular;
}

std::string ReadableByOthersWarning(const std::string&) {
    return {};
}

bool MakeFolders(const std::string& path) {
    if (path.empty() || KindOf(path) == Kind::kFolder)
        return !path.empty();
    size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':' &&
        !MakeFolders(path.substr(0, slash)))
        return false;
    return CreateDirectoryW(Wide(path).c_str(), nullptr) || KindOf(path) == Kind::kFolder;
}

bool OwnedAlone(const std::string&) {
    return true;
}

bool MayReplace(const std::string& path, std::string* reason) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        *reason = "is a symbolic link; nothing was written";
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        *reason = "is not a regular file; nothing was written";
    else
        return true;
    return false;
}

namespace {

// The rest of an open file, at most limit bytes; got is where a caller's refusal comes in.
Got ReadOpen(HANDLE file, Got got, size_t limit, std::string* content, std::string* error) {
    content->clear();
    char buffer[65536];
    while (got == Got::kDone) {
        DWORD room = static_cast<DWORD>(std::min(sizeof(buffer), limit + 1 - content->size()));
        DWORD n = 0;
        if (!ReadFile(file, buffer, room, &n, nullptr)) {
            // A pipe's writer that has gone is the pipe's end.
            if (GetLastError() != ERROR_BROKEN_PIPE)
                got = Fail(Got::kFailed, error);
            break;
        }
        if (n == 0)
            break;
        content->append(buffer, n);
        if (content->size() > limit)
            got = Got::kTooLarge;
    }
    if (got != Got::kDone)
        content->clear();
    return got;
}

} // namespace

Got Read(const std::string& path, size_t limit, bool regularOnly, std::string* content,
         std::string* error) {
    content->clear();
    if (regularOnly && KindOf(path) == Kind::kFolder)
        return Got::kNotRegular;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        return Fail(missing ? Got::kMissing : Got::kFailed, error);
    }
    bool refused = regularOnly && GetFileType(file) != FILE_TYPE_DISK;
    Got got = ReadOpen(file, refused ? Got::kNotRegular : Got::kDone, limit, content, error);
    CloseHandle(file);
    return got;
}

Got ReadStandardInput(size_t limit, std::string* content, std::string* error) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE) { // no standard input: nothing in it
        content->clear();
        return Got::kDone;
    }
    return ReadOpen(in, Got::kDone, limit, content, error);
}

} // namespace wholefile
