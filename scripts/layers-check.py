#!/usr/bin/env python3
"""Checks every #include of the sources against the layers table of docs/architecture.md.

Each row of that table names a folder and what its files may include besides their own
folder: other folders, and toolkits. Every <header> that is not one of the C and C++
standard libraries' own belongs to a toolkit: `Qt` (<Q...>, <qdrawutil.h>), `xcb`
(<xcb/...>), `Windows` (<windows.h> and the other system headers of Windows), `POSIX`
(<unistd.h>, <sys/...> and the other system headers of POSIX), `GoogleTest`, `benchmark`,
`JSON` (nlohmann) and `CLI11`; a header of none of these fails, so no system header passes
unnamed. A toolkit followed in its row by "(in `A`, `B` and the `*X.cpp` files)" is allowed
only in files of those names. A file whose folder has no row, an include that names no file
of the tree, or an include the row does not allow fails.
Two rules besides: the shared headers of src/platform name no Qt type (the backends' own
calls live in platform/qt/ and platform/win32/), and no macro of the tree has a name with
small letters: such a macro renames a function (a system call) in every file that sees it,
where a function respects scope.
With --print: what each folder includes now, in the table's terms.
"""
import fnmatch
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TREES = ("src", "tools", "tests", "bench", "fuzz")
WINDOWS = {"windows.h", "commctrl.h", "winsock2.h", "ws2tcpip.h", "oleacc.h", "process.h",
           "shellapi.h", "shlobj.h", "objbase.h", "ole2.h", "oleauto.h", "commdlg.h",
           "winuser.h", "wingdi.h", "winbase.h", "windef.h", "winreg.h", "mmsystem.h", "io.h"}
POSIX = {"unistd.h", "fcntl.h", "poll.h", "dirent.h", "termios.h", "pty.h", "grp.h", "pwd.h"}
POSIX_FOLDERS = ("sys/", "netinet/", "arpa/")
LIBRARIES = {"gtest/": "GoogleTest", "benchmark/": "benchmark", "nlohmann/": "JSON",
             "CLI/": "CLI11"}
# The C++ standard library's headers, and the C library's as C++ takes them (<cstdio>) and
# under their C names (<stdio.h>).
C_NAMES = ("assert ctype errno fenv float inttypes limits locale math setjmp signal stdarg "
           "stddef stdint stdio stdlib string time uchar wchar wctype").split()
STANDARD = set(("algorithm any array atomic barrier bit bitset charconv chrono codecvt compare "
                "complex concepts condition_variable coroutine deque exception execution "
                "filesystem format forward_list fstream functional future initializer_list "
                "iomanip ios iosfwd iostream istream iterator latch limits list locale map "
                "memory memory_resource mutex new numbers numeric optional ostream queue "
                "random ranges ratio regex scoped_allocator semaphore set shared_mutex "
                "source_location span sstream stack stdexcept stop_token streambuf string "
                "string_view syncstream system_error thread tuple type_traits typeindex "
                "typeinfo unordered_map unordered_set utility valarray variant vector "
                "version").split())
STANDARD |= {"c" + n for n in C_NAMES} | {n + ".h" for n in C_NAMES}
INCLUDE = re.compile(r'\s*#\s*include\s*([<"])([^>"]+)[>"]')
RENAMING = re.compile(r"\s*#\s*define\s+(\w*[a-z]\w*)\b")
QT_TYPE = re.compile(r"\bQ[A-Z]\w+")


def table():
    """folder -> {what it may include: the file names it is limited to, or None}"""
    rows = {}
    text = open(os.path.join(ROOT, "docs", "architecture.md"), encoding="utf-8").read()
    if "\n## Layers\n" not in text:
        sys.exit("docs/architecture.md has no section \"## Layers\"")
    section = text.split("\n## Layers\n", 1)[1].split("\n## ", 1)[0]
    for line in section.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) == 3 and cells[0].startswith("`"):
            allowed = {}
            for name, note in re.findall(r"`([^`]+)`(?:\s*\(([^)]*)\))?", cells[2]):
                only = re.findall(r"`([^`]+)`", note) if note.startswith("in ") else None
                allowed[name] = only
            rows[cells[0].strip("`")] = allowed
    return rows


def sources():
    for tree in TREES:
        for folder, _, names in os.walk(os.path.join(ROOT, tree)):
            for name in sorted(names):
                if name.endswith((".cpp", ".h", ".c")):
                    yield os.path.relpath(os.path.join(folder, name), ROOT)


