#!/usr/bin/env bash
# The Windows build under Wine beside bare Win32 floors (bench/floors/), as whole processes
# (`wine PROGRAM`, the Wine server kept running) watched by bench_probe (from the Linux build)
# on the display it is run on: run it under xvfb-run. Two sets of runs, each interleaved:
# - runs of ap-utility.exe, the floor with the utility's manifest (win32_floor_manifest.exe,
#   the yardstick: the same dialog with the common controls 6 the utility's dialogs are made
#   of) and the bare floor (win32_login_floor.exe), in turn: start-up to the "Login" window
#   mapped and drawn, peak resident size there; then the password typed and Enter, to the
#   main dialog drawn (the utility logs in to an ap-emulator over the loopback transport; a
#   floor opens an empty dialog of the main dialog's size), peak resident size once it has
#   stopped drawing;
# - rounds of start-up alone: the utility, the bare floor and the floor at each step towards
#   the utility's start-up (win32_floor_STEP.exe), each step beside the one before it, so
#   that each row says what one step costs.
# Each figure is the median of the per-pair ratios with their quartiles (scripts/bench-rows.sh).
# Writes the tables to build-win32/windows-bench-results.md. Argument: the number of pairs and
# of rounds (default 10).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pairs=${1:-10}
source "$root/scripts/wine-env.sh"
probe="$root/build/bench/bench_probe"
emulator="$root/build/tools/ap-emulator"
utility="$root/build-win32/src/ap-utility.exe"
floors="$root/build-win32/bench/floors"
results="$root/build-win32/windows-bench-results.md"
source "$root/scripts/main-caption.sh"
steps=(manifest comctl32 winsock resources calls)
work=$(mktemp -d)
emulator_pid=""
finish() {
    wineserver -k 2>/dev/null || true
    if [ -n "$emulator_pid" ]; then kill "$emulator_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap finish EXIT
source "$root/scripts/tcp-emulator.sh"
start_tcp_emulator "$emulator" "$work" || exit 1
# shellcheck source=scripts/bench-rows.sh
source "$root/scripts/bench-rows.sh" # measure, pair, row
: >"$work/raw"
mkdir "$work/run"
cd "$work/run"
# A new Wine server is kept running between the runs, as it is once any Windows program has
# run; the first, uncounted run starts the Wine desktop and brings every program's files into
# the page cache.
# On a clone where Wine never ran the prefix does not exist yet, and wineserver alone does not
# make one (it fails to enter the folder): wineboot makes it first.
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
end_wineserver
wineserver -p 60
for exe in "$utility" "$floors/win32_login_floor.exe" "${steps[@]/#/$floors/win32_floor_}"; do
    "$probe" -- wine "${exe%.exe}.exe" >/dev/null 2>&1 || true
done

load_start=$(cut -d' ' -f1-3 /proc/loadavg)
for _ in $(seq 1 "$pairs"); do
    measure utility --type admin --next "$main_caption" -- wine "$utility"
    measure manifest --type admin --next "Main floor" -- wine "$floors/win32_floor_manifest.exe"
    measure floor --type admin --next "Main floor" -- wine "$floors/win32_login_floor.exe"
done
for _ in $(seq 1 "$pairs"); do
    measure start.utility -- wine "$utility"
    measure start.floor -- wine "$floors/win32_login_floor.exe"
    for step in "${steps[@]}"; do
        measure "start.$step" -- wine "$floors/win32_floor_$step.exe"
    done
done

# The start-up rounds by one figure: each step beside the one before it, then the utility
# beside the last step, beside the floor with the manifest alone and beside the bare floor.
steps_table() { # name
    echo "| step | this step | the step before | ratio | spread | pairs |"
    echo "|---|---|---|---|---|---|"
    local before=floor step
    for step in "${steps[@]}"; do
        row "+ $step" ms "start.$step" "start.$before" "$1"
        before=$step
    done
    row "the utility beside the last step" ms start.utility "start.$before" "$1"
    row "the utility beside the floor with the manifest" ms start.utility start.manifest "$1"
    row "the utility beside the bare floor" ms start.utility start.floor "$1"
}

{
    echo "Whole processes under Wine, first time in each; $pairs interleaved pairs and $pairs"
    echo "rounds; median ratio and its quartiles. $(nproc) cores; load average at the start"
    echo "$load_start, at the end $(cut -d' ' -f1-3 /proc/loadavg)."
    echo
    for floor in manifest floor; do
        if [ "$floor" = manifest ]; then
            echo "Beside the floor with the utility's manifest (the yardstick):"
        else
            echo "Beside the bare floor (no manifest):"
        fi
        echo
        echo "| what | utility | floor | ratio | spread | pairs |"
        echo "|---|---|---|---|---|---|"
        row "start-up to login drawn" ms utility "$floor" first_painted
        row "processor time of the process at login drawn" ms utility "$floor" first_cpu
        row "peak resident size at login drawn" MB utility "$floor" first_kib
        row "Enter on the login to main dialog drawn" ms utility "$floor" next_painted
        row "peak resident size at main dialog" MB utility "$floor" next_kib
        echo
    done
    echo "Start-up alone, each step towards the utility beside the step before it:"
    echo
    steps_table first_painted
    echo
    echo "The same by the processor time of the process at login drawn:"
    echo
    steps_table first_cpu
    echo
    echo "Probe runs that failed: $failures."
} | tee "$results"
if [ "$failures" -gt 0 ] && [ -s "$work/errors" ]; then
    echo "Probe errors:" >&2
    sort "$work/errors" | uniq -c | head >&2
fi
