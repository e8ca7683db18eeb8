#!/usr/bin/python3
"""Reads the running utility as a screen reader does, over AT-SPI: the name of every field of
the login dialog and of each of the five pages. Logs in with the password given (default
"admin") and shows each page by its tab. Prints one line per field and fails when a field has
no name, a list is named by one of its items instead of what it chooses, or two fields of a
dialog share one name (a screen reader could not tell them apart)."""
import sys
import time

import pyatspi

FIELDS = {pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_ENTRY,
          pyatspi.ROLE_COMBO_BOX}
PAGES = ["Wireless", "IP Config", "Encryption", "Info", "Advanced"]


def wait_for(find, what, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.25)
    sys.exit(f"atspi-names: no {what} after {timeout} s")


def walk(node):
    for child in node:
        if child is None:
            continue
        yield child
        if child.getRole() != pyatspi.ROLE_COMBO_BOX:  # its items are not fields
            yield from walk(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def utility():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "ap-utility":
            return app
    return None


def window(name):
    app = utility()
    return next((w for w in app if w is not None and w.name == name), None) if app else None


def named(root, role, name):
    return next((n for n in walk(root) if n.getRole() == role and n.name == name), None)


def value(node):
    """What a list shows: the item chosen in the list it holds."""
    if node.getRole() != pyatspi.ROLE_COMBO_BOX or node.childCount == 0:
        return ""
    items = node[0]
    chosen = [items[i].name for i in range(items.childCount)
              if items[i] is not None and items[i].getState().contains(pyatspi.STATE_SELECTED)]
    return " = " + ", ".join(repr(c) for c in chosen) if chosen else " (nothing chosen)"


def showing_fields(root):
    return [n for n in walk(root) if n.getRole() in FIELDS and showing(n)]


def showing_names(root):
    return [n.name for n in showing_fields(root)]


def dump(title, root, failures):
    fields = showing_fields(root)
    names = [n.name for n in fields]
    for node in fields:
        print(f"{title} | {node.getRoleName()} | {node.name!r}{value(node)}")
        if not node.name:
            failures.append(f"{title}: a {node.getRoleName()} without a name")
        elif node.getRole() == pyatspi.ROLE_COMBO_BOX and node.childCount and \
                node.name in [item.name for item in node[0] if item is not None]:
            failures.append(f"{title}: a list named by its item {node.name!r}")
    for name in sorted({n for n in names if n and names.count(n) > 1}):
        failures.append(f"{title}: {names.count(name)} fields named {name!r}")
    if not fields:  # a page of values: the labels that show them
        for node in walk(root):
            if node.getRole() == pyatspi.ROLE_LABEL and showing(node):
                print(f"{title} | label | {node.name!r}")
    return len(fields)


def main():
    password = sys.argv[1] if len(sys.argv) > 1 else "admin"
    failures = []
    login = wait_for(lambda: window("Login"), "login dialog")
    count = dump("Login", login, failures)
    field = next(n for n in walk(login) if n.getRole() == pyatspi.ROLE_PASSWORD_TEXT)
    field.queryEditableText().setTextContents(password)
    ok = named(login, pyatspi.ROLE_PUSH_BUTTON, "OK")
    ok.queryAction().doAction(0)
    main_window = wait_for(lambda: next(
        (w for w in utility() if w is not None and w.name.endswith("Utility")), None),
        "main dialog")
    previous = None
    for page in PAGES:
        tab = wait_for(lambda: named(main_window, pyatspi.ROLE_PAGE_TAB, page), f"tab {page}")
        tab.queryAction().doAction(0)
        # Shown once its fields replace the page's before (the Info page shows values only).
        wait_for(lambda: showing_names(main_window) != previous and
                 (showing_names(main_window) or page == "Info"), f"page {page}")
        time.sleep(0.5)
        previous = showing_names(main_window)
        count += dump(page, main_window, failures)
    cancel = named(main_window, pyatspi.ROLE_PUSH_BUTTON, "Cancel")
    if cancel:
        cancel.queryAction().doAction(0)
    print(f"{count} fields read", file=sys.stderr)
    for failure in failures:
        print(f"atspi-names: {failure}", file=sys.stderr)
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
