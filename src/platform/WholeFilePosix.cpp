#include "WholeFile.h"

#include "MoveAll.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wholefile {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

bool WriteAll(int fd, const std::string& content) {
    return moveall::MoveAll(content.size(), [&](size_t done) {
        ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n == 0)
            errno = EIO;
        return n;
    });
}

template <typename Outcome> Outcome Fail(Outcome r, std::string* error) {
    if (error)
        *error = std::strerror(errno);
    return r;
}

// The rest of an open file, at most limit bytes.
Got ReadOpen(int fd, size_t limit, std::string* content, std::string* error) {
    content->clear();
    char buffer[65536];
    for (;;) {
        size_t room = std::min(sizeof(buffer), limit + 1 - content->size());
        ssize_t n = read(fd, buffer, room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            content->clear();
            return Fail(Got::kFailed, error);
        }
        if (n == 0)
            return Got::kDone;
        content->append(buffer, static_cast<size_t>(n));
        if (content->size() > limit) {
            content->clear();
            return Got::kTooLarge;
        }
    }
}

} // namespace

Replaced Replace(const std::string& path, const std::string& content, const Attributes& as,
                 std::string* error) {
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tmp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  static_cast<mode_t>(as.mode));
        if (fd < 0 && errno != EEXIST)
            return Fail(Replaced::kNoReplacement, error);
    }
    if (fd < 0)
        return Fail(Replaced::kNoReplacement, error);
    auto drop = [&](Replaced r) {
        int saved = errno;
        if (fd >= 0)
            close(fd);
        unlink(tmp.c_str());
        errno = saved;
        return Fail(r, error);
    };
    struct stat now {};
    if (as.uid >= 0 &&
        (fstat(fd, &now) != 0 ||
         ((now.st_uid != static_cast<uid_t>(as.uid) || now.st_gid != static_cast<gid_t>(as.gid)) &&
          fchown(fd, static_cast<uid_t>(as.uid), static_cast<gid_t>(as.gid)) != 0)))
        return drop(Replaced::kNoReplacement);
    if (as.exactMode && fchmod(fd, static_cast<mode_t>(as.mode)) != 0)
        return drop(Replaced::kNoReplacement);
    if (!WriteAll(fd, content) || fsync(fd) != 0)
        return drop(Replaced::kFailed);
    int closed = close(fd);
    fd = -1;
    if (closed != 0)
        return drop(Replaced::kFailed);
    if (rename(tmp.c_str(), path.c_str()) != 0)
        return drop(Replaced::kNoReplacement);
    // The new name itself is on the disk once the folder is.
    int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return Replaced::kDone;
}

Kind KindOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return lstat(path.c_str(), &st) == 0 ? Kind::kDanglingLink : Kind::kMissing;
    if (S_ISREG(st.st_mode))
        return Kind::kRegular;
    return S_ISDIR(st.st_mode) ? Kind::kFolder : Kind::kOther;
}

std::string ReadableByOthersWarning(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || (st.st_mode & (S_IRGRP | S_IROTH)) == 0)
        return {};
    char mode[8];
    std::snprintf(mode, sizeof(mode), "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return path + " may be read by other users (mode " + mode + "); chmod 600 " + path;
}

bool MakeFolders(const std::string& path) {
    if (path.empty() || KindOf(path) == Kind::kFolder)
        return !path.empty();
    std::string parent = FolderOf(path);
    if (parent != path && parent != "." && KindOf(parent) != Kind::kFolder && !MakeFolders(parent))
        return false;
    return mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && KindOf(path) == Kind::kFolder);
}

bool MayReplace(const std::string& path, std::string* reason) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return true;
    if (S_ISLNK(st.st_mode))
        *reason = "is a symbolic link; nothing was written";
    else if (!S_ISREG(st.st_mode))
        *reason = "is not a regular file; nothing was written";
    else if (st.st_uid != geteuid())
        *reason = "belongs to another user; nothing was written";
    else
        return true;
    return false;
}

bool OwnedAlone(const std::string& path) {
    struct stat st {
    }, link{};
    // A link another user put in the name's place leads where that user chose.
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && link.st_uid != geteuid())
        return false;
    return stat(path.c_str(), &st) != 0 || (st.st_uid == geteuid() && !(st.st_mode & S_IWOTH));
}

Got Read(const std::string& path, size_t limit, bool regularOnly, std::string* content,
         std::string* error) {
    content->clear();
    if (regularOnly) {
        Kind kind = KindOf(path);
        if (kind == Kind::kFolder || kind == Kind::kOther)
            return Got::kNotRegular;
    }
    // A pipe put in the file's place after that look opens at once without a writer and is
    // caught below.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0));
    if (fd < 0)
        return Fail(errno == ENOENT ? Got::kMissing : Got::kFailed, error);
    Got got = Got::kDone;
    struct stat st {};
    if (regularOnly) {
        if (fstat(fd, &st) != 0)
            got = Fail(Got::kFailed, error);
        else if (!S_ISREG(st.st_mode))
            got = Got::kNotRegular;
        else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
            got = Fail(Got::kFailed, error);
        else
            content->reserve(std::min<size_t>(static_cast<size_t>(st.st_size), limit + 1));
    }
    if (got == Got::kDone)
        got = ReadOpen(fd, limit, content, error);
    close(fd);
    return got;
}

Got ReadStandardInput(size_t limit, std::string* content, std::string* error) {
    return ReadOpen(STDIN_FILENO, limit, content, error);
}

} // namespace wholefile
