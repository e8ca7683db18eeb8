#!/usr/bin/env bash
# make windows-package: from the programs that make windows built, writes
# dist/ap-utility-VERSION-win32.zip (the programs, stripped, OEM\Logo.bmp, README.txt,
# ap-config.md, LICENSE.txt) and dist/ap-utility-VERSION-win32-setup.exe (NSIS), keeping the
# programs' symbols in build-win32/symbols/, then checks both: the zip's listing, the
# installers' icon and privileges, the package scripts' apt lock, and then, under Wine on an
# Xvfb display of its own, the installer and its uninstaller as a user meets them (the
# licence, a copy of the utility or of ap-config running, the Retry/Cancel question, silent
# runs, the user's PATH of any length and their own entries, their logo, an update that
# cannot finish, a pending uninstall, the uninstall entry). With AP_SCREENSHOT_DIR set, takes
# a picture of every installer page there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
dist="$root/dist"
# shellcheck source=/dev/null
source "$build/windows-programs.sh"
name="ap-utility-$AP_VERSION-win32"
stage="$build/package/$name"
setup="$dist/$name-setup.exe"
symbols="$build/symbols"
fail() { echo "windows-package: $*" >&2; exit 1; }
has_debug_sections() { [ "$(i686-w64-mingw32-objdump -h "$1" | grep -c ' \.debug_')" -gt 0 ]; }

