#!/usr/bin/env bash
# Starts a fresh emulator, runs the utility in a working folder holding OEM/Logo.bmp, and
# stops the emulator when the utility ends.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
run="$build/run"
mkdir -p "$run/OEM"
export AP_DEVICE_DIR="$run/devices"
state="$run/emulator.state"
rm -f "$state"
mkdir -p "$AP_DEVICE_DIR" && chmod 700 "$AP_DEVICE_DIR"
pid=$("$build/tools/ap-emulator" --device-dir "$AP_DEVICE_DIR" --state "$state")
trap 'kill "$pid" 2>/dev/null || true' EXIT
if [ -x "$build/src/ap-utility" ]; then
    [ -f "$build/src/Logo.bmp" ] && cp "$build/src/Logo.bmp" "$run/OEM/Logo.bmp"
    cd "$run"
    "$build/src/ap-utility"
else
    echo "ap-emulator is running (pid $pid) at $AP_DEVICE_DIR; the utility is not built yet."
    echo "Press Enter to stop it."
    read -r _ || true
fi
