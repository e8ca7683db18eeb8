#!/usr/bin/env bash
# make windows-package: from the programs that make windows built, writes
# dist/ap-utility-VERSION-win32.zip (the programs, OEM\Logo.bmp, README.txt) and
# dist/ap-utility-VERSION-win32-setup.exe (NSIS), then checks both: the zip's listing, and
# the installer run silently in the test Wine prefix, then its uninstaller.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
dist="$root/dist"
# shellcheck source=/dev/null
source "$build/windows-programs.sh"
name="ap-utility-$AP_VERSION-win32"
stage="$build/package/$name"
rm -rf "$build/package" && mkdir -p "$stage/OEM" "$dist"

names=()
for exe in "${AP_WINDOWS_PROGRAMS[@]}"; do
    cp "$exe" "$stage/" && names+=("$(basename "$exe")")
done
cp "$AP_LOGO_FILE" "$stage/OEM/Logo.bmp"
sed -e "s/@VERSION@/$AP_VERSION/" -e "s/@PROGRAMS@/${names[*]}/" -e 's/$/\r/' \
    "$root/packaging/windows/README.txt" >"$stage/README.txt"

zip_file="$dist/$name.zip"
rm -f "$zip_file"
(cd "$build/package" && zip -q -r -X "$zip_file" "$name")
setup="$dist/$name-setup.exe"
utility=()
[ -f "$stage/ap-utility.exe" ] && utility=(-DUTILITY)
makensis -V2 -DVERSION="$AP_VERSION" -DSTAGE="$stage" -DOUTFILE="$setup" "${utility[@]}" \
    "$root/packaging/windows/ap-utility.nsi"

# The zip holds exactly the staged files.
listing=$(unzip -Z1 "$zip_file" | grep -v '/$' | sort)
expected=$(cd "$build/package" && find "$name" -type f | sort)
if [ "$listing" != "$expected" ]; then
    echo "the zip holds:"; echo "$listing"; echo "instead of:"; echo "$expected"; exit 1
fi
unzip -l "$zip_file"

# The installer, silently, in the test prefix; then what landed; then the uninstaller.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
drive_c="$WINEPREFIX/drive_c"
user_dir() { # a Windows folder of the prefix's user, as a Unix path
    winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"
}
xvfb-run -a wine "$setup" /S 2>/dev/null
program_dir=$(winepath -u "$(wine cmd /c echo '%ProgramFiles%' | tr -d '\r')")/ap-utility
local_dir="$(user_dir LOCALAPPDATA)/ap-utility"
menu_dir="$(user_dir APPDATA)/Microsoft/Windows/Start Menu/Programs/ap-utility"
fail() { echo "installer: $*"; exit 1; }
for f in "${names[@]}" OEM/Logo.bmp README.txt Uninstall.exe; do
    [ -f "$program_dir/$f" ] || fail "$f did not land in $program_dir"
done
cmp -s "$program_dir/OEM/Logo.bmp" "$local_dir/OEM/Logo.bmp" ||
    fail "the working folder $local_dir lacks OEM/Logo.bmp"
[ -f "$menu_dir/Uninstall ap-utility.lnk" ] || fail "no Start-menu entry in $menu_dir"
if [ ${#utility[@]} -gt 0 ]; then
    lnk="$menu_dir/ap-utility.lnk"
    [ -f "$lnk" ] || fail "no Start-menu shortcut for ap-utility.exe"
    strings -el "$lnk" | grep -qi 'AppData\\Local\\ap-utility$' ||
        fail "the shortcut does not start in the working folder"
fi
echo "installer: the programs in $(basename "$(dirname "$program_dir")")/ap-utility, the working" \
     "folder with the logo, the Start-menu entries"
touch "$local_dir/OEM.tmp" # a key file of the user's, which the uninstaller must leave
# _?= runs it in place and waits for it; the folder goes in its short form, without spaces,
# as the uninstaller reads it raw from its command line.
xvfb-run -a wine "$program_dir/Uninstall.exe" /S "_?=$(winepath -s "$(winepath -w "$program_dir")" | tr -d '\r')" \
    2>/dev/null
for f in "${names[@]}" OEM/Logo.bmp README.txt; do
    [ ! -e "$program_dir/$f" ] || fail "the uninstaller left $f"
done
[ ! -e "$menu_dir" ] || fail "the uninstaller left the Start-menu folder"
[ -f "$local_dir/OEM.tmp" ] || fail "the uninstaller removed the user's key file"
rm -rf "$program_dir" "$local_dir" # the uninstaller itself stays when run in place
echo "uninstaller: the programs and the shortcuts gone, the working folder kept"
echo "packages: $zip_file $setup"
