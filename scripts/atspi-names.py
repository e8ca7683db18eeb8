#!/usr/bin/python3
"""Reads the running utility as a screen reader does, over AT-SPI: the name of every field of
the login dialog and of each of the five pages. Logs in with the password given (default
"admin") and shows each page by its tab. Prints one line per field and fails when a field has
no name, a list is named by one of its items instead of what it chooses, or two fields of a
dialog share one name (a screen reader could not tell them apart); the Info page's values are
read-only text. Then, by keys given to the X server (xdotool), follows the focus as a screen
reader does: the tab strip named by the page shown and that page's tab alone selected after
Ctrl+Tab, Tab and Shift+Tab, and Apply's progress dialog announced by its named bar taking the
focus, the percentage its value."""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

FIELDS = {pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_ENTRY,
          pyatspi.ROLE_COMBO_BOX}
PAGES = ["Wireless", "IP Config", "Encryption", "Info", "Advanced"]
TABS = ["Wireless", "Encryption", "IP Config", "Advanced", "Info"]  # as the strip holds them
VALUES = ["Utility Version", "Firmware Version", "Regulation Domain", "MAC Address"]
WRITING = "Writing the configuration"
EVENTS = []  # (event type, role, name, detail1) as a screen reader is told them


def heard(event):
    source = event.source
    try:
        EVENTS.append((event.type, source.getRole(), source.name, event.detail1))
    except Exception:  # a source already gone
        pass


def pump(seconds):
    """Lets the events of the next seconds arrive."""
    end = time.time() + seconds
    context = GLib.MainContext.default()
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.05)


def keys(xid, *names):
    subprocess.run(["xdotool", "windowfocus", "--sync", xid], check=True)
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        pump(0.4)


def focused(root):
    """The innermost node with the focus (a tab, not the strip or the control around it)."""
    chain = [n for n in walk(root) if n.getState().contains(pyatspi.STATE_FOCUSED)]
    return chain[-1] if chain else None


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
    if title == "Info":  # values: read-only text that the keyboard reaches
        if names != VALUES:
            failures.append(f"Info: the values read {names}, not {VALUES}")
        for node in fields:
            state = node.getState()
            if state.contains(pyatspi.STATE_EDITABLE) or \
                    not state.contains(pyatspi.STATE_FOCUSABLE):
                failures.append(f"Info: {node.name!r} is not read-only text with a focus")
    return len(fields)


def follow_the_focus(main_window, failures):
    """The tab strip and the progress dialog as the focus moves over them by keys."""
    pyatspi.Registry.registerEventListener(heard, "object:state-changed:selected",
                                           "object:state-changed:focused", "focus:")
    xid = subprocess.run(["xdotool", "search", "--name", main_window.name], check=True,
                            capture_output=True, text=True).stdout.split()[0]
    named(main_window, pyatspi.ROLE_PAGE_TAB, "Wireless").queryAction().doAction(0)
    pump(0.5)
    strip = next(n for n in walk(main_window) if n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST)
    for key, page, focus in [("ctrl+Tab", "Encryption", "Encryption"),
                             ("ctrl+Tab", "IP Config", "IP Config"),
                             ("Tab", "IP Config", "OK"),
                             ("shift+Tab", "IP Config", "IP Config")]:
        del EVENTS[:]
        keys(xid, key)
        tabs = [strip[i] for i in range(strip.childCount)]
        selected = [t.name for t in tabs if t.getState().contains(pyatspi.STATE_SELECTED)]
        now = focused(main_window)
        print(f"{key} | strip {strip.name!r} | selected {selected} | focus "
              f"{now.getRoleName() if now else None} {now.name if now else None!r}")
        if [t.name for t in tabs] != TABS:
            failures.append(f"{key}: the tabs read {[t.name for t in tabs]}")
        if strip.name != page or selected != [page]:
            failures.append(f"{key}: the strip reads {strip.name!r}, selected {selected}, "
                            f"not {page!r}")
        if not now or now.name != focus:
            failures.append(f"{key}: the focus is on {now.name if now else None!r}, not {focus!r}")
        if key.startswith("ctrl") and ("object:state-changed:selected", pyatspi.ROLE_PAGE_TAB,
                                       page, 1) not in EVENTS:
            failures.append(f"{key}: no tab {page!r} told selected: {EVENTS}")
    del EVENTS[:]
    keys(xid, "Tab", "Tab", "Return")  # Apply: the write and its progress
    bar = wait_for(lambda: next((e for e in EVENTS if e[1] == pyatspi.ROLE_PROGRESS_BAR and
                                 e[0].startswith(("focus", "object:state-changed:focused")) and
                                 e[3] == 1), None) or pump(0.25), "progress bar's focus")
    print(f"Apply | the focus to the progress bar {bar[2]!r}")
    if bar[2] != WRITING:
        failures.append(f"Apply: the progress bar is named {bar[2]!r}, not {WRITING!r}")
    progress = wait_for(lambda: window(WRITING), "progress dialog")
    meter = next(n for n in walk(progress) if n.getRole() == pyatspi.ROLE_PROGRESS_BAR)
    first = meter.queryValue().currentValue
    pump(1.5)
    second = meter.queryValue().currentValue
    print(f"Apply | {progress.getRoleName()} {progress.name!r} | bar {first} then {second} per cent")
    if not 0 <= first < second <= 100 or meter.queryValue().maximumValue != 100:
        failures.append(f"Apply: the bar's value went {first} to {second}: not a percentage")
    progress_window = subprocess.run(["xdotool", "search", "--name", WRITING], check=True,
                                     capture_output=True, text=True).stdout.split()[0]
    keys(progress_window, "Escape")  # the progress ends; the write goes on to its end
    pyatspi.Registry.deregisterEventListener(heard, "object:state-changed:selected",
                                             "object:state-changed:focused", "focus:")


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
    follow_the_focus(main_window, failures)
    cancel = named(main_window, pyatspi.ROLE_PUSH_BUTTON, "Cancel")
    if cancel:
        cancel.queryAction().doAction(0)
    print(f"{count} fields read", file=sys.stderr)
    for failure in failures:
        print(f"atspi-names: {failure}", file=sys.stderr)
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
