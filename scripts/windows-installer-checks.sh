#!/usr/bin/env bash
# The installer and its uninstaller under Wine, as a user and an administrator who deploys
# them meet them, on the Xvfb display scripts/windows-package.sh starts this on, in the test
# Wine prefix: the licence, a copy of the utility or of ap-config running (by the locks they
# hold, named in the question), the Retry/Cancel question, silent runs and their exit codes,
# the user's PATH of any length and their own entries, their logo and key file (in the
# working folder and in the folder a zip was unpacked to), an update that cannot finish and
# one ended half way, a pending uninstall, the uninstall entry, a move to another folder, a
# downgrade, the winget manifest's switches and the signed build's uninstaller.
# With AP_SCREENSHOT_DIR set, takes a picture of every installer page there.
# windows-installer-checks.sh STAGE SETUP ZIP WINGET_FOLDER SIGNED_SETUP SIGNED_CA
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
# shellcheck source=/dev/null
source "$build/windows-programs.sh"
stage=$1 setup=$2 zip_file=$3 winget=$4 signed_setup=$5 signed_ca=$6
fail() { echo "windows-installer-checks: $*" >&2; exit 1; }
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
in_place() { echo "_?=$(winepath -s "${1:-$program_win}" | tr -d '\r')"; }
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
# The names of the RunOnce values that remove the uninstaller's copies.
copy_values() {
    wine reg query "$runonce_key" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *\(ap-utility uninstaller copy\( .*[^ ]\)\?\) \+REG_SZ .*/\1/p'
}
installed_files() { (cd "$program_dir" 2>/dev/null && find . -type f | sort); }
# Every installed file with its contents, to tell that a refused run changed none.
installed_state() { (cd "$program_dir" 2>/dev/null && find . -type f -exec md5sum {} + | sort -k2); }
# A refused install: its exit code, every installed file as it was ($1: the state before).
expect_refused() { # STATE WHAT CODE
    local code
    code=$(exit_code "$setup" /S)
    [ "$code" = "$3" ] || fail "$2: a silent install ended with exit code $code, not $3"
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

# The uninstall entry: who made it, its icon, its size, where to read about it (the project's
# home page, which the AppStream data names).
readme_win="$program_win\\README.txt"
homepage=$(sed -n 's|.*<url type="homepage">\(.*\)</url>.*|\1|p' \
    "$root/packaging/linux/ap-utility.metainfo.xml")
bytes=$(( $(find "$program_dir" -type f -printf '%s+') 0 ))
while read -r field expected; do
    value=$(reg_value "$uninstall_key" "$field")
    [ "$value" = "$expected" ] || fail "uninstall entry $field: \"$value\", not \"$expected\""
done <<EOF
DisplayName ap-utility $AP_VERSION
DisplayVersion $AP_VERSION
Publisher The ap-utility developers
DisplayIcon $program_win\\Uninstall.exe,0
URLInfoAbout $homepage
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
expect_refused "$before" "beside a running ap-config" 2
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
# there before stays whole, with nothing of the attempt left, and the exit code says so (4).
rm -r "$program_dir/OEM" && echo "not a folder" >"$program_dir/OEM"
expect_refused "$(installed_state)" "with a file that cannot be written" 4
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
copy_value=$(copy_values)
copy=$(reg_value "$runonce_key" "$copy_value" | sed -n 's/.* del \/f \/q "\([^"]*\)".*/\1/p')
copy_dir=$(dirname "$(winepath -u "$copy" 2>/dev/null)")
[[ "$copy" == *'\~nsu'*'.tmp\Un.exe' ]] && [ -d "$copy_dir" ] ||
    fail "no removal of the uninstaller's copy at the next logon (\"$copy\")"
logon_run "$copy_value"
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

# From here on each check starts with nothing installed and a PATH of the user's own, and
# ends so.
temp_dir=$(user_dir TEMP)
setup_log() { iconv -f UTF-16 -t UTF-8 "${1:-$temp_dir/ap-utility-setup.log}" | tr -d '\r'; }
# The user's PATH as the registry holds it: its type and its bytes.
path_bytes() {
    rm -f "$scratch/environment.reg"
    wine reg export 'HKCU\Environment' "$(windows_path "$scratch/environment.reg")" >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$scratch/environment.reg" | tr -d '\r' |
        sed -n '/^"Path"=/,/[^\\]$/p'
}
set_user_path "$user_path" REG_EXPAND_SZ
start_path=$(path_bytes)
[ -n "$start_path" ] || fail "the user's PATH cannot be read back"
# Nothing of the product left: no folder in FOLDERS..., no entry, no records, PATH as at the
# start.
nothing_left() { # WHAT FOLDER...
    local what=$1 folder
    shift
    for folder in "$@"; do
        [ ! -e "$folder" ] || fail "$what: $(cd "$folder" && find . | sort | paste -sd ' ') left in $folder"
    done
    [ -z "$(reg_value "$uninstall_key" DisplayName)" ] || fail "$what: the uninstall entry stays"
    ! wine reg query 'HKCU\Software\ap-utility' >/dev/null 2>&1 || fail "$what: the records stay"
    [ "$(path_bytes)" = "$start_path" ] || fail "$what: PATH is $(path_bytes), not $start_path"
}
silent_install() { # WHAT ARGUMENT...: an install that must succeed
    local what=$1 code
    shift
    code=$(exit_code "$setup" /S "$@")
    [ "$code" = 0 ] || fail "$what: the install ended with exit code $code"
}
# The uninstaller of the install in FOLDER, run as the uninstall entry runs it, from a copy
# outside the folder that it can then remove whole, but waited for, for its exit code. That
# copy (under a name of the caller's) and its folder are the caller's: nothing is set to
# delete them at the next logon.
silent_uninstall() { # WHAT FOLDER
    local code copy="$scratch/uninstaller/ap-utility-uninstall.exe"
    rm -rf "$scratch/uninstaller" && mkdir "$scratch/uninstaller"
    cp "$2/Uninstall.exe" "$copy"
    code=$(exit_code "$copy" /S "$(in_place "$(windows_path "$2")")")
    [ "$code" = 0 ] || fail "$1: the uninstall ended with exit code $code"
    ! wine reg query "$runonce_key" 2>/dev/null | grep -iF "$(windows_path "$scratch/uninstaller")" ||
        fail "$1: the next logon would delete the caller's copy of the uninstaller and its folder"
}

# The question while a lock is held names its holder: ap-config while it writes (its writer
# lock), the utility while it runs (the instance lock); here a stand-in holds each lock.
holder=$(printf '%s\n' "${AP_WINDOWS_OTHERS[@]}" | grep '/win_hold_mutex\.exe$')
hold() { # MUTEX: the stand-in takes it; holder_pid
    : >"$scratch/holder.out"
    wine "$holder" "$1" >"$scratch/holder.out" 2>&1 &
    holder_pid=$!
    for _ in $(seq 1 300); do grep -q held "$scratch/holder.out" && break; sleep 0.1; done
    grep -q held "$scratch/holder.out" || fail "the stand-in did not take $1"
}
release() { kill "$holder_pid"; wait "$holder_pid" 2>/dev/null || true; }
for row in 'Local\ap-utility.ap-config|ap-config is writing to the access point' \
           'Local\ap-utility.instance|ap-utility is running'; do
    mutex=${row%%|*} text=${row#*|}
    hold "$mutex"
    code=$(exit_code "$setup" /S)
    [ "$code" = 2 ] || fail "beside $mutex: a silent install ended with exit code $code, not 2"
    [ ! -e "$program_dir" ] || fail "beside $mutex: a refused install left $program_dir"
    setup_log | grep -qF "$text" || fail "beside $mutex: the installer said: $(setup_log)"
    if [ "$mutex" = 'Local\ap-utility.ap-config' ]; then
        wine "$setup" >/dev/null 2>&1 &
        setup_pid=$!
        box=$(wait_window "$setup_caption") || fail "no question while ap-config writes"
        shot "$box" installer-ap-config-writing
        press "$box" Escape # Cancel
        code=0; wait "$setup_pid" || code=$?
        [ "$code" = 2 ] || fail "Cancel while ap-config writes ended with exit code $code"
    fi
    release
done
echo "installer: refused while ap-config writes and while the utility runs (exit 2), the" \
     "question naming which"

# The entry's QuietUninstallString as a deployment tool runs it (a command line of its own):
# it waits for the uninstall and ends with its exit code, 2 beside the running utility with
# every file and the entry kept, then 0 with nothing left.
quiet_uninstall() { # its exit code
    printf '%s\r\n' "$(reg_value "$uninstall_key" QuietUninstallString)" >"$scratch/quiet.bat"
    exit_code cmd /c "$(windows_path "$scratch/quiet.bat")"
}
silent_install "for the quiet uninstall"
before=$(installed_state)
hold 'Local\ap-utility.instance'
code=$(quiet_uninstall)
release
[ "$code" = 2 ] || fail "the quiet uninstall beside the utility ended with exit code $code, not 2"
[ "$(installed_state)" = "$before" ] || fail "the refused quiet uninstall changed the files"
[ -n "$(reg_value "$uninstall_key" DisplayName)" ] || fail "the refused quiet uninstall took the entry"
code=$(quiet_uninstall)
[ "$code" = 0 ] || fail "the quiet uninstall ended with exit code $code"
nothing_left "the quiet uninstall" "$program_dir"
echo "uninstaller: the entry's quiet uninstall waits for it: exit 2 beside the utility, all" \
     "kept; then exit 0, nothing left"

# A newer version installed: an older one is refused silently (exit 3) and asks otherwise
# (No: exit 1), both leaving everything as it was; /ALLOWDOWNGRADE replaces it; an older
# version installed (one that kept no record of its logo) is replaced without a question,
# its logo with the rest.
silent_install "the first install"
wine reg add "$uninstall_key" /v DisplayVersion /d 99.0.0.0 /f >/dev/null
before=$(installed_state)
expect_refused "$before" "over a newer version" 3
[ "$(reg_value "$uninstall_key" DisplayVersion)" = 99.0.0.0 ] || fail "a refused downgrade changed the entry"
setup_log | grep -q "99.0.0.0, newer than $AP_VERSION" || fail "the refused downgrade's log: $(setup_log)"
wine "$setup" >/dev/null 2>&1 &
setup_pid=$!
box=$(wait_window "$setup_caption") || fail "no question over a newer version"
shot "$box" installer-downgrade
press "$box" Return # No, the default
code=0; wait "$setup_pid" || code=$?
[ "$code" = 1 ] || fail "No to the downgrade ended with exit code $code, not 1"
[ "$(installed_state)" = "$before" ] || fail "No to the downgrade changed the files"
silent_install "/ALLOWDOWNGRADE" /ALLOWDOWNGRADE
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$AP_VERSION" ] || fail "/ALLOWDOWNGRADE left the entry"
wine reg add "$uninstall_key" /v DisplayVersion /d 0.9.0.0 /f >/dev/null
wine reg delete 'HKCU\Software\ap-utility' /v LogoInstalled /f >/dev/null
silent_install "over an older version"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$AP_VERSION" ] || fail "the update left the entry"
silent_uninstall "after the version checks" "$program_dir"
nothing_left "after the version checks" "$program_dir"
echo "installer: over a newer version refused (silent: exit 3; No: exit 1), installed with" \
     "/ALLOWDOWNGRADE; an older version updated"

# Installed into the folder a zip was unpacked to, where the user worked with their own logo
# and key file: both stay as they were (no copy set aside, none deleted), the working folder
# gets copies, the last page and the log say so; the uninstall leaves just them.
unpacked="$WINEPREFIX/drive_c/Unpacked"
rm -rf "$unpacked" && mkdir -p "$unpacked"
unzip -q "$zip_file" -d "$unpacked"
folder="$unpacked/$(basename "${zip_file%.zip}")"
folder_win=$(windows_path "$folder")
printf "the user's logo in the zip folder" >"$folder/OEM/Logo.bmp"
printf '0=021a2b3c4d5e\r\n' >"$folder/OEM.tmp"
rm -rf "$local_dir"
wine "$setup" "/D=$folder_win" >/dev/null 2>&1 &
setup_pid=$!
page=$(wait_window "$setup_caption: License Agreement") || fail "no licence page"
press "$page" Return # I Agree
wait_window "$setup_caption: Installation Folder" >/dev/null || fail "no folder page"
press "$page" Return # Install
wait_window "$setup_caption: Completed" >/dev/null || fail "the installer did not complete"
press "$page" Return # Next
wait_window "$setup_caption: Your files kept" >/dev/null ||
    fail "no page saying that the user's files were kept"
shot "$page" installer-kept
press "$page" Return # Close
wait "$setup_pid" || fail "the install into the zip folder ended with exit code $?"
[ "$(cat "$folder/OEM/Logo.bmp")" = "the user's logo in the zip folder" ] ||
    fail "the install into the zip folder replaced the user's logo"
[ "$(cat "$folder/OEM.tmp")" = $'0=021a2b3c4d5e\r' ] || fail "the key file in the zip folder changed"
[ -z "$(find "$folder" -name '*.previous')" ] ||
    fail "the install into the zip folder left $(find "$folder" -name '*.previous')"
[ "$(cat "$local_dir/OEM/Logo.bmp")" = "the user's logo in the zip folder" ] &&
    [ "$(cat "$local_dir/OEM.tmp")" = $'0=021a2b3c4d5e\r' ] ||
    fail "the working folder lacks the user's logo and key file"
setup_log | grep -qF "$folder_win\\OEM\\Logo.bmp" && setup_log | grep -qF "$folder_win\\OEM.tmp" ||
    fail "the installer did not say it kept the user's files: $(setup_log)"
silent_uninstall "from the zip folder" "$folder"
[ "$(cd "$folder" && find . -type f | sort | paste -sd ' ')" = "./OEM.tmp ./OEM/Logo.bmp" ] ||
    fail "the uninstall left $(cd "$folder" && find . | sort | paste -sd ' ') in the zip folder"
[ "$(cat "$folder/OEM/Logo.bmp")" = "the user's logo in the zip folder" ] ||
    fail "the uninstall changed the user's logo"
nothing_left "after the zip folder's uninstall"
rm -rf "$unpacked" "$local_dir"
echo "installer: into the zip's folder, the user's logo and key file kept (and copied to the" \
     "working folder), and left alone by the uninstall"

# A folder that holds files of the user's by the installer's names (as a profile folder or a
# drive's root may) is refused before anything changes, silently with exit code 5, and by
# the folder page, which stays for another folder: their README.txt and LICENSE.txt stay
# theirs, and nothing of the product is added.
foreign="$WINEPREFIX/drive_c/TheirFiles"
rm -rf "$foreign" && mkdir -p "$foreign"
printf 'their notes\r\n' >"$foreign/README.txt"
printf 'their licence\r\n' >"$foreign/LICENSE.txt"
code=$(exit_code "$setup" /S "/D=$(windows_path "$foreign")")
[ "$code" = 5 ] || fail "the install into a folder of the user's files ended with exit code $code"
setup_log | grep -qF "$(windows_path "$foreign")\README.txt" ||
    fail "the log does not name the user's file: $(setup_log)"
wine "$setup" "/D=$(windows_path "$foreign")" >/dev/null 2>&1 &
setup_pid=$!
page=$(wait_window "$setup_caption: License Agreement") || fail "no licence page"
press "$page" Return # I Agree
wait_window "$setup_caption: Installation Folder" >/dev/null || fail "no folder page"
press "$page" Return # Install
box=$(wait_window "$setup_caption") || fail "the folder page took a folder of the user's files"
shot "$box" installer-foreign-folder
press "$box" Return # OK
wait_gone "$box" || fail "the refusal stays after OK"
wait_window "$setup_caption: Installation Folder" >/dev/null ||
    fail "the folder page did not stay after the refusal"
press "$page" Escape # Cancel
code=0; wait "$setup_pid" || code=$?
[ "$code" = 1 ] || fail "Cancel on the folder page ended with exit code $code"
[ "$(cd "$foreign" && find . | sort | paste -sd ' ')" = ". ./LICENSE.txt ./README.txt" ] &&
    [ "$(cat "$foreign/README.txt" "$foreign/LICENSE.txt")" = $'their notes\r\ntheir licence\r' ] ||
    fail "the refused install changed $(cd "$foreign" && find . | sort | paste -sd ' ')"
nothing_left "the refused install into a folder of the user's files"
rm -rf "$foreign"
# A folder /D= names that NSIS does not take (a drive's root; one quoted, as Wine quotes an
# argument with a space) is refused with exit code 5, not installed into the default folder.
for given in 'C:\' 'C:\Their Files\ap-utility'; do
    code=$(exit_code "$setup" /S "/D=$given")
    [ "$code" = 5 ] || fail "/D=$given: exit code $code, not 5"
    setup_log | grep -qF "cannot be installed into: $given" || fail "/D=$given: $(setup_log)"
    nothing_left "/D=$given" "$program_dir" "$WINEPREFIX/drive_c/Their Files"
done
echo "installer: a folder holding the user's own README.txt and LICENSE.txt refused (exit 5; the" \
     "folder page stays), both kept; /D= of a drive's root or quoted refused (exit 5)"

# One install per user: installed by default, then into another folder with the winget
# manifest's switches, the first install goes with its PATH entry, leaving one entry; the
# uninstall then leaves nothing of either, PATH byte for byte as at the start.
switch() { # NAME [VALUE]: the manifest's switch NAME with its placeholder filled in
    python3 -c 'import sys, yaml
switches = yaml.safe_load(open(sys.argv[1]))["InstallerSwitches"]
value = switches[sys.argv[2]]
for placeholder in ("<INSTALLPATH>", "<LOGPATH>"):
    value = value.replace(placeholder, sys.argv[3])
print(value)' "$winget/ap-utility.ap-utility.installer.yaml" "$1" "${2:-}"
}
silent_install "the default install"
moved="$WINEPREFIX/drive_c/Apps/ap-utility"
moved_win='C:\Apps\ap-utility'
rm -rf "$(dirname "$moved")"
code=$(exit_code "$setup" "$(switch Silent)" "$(switch Log "$(windows_path "$scratch/move.log")")" \
    "$(switch InstallLocation "$moved_win")")
[ "$code" = 0 ] || fail "the install into $moved_win ended with exit code $code"
[ ! -e "$program_dir" ] ||
    fail "the install elsewhere left $(installed_files | paste -sd ' ') in $program_dir"
[ -f "$moved/Uninstall.exe" ] || fail "nothing installed in $moved_win"
[ "$(user_path)" = "$user_path;$moved_win" ] || fail "after the move PATH is \"$(user_path)\""
[ "$(reg_value "$uninstall_key" InstallLocation)" = "$moved_win" ] ||
    fail "the entry names $(reg_value "$uninstall_key" InstallLocation)"
setup_log "$scratch/move.log" | grep -qF "Removing the install in $program_win" ||
    fail "the log the manifest's switch names: $(setup_log "$scratch/move.log")"
silent_uninstall "after the move" "$moved"
nothing_left "after the move and the uninstall" "$program_dir" "$moved"
rm -rf "$(dirname "$moved")"
echo "installer: moved to $moved_win with the manifest's switches: the first install gone," \
     "one PATH entry; after the uninstall nothing of either, PATH as it was"

# An update ended half way (the installer killed as it writes its first file) is repaired by
# the next install, and removed whole by the uninstaller.
first=${names[0]}
cat >"$scratch/kill-on-create.py" <<'PYTHON'
import ctypes, os, select, struct, subprocess, sys
folder, name, command = sys.argv[1], sys.argv[2].encode(), sys.argv[3:]
libc = ctypes.CDLL(None, use_errno=True)
fd = libc.inotify_init()
if fd < 0 or libc.inotify_add_watch(fd, folder.encode(), 0x100) < 0:  # IN_CREATE
    sys.exit("cannot watch " + folder)
process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
while process.poll() is None:
    if not select.select([fd], [], [], 1)[0]:
        continue
    events = os.read(fd, 65536)
    offset = 0
    while offset < len(events):
        length = struct.unpack_from("iIII", events, offset)[3]
        created = events[offset + 16:offset + 16 + length].rstrip(b"\0")
        offset += 16 + length
        if created == name:
            process.kill()
            process.wait()
            sys.exit(0)
sys.exit("the installer ended before it wrote " + name.decode())
PYTHON
killed_update() { # WHAT [FOLDER]: an install into FOLDER killed as it writes its first file
    local folder=${2:-$program_dir} to=()
    [ -z "${2:-}" ] || to=("/D=$(windows_path "$2")")
    python3 "$scratch/kill-on-create.py" "$folder" "$first" wine "$setup" /S "${to[@]}" ||
        fail "$1: the installer could not be ended half way"
    wineserver -w
    [ -e "$folder/$first" ] || fail "$1: no install was under way"
}
silent_install "before the killed update"
killed_update "the first killed update"
silent_install "after the killed update"
[ "$(installed_state | grep -v ' ./Uninstall.exe$')" = "$shipped" ] ||
    fail "the install after a killed update left $(installed_files)"
killed_update "the second killed update"
[ -n "$(find "$program_dir" -name '*.previous')" ] || fail "the killed update set nothing aside"
silent_uninstall "after the killed update" "$program_dir"
nothing_left "the uninstall after a killed update" "$program_dir"
# The same for an install into another folder, ended half way: the uninstaller of the install
# before removes what it wrote.
silent_install "before the killed move"
mkdir -p "$moved"
killed_update "the killed move" "$moved"
silent_uninstall "after the killed move" "$program_dir"
nothing_left "the uninstall after a killed move" "$program_dir" "$moved"
rm -rf "$(dirname "$moved")"
echo "installer: an update killed half way repaired by the next install, removed whole by" \
     "the uninstaller, and so is an install into another folder"

# Two uninstalls before the next logon, each from its copy in %TEMP%: each copy has a value
# of its own in RunOnce, and the logon removes both.
wine reg delete "$runonce_key" /f >/dev/null 2>&1 || true
for run in 1 2; do
    silent_install "install $run of two"
    wine "$program_dir/Uninstall.exe" /S >/dev/null 2>&1
    wineserver -w
    nothing_left "uninstall $run of two" "$program_dir"
done
mapfile -t values < <(copy_values)
[ "${#values[@]}" = 2 ] ||
    fail "RunOnce holds ${#values[@]} removals of the uninstaller's copies: ${values[*]}"
for value in "${values[@]}"; do
    copy=$(reg_value "$runonce_key" "$value" | sed -n 's/.* del \/f \/q "\([^"]*\)".*/\1/p')
    copy_dir=$(dirname "$(winepath -u "$copy" 2>/dev/null)")
    logon_run "$value"
    [ ! -e "$copy_dir" ] || fail "the logon left the uninstaller's copy in $copy_dir"
done
echo "uninstaller: two uninstalls before a logon, two RunOnce values, both copies removed"

# The signed build: its installer writes a signed uninstaller (makensis signs it as it makes
# it), and installs signed programs.
signed_dir="$WINEPREFIX/drive_c/Signed/ap-utility"
rm -rf "$(dirname "$signed_dir")"
code=$(exit_code "$signed_setup" /S '/D=C:\Signed\ap-utility')
[ "$code" = 0 ] || fail "the signed installer ended with exit code $code"
for file in Uninstall.exe "${names[@]}"; do
    osslsigncode verify -CAfile "$signed_ca" -in "$signed_dir/$file" >"$scratch/verify.log" 2>&1 ||
        { cat "$scratch/verify.log"; fail "the signed build's installed $file is not signed"; }
done
silent_uninstall "the signed build" "$signed_dir"
nothing_left "the signed build's uninstall" "$signed_dir"
rm -rf "$WINEPREFIX/drive_c/Signed"
echo "signing: the signed installer's uninstaller and programs verify once installed"
wine reg delete 'HKCU\Environment' /v Path /f >/dev/null
wine reg delete "$runonce_key" /f >/dev/null 2>&1 || true
rm -rf "$local_dir"