def toolkit(name):
    """The toolkit a <header> belongs to: None for the C and C++ libraries' own, "?" for one
    of no toolkit the table knows."""
    if name in STANDARD:
        return None
    if name.startswith("Q") or name == "qdrawutil.h":
        return "Qt"
    if name.startswith("xcb/"):
        return "xcb"
    if name.lower() in WINDOWS:
        return "Windows"
    if name in POSIX or name.startswith(POSIX_FOLDERS):
        return "POSIX"
    for prefix, library in LIBRARIES.items():
        if name.startswith(prefix):
            return library
    return "?"


def project_file(folder, name, by_name):
    """The file of the tree that #include "name" in folder reaches, or None."""
    near = [os.path.normpath(os.path.join(folder, name)), os.path.join("src", name)]
    hits = [c for c in near if os.path.isfile(os.path.join(ROOT, c))]
    hits = hits or by_name.get(os.path.basename(name), [])
    return hits[0] if len(hits) == 1 or (hits and hits[0] in near) else None


def check(f, rows, by_name, found, faults, lines=None):
    folder = os.path.dirname(f)
    if lines is None:
        lines = open(os.path.join(ROOT, f), encoding="utf-8")
    for number, line in enumerate(lines, 1):
        where = f"{f}:{number}:"
        if RENAMING.match(line):
            faults.append(f"{where} a macro that renames a function: {line.strip()}")
        code = line.split("//")[0]
        if folder == "src/platform" and f.endswith(".h") and QT_TYPE.search(code):
            faults.append(f"{where} a shared header names a Qt type: {line.strip()}")
        m = INCLUDE.match(line)
        if not m:
            continue
        kind, name = m.groups()
        if kind == "<":
            target = toolkit(name)
            if target == "?":
                faults.append(f"{where} <{name}> is neither a standard header nor one of a "
                              "toolkit the layers table names")
                continue
        else:
            reached = project_file(folder, name, by_name)
            if not reached:
                faults.append(f'{where} "{name}" names no single file of the tree')
                continue
            target = os.path.dirname(reached)
        if target and target != folder:
            found.setdefault(folder, set()).add(target)
            if target not in rows[folder]:
                faults.append(f"{where} {folder} may not include {target}")
            elif rows[folder][target] is not None and not any(
                    fnmatch.fnmatchcase(os.path.basename(f), only)
                    for only in rows[folder][target]):
                names = ", ".join(rows[folder][target])
                faults.append(f"{where} {target} only in {names}")


# The check itself, on includes of the table's making: (file, line, whether it passes).
SELF_TEST = [
    ("src/device/ConfigImage.cpp", "#include <cstring>", True),
    ("src/device/ConfigImage.cpp", "#include <shellapi.h>", False),
    ("src/device/ConfigImage.cpp", "#include <unistd.h>", False),
    ("src/device/ConfigImage.cpp", "#include <somewhere/else.h>", False),
    ("src/platform/Win32Types.h", "#include <windows.h>", True),
    ("src/platform/WholeFileWin32.cpp", "#include <windows.h>", True),
    ("src/platform/Wnd.cpp", "#include <windows.h>", False),
    ("src/platform/WholeFilePosix.cpp", "#include <sys/stat.h>", True),
    ("src/platform/DeviceProtocol.cpp", "#include <sys/socket.h>", False),
    ("src/platform/DeviceProtocol.cpp", "#include <winsock2.h>", False),
    ("tools/ap-config/BackupFile.cpp", "#include <nlohmann/json.hpp>", True),
    ("tests/shared/AdvancedPageCases.h", "#include <gtest/gtest.h>", False),
]


def self_test(rows):
    faults = []
    for f, line, passes in SELF_TEST:
        found = []
        check(f, rows, {}, {}, found, [line])
        if passes != (not found):
            faults.append(f"layers-check.py: {f}: {line} "
                          f"{'is refused' if found else 'passes'} where it should not")
    return faults


def main():
    rows = table()
    if faults := self_test(rows):
        print("\n".join(faults))
        return 1
    files = list(sources())
    by_name = {}
    for f in files:
        by_name.setdefault(os.path.basename(f), []).append(f)
    found, faults = {}, []
    for f in files:
        if os.path.dirname(f) in rows:
            check(f, rows, by_name, found, faults)
        else:
            faults.append(f"{f}: its folder has no row in the layers table")
    if "--print" in sys.argv:
        for folder in sorted(found):
            print(f"{folder}: {', '.join(sorted(found[folder]))}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
