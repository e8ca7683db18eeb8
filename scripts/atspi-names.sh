#!/usr/bin/env bash
# The utility as a screen reader reads it: starts a fresh emulator, a private X server
# (Xvfb), a D-Bus session with the accessibility bus, and the utility with Qt's AT-SPI bridge
# on; scripts/atspi-names.py then reads every field's name from outside the process, logs in
# and visits the five pages (Debian's own Python, which has pyatspi), then follows the focus over
# the tab strip and into Apply's progress dialog by keys (xdotool). Fails when a field has no
# name or two fields share one, or when the strip, its tabs or the progress dialog tell a screen
# reader anything but the page shown and the write's start. Usage: scripts/atspi-names.sh [build folder]
# (ctest runs it as the test atspi_names).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
if [ ! -x "$build/src/ap-utility" ] || [ ! -x "$build/tools/ap-emulator" ]; then
    cmake --build "$build" --target ap-utility ap-emulator >/dev/null
fi
for tool in xvfb-run xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "atspi-names: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "atspi-names: python3-pyatspi is missing"; exit 1; }

scratch=$(mktemp -d)
emulator_pid=""
cleanup() {
    if [ -n "$emulator_pid" ]; then kill "$emulator_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT
export AP_DEVICE_DIR="$scratch/devices" HOME="$scratch/home"
mkdir -p "$AP_DEVICE_DIR" "$HOME" && chmod 700 "$AP_DEVICE_DIR"
emulator_pid=$("$build/tools/ap-emulator" --device-dir "$AP_DEVICE_DIR" \
    --state "$scratch/emulator.state" 2>>"$scratch/emulator.log")

# The bridge needs a real platform plugin: not the tests' offscreen one.
unset QT_QPA_PLATFORM
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export AP_UTILITY="$build/src/ap-utility" AP_NAMES_SCRIPT="$root/scripts/atspi-names.py"
cd "$scratch"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    bus=$!
    sleep 1
    "$AP_UTILITY" >utility.log 2>&1 &
    utility=$!
    status=0
    /usr/bin/python3 "$AP_NAMES_SCRIPT" || status=$?
    sleep 1
    kill "$utility" "$bus" 2>/dev/null || true
    exit "$status"'
