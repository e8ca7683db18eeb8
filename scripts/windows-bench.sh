#!/usr/bin/env bash
# The Windows build under Wine beside bare Win32 floors (bench/floors/), as whole processes
# (`wine PROGRAM`, the Wine server kept running) watched by bench_probe (from the Linux build)
# on the display it is run on: run it under xvfb-run. Every program runs stripped, as the
# package ships it. Interleaved pairs, each figure the median of the per-pair ratios by wall
# clock, with the processor time of the process beside it (scripts/bench-rows.sh):
# - start-up pairs: ap-utility.exe, then the floor with the utility's manifest
#   (win32_floor_manifest.exe, the yardstick: the same dialog with the common controls 6 the
#   utility's dialogs are made of), to the "Login" window mapped and drawn. At least as many
#   pairs as the argument asks, then ten more at a time, up to three times as many, until
#   the median's 95% interval is at most 0.04 wide;
# - runs in turn of the utility, the floor with the manifest and the bare floor
#   (win32_login_floor.exe): start-up, then the password typed and Enter, to the main dialog
#   drawn (the utility logs in to an ap-emulator over the loopback transport; a floor opens
#   an empty dialog of the main dialog's size), peak resident size at both;
# - rounds of start-up alone of the bare floor and the floor at each step towards the
#   utility's start-up (win32_floor_STEP.exe), each step beside the one before it, so that
#   each row says what one step costs.
# Writes the tables to build-win32/windows-bench-results.md, with a line for the history table
# of docs/performance.md. Argument: the number of pairs and of rounds (default 10).
#   scripts/windows-bench.sh --rows [PAIRS]: only the start-up pairs, printed as two table rows
#   (wall clock, processor time) for scripts/bench.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows_only=no
if [ "${1:-}" = --rows ]; then
    rows_only=yes
    shift
fi
pairs=${1:-10}
source "$root/scripts/wine-env.sh"
probe="$root/build/bench/bench_probe"
emulator="$root/build/tools/ap-emulator"
build="$root/build-win32"
results="$build/windows-bench-results.md"
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
# shellcheck source=scripts/bench-rows.sh
source "$root/scripts/bench-rows.sh" # measure, stats, header, row, ratio_cell, run_stamp
: >"$work/raw"
mkdir "$work/run" "$work/exe"
# The programs as shipped: stripped copies (scripts/windows-package.sh strips them so).
strip_copy() { # PROGRAM -> the copy's path
    local copy
    copy="$work/exe/$(basename "$1")"
    i686-w64-mingw32-strip -o "$copy" "$1"
    echo "$copy"
}
utility=$(strip_copy "$build/src/ap-utility.exe")
manifest=$(strip_copy "$build/bench/floors/win32_floor_manifest.exe")
cd "$work/run"
# A new Wine server is kept running between the runs, as it is once any Windows program has
# run; the first, uncounted run starts the Wine desktop and brings every program's files into
# the page cache.
# On a clone where Wine never ran the prefix does not exist yet, and wineserver alone does not
# make one (it fails to enter the folder): wineboot makes it first.
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
end_wineserver
wineserver -p 60
for exe in "$utility" "$manifest"; do
    "$probe" -- wine "$exe" >/dev/null 2>&1 || true
done

# The start-up pairs, until the median is known within 0.04 (or three times the pairs ran).
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
startup_pairs() {
    local done=0 most=$((3 * pairs)) width
    while :; do
        measure pair.utility -- wine "$utility"
        measure pair.manifest -- wine "$manifest"
        done=$((done + 1))
        [ "$done" -ge "$most" ] && break
        [ "$done" -lt "$pairs" ] || [ $(((done - pairs) % 10)) -ne 0 ] && continue
        width=$(stats pair.utility pair.manifest first_painted | awk '{print $7 - $6}')
        awk -v w="$width" 'BEGIN { exit !(w <= 0.04) }' && break
    done
}
startup_pairs
startup_rows() {
    row "Wine: start-up to login drawn (stripped ap-utility.exe beside the floor with its manifest)" \
        ms pair.utility pair.manifest first_painted
    row "Wine: processor time of the process at login drawn" ms pair.utility pair.manifest first_cpu
}
if [ "$rows_only" = yes ]; then
    startup_rows
    exit 0
fi

floor=$(strip_copy "$build/bench/floors/win32_login_floor.exe")
step_exe=()
for step in "${steps[@]}"; do
    step_exe+=("$(strip_copy "$build/bench/floors/win32_floor_$step.exe")")
done
source "$root/scripts/tcp-emulator.sh"
start_tcp_emulator "$emulator" "$work" || exit 1
for exe in "$floor" "${step_exe[@]}"; do
    "$probe" -- wine "$exe" >/dev/null 2>&1 || true
done
for _ in $(seq 1 "$pairs"); do
    measure utility --type admin --next "$main_caption" -- wine "$utility"
    measure manifest --type admin --next "Main floor" -- wine "$manifest"
    measure floor --type admin --next "Main floor" -- wine "$floor"
done
for _ in $(seq 1 "$pairs"); do
    measure start.floor -- wine "$floor"
    for i in "${!steps[@]}"; do
        measure "start.${steps[$i]}" -- wine "${step_exe[$i]}"
    done
done

# The start-up rounds by one figure: each step beside the one before it.
steps_table() { # name
    header "this step" "the step before"
    local before=floor step
    for step in "${steps[@]}"; do
        row "+ $step" ms "start.$step" "start.$before" "$1"
        before=$step
    done
}

{
    echo "Whole processes under Wine, first time in each, the programs stripped; interleaved"
    echo "pairs, median ratio with its quartiles and its 95% interval. $(nproc) cores; load"
    echo "average at the start $load_start, at the end $(cut -d' ' -f1-3 /proc/loadavg)."
    echo
    echo "Start-up, pairs of the utility and the floor with its manifest (the yardstick):"
    echo
    header
    startup_rows
    echo
    for floor in manifest floor; do
        if [ "$floor" = manifest ]; then
            echo "Runs in turn, beside the floor with the utility's manifest:"
        else
            echo "Runs in turn, beside the bare floor (no manifest):"
        fi
        echo
        header
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
    echo
    echo "For the history table of docs/performance.md (date | commit | start-up by wall clock"
    echo "| by processor time | pairs | load at the end):"
    echo
    echo "| $(run_stamp) | $(ratio_cell pair.utility pair.manifest first_painted) |" \
        "$(ratio_cell pair.utility pair.manifest first_cpu) |" \
        "$(stats pair.utility pair.manifest first_painted | awk '{print $8}') |" \
        "$(cut -d' ' -f1 /proc/loadavg) |"
} | tee "$results"
if [ "$failures" -gt 0 ] && [ -s "$work/errors" ]; then
    echo "Probe errors:" >&2
    sort "$work/errors" | uniq -c | head >&2
fi
