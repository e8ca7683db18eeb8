// The PATH edit of tools/ap-path: the rules on the value's text, and the value read from and
// written to a registry key (HKCU\Environment for the installer; any key for the tests).
#pragma once

#include <windows.h>

#include <string>

namespace appath {

enum Exit { kChanged = 0, kUnchanged = 1, kUsage = 2, kTooLong = 3, kRegistry = 4 };

// The longest value of an environment variable, without its terminating null.
constexpr size_t kMaxValue = 32766;

struct PathValue {
    bool present = false;
    DWORD type = REG_EXPAND_SZ;
    std::wstring text;
};

// add: FOLDER appended, with a separator of its own, unless an entry already names it (equal
// ignoring case, surrounding quotes and a trailing backslash, as written or, in a value of
// the expandable type, with its %VARIABLES% expanded).
// remove: the last entry that is FOLDER as add wrote it (ignoring case only) taken off with
// the separator add wrote before it; entries naming the folder in another way are the
// user's and stay.
// kChanged with VALUE edited, kUnchanged, or kTooLong (VALUE as it was).
int Edit(bool add, const std::wstring& folder, PathValue& value);

// The value "Path" of KEY edited as above and written back with its type; a value emptied
// by remove is deleted.
int Run(HKEY key, bool add, const std::wstring& folder);

} // namespace appath
