#!/usr/bin/env bash
# Start-up of the Windows build under Wine, beside the bare Win32 login floor
# (bench/floors/win32_login_floor.exe), as whole processes in interleaved pairs: bench_probe
# (from the Linux build) starts `wine PROGRAM` and waits for the "Login" window to be mapped
# and drawn. Run under xvfb-run. Prints bench_probe's lines prefixed with the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pairs=${1:-7}
export WINEPREFIX="$root/build-win32/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
probe="$root/build/bench/bench_probe"
utility="$root/build-win32/src/ap-utility.exe"
floor="$root/build-win32/bench/floors/win32_login_floor.exe"
cd "$(mktemp -d)"
# The Wine server kept running between the runs, as it is once any Windows program has run.
wineserver -p 60
for _ in $(seq 1 "$pairs"); do
    timeout 60 "$probe" --title Login -- wine "$utility" 2>/dev/null | sed 's/^/utility /' || true
    timeout 60 "$probe" --title Login -- wine "$floor" 2>/dev/null | sed 's/^/floor /' || true
done
wineserver -k
