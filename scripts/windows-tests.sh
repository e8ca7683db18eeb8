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

# ap-config.exe: a console program; without the access point's driver every command ends
# with exit code 1 and the utility's message.
apconfig="$build/tools/ap-config/ap-config.exe"
help=$(wine "$apconfig" --help)
for command in show get set backup restore "keys export" passwd; do
    grep -q "e.g. ap-config $command" <<<"$help" || { echo "ap-config.exe --help lacks $command"; exit 1; }
done
set +e
message=$(env -u AP_DEVICE_ADDR AP_PASSWORD=admin wine "$apconfig" show 2>&1 >/dev/null)
code=$?
set -e
if [ "$code" -ne 1 ] || ! grep -q "Please Attach the Access Point USB Connector or Install the Access Point Driver !" <<<"$message"; then
    echo "ap-config.exe show without the driver: exit $code, \"$message\""
    exit 1
fi
echo "ap-config.exe: --help and the absent driver (exit 1) as expected"

# Over the loopback transport: a verified write that the emulator holds afterwards, and a
# wrong password refused with exit code 4.
apctl="$root/build/tools/apctl"
[ -x "$apctl" ] || cmake --build "$root/build" --target apctl >/dev/null
AP_PASSWORD=admin wine "$apconfig" get essid channel | tr -d '\r' | grep -qx "Channel 6" ||
    { echo "ap-config.exe get over loopback did not show channel 6"; exit 1; }
result=$(AP_PASSWORD=admin wine "$apconfig" set channel=9 essid=winenet --no-key-file 2>&1 | tr -d '\r')
grep -q "^verified$" <<<"$result" || { echo "ap-config.exe set: $result"; exit 1; }
dump=$(AP_DEVICE_DIR="$scratch/devices" "$apctl" dump current)
[ "${dump:3:2}" != "" ] && [ "$(cut -c $((3 + 2 * 28 + 1))-$((3 + 2 * 28 + 2)) <<<"$dump")" = "09" ] ||
    { echo "the emulator does not hold channel 9 after ap-config.exe set"; exit 1; }
set +e
AP_PASSWORD=wrong wine "$apconfig" show >/dev/null 2>&1
code=$?
set -e
[ "$code" -eq 4 ] || { echo "ap-config.exe with a wrong password: exit $code"; exit 1; }
echo "ap-config.exe over the loopback transport: get, verified set, wrong password (exit 4)"
