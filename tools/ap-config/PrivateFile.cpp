#include "PrivateFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

bool PrivateFile::Write(const std::string& path, const std::string& content, std::string* error) {
#ifdef _WIN32
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        *error = "write failed";
    return ok;
#else
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    // An existing file keeps its mode through O_CREAT: narrow it before writing the secrets.
    if (fd < 0 || fchmod(fd, 0600) != 0) {
        *error = std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = std::strerror(errno);
            close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (close(fd) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    return true;
#endif
}

bool PrivateFile::Read(const std::string& path, std::string* content, std::string* error) {
    FILE* f = std::fopen(path.c_str(), "rb");
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
