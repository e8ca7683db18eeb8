#!/usr/bin/env bash
# make windows-package: from the programs that make windows built, writes
# dist/ap-utility-VERSION-win32.zip (the programs, OEM\Logo.bmp, README.txt) and
# dist/ap-utility-VERSION-win32-setup.exe (NSIS), then checks both: the zip's listing, the
# installers' icon and privileges, the package scripts' apt lock, and then, under Wine on an
# Xvfb display of its own, the installer and its uninstaller as a user meets them (a copy of
# the utility running, the Retry/Cancel question, silent runs, the PATH entry, the uninstall
# entry). With AP_SCREENSHOT_DIR set, takes a picture of every installer page there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
dist="$root/dist"
# shellcheck source=/dev/null
source "$build/windows-programs.sh"
name="ap-utility-$AP_VERSION-win32"
stage="$build/package/$name"
setup="$dist/$name-setup.exe"
fail() { echo "windows-package: $*" >&2; exit 1; }

if [ "${1:-}" != --on-display ]; then
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
    utility=()
    [ -f "$stage/ap-utility.exe" ] && utility=(-DUTILITY)
    makensis -V2 -DVERSION="$AP_VERSION" -DSTAGE="$stage" -DOUTFILE="$setup" \
        -DICON="$AP_ICON_FILE" "${utility[@]}" "$root/packaging/windows/ap-utility.nsi"

    # The zip holds exactly the staged files.
    listing=$(unzip -Z1 "$zip_file" | grep -v '/$' | sort)
    expected=$(cd "$build/package" && find "$name" -type f | sort)
    if [ "$listing" != "$expected" ]; then
        echo "the zip holds:"; echo "$listing"; echo "instead of:"; echo "$expected"; exit 1
    fi
    unzip -l "$zip_file"

    # The installer runs as the user who starts it: its manifest asks for no elevation.
    level=$(strings "$setup" | sed -n 's/.*requestedExecutionLevel level="\([A-Za-z]*\)".*/\1/p')
    [ "$level" = asInvoker ] || fail "the installer asks for \"$level\" rights, not asInvoker"

    # The package scripts wait for another apt-get's lock: every apt-get they run, here a
    # stand-in that writes down its arguments, carries the timeout.
    stubs=$(mktemp -d)
    trap 'rm -rf "$stubs"' EXIT
    printf '#!/bin/sh\necho "$*" >>"%s/calls"\n' "$stubs" >"$stubs/apt-get"
    printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query" # every package missing
    printf '#!/bin/sh\necho i386\n' >"$stubs/dpkg"
    printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
    chmod +x "$stubs"/*
    for script in install-deps.sh install-windows-tools.sh; do
        rm -f "$stubs/calls"
        PATH="$stubs:$PATH" bash "$root/scripts/$script" >/dev/null
        [ "$(grep -c . "$stubs/calls")" -ge 2 ] || fail "$script ran no apt-get update and install"
        ! grep -v -- '-o DPkg::Lock::Timeout=600 ' "$stubs/calls" ||
            fail "$script runs apt-get without waiting for the lock"
    done
    echo "installer: no elevation asked; the package scripts wait for the apt lock"

    emulator="$root/build/tools/ap-emulator"
    if [ ! -x "$emulator" ]; then
        [ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" >/dev/null
        cmake --build "$root/build" --target ap-emulator >/dev/null
    fi
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" --on-display
    echo "packages: $zip_file $setup"
    exit 0
fi

# From here on, on the Xvfb display, in the test Wine prefix.
scratch=$(mktemp -d)
source "$root/scripts/tcp-emulator.sh"
finish() { wineserver -k 2>/dev/null || true; stop_tcp_emulator; rm -rf "$scratch"; }
trap finish EXIT
source "$root/scripts/wine-env.sh"
end_wineserver
names=()
for exe in "${AP_WINDOWS_PROGRAMS[@]}"; do names+=("$(basename "$exe")"); done
with_utility=no
[ -f "$stage/ap-utility.exe" ] && with_utility=yes

user_dir() { # a Windows folder of the prefix's user, as a Unix path
    winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"
}
windows_path() { winepath -w "$1" | tr -d '\r'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ap-utility'
runonce_key='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'
reg_value() { # KEY NAME: the value's data, or nothing
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
program_dir="$(user_dir LOCALAPPDATA)/Programs/ap-utility"
local_dir="$(user_dir LOCALAPPDATA)/ap-utility"
menu_dir="$(user_dir APPDATA)/Microsoft/Windows/Start Menu/Programs/ap-utility"
program_win=$(windows_path "$program_dir")
# A clean start: no earlier installation, and a PATH of the user's own.
rm -rf "$program_dir" "$local_dir" "$menu_dir"
wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
wine reg delete "$runonce_key" /f >/dev/null 2>&1 || true
user_path='C:\tools;%SystemRoot%\extra'
wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$user_path" /f >/dev/null

# Windows are waited for up to 60 s (Wine starts slowly on a busy machine).
source "$root/scripts/x-windows.sh" # wait_window
wait_window_seconds=60
wait_gone() { # window id
    for _ in $(seq 1 300); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    return 1
}
shot() {
    if [ -n "${AP_SCREENSHOT_DIR:-}" ]; then
        sleep 0.5
        import -window "$1" "$AP_SCREENSHOT_DIR/$2.png"
    fi
}
# A key to a window: a click first makes it Wine's foreground window (with no window manager
# the focus alone does not when another program's window came up since).
press() {
    xdotool windowfocus --sync "$1"
    xdotool mousemove --window "$1" 100 10 click 1
    sleep 0.3
    xdotool key "$2"
}
# The question's caption; a page's adds its name.
setup_caption="ap-utility $AP_VERSION Setup"
uninstall_caption="ap-utility $AP_VERSION Uninstall"
# Starts the utility in the working folder $2 from $1 and waits for its login.
start_utility() {
    (cd "$2" && exec wine "$1") >/dev/null 2>&1 &
    wait_window Login || fail "the utility showed no login"
}
close_utility() { press "$1" Escape; wait_gone "$1" || fail "the login stays after Escape"; }
# Runs a Windows program and prints its exit code.
exit_code() { local code=0; wine "$@" >/dev/null 2>&1 || code=$?; echo "$code"; }
in_place() { echo "_?=$(winepath -s "$program_win" | tr -d '\r')"; }
installed_files() { (cd "$program_dir" 2>/dev/null && find . -type f | sort); }

# Installing while a copy of the utility runs: a silent run fails and installs nothing, the
# installer's question offers Retry and Cancel, and Cancel installs nothing either.
if [ $with_utility = yes ]; then
    mkdir -p "$scratch/run/OEM"
    cp "$AP_LOGO_FILE" "$scratch/run/OEM/Logo.bmp"
    login=$(start_utility "$build/src/ap-utility.exe" "$scratch/run")
    silent=$(exit_code "$setup" /S)
    [ "$silent" != 0 ] || fail "a silent install beside a running copy succeeded"
    [ ! -e "$program_dir" ] || fail "a refused silent install left $program_dir"
    wine "$setup" >/dev/null 2>&1 &
    setup_pid=$!
    box=$(wait_window "$setup_caption") || fail "no question while a copy runs"
    shot "$box" installer-running
    press "$box" Escape # Cancel
    code=0; wait "$setup_pid" || code=$?
    [ "$code" != 0 ] || fail "Cancel ended the installer with exit code 0"
    [ ! -e "$program_dir" ] && [ -z "$(reg_value "$uninstall_key" DisplayName)" ] ||
        fail "Cancel installed something"
    close_utility "$login"
    echo "installer: a running copy refused (silent: exit $silent; Cancel: exit $code)," \
         "nothing installed"
fi

# The install as the user sees it: the folder page, then the files.
wine "$setup" >/dev/null 2>&1 &
setup_pid=$!
page=$(wait_window "$setup_caption: Installation Folder") || fail "no installer window"
shot "$page" installer-folder
press "$page" Return # Install
wait_window "$setup_caption: Completed" >/dev/null || fail "the installer did not complete"
shot "$page" installer-done
press "$page" Return # Close
wait "$setup_pid" || fail "the installer ended with exit code $?"

for f in "${names[@]}" OEM/Logo.bmp README.txt Uninstall.exe; do
    [ -f "$program_dir/$f" ] || fail "$f did not land in $program_dir"
done
cmp -s "$program_dir/OEM/Logo.bmp" "$local_dir/OEM/Logo.bmp" ||
    fail "the working folder $local_dir lacks OEM/Logo.bmp"
[ -f "$menu_dir/Uninstall ap-utility.lnk" ] || fail "no Start-menu entry in $menu_dir"
if [ $with_utility = yes ]; then
    lnk="$menu_dir/ap-utility.lnk"
    [ -f "$lnk" ] || fail "no Start-menu shortcut for ap-utility.exe"
    strings -el "$lnk" | grep -qi 'AppData\\Local\\ap-utility$' ||
        fail "the shortcut does not start in the working folder"
fi
! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ap-utility' \
    >/dev/null 2>&1 || fail "an uninstall entry for all users"
echo "installer: the programs in %LOCALAPPDATA%\\Programs\\ap-utility, the working folder" \
     "with the logo, the Start-menu entries"

# The uninstall entry: who made it, its icon, its size, where to read about it.
readme_win="$program_win\\README.txt"
bytes=$(( $(find "$program_dir" -type f -printf '%s+') 0 ))
while read -r field expected; do
    value=$(reg_value "$uninstall_key" "$field")
    [ "$value" = "$expected" ] || fail "uninstall entry $field: \"$value\", not \"$expected\""
done <<EOF
DisplayName ap-utility $AP_VERSION
DisplayVersion $AP_VERSION
Publisher The ap-utility developers
DisplayIcon $program_win\\Uninstall.exe,0
URLInfoAbout $readme_win
HelpLink $readme_win
UninstallString "$program_win\\Uninstall.exe"
InstallLocation $program_win
EOF
size=$(( $(reg_value "$uninstall_key" EstimatedSize) ))
[ $(( bytes / 1024 - size )) -le 8 ] && [ $(( size - bytes / 1024 )) -le 8 ] ||
    fail "uninstall entry EstimatedSize $size KiB, the files hold $(( bytes / 1024 )) KiB"
# The icon ap-artwork drew, each of its images byte for byte in the installer's and the
# uninstaller's resources.
bytes_of() { od -An -v -tx1 "$@" | tr -s ' \n' ' '; }
for exe in "$setup" "$program_dir/Uninstall.exe"; do
    exe_bytes=$(bytes_of "$exe")
    count=$(od -An -tu2 -j4 -N2 "$AP_ICON_FILE" | tr -d ' ')
    for i in $(seq 0 $(( count - 1 ))); do
        read -r length offset < <(od -An -tu4 -j $(( 6 + 16 * i + 8 )) -N8 "$AP_ICON_FILE")
        image=$(bytes_of -j "$offset" -N "$length" "$AP_ICON_FILE")
        [[ "$exe_bytes" == *"$image"* ]] || fail "$(basename "$exe") lacks image $i of the icon"
    done
done
echo "installer: the uninstall entry under HKCU with its fields, the program's icon"

# The program folder once on the user's PATH, after the user's own entries; a command prompt
# started afterwards finds ap-config by name, and it reaches the device.
[ "$(reg_value 'HKCU\Environment' Path)" = "$user_path;$program_win" ] ||
    fail "PATH is \"$(reg_value 'HKCU\Environment' Path)\""
code=$(exit_code "$setup" /S) # installed again over itself
[ "$code" = 0 ] || fail "installing again ended with exit code $code"
[ "$(reg_value 'HKCU\Environment' Path)" = "$user_path;$program_win" ] ||
    fail "installing again made PATH \"$(reg_value 'HKCU\Environment' Path)\""
start_tcp_emulator "$root/build/tools/ap-emulator" "$scratch" || exit 1
shown=$(cd "$scratch" && AP_PASSWORD=admin wine cmd /c "ap-config show" 2>&1 | tr -d '\r')
grep -qE "^channel +Channel 6$" <<<"$shown" || fail "ap-config by name in a new prompt showed: $shown"
stop_tcp_emulator
echo "installer: PATH holds the program folder once; \"ap-config show\" works by name"

# Uninstalling while a copy runs: the silent uninstaller fails and changes nothing; the
# question's Retry goes on once the copy is closed.
before=$(installed_files)
if [ $with_utility = yes ]; then
    login=$(start_utility "$program_dir/ap-utility.exe" "$local_dir")
    code=$(exit_code "$program_dir/Uninstall.exe" /S "$(in_place)")
    [ "$code" != 0 ] || fail "a silent uninstall beside a running copy succeeded"
    [ "$(installed_files)" = "$before" ] || fail "a refused silent uninstall removed files"
    [ -n "$(reg_value "$uninstall_key" DisplayName)" ] && [ -d "$menu_dir" ] &&
        [ "$(reg_value 'HKCU\Environment' Path)" = "$user_path;$program_win" ] ||
        fail "a refused silent uninstall changed the entry, the shortcuts or PATH"
    echo "uninstaller: silent beside a running copy: exit $code, nothing changed"
    wine "$program_dir/Uninstall.exe" >/dev/null 2>&1 &
    box=$(wait_window "$uninstall_caption") || fail "no question while a copy runs"
    shot "$box" uninstaller-running
    close_utility "$login"
    press "$box" Return # Retry
else
    wine "$program_dir/Uninstall.exe" >/dev/null 2>&1 &
fi
page=$(wait_window "$uninstall_caption: Confirmation") || fail "no uninstaller page"
touch "$local_dir/OEM.tmp" # a key file of the user's, which the uninstaller must leave
shot "$page" uninstaller-confirm
press "$page" Return # Uninstall
wait_window "$uninstall_caption: Completed" >/dev/null || fail "the uninstaller did not complete"
shot "$page" uninstaller-done
press "$page" Return # Close
for _ in $(seq 1 300); do [ ! -e "$program_dir" ] && break; sleep 0.1; done
[ ! -e "$program_dir" ] || fail "the uninstaller left $(installed_files)"
[ ! -e "$menu_dir" ] || fail "the uninstaller left the Start-menu folder"
[ -z "$(reg_value "$uninstall_key" DisplayName)" ] || fail "the uninstall entry stays"
[ "$(reg_value 'HKCU\Environment' Path)" = "$user_path" ] ||
    fail "after uninstalling PATH is \"$(reg_value 'HKCU\Environment' Path)\""
[ -f "$local_dir/OEM.tmp" ] || fail "the uninstaller removed the user's key file"
echo "uninstaller: after Retry the programs, the shortcuts, the entry and the PATH entry gone," \
     "the working folder kept"

# A file something else holds open stays until the next restart, and so do the uninstaller
# and its entry; the restart removes the file, and the uninstaller run at the next logon
# the rest.
wine "$setup" /S >/dev/null 2>&1
mkfifo "$scratch/hold"
sleep 60 >"$scratch/hold" &
holder=$!
# cmd holds README.txt open while its "set /p" waits for a line; it appends its prompt there.
# (The file by its short name: cmd would not read a quoted one from Wine's command line.)
length=$(stat -c %s "$program_dir/README.txt")
held=$(winepath -s "$program_win\\README.txt" | tr -d '\r')
wine cmd /c "set /p held=held: >> $held" <"$scratch/hold" >/dev/null 2>&1 &
for _ in $(seq 1 300); do
    [ "$(stat -c %s "$program_dir/README.txt")" != "$length" ] && break
    sleep 0.1
done
[ "$(stat -c %s "$program_dir/README.txt")" != "$length" ] || fail "cmd did not open README.txt"
code=$(exit_code "$program_dir/Uninstall.exe" /S "$(in_place)")
[ "$code" = 0 ] || fail "the uninstaller with a file in use ended with exit code $code"
[ -e "$program_dir/README.txt" ] || fail "the file in use was deleted after all"
[ -n "$(reg_value "$uninstall_key" DisplayName)" ] ||
    fail "the uninstall entry went while a file stays"
[ "$(reg_value "$runonce_key" "ap-utility uninstall")" = "\"$program_win\\Uninstall.exe\" /S" ] ||
    fail "no run of the uninstaller at the next logon"
kill "$holder"; wait "$holder" 2>/dev/null || true
wineserver -k; wineserver -w
wineboot -r >/dev/null 2>&1 # a restart: the deletions left pending
wineserver -w
[ ! -e "$program_dir/README.txt" ] || fail "the restart did not remove the file left in use"
# The next logon runs (and takes off) the RunOnce commands, as Explorer does.
logon=$(reg_value "$runonce_key" "ap-utility uninstall")
wine reg delete "$runonce_key" /v "ap-utility uninstall" /f >/dev/null
command=${logon#\"}
wine "${command%%\"*}" ${command#*\" } >/dev/null 2>&1
wineserver -w
for _ in $(seq 1 300); do [ ! -e "$program_dir" ] && break; sleep 0.1; done
[ ! -e "$program_dir" ] || fail "after the logon the uninstaller left $(installed_files)"
[ -z "$(reg_value "$uninstall_key" DisplayName)" ] || fail "after the logon the entry stays"
echo "uninstaller: a file in use removed at the restart, the entry with it"
wine reg delete 'HKCU\Environment' /v Path /f >/dev/null
rm -rf "$local_dir"
