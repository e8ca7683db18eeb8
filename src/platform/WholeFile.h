#pragma once

#include <cstddef>
#include <string>

// Saving a file as a whole, the way QSaveFile saves one: the new content goes to a temporary
// file in the target's folder, is flushed to the disk, and only then takes the target's name
// (rename; on Windows MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
// Whatever fails, the file of that name stays as it was, byte for byte, and the temporary
// file is removed. The one helper for every file the programs replace.
namespace wholefile {

enum class Replaced {
    kDone,
    kNoReplacement, // no temporary file with these attributes could be made there, or it
                    // could not take the name (a folder this user may not write, an owner
                    // this user may not give); nothing was changed
    kFailed,        // writing or flushing the content failed (disk full, a size limit)
};

// What the new file is made with (POSIX only; on Windows it takes its folder's defaults).
struct Attributes {
    unsigned mode = 0666;    // permission bits
    bool exactMode = false;  // set exactly, whatever the umask (else the umask applies)
    long uid = -1, gid = -1; // the owner to give it, -1: the writer's
};

// Replaces (or creates) path with content. *error (when not null) gets the system's reason
// on failure. A symbolic link at path is itself replaced, never followed: callers that mean
// its target resolve it first, callers that must not replace one check first (see Check).
Replaced Replace(const std::string& path, const std::string& content, const Attributes& as,
                 std::string* error);

// Whether path may be replaced by this user as a private file: false, with the reason
// ending "; nothing was written", when it is a symbolic link, an existing file that is not
// a regular file, or one another user owns. A path that does not exist may be.
bool MayReplace(const std::string& path, std::string* reason);

// Whether the file at path (followed through links) is this user's alone: owned by this
// user, and others may not write it, nor is path a link of another user's (POSIX; on
// Windows, where the folder's rights decide, always). A file that is not there is.
bool OwnedAlone(const std::string& path);

// What a name stands for, found without opening it (a named pipe or a device opens only
// when a peer comes, which may be never).
enum class Kind {
    kMissing,      // nothing of that name
    kRegular,      // a regular file, or a link to one
    kFolder,       // a folder, or a link to one
    kOther,        // a named pipe, a device, a socket, or a link to one
    kDanglingLink, // a symbolic link that leads nowhere: creating "the file" would create
                   // whatever it points to
};
Kind KindOf(const std::string& path);

// The warning for a file of secrets that other users may read (the group's or others' read
// bit, through links): "NAME may be read by other users (mode 0644); chmod 600 NAME". Empty
// when they may not, when nothing is there, and on Windows, whose files have no such mode.
std::string ReadableByOthersWarning(const std::string& path);

// Creates path and the folders above it that are missing (POSIX: mode 0700 for those it
// makes). True when path is a folder afterwards.
bool MakeFolders(const std::string& path);

#ifndef _WIN32
// The folder that holds path: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);
#endif

// The one way the programs read a file whole.
enum class Got {
    kDone,
    kMissing,    // nothing of that name
    kNotRegular, // not a regular file where only one was asked for: it was never opened
    kTooLarge,   // more bytes than the limit: reading stopped at limit + 1 bytes
    kFailed,     // it could not be opened or read (not allowed, a read error)
};

// Reads path whole into *content (empty on any failure), taking at most limit bytes: a
// longer file, or a pipe or a device that never ends, is refused once limit + 1 bytes have
// come, and nothing larger is ever held. With regularOnly, only a regular file (or a link
// to one) is read: a named pipe, a device or a folder is refused before it is opened, as a
// pipe could hold the reader in its open for good. Without it, a pipe is read until its
// writer closes it (a password given as <(echo pw)). *error (when not null) gets the
// system's reason when the file is missing or could not be opened or read, to follow
// "cannot read NAME: "; the caller words the other refusals. Names are UTF-8; Windows gets
// them as UTF-16.
Got Read(const std::string& path, size_t limit, bool regularOnly, std::string* content,
         std::string* error);

// The standard input whole, as Read reads a file (kDone, kTooLarge or kFailed): what a
// command takes from "-".
Got ReadStandardInput(size_t limit, std::string* content, std::string* error);

} // namespace wholefile
