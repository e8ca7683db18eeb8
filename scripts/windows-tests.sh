#!/usr/bin/env bash
# make windows-test: the Windows build's tests under Wine. Builds build-win32/
# (scripts/windows-build.sh, which installs the cross compiler and Wine when missing and honours
# JOBS), runs the unit tests, and the tests of the Win32 dialog layer and the resources on an
# Xvfb display of its own. The device tests
# reach a Linux ap-emulator (from build/, built if missing) over the loopback transport: it
# listens on 127.0.0.1, AP_DEVICE_ADDR tells the tests where and AP_DEVICE_TOKEN_FILE where
# its token is (scripts/tcp-emulator.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
bash "$root/scripts/windows-build.sh" >/dev/null
emulator="$root/build/tools/ap-emulator"
if [ ! -x "$emulator" ] || [ ! -x "$root/build/tools/apctl" ]; then
    [ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" >/dev/null
    cmake --build "$root/build" --target ap-emulator apctl >/dev/null
fi
scratch=$(mktemp -d)
source "$root/scripts/tcp-emulator.sh"
trap 'stop_tcp_emulator; rm -rf "$scratch"' EXIT
start_tcp_emulator "$emulator" "$scratch" || exit 1

source "$root/scripts/wine-env.sh"
cd "$build"
wine "$build/tests/windows/win_unit_tests.exe"
# The Wine server of those runs had no display; windows can only be made by one started on
# the Xvfb display, so that one must have ended first.
wineserver -w

# Windows need a display: a private Xvfb server. A test that could not make its windows
# would skip, which here is a failure.
ui_log="$build/win_ui_tests.log"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" wine "$build/tests/windows/win_ui_tests.exe" 2>&1 |
    tee "$ui_log" | grep -E '^\[ *(OK|FAILED|SKIPPED|PASSED) *\]|Failure' || true
grep -q '^\[  PASSED  \]' "$ui_log" && ! grep -q '^\[  FAILED  \]' "$ui_log" ||
    { echo "win_ui_tests.exe failed (see $ui_log)"; exit 1; }
if grep -q '^\[  SKIPPED \]' "$ui_log"; then
    echo "win_ui_tests.exe skipped tests: Wine could not create windows on Xvfb"
    exit 1
fi

# The hexadecimal fields and the tabs' header over the page once more at 144 dots per inch
# (the prefix's LogPixels, set back to 96 before the result is looked at).
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -w
}
set_dpi 144
dpi_log="$build/win_ui_tests-144dpi.log"
AP_TEST_DPI=144 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" wine "$build/tests/windows/win_ui_tests.exe" \
    --gtest_filter='Win32Pages.HexFieldsHoldTheWidestPairWhole:Win32Pages.TheTabsHeaderMeetsThePage' \
    >"$dpi_log" 2>&1 || true
set_dpi 96
grep -q '^\[  PASSED  \] 2 tests' "$dpi_log" ||
    { echo "win_ui_tests.exe at 144 dpi failed (see $dpi_log)"; exit 1; }
echo "win_ui_tests.exe: the hexadecimal fields hold every pair and the tabs' header meets the page at 144 dpi"

# ap-config.exe: a console program; without the access point's driver every command ends
# with exit code 1 and the utility's message.
apconfig="$build/tools/ap-config/ap-config.exe"
help=$(wine "$apconfig" --help)
for command in show get set apply reset backup restore "keys export" passwd; do
    grep -qE "e\.g\. ap-config (--[a-z]+ )*$command" <<<"$help" || { echo "ap-config.exe --help lacks $command"; exit 1; }
done
set +e
message=$(env -u AP_DEVICE_ADDR AP_PASSWORD=admin wine "$apconfig" show 2>&1 >/dev/null)
code=$?
set -e
if [ "$code" -ne 1 ] || ! grep -q "Please Attach the Access Point USB Connector or Install the Access Point Driver !" <<<"$message"; then
    echo "ap-config.exe show without the driver: exit $code, \"$message\""
    exit 1
