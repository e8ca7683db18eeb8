#!/usr/bin/env python3
"""Checks every #include of the sources against the layers table of docs/architecture.md.

Each row of that table names a folder and what its files may include besides their own
folder: other folders, and the toolkits `Qt` (<Q...>, <qdrawutil.h>), `xcb` (<xcb/...>) and
`Windows` (<windows.h> and the other system headers of Windows). A file whose folder has no
row, an include that names no file of the tree, or an include the row does not allow fails.
Two rules besides: the shared headers of src/platform name no Qt type (the backends' own
calls live in platform/qt/ and platform/win32/), and no macro of the tree has a name with
small letters: such a macro renames a function (a system call) in every file that sees it,
where a function respects scope.
With --print: what each folder includes now, in the table's terms.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TREES = ("src", "tools", "tests", "bench", "fuzz")
WINDOWS = {"windows.h", "commctrl.h", "winsock2.h", "ws2tcpip.h", "oleacc.h", "process.h"}
INCLUDE = re.compile(r'\s*#\s*include\s*([<"])([^>"]+)[>"]')
RENAMING = re.compile(r"\s*#\s*define\s+(\w*[a-z]\w*)\b")
QT_TYPE = re.compile(r"\bQ[A-Z]\w+")


def table():
    rows = {}
    text = open(os.path.join(ROOT, "docs", "architecture.md"), encoding="utf-8").read()
    if "\n## Layers\n" not in text:
        sys.exit("docs/architecture.md has no section \"## Layers\"")
    section = text.split("\n## Layers\n", 1)[1].split("\n## ", 1)[0]
    for line in section.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) == 3 and cells[0].startswith("`"):
            rows[cells[0].strip("`")] = set(re.findall(r"`([^`]+)`", cells[2]))
    return rows


def sources():
    for tree in TREES:
        for folder, _, names in os.walk(os.path.join(ROOT, tree)):
            for name in sorted(names):
                if name.endswith((".cpp", ".h", ".c")):
                    yield os.path.relpath(os.path.join(folder, name), ROOT)


def toolkit(name):
    """The toolkit a system header belongs to, or None for the C and C++ libraries' own."""
    if name.startswith("Q") or name == "qdrawutil.h":
        return "Qt"
    if name.startswith("xcb/"):
        return "xcb"
    return "Windows" if name.lower() in WINDOWS else None


def project_file(folder, name, by_name):
    """The file of the tree that #include "name" in folder reaches, or None."""
    near = [os.path.normpath(os.path.join(folder, name)), os.path.join("src", name)]
    hits = [c for c in near if os.path.isfile(os.path.join(ROOT, c))]
    hits = hits or by_name.get(os.path.basename(name), [])
    return hits[0] if len(hits) == 1 or (hits and hits[0] in near) else None


def check(f, rows, by_name, found, faults):
    folder = os.path.dirname(f)
    for number, line in enumerate(open(os.path.join(ROOT, f), encoding="utf-8"), 1):
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


def main():
    rows = table()
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
