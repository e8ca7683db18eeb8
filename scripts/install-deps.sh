#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and those named as arguments
# (the package build and its checks); does nothing when all are there.
set -euo pipefail
packages=(cmake make g++ qt6-base-dev qt6-base-dev-tools libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev libxcb1-dev libxcb-damage0-dev libxcb-xtest0-dev xvfb xdotool
          x11-utils fonts-dejavu-core fonts-liberation clang libclang-rt-14-dev
          nlohmann-json3-dev libcli11-dev wpasupplicant network-manager dbus-daemon at-spi2-core
          python3-pyatspi ansible-core pylint yamllint python3-pycodestyle python3-voluptuous
          "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=600 update -q
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
