#!/usr/bin/env bash
# The Windows build under Wine beside the bare Win32 login floor
# (bench/floors/win32_login_floor.exe), as whole processes in interleaved pairs: bench_probe
# (from the Linux build) starts `wine PROGRAM`, waits for the "Login" window to be mapped and
# drawn (start-up, peak resident size at the login), then types the password, presses Enter
# and waits for the main dialog (the floor's "Main floor", of the main dialog's size) to be
# drawn and settle, and reads the peak resident size there. The utility logs in to an
# ap-emulator over the loopback transport. Run under xvfb-run. Prints bench_probe's lines
# prefixed with the program. Argument: the number of pairs (default 10).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pairs=${1:-10}
export WINEPREFIX="$root/build-win32/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
probe="$root/build/bench/bench_probe"
emulator="$root/build/tools/ap-emulator"
utility="$root/build-win32/src/ap-utility.exe"
floor="$root/build-win32/bench/floors/win32_login_floor.exe"
main_title="Kestrel-A 2.0 / Kestrel-B 2.0 Utility"
scratch=$(mktemp -d)
emulator_pid=""
finish() {
    if [ -n "$emulator_pid" ]; then kill "$emulator_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap finish EXIT
source "$root/scripts/tcp-emulator.sh"
start_tcp_emulator "$emulator" "$scratch" || exit 1
mkdir "$scratch/run"
cd "$scratch/run"
# The Wine server kept running between the runs, as it is once any Windows program has run.
wineserver -p 60
for _ in $(seq 1 "$pairs"); do
    timeout 60 "$probe" --type admin --next "$main_title" -- wine "$utility" 2>/dev/null |
        sed 's/^/utility /' || true
    timeout 60 "$probe" --type admin --next "Main floor" -- wine "$floor" 2>/dev/null |
        sed 's/^/floor /' || true
done
wineserver -k
