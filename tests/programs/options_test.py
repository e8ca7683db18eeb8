#!/usr/bin/env python3
"""Every program's own options, one table: --help and --version answer on the standard
output with exit 0, an unknown option gets the usage on the standard error with exit 2,
and an option written where a file or folder name belongs is refused (exit 2) without
anything being made under that name.

Usage: options_test.py VERSION NAME=PATH... (the programs that were built)."""
import os
import subprocess
import sys
import tempfile

version = sys.argv[1]
programs = dict(arg.split("=", 1) for arg in sys.argv[2:])

# program, arguments, exit code, text the standard output starts with, text the standard
# error holds ("" for nothing at all on that stream).
ROWS = []
for name in programs:
    ROWS += [
        (name, ["--help"], 0, "usage: " + name, ""),
        (name, ["--version"], 0, "%s %s\n" % (name, version), ""),
        (name, ["--no-such-option"], 2, "", "--help" if name == "ap-config" else "usage: "),
    ]
ROWS += [
    ("ap-artwork", ["logo.bmp", "--help"], 2, "", "usage: "),
    ("ap-artwork", ["--png", "16", "--version"], 2, "", "usage: "),
    ("ap-artwork", ["--png", "16"], 2, "", "usage: "),
    ("ap-emulator", ["--device-dir", "--help", "--state", "state"], 2, "", "usage: "),
    ("ap-emulator", ["--device-dir", "devices", "--state", "--version"], 2, "", "usage: "),
    ("ap-emulator", ["--device-dir", "devices", "--state", "state", "--listen-tcp", "0",
                     "--tcp-token-file", "--help"], 2, "", "usage: "),
    ("ap-emulator", ["--device-dir", "devices", "--state", "state", "--tcp-token-file",
                     "token"], 2, "", "usage: "),
    ("apctl", ["--device-dir", "--help", "stats"], 2, "", "usage: "),
    ("apctl", ["--name", "--version", "stats"], 2, "", "usage: "),
    ("apctl", [], 2, "", "usage: "),
    ("ap-config", ["keys", "export", "--output", "--help"], 2, "", "not the option --help"),
    ("ap-config", ["--password-file", "--version", "show"], 2, "", "not the option --version"),
    ("ap-config", ["--device", "-x", "show"], 2, "", "not the option -x"),
    ("ap-utility", ["--help", "--version"], 2, "", "usage: "),
    ("ap-utility", ["settings.ini"], 2, "", "usage: "),
]

failures = 0
for name, args, code, out_start, err_holds in ROWS:
    if name not in programs:
        continue
    with tempfile.TemporaryDirectory() as folder:
        env = dict(os.environ, AP_DEVICE_DIR=os.path.join(folder, "none"))
        env.pop("DISPLAY", None)  # the utility answers without a display
        run = subprocess.run([programs[name]] + args, cwd=folder, env=env,
                             capture_output=True, text=True, timeout=20)
        made = os.listdir(folder)
    what = "%s %s" % (name, " ".join(args))
    problems = []
    if run.returncode != code:
        problems.append("exit %d, not %d" % (run.returncode, code))
    if not run.stdout.startswith(out_start) or (not out_start and run.stdout):
        problems.append("standard output %r" % run.stdout[:80])
    if (err_holds not in run.stderr) or (not err_holds and run.stderr):
        problems.append("standard error %r" % run.stderr[:120])
    if made:
        problems.append("made %s" % made)
    if problems:
        failures += 1
        print("FAILED %s: %s" % (what, "; ".join(problems)))
    else:
        print("ok     %s" % what)
sys.exit(1 if failures else 0)
