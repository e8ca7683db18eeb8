#!/usr/bin/env bash
# Builds the code below the dialogs for 32-bit Windows (mingw-w64, the real Win32 calls)
# and runs its unit tests under Wine; installs the cross compiler and Wine when missing.
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
message=$(AP_PASSWORD=admin wine "$apconfig" show 2>&1 >/dev/null)
code=$?
set -e
if [ "$code" -ne 1 ] || ! grep -q "Please Attach the Access Point USB Connector or Install the Access Point Driver !" <<<"$message"; then
    echo "ap-config.exe show without the driver: exit $code, \"$message\""
    exit 1
fi
echo "ap-config.exe: --help and the absent driver (exit 1) as expected"
