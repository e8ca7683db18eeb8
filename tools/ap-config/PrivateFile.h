#pragma once

#include <string>

// Files that hold keys or passwords, readable by the owner only. They are read through
// wholefile::Read like any other.
class PrivateFile {
public:
    // Replaces path as a whole with content, mode 0600 (wholefile::Replace): the old file
    // stays byte for byte on any failure. Refuses a symbolic link, an existing file that is
    // not a regular file or that another user owns. "-" is standard output. False, with the
    // reason in *error, when nothing was written.
    static bool Write(const std::string& path, const std::string& content, std::string* error);
};
