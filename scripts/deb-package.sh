#!/usr/bin/env bash
# make deb: dist/ap-utility_<version>_amd64.deb. CPack's DEB generator packs what the
# install rules (packaging/linux/Install.cmake) put under /usr, so `make install` and the
# package hold the same files (the Ansible collection among them, whose artifact is copied
# to dist/ beside the package); the programs are built in build-deb/ with the compiler and
# linker flags of a Debian package build (dpkg-buildflags, hardening on), stripped, and
# the package's Depends are computed from their libraries by dpkg-shlibdeps.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh dpkg-dev file
build="$root/build-deb"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target install-files
rm -rf "$build/cpack"
(cd "$build" && cpack >/dev/null)
mkdir -p dist
rm -f dist/ap-utility_*.deb dist/aputility-access_point-*.tar.gz
cp "$build"/cpack/ap-utility_*.deb "$build"/ansible/aputility-access_point-*.tar.gz dist/
ls dist/ap-utility_*.deb dist/aputility-access_point-*.tar.gz