if [ "${1:-}" != --on-display ]; then
    rm -rf "$build/package" "$symbols" && mkdir -p "$stage/OEM" "$build/package/tools" "$dist" "$symbols"
    # A program shipped without its symbols, which stay in build-win32/symbols/NAME.debug, the
    # file its .gnu_debuglink section names, for a debugger reading a crash report.
    strip_into() { # PROGRAM FOLDER
        local base debug
        base=$(basename "$1")
        debug="$symbols/${base%.exe}.debug"
        i686-w64-mingw32-objcopy --only-keep-debug "$1" "$debug"
        i686-w64-mingw32-objcopy --strip-all --add-gnu-debuglink="$debug" "$1" "$2/$base"
        ! has_debug_sections "$2/$base" || fail "$base keeps debug sections after stripping"
        has_debug_sections "$debug" || fail "$debug holds no debug sections"
    }
    names=()
    for exe in "${AP_WINDOWS_PROGRAMS[@]}"; do
        strip_into "$exe" "$stage" && names+=("$(basename "$exe")")
    done
    strip_into "$AP_SETUP_PATH_TOOL" "$build/package/tools"
    cp "$AP_LOGO_FILE" "$stage/OEM/Logo.bmp"
    with_crlf() { sed -e 's/\r*$/\r/' "$@"; }
    with_crlf -e "s/@VERSION@/$AP_VERSION/" -e "s/@PROGRAMS@/${names[*]}/" \
        "$root/packaging/windows/README.txt" >"$stage/README.txt"
    with_crlf "$root/docs/ap-config.md" >"$stage/ap-config.md"
    with_crlf "$root/LICENSE" >"$stage/LICENSE.txt"

    zip_file="$dist/$name.zip"
    rm -f "$zip_file"
    (cd "$build/package" && zip -q -r -X "$zip_file" "$name")
    utility=()
    [ -f "$stage/ap-utility.exe" ] && utility=(-DUTILITY)
    makensis -V2 -DVERSION="$AP_VERSION" -DSTAGE="$stage" -DOUTFILE="$setup" \
        -DICON="$AP_ICON_FILE" -DPATH_TOOL="$build/package/tools/ap-path.exe" "${utility[@]}" \
        "$root/packaging/windows/ap-utility.nsi"

    # The zip holds exactly the staged files.
    listing=$(unzip -Z1 "$zip_file" | grep -v '/$' | sort)
    expected=$(cd "$build/package" && find "$name" -type f | sort)
    if [ "$listing" != "$expected" ]; then
        echo "the zip holds:"; echo "$listing"; echo "instead of:"; echo "$expected"; exit 1
    fi
    # ... and they are the programs, the logo and the documents the manual pages and the
    # README name, with the licence as the repository carries it.
    shipped=$(printf "$name/%s\n" "${names[@]}" OEM/Logo.bmp README.txt ap-config.md LICENSE.txt | sort)
    [ "$listing" = "$shipped" ] || fail "the zip holds $listing"
    unzip -p "$zip_file" "$name/LICENSE.txt" | tr -d '\r' | cmp -s - "$root/LICENSE" ||
        fail "the zip's LICENSE.txt is not the repository's LICENSE"
    for program in "${names[@]}"; do
        unzip -p "$zip_file" "$name/$program" >"$build/package/shipped.exe"
        ! has_debug_sections "$build/package/shipped.exe" || fail "the zip's $program has debug sections"
    done
    rm "$build/package/shipped.exe"
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
listener_pid=""
finish() {
    wineserver -k 2>/dev/null || true
    stop_tcp_emulator
    if [ -n "$listener_pid" ]; then kill "$listener_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
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
user_path() { reg_value 'HKCU\Environment' Path; }
has_user_path() { wine reg query 'HKCU\Environment' /v Path >/dev/null 2>&1; }
path_type() { wine reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Path *\(REG_[A-Z_]*\).*/\1/p'; }
set_user_path() { # VALUE [REG_EXPAND_SZ]: of any length as REG_SZ (a registry file: a command
                  # line holds 32767 characters)
    if [ "${2:-}" = REG_EXPAND_SZ ]; then
        wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$1" /f >/dev/null
    else
        local escaped=${1//\\/\\\\}
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Environment]\r\n"Path"="%s"\r\n' "$escaped" \
            >"$scratch/path.reg"
        wine regedit /S "$(windows_path "$scratch/path.reg")" >/dev/null 2>&1
    fi
    [ "$(user_path)" = "$1" ] && [ "$(path_type)" = "${2:-REG_SZ}" ] ||
        fail "could not set a PATH of ${#1} characters"
}
program_dir="$(user_dir LOCALAPPDATA)/Programs/ap-utility"
local_dir="$(user_dir LOCALAPPDATA)/ap-utility"
menu_dir="$(user_dir APPDATA)/Microsoft/Windows/Start Menu/Programs/AP Utility"
old_menu_dir="$(dirname "$menu_dir")/ap-utility" # where earlier versions put their shortcuts
program_win=$(windows_path "$program_dir")
# A clean start: no earlier installation, and a PATH of the user's own.
rm -rf "$program_dir" "$local_dir" "$menu_dir"
wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
wine reg delete "$runonce_key" /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Software\ap-utility' /f >/dev/null 2>&1 || true
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
# Runs the RunOnce command NAME and takes it off, as Explorer does at the next logon.
logon_run() {
    local command
    command=$(reg_value "$runonce_key" "$1")
    [ -n "$command" ] || fail "no \"$1\" for the next logon"
    wine reg delete "$runonce_key" /v "$1" /f >/dev/null
    printf '%s\r\n' "$command" >"$scratch/logon.bat"
    wine cmd /c "$(windows_path "$scratch/logon.bat")" >/dev/null 2>&1
    wineserver -w
}
installed_files() { (cd "$program_dir" 2>/dev/null && find . -type f | sort); }
# Every installed file with its contents, to tell that a refused run changed none.
installed_state() { (cd "$program_dir" 2>/dev/null && find . -type f -exec md5sum {} + | sort -k2); }
# A refused install: exit code 2, every installed file as it was ($1: the state before).
expect_refused() { # STATE WHAT
    local code
    code=$(exit_code "$setup" /S)
    [ "$code" = 2 ] || fail "$2: a silent install ended with exit code $code, not 2"
    [ "$(installed_state)" = "$1" ] || fail "$2: a refused silent install changed the files"
}

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

# The install as the user sees it: the licence, the folder page, then the files; it takes
# over from an earlier version's Start-menu folder.
mkdir -p "$old_menu_dir"
touch "$old_menu_dir/ap-utility.lnk" "$old_menu_dir/Uninstall ap-utility.lnk" "$old_menu_dir/README.lnk"
wine "$setup" >/dev/null 2>&1 &
setup_pid=$!
page=$(wait_window "$setup_caption: License Agreement") || fail "no licence page"
shot "$page" installer-licence
press "$page" Return # I Agree
wait_window "$setup_caption: Installation Folder" >/dev/null || fail "no folder page"
shot "$page" installer-folder
press "$page" Return # Install
wait_window "$setup_caption: Completed" >/dev/null || fail "the installer did not complete"
shot "$page" installer-done
press "$page" Return # Close
wait "$setup_pid" || fail "the installer ended with exit code $?"

# The installed files are the zip's, the uninstaller besides.
shipped=$( (cd "$stage" && find . -type f -exec md5sum {} + | sort -k2) )
[ "$(installed_state | grep -v ' ./Uninstall.exe$')" = "$shipped" ] ||
    fail "the installed files are not the zip's: $(installed_files)"
[ -f "$program_dir/Uninstall.exe" ] || fail "no Uninstall.exe in $program_dir"
cmp -s "$program_dir/OEM/Logo.bmp" "$local_dir/OEM/Logo.bmp" ||
    fail "the working folder $local_dir lacks OEM/Logo.bmp"
[ -f "$menu_dir/Uninstall AP Utility.lnk" ] || fail "no Start-menu entry in $menu_dir"
[ ! -e "$old_menu_dir" ] || fail "the Start-menu folder of earlier versions stays"
if [ $with_utility = yes ]; then
    lnk="$menu_dir/AP Utility.lnk"
    [ -f "$lnk" ] || fail "no Start-menu shortcut for ap-utility.exe"
    strings -el "$lnk" | grep -qi 'AppData\\Local\\ap-utility$' ||
        fail "the shortcut does not start in the working folder"
fi
! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ap-utility' \
    >/dev/null 2>&1 || fail "an uninstall entry for all users"
echo "installer: the licence page; the programs and documents in" \
     "%LOCALAPPDATA%\\Programs\\ap-utility, the working folder with the logo, the Start-menu entries"

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

# The program folder once on the user's PATH, after the user's own entries.
[ "$(user_path)" = "$user_path;$program_win" ] || fail "PATH is \"$(user_path)\""

# Installed again over itself while another program shows a dialog captioned "Login": only
# the utility's own instance mutex keeps the installer waiting.
floor=$(printf '%s\n' "${AP_WINDOWS_OTHERS[@]}" | grep '/win32_login_floor\.exe$')
wine "$floor" >/dev/null 2>&1 &
other=$(wait_window Login) || fail "the other program showed no Login dialog"
code=$(exit_code "$setup" /S)
[ "$code" = 0 ] || fail "installing again beside another program's Login ended with exit code $code"
press "$other" Escape
wait_gone "$other" || fail "the other program's Login stays after Escape"
[ "$(user_path)" = "$user_path;$program_win" ] || fail "installing again made PATH \"$(user_path)\""
# And again, with a logo of the user's in the working folder and an uninstall still pending
# for the next logon (from a file that was in use): the logo stays, and the pending uninstall
# no longer runs.
printf 'the user'"'"'s own logo' >"$local_dir/OEM/Logo.bmp"
wine reg add "$runonce_key" /v "ap-utility uninstall" /d "\"$program_win\\Uninstall.exe\" /S" \
    /f >/dev/null
code=$(exit_code "$setup" /S)
[ "$code" = 0 ] || fail "installing again ended with exit code $code"
[ "$(cat "$local_dir/OEM/Logo.bmp")" = "the user's own logo" ] ||
    fail "installing again replaced the user's logo"
[ -z "$(reg_value "$runonce_key" "ap-utility uninstall")" ] ||
    fail "installing again left the uninstall pending for the next logon"
echo "installer: again over itself beside another program's \"Login\": PATH unchanged;" \
     "the user's logo kept, the pending uninstall cleared"

# A command prompt started afterwards finds ap-config by name, and it reaches the device.
start_tcp_emulator "$root/build/tools/ap-emulator" "$scratch" || exit 1
shown=$(cd "$scratch" && AP_PASSWORD=admin wine cmd /c "ap-config show" 2>&1 | tr -d '\r')
grep -qE "^channel +Channel 6$" <<<"$shown" || fail "ap-config by name in a new prompt showed: $shown"
stop_tcp_emulator
echo "installer: PATH holds the program folder once; \"ap-config show\" works by name"

# An update while ap-config runs (here waiting for a device that accepted its connection and
# never answers) is refused before any file is replaced: silently with exit code 2, and
# interactively with the Retry/Cancel question, whose Cancel changes nothing either. The
# installed files are made to differ from the installer's first (bytes after a program's or
# the logo's end change nothing they show), so that a file replaced would show.
while read -r file; do printf 'installed before' >>"$program_dir/$file"; done \
    < <(installed_files | grep -v '^./Uninstall.exe$')
before=$(installed_state)
python3 -c '
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(1)
print(s.getsockname()[1], flush=True)
c, _ = s.accept()
print("connected", flush=True)
time.sleep(600)' >"$scratch/listener" &
listener_pid=$!
for _ in $(seq 1 100); do [ -s "$scratch/listener" ] && break; sleep 0.1; done
AP_DEVICE_ADDR="127.0.0.1:$(head -1 "$scratch/listener")" AP_DEVICE_TOKEN="$(printf "0%.0s" {1..64})" AP_PASSWORD=admin \
    wine "$program_dir/ap-config.exe" show >/dev/null 2>&1 &
config_pid=$!
for _ in $(seq 1 600); do grep -q connected "$scratch/listener" && break; sleep 0.1; done
grep -q connected "$scratch/listener" || fail "ap-config did not connect"
expect_refused "$before" "beside a running ap-config"
wine "$setup" >/dev/null 2>&1 &
setup_pid=$!
box=$(wait_window "$setup_caption") || fail "no question while ap-config runs"
shot "$box" installer-in-use
press "$box" Escape # Cancel
code=0; wait "$setup_pid" || code=$?
[ "$code" = 2 ] || fail "Cancel beside a running ap-config ended with exit code $code"
[ "$(installed_state)" = "$before" ] || fail "Cancel beside a running ap-config changed the files"
kill "$listener_pid"; wait "$listener_pid" 2>/dev/null || true; listener_pid=""
wait "$config_pid" 2>/dev/null || true
echo "installer: an update beside a running ap-config refused (silent and Cancel: exit 2)," \
     "no file replaced"

# An update that cannot write one of its files (here the OEM folder is a file, which the
# check for files in use does not see) puts back the files it had set aside: the version
# there before stays whole, with nothing of the attempt left.
rm -r "$program_dir/OEM" && echo "not a folder" >"$program_dir/OEM"
expect_refused "$(installed_state)" "with a file that cannot be written"
[ -z "$(find "$program_dir" -name '*.previous')" ] || fail "a failed update left $(installed_files)"
rm "$program_dir/OEM"
code=$(exit_code "$setup" /S)
[ "$code" = 0 ] || fail "installing after the failed update ended with exit code $code"
echo "installer: an update that cannot finish leaves the installed version whole"

# Uninstalling while a copy runs: the silent uninstaller fails and changes nothing; the
# question's Retry goes on once the copy is closed.
before=$(installed_files)
if [ $with_utility = yes ]; then
    login=$(start_utility "$program_dir/ap-utility.exe" "$local_dir")
    code=$(exit_code "$program_dir/Uninstall.exe" /S "$(in_place)")
    [ "$code" != 0 ] || fail "a silent uninstall beside a running copy succeeded"
    [ "$(installed_files)" = "$before" ] || fail "a refused silent uninstall removed files"
    [ -n "$(reg_value "$uninstall_key" DisplayName)" ] && [ -d "$menu_dir" ] &&
        [ "$(user_path)" = "$user_path;$program_win" ] ||
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
[ "$(user_path)" = "$user_path" ] || fail "after uninstalling PATH is \"$(user_path)\""
[ -f "$local_dir/OEM.tmp" ] || fail "the uninstaller removed the user's key file"
# The entry's uninstaller ran from its copy in %TEMP%\~nsuN.tmp, which the next logon removes
# with its folder. (Wine deletes the copy itself when its server ends, as it lets every
# process ask for deletes at the restart; the folder stays there too, and goes at the logon.)
wineserver -w
copy=$(reg_value "$runonce_key" "ap-utility uninstaller copy" | sed -n 's/.* del \/f \/q "\([^"]*\)".*/\1/p')
copy_dir=$(dirname "$(winepath -u "$copy" 2>/dev/null)")
[[ "$copy" == *'\~nsu'*'.tmp\Un.exe' ]] && [ -d "$copy_dir" ] ||
    fail "no removal of the uninstaller's copy at the next logon (\"$copy\")"
logon_run "ap-utility uninstaller copy"
[ ! -e "$copy_dir" ] || fail "the logon left the uninstaller's copy in $copy_dir"
echo "uninstaller: after Retry the programs, the shortcuts, the entry and the PATH entry gone," \
     "the working folder kept; its copy in %TEMP% goes at the next logon"

# The user's PATH, whatever its length, kept whole with the folder added and then taken off;
# one the folder cannot be added to without passing the longest an environment variable may
# be (32767 characters with its end) kept whole; an entry naming the folder that the user
# had (in other case, with a trailing backslash, or through a variable in an expandable
# value) kept by the uninstaller too; empty entries and a trailing ";" given back as they
# were; a user without a PATH left without one. The value's type stays.
long_path() { # LENGTH: entries of the user's, that many characters in all
    local text="" i=0
    while [ ${#text} -lt "$1" ]; do text+="C:\\Users\\Tools\\entry$((i++));"; done
    text=${text:0:$1}
    echo "${text%?}x"
}
path_case() { # WHAT BEFORE AFTER_INSTALL [TYPE]: AFTER_UNINSTALL is BEFORE ("-": no value)
    if [ "$2" = - ]; then
        wine reg delete 'HKCU\Environment' /v Path /f >/dev/null 2>&1 || true
    else
        set_user_path "$2" "${4:-}"
    fi
    local code
    code=$(exit_code "$setup" /S)
    [ "$code" = 0 ] || fail "$1: the install ended with exit code $code"
    [ "$(user_path)" = "$3" ] || fail "$1: after the install PATH has $(user_path | wc -c) characters"
    [ "$2" = - ] || [ "$(path_type)" = "${4:-REG_SZ}" ] || fail "$1: the install made PATH $(path_type)"
    code=$(exit_code "$program_dir/Uninstall.exe" /S "$(in_place)")
    [ "$code" = 0 ] || fail "$1: the uninstall ended with exit code $code"
    if [ "$2" = - ]; then
        ! has_user_path || fail "$1: the uninstall left PATH \"$(user_path)\""
    else
        [ "$(user_path)" = "$2" ] || fail "$1: after the uninstall PATH has $(user_path | wc -c) characters"
    fi
}
for length in 1023 1024 4000; do
    p=$(long_path $length)
    path_case "a PATH of $length characters" "$p" "$p;$program_win"
done
# The longest PATH that takes ";" and the folder (32766 characters then), and one longer.
longest=$((32767 - ${#program_win} - 1))
p=$(long_path $((longest - 1)))
path_case "a PATH of $((longest - 1)) characters" "$p" "$p;$program_win"
p=$(long_path $longest)
path_case "a PATH of $longest characters" "$p" "$p"
p="C:\\tools;${program_win^^}\\;C:\\more"
path_case "the user's own entry" "$p" "$p"
p='C:\tools;%LOCALAPPDATA%\Programs\ap-utility'
path_case "the user's own entry through a variable" "$p" "$p" REG_EXPAND_SZ
p='C:\tools;;%SystemRoot%\x;'
path_case "empty entries and a trailing separator" "$p" "$p;$program_win" REG_EXPAND_SZ
path_case "no PATH" - "$program_win"
echo "installer: PATHs of 1023, 1024, 4000, $((longest - 1)) and $longest characters kept" \
     "whole, with their type, the folder added where it fits; the user's own entry kept;" \
     "no PATH left behind"
set_user_path "$user_path" REG_EXPAND_SZ

# A file something else holds open stays, and so do the uninstaller and its entry; at the
# next logon the uninstaller runs again and removes the rest. The uninstaller leaves nothing
# to a delete at the restart: that goes through HKLM's PendingFileRenameOperations, which a
# standard user may not write on Windows. (Wine cannot show the difference: cmd opens the
# file for deleting too, so a delete there succeeds and takes effect when cmd closes it, and
# Wine's processes may write HKLM.)
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
logon_run "ap-utility uninstall"
for _ in $(seq 1 300); do [ ! -e "$program_dir" ] && break; sleep 0.1; done
[ ! -e "$program_dir" ] || fail "after the logon the uninstaller left $(installed_files)"
[ -z "$(reg_value "$uninstall_key" DisplayName)" ] || fail "after the logon the entry stays"
echo "uninstaller: a file in use removed at the next logon, the entry with it"
wine reg delete 'HKCU\Environment' /v Path /f >/dev/null
wine reg delete "$runonce_key" /f >/dev/null 2>&1 || true
rm -rf "$local_dir"
