#!/usr/bin/env bash
# The Windows build's tests under Wine: builds build-win32/ (scripts/windows-build.sh, which
# installs the cross compiler and Wine when missing), runs the unit tests, and the tests of
# the Win32 dialog layer and the resources on an Xvfb display of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
bash "$root/scripts/windows-build.sh" >/dev/null
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cd "$build"
wine "$build/tests/windows/win_unit_tests.exe"

# Windows need a display: a private Xvfb server. A test that could not make its windows
# would skip, which here is a failure.
ui_log="$build/win_ui_tests.log"
xvfb-run -a -s "-screen 0 1280x1024x24" wine "$build/tests/windows/win_ui_tests.exe" 2>&1 |
    tee "$ui_log" | grep -E '^\[ *(OK|FAILED|SKIPPED|PASSED) *\]|Failure' || true
grep -q '^\[  PASSED  \]' "$ui_log" && ! grep -q '^\[  FAILED  \]' "$ui_log" ||
    { echo "win_ui_tests.exe failed (see $ui_log)"; exit 1; }
if grep -q '^\[  SKIPPED \]' "$ui_log"; then
    echo "win_ui_tests.exe skipped tests: Wine could not create windows on Xvfb"
    exit 1
fi

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
