// Any file as a profile, any names: reading never fails or overruns, and a value written
// reads back as written (once blanks around it and a wrapping pair of quotes are set aside).
#include "platform/Profile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void MoveToScratchFolder() {
    static bool done = false;
    if (done)
        return;
    char pattern[] = "/tmp/ap-fuzz-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0)
        std::abort();
    done = true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MoveToScratchFolder();
    std::string input(reinterpret_cast<const char*>(data), size);
    // The input is: file content, then a section name, a key name and a value, split by NUL.
    std::string parts[4];
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        size_t end = input.find('\0', at);
        parts[i] = input.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? input.size() : end + 1;
    }
    if (FILE* f = std::fopen("fuzz.ini", "wb")) {
        std::fwrite(parts[0].data(), 1, parts[0].size(), f);
        std::fclose(f);
    }
    char buffer[64];
    DWORD n = GetPrivateProfileStringA(parts[1].c_str(), parts[2].c_str(), "dflt", buffer,
                                       sizeof(buffer), ".\\fuzz.ini");
    if (n >= sizeof(buffer) || buffer[n] != '\0')
        __builtin_trap();
    // The name lists (a NULL key or section name) stay inside the buffer and end with a NUL,
    // at every size.
    for (DWORD size : {0u, 1u, 2u, 3u, 7u, DWORD(sizeof(buffer))}) {
        for (const char* section : {parts[1].c_str(), static_cast<const char*>(nullptr)}) {
            char list[sizeof(buffer) + 1];
            list[size] = '\x5a';
            DWORD got = GetPrivateProfileStringA(section, nullptr, "d", list, size, ".\\fuzz.ini");
            if (list[size] != '\x5a' || (size > 0 && (got >= size || list[got] != '\0')) ||
                (size == 0 && got != 0))
                __builtin_trap();
        }
    }

    std::string section = parts[1], key = parts[2], value = parts[3];
    auto usable = [](const std::string& s) {
        if (s.empty() || Blank(s.front()) || Blank(s.back()))
            return false;
        for (char c : s)
            if (c == '\r' || c == '\n' || c == '=' || c == '[' || c == ']' || c == ';')
                return false;
        return true;
    };
    bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                  value.back() == value.front();
    if (!usable(section) || !usable(key) || !usable(value) || quoted || value.size() > 1000)
        return 0;
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), ".\\fuzz.ini"))
        __builtin_trap();
    static char back[2048];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", back, sizeof(back), ".\\fuzz.ini");
    // An earlier section or key of the same name (as the file had it) wins; only check
    // when this one is the first.
    std::string file;
    if (FILE* f = std::fopen("fuzz.ini", "rb")) {
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
            file.append(chunk, got);
        std::fclose(f);
    }
    if (parts[0].find(section) == std::string::npos && back != value)
        __builtin_trap();
    return 0;
}