fi
# Over the loopback transport without the emulator's token, or with a wrong one, the device
# cannot be opened: exit 1 as without the driver, the message naming the token's fault.
for case in "env -u AP_DEVICE_TOKEN_FILE|no token given" \
    "env AP_DEVICE_TOKEN=$(printf '0%.0s' {1..64})|refused the token from AP_DEVICE_TOKEN"; do
    withheld=${case%%|*}
    fault=${case#*|}
    set +e
    message=$($withheld AP_PASSWORD=admin wine "$apconfig" show 2>&1 >/dev/null)
    code=$?
    set -e
    if [ "$code" -ne 1 ] || ! grep -q "$fault" <<<"$message" ||
        grep -q "Please Attach" <<<"$message"; then
        echo "ap-config.exe show ($withheld): exit $code, \"$message\""
        exit 1
    fi
done
echo "ap-config.exe: --help, the absent driver and a missing or wrong token (exit 1) as expected"

# Over the loopback transport: a verified write that the emulator holds afterwards, and a
# wrong password refused with exit code 4.
apctl="$root/build/tools/apctl"
[ -x "$apctl" ] || cmake --build "$root/build" --target apctl >/dev/null
AP_PASSWORD=admin wine "$apconfig" get essid channel | tr -d '\r' | grep -qx "Channel 6" ||
    { echo "ap-config.exe get over loopback did not show channel 6"; exit 1; }
result=$(AP_PASSWORD=admin wine "$apconfig" set channel=9 essid=winenet --no-key-file 2>&1 | tr -d '\r')
grep -q "^verified: " <<<"$result" || { echo "ap-config.exe set: $result"; exit 1; }
# The dump is "ok " and the image in hexadecimal; the channel is the image's byte 28.
image=$(AP_DEVICE_DIR="$scratch/devices" "$apctl" dump current | sed 's/^ok //' | tr -d ' \n' |
    tr 'A-F' 'a-f')
channel_offset=28
[ "${image:$((channel_offset * 2)):2}" = 09 ] ||
    { echo "the emulator does not hold channel 9 after ap-config.exe set"; exit 1; }
set +e
AP_PASSWORD=wrong wine "$apconfig" show >/dev/null 2>&1
code=$?
set -e
[ "$code" -eq 4 ] || { echo "ap-config.exe with a wrong password: exit $code"; exit 1; }
# Standard input where a file is read: a backup for diff, a password for --password-file.
AP_PASSWORD=admin wine "$apconfig" backup "$(winepath -w "$scratch/backup.json")" >/dev/null
AP_PASSWORD=admin wine "$apconfig" diff - <"$scratch/backup.json" >/dev/null ||
    { echo "ap-config.exe diff - of the unit's own backup: exit $?"; exit 1; }
printf 'admin\r\n' | wine "$apconfig" --password-file - get channel | tr -d '\r' | grep -qx "Channel 9" ||
    { echo "ap-config.exe --password-file - did not read the password from standard input"; exit 1; }
# What the win_command tasks of docs/ansible.md read: apply --json with the password on
# standard input, "verified" and then "unchanged" (their changed_when), and a refused password
# as the error object with its word and exit 4 (their failed_when).
printf '{ "channel": "Channel 3", "beaconPeriod": 150 }\n' >"$scratch/fleet.json"
fleet_state=$(winepath -w "$scratch/fleet.json")
for password_and_result in 'admin:"result": "verified"' 'admin:"result": "unchanged"' \
    'wrong:"code": "wrong-password"'; do
    set +e
    printf '%s\r\n' "${password_and_result%%:*}" |
        wine "$apconfig" --json --password-file - apply --no-key-file "$fleet_state" \
            >"$scratch/out" 2>/dev/null
    code=${PIPESTATUS[1]}
    set -e
    out=$(tr -d '\r' <"$scratch/out")
    [ "$code" -eq "$([ "${password_and_result%%:*}" = admin ] && echo 0 || echo 4)" ] &&
        grep -qF "${password_and_result#*:}" <<<"$out" ||
        { echo "ap-config.exe --json apply: exit $code, \"$out\""; exit 1; }
done
echo "ap-config.exe over the loopback transport: get, verified set, wrong password (exit 4), standard input for diff and --password-file, apply --json verified, unchanged and wrong-password"
# The Windows hosts' Ansible tasks of docs/ansible.md, run on this machine against ap-config.exe.
bash "$root/scripts/install-deps.sh" >/dev/null
bash "$root/tests/ansible/windows.sh" "$apconfig"

# ap-config.exe takes the text Windows hands it as UTF-16 (command line, environment), not
# through the ANSI code page, and a password file as UTF-8 (with or without its mark) or, when
# it is not UTF-8, as Windows-1252 as Notepad saves it. The password holds é and €.
apconfig_text() {
    local expected=$1 what=$2
    shift 2
    set +e
    out=$(LC_ALL=C.UTF-8 wine "$apconfig" "$@" 2>&1 | tr -d '\r')
    code=${PIPESTATUS[0]}
    set -e
    [ "$code" -eq "$expected" ] || { echo "ap-config.exe $what: exit $code, \"$out\""; exit 1; }
}
(
    cd "$scratch"
    printf 'admin\ncaf\xc3\xa9\xe2\x82\xac\ncaf\xc3\xa9\xe2\x82\xac\n' > pw-utf8
    printf 'caf\xe9\x80\r\n' > pw-ansi
    printf '\xef\xbb\xbfcaf\xc3\xa9\xe2\x82\xac\r\nadmin\r\nadmin\r\n' > pw-bom
    apconfig_text 0 "passwd from a UTF-8 file" --password-file pw-utf8 passwd
    export AP_PASSWORD=$'caf\xc3\xa9\xe2\x82\xac'
    apconfig_text 0 "with AP_PASSWORD=café€" get essid
    apconfig_text 0 "set essid=Café" set --no-key-file $'essid=Caf\xc3\xa9'
    apconfig_text 0 "get essid" get essid
    [ "$out" = $'Caf\xc3\xa9' ] || { echo "ap-config.exe get essid printed \"$out\""; exit 1; }
    apconfig_text 2 "set a character Windows-1252 lacks" set --no-key-file $'essid=snow\xe2\x98\x83'
    unset AP_PASSWORD
    apconfig_text 0 "with a Windows-1252 password file" --password-file pw-ansi get essid
    apconfig_text 0 "passwd back from a file with a byte-order mark" --password-file pw-bom passwd
    AP_PASSWORD=admin apconfig_text 0 "set essid back" set --no-key-file essid=winenet
    # The key file in a folder named beyond ASCII, given on the command line and, as the
    # default, by LOCALAPPDATA (which Wine sets for each program: cmd sets it here).
    export AP_PASSWORD=admin
    keys=$'Cl\xc3\xa9s' data=$'Donn\xc3\xa9es'
    apconfig_text 0 "set a key with --key-folder $keys" --key-folder "$keys" set wepType=64-bit \
        wepKey1=a1b2c3d4e5
    grep -q '^0=021a2b3c4d5e' "$keys/OEM.tmp" ||
        { echo "ap-config.exe --key-folder $keys left no key file there"; exit 1; }
    LC_ALL=C.UTF-8 wine cmd /c "set LOCALAPPDATA=$(winepath -w "$scratch/$data")&& $(winepath -w "$apconfig") set wepKey1=a1b2c3d4e6" >/dev/null
    grep -q '^0=021a2b3c4d5e' "$data/ap-utility/OEM.tmp" ||
        { echo "ap-config.exe with LOCALAPPDATA=...\\$data left no key file there"; exit 1; }
)
echo "ap-config.exe: the password and values with é and € from the command line, the environment and password files in UTF-8 and Windows-1252; the key file in folders named beyond ASCII"

# list over the loopback transport (its one unit, once), --device beside AP_DEVICE_ADDR, and an
# output that cannot be written.
listed=$(AP_PASSWORD=admin wine "$apconfig" list | tr -d '\r')
[ "$listed" = "DfuDevice0  02-1a-2b-3c-4d-5e" ] || { echo "ap-config.exe list: \"$listed\""; exit 1; }
apconfig_text 2 "--device with AP_DEVICE_ADDR" --device DfuDevice1 show
set +e
message=$(AP_PASSWORD=admin wine "$apconfig" show --json 2>&1 >/dev/full | tr -d '\r')
code=$?
set -e
[ "$code" -eq 8 ] && grep -q "cannot write to standard output" <<<"$message" ||
    { echo "ap-config.exe show --json > /dev/full: exit $code, \"$message\""; exit 1; }
echo "ap-config.exe: list, --device with AP_DEVICE_ADDR refused, a full standard output exits 8 (output)"

# Every program carries icon 128, bitmap 135, the version and the manifest (type 24).
# shellcheck source=/dev/null
source "$build/windows-programs.sh"
for exe in "${AP_WINDOWS_PROGRAMS[@]}"; do
    resources=$(i686-w64-mingw32-windres -i "$exe" -O rc)
    for wanted in "Type: group icon" "Name: 128\." "Type: bitmap" "Name: 135\." "Type: version" \
                  "Type: 24"; do
        grep -q "$wanted" <<<"$resources" ||
            { echo "$(basename "$exe") lacks the resource \"$wanted\""; exit 1; }
    done
    grep -q 'asInvoker' <<<"$resources" && grep -q 'Microsoft.Windows.Common-Controls' <<<"$resources" ||
        { echo "$(basename "$exe"): its manifest lacks asInvoker or the common controls"; exit 1; }
done
echo "resources: icon, logo, version and manifest in ${#AP_WINDOWS_PROGRAMS[@]} program(s)"

# The utility itself, end to end under Wine on a display of its own (scripts/windows-e2e.sh).
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$root/scripts/windows-e2e.sh"
