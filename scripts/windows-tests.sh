#!/usr/bin/env bash
# Builds the code below the dialogs for 32-bit Windows (mingw-w64, the real Win32 calls)
# and runs its unit tests under Wine; installs the cross compiler and Wine when missing.
# The device tests reach a Linux ap-emulator (from build/, built if missing) over the
# loopback transport: it listens on 127.0.0.1 and AP_DEVICE_ADDR tells the tests where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" ||
    need+=(wine wine32:i386)
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${need[@]}"
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

emulator="$root/build/tools/ap-emulator"
if [ ! -x "$emulator" ]; then
    [ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" >/dev/null
    cmake --build "$root/build" --target ap-emulator >/dev/null
fi
scratch=$(mktemp -d)
emulator_pid=""
stop_emulator() {
    if [ -n "$emulator_pid" ]; then kill "$emulator_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap stop_emulator EXIT
# Daemon mode: the pid on the standard output, the port on the standard error, both
# written before the command returns.
emulator_pid=$("$emulator" --device-dir "$scratch/devices" --state "$scratch/state" \
               --listen-tcp 0 2>"$scratch/errors")
port=$(sed -n 's/^ap-emulator: tcp 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$scratch/errors")
if [ -z "$port" ]; then
    cat "$scratch/errors" >&2
    exit 1
fi
export AP_DEVICE_ADDR="127.0.0.1:$port"

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cd "$build"
wine "$build/tests/windows/win_unit_tests.exe"
