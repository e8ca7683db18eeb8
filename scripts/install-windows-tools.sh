#!/usr/bin/env bash
# Installs what the Windows build, its tests and its packages need: the mingw-w64 i686 cross
# compiler, Wine (32-bit), Xvfb for the tests that show windows, NSIS and zip for the
# packages, osslsigncode to sign them (openssl makes the package checks' certificate). Does
# nothing when all are there.
set -euo pipefail
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" ||
    need+=(wine wine32:i386)
command -v xvfb-run >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v makensis >/dev/null || need+=(nsis)
command -v zip >/dev/null || need+=(zip)
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)
command -v unzip >/dev/null || need+=(unzip)
command -v cmake >/dev/null || need+=(cmake make)
command -v c++ >/dev/null || need+=(g++) # the build machine's compiler, for ap-artwork
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ ${#need[@]} -eq 0 ] && exit 0
echo "Installing: ${need[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
# Another apt-get may hold the package lock: wait for it rather than fail.
apt=(apt-get -o DPkg::Lock::Timeout=600)
$sudo "${apt[@]}" update -q
DEBIAN_FRONTEND=noninteractive $sudo "${apt[@]}" install -y -q --no-install-recommends "${need[@]}"
