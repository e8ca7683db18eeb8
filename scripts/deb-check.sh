#!/usr/bin/env bash
# The Linux package on this machine, as .ci/run checks it (as root, no display needed):
# make deb; make install / make uninstall under a staging folder and another prefix; the
# package's desktop entry, AppStream data, manual pages and user unit validated; lintian;
# apt-get install; the installed programs run from /usr/bin (ap-config, the utility end to
# end under Xvfb against the installed emulator, the menu entry's start in its working
# folder), the Ansible collection found by ansible-doc and its info module run against the
# installed emulator; apt-get purge, after which none of the package's files is left.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build="$root/build"
package=ap-utility
bash scripts/install-deps.sh dpkg-dev file lintian desktop-file-utils appstream man-db systemd
work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT
fail() { echo "deb-check: $*" >&2; exit 1; }
step() { echo "--- $*"; }

step "make deb"
make -s deb
deb=$(ls dist/${package}_*_amd64.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
depends=$(dpkg-deb --field "$deb" Depends)
[[ "$depends" == *libqt6widgets6* && "$depends" == *libc6* ]] ||
    fail "Depends does not name the programs' libraries: $depends"

step "make install and make uninstall (PREFIX=/opt/ap-check, DESTDIR=$work/stage)"
make -s install BUILD=build-deb PREFIX=/opt/ap-check DESTDIR="$work/stage" >/dev/null
expected="bin/ap-config bin/ap-emulator bin/ap-utility bin/apctl
lib/systemd/user/ap-emulator.service
libexec/ap-utility/ap-utility-desktop
share/ap-utility/OEM/Logo.bmp
share/applications/ap-utility.desktop
share/doc/ap-utility/changelog.gz share/doc/ap-utility/copyright
share/doc/ap-utility/README.md.gz share/doc/ap-utility/ap-config.md.gz
share/doc/ap-utility/ansible.md.gz
share/metainfo/org.example.aputility.metainfo.xml"
for size in 16 32 48 64 128 256; do
    expected+=" share/icons/hicolor/${size}x$size/apps/ap-utility.png"
done
for page in docs/man/*.1 docs/man/*.1.in; do expected+=" share/man/man1/$(basename "$page" .in).gz"; done
# The Ansible collection: every file of the artifact ansible-galaxy built, where Debian's
# Ansible looks.
collection=share/ansible/collections/ansible_collections/aputility/access_point
for file in $(tar -tzf dist/aputility-access_point-*.tar.gz | grep -v '/$'); do
    expected+=" $collection/$file"
done
[ -f packaging/linux/ap-config.bash-completion ] &&
    expected+=" share/bash-completion/completions/ap-config"
(cd "$work/stage/opt/ap-check" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/installed"
tr ' ' '\n' <<<"$expected" | sort >"$work/expected"
diff -u "$work/expected" "$work/installed" || fail "make install wrote other files than expected"
grep -qx "Exec=/opt/ap-check/libexec/ap-utility/ap-utility-desktop" \
    "$work/stage/opt/ap-check/share/applications/ap-utility.desktop" ||
    fail "the desktop entry does not start the prefix's launcher"
grep -q "^ExecStart=/opt/ap-check/bin/ap-emulator " \
    "$work/stage/opt/ap-check/lib/systemd/user/ap-emulator.service" ||
    fail "the user unit does not start the prefix's emulator"
make -s uninstall BUILD=build-deb DESTDIR="$work/stage" >/dev/null
left=$(find "$work/stage" -type f -o -type l)
[ -z "$left" ] || fail "make uninstall left: $left"

step "the package's files validated"
dpkg-deb -x "$deb" "$work/tree"
desktop-file-validate "$work/tree/usr/share/applications/ap-utility.desktop"
appstreamcli validate --no-net --pedantic "$work/tree/usr/share/metainfo/"*.metainfo.xml
appstreamcli validate-tree --no-net --pedantic "$work/tree"
for page in "$work"/tree/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
# Every document a page names is in the package.
named=$(zcat "$work"/tree/usr/share/man/man1/*.1.gz | grep -o '/usr/share/doc/[^ )]*' | sort -u)
[ -n "$named" ] || fail "no manual page names a document"
for doc in $named; do
    [ -f "$work/tree$doc" ] || fail "a manual page names $doc, which the package lacks"
done
grep -q '^License: Expat$' "$work/tree/usr/share/doc/ap-utility/copyright" ||
    fail "the copyright file does not give the MIT (Expat) licence"
for size in 16 32 48 64 128 256; do
    file "$work/tree/usr/share/icons/hicolor/${size}x$size/apps/ap-utility.png" |
        grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "no $size px icon"
done

step "lintian"
lintian --fail-on error --display-info "$deb" | tee "$work/lintian" || fail "lintian found errors"

step "apt-get install ./$deb"
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q installed; then
    apt-get -o DPkg::Lock::Timeout=600 purge -y -q "$package" >/dev/null
fi
apt-get -o DPkg::Lock::Timeout=600 install -y -q "./$deb" >/dev/null
dpkg -L "$package" >"$work/files"
for program in ap-utility ap-emulator apctl ap-config; do
    [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not in /usr/bin"
done
man -w ap-utility ap-emulator apctl ap-config >/dev/null
# The user manager's view of the unit (it needs a runtime folder; root in CI has none).
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR="$work/runtime" systemd-analyze verify --user \
    /usr/lib/systemd/user/ap-emulator.service 2>&1 | tee "$work/verify"
[ ! -s "$work/verify" ] || fail "systemd-analyze verify complained"

step "the installed collection, found by Debian's Ansible where it looks by default"
unset ANSIBLE_COLLECTIONS_PATH ANSIBLE_CONFIG
for module in config info; do
    ansible-doc "aputility.access_point.$module" >"$work/doc" || fail "ansible-doc $module failed"
    grep -q "(/usr/share/ansible/collections/ansible_collections/aputility/access_point/" \
        "$work/doc" || fail "ansible-doc found aputility.access_point.$module elsewhere"
done
ansible-doc -l aputility.access_point | sort

step "the installed programs"
version=$(/usr/bin/ap-config --version) || fail "/usr/bin/ap-config --version failed"
[ "$version" = "ap-config $(dpkg-deb --field "$deb" Version)" ] ||
    fail "/usr/bin/ap-config --version printed: $version"
echo "$version"
/usr/bin/apctl >/dev/null 2>&1 && fail "apctl without a command did not refuse"
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target e2e_tests >/dev/null
AP_TEST_UTILITY=/usr/bin/ap-utility AP_TEST_EMULATOR=/usr/bin/ap-emulator \
    "$build/tests/e2e_tests" --gtest_filter='UtilityE2ETest.SettingsOnEveryPage*' \
    --gtest_brief=1

step "the menu entry's start: the working folder in XDG_DATA_HOME"
export HOME="$work/home" AP_DEVICE_DIR="$work/devices" QT_QPA_PLATFORM=xcb
unset XDG_DATA_HOME WAYLAND_DISPLAY
mkdir -p "$HOME" "$work/elsewhere"
pids+=("$(/usr/bin/ap-emulator --device-dir "$AP_DEVICE_DIR" --state "$work/state")")
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
DISPLAY=:$(cat "$work/display")
export DISPLAY
command=$(sed -n 's/^Exec=//p' /usr/share/applications/ap-utility.desktop)
(cd "$work/elsewhere" && exec $command) &
utility=$!
pids+=("$utility")
source scripts/x-windows.sh # wait_window
wait_window_seconds=15
login=$(wait_window Login) || fail "no login dialog from the menu entry's command"
folder="$HOME/.local/share/ap-utility"
[ "$(readlink "/proc/$utility/cwd")" = "$folder" ] || fail "the utility does not run in $folder"
cmp "$folder/OEM/Logo.bmp" /usr/share/ap-utility/OEM/Logo.bmp || fail "no logo in $folder"
xdotool windowfocus --sync "$login" type --delay 30 admin
xdotool key Return
source scripts/main-caption.sh
main=$(wait_window "$main_caption") || fail "no main dialog"
xdotool windowfocus --sync "$main" key Return # OK: keys saved, the block written
for _ in $(seq 400); do kill -0 "$utility" 2>/dev/null || break; sleep 0.1; done
kill -0 "$utility" 2>/dev/null && fail "the utility did not end after OK"
[ -f "$folder/OEM.tmp" ] || fail "no key file in $folder"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the menu start wrote into the current directory"
/usr/bin/apctl stats | grep -q " writes=1 " || fail "OK did not write the block"
echo "key file and logo in $folder; the current directory untouched"
# The installed module against the installed emulator, through the installed ap-config.
AP_PASSWORD=admin ansible localhost -c local -e ansible_python_interpreter=/usr/bin/python3 \
    -m aputility.access_point.info >"$work/info" 2>&1 || { cat "$work/info"; fail "info failed"; }
grep -q '"mac_address": "02-1a-2b-3c-4d-5e"' "$work/info" || fail "info read no MAC address"
echo "aputility.access_point.info read the unit through /usr/bin/ap-config"

step "apt-get purge"
for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
pids=()
apt-get -o DPkg::Lock::Timeout=600 purge -y -q "$package" >/dev/null
left=()
while IFS= read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        # A folder others own, or one holding others' files, stays.
        dpkg-query -S "$path" >/dev/null 2>&1 || [ -n "$(ls -A "$path")" ] || left+=("$path")
    else
        left+=("$path")
    fi
done <"$work/files"
[ ${#left[@]} -eq 0 ] || fail "left after the purge: ${left[*]}"
echo "none of the $(wc -l <"$work/files") paths of the package is left"
echo "deb-check: the package builds, installs, runs and purges cleanly"
