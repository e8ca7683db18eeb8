#pragma once

#include <string>

// Files that hold keys or passwords: created (or truncated) readable by the owner only.
class PrivateFile {
public:
    // Writes content to path with mode 0600; false (and errno's text in *error) on failure.
    static bool Write(const std::string& path, const std::string& content, std::string* error);
    static bool Read(const std::string& path, std::string* content, std::string* error);
};
