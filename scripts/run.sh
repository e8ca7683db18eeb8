#!/usr/bin/env bash
# make run: builds only what it runs (the utility, the emulator, the artwork), starts a fresh
# emulator, runs the utility in a working folder holding OEM/Logo.bmp, and stops the
# emulator when the utility ends. The build's own output goes to a log file unless
# VERBOSE=1.
set -euo pipefail
mkdir -p "${1:-build}"
build=$(cd "${1:-build}" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
log="$build/make-run.log"

if [ "${VERBOSE:-0}" = 1 ]; then
    echo "Building ap-utility, ap-emulator and the artwork in $build..."
else
    echo "Building ap-utility, ap-emulator and the artwork in $build (output in $log)..."
fi
started=$(date +%s)
build_targets() {
    cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" &&
        cmake --build "$build" -j "${JOBS:-$(nproc)}" --target ap-utility ap-emulator logo
}
if [ "${VERBOSE:-0}" = 1 ]; then
    build_targets
elif ! build_targets >"$log" 2>&1; then
    echo "The build failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
fi
echo "Built in $(($(date +%s) - started)) s."

run="$build/run"
mkdir -p "$run/OEM"
export AP_DEVICE_DIR="$run/devices"
state="$run/emulator.state"
rm -f "$state"
mkdir -p "$AP_DEVICE_DIR" && chmod 700 "$AP_DEVICE_DIR"
pid=$("$build/tools/ap-emulator" --device-dir "$AP_DEVICE_DIR" --state "$state" 2>>"$run/emulator.log")
trap 'kill "$pid" 2>/dev/null || true' EXIT
cp "$build/src/Logo.bmp" "$run/OEM/Logo.bmp"
echo "The emulator runs (pid $pid) with its factory settings; device folder: $AP_DEVICE_DIR"
echo "Starting the utility; log in with the password: admin"
cd "$run"
"$build/src/ap-utility"
