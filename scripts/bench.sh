#!/usr/bin/env bash
# The benchmarks. First the figures a user sees: whole processes, each measured the first
# time in its process, beside their floors (bench/floors/: small programs on Qt alone), in
# interleaved pairs (utility, floor, utility, floor, ...), on Xvfb watched from outside by
# bench_probe (MapNotify and DAMAGE events) and offscreen (the programs time themselves);
# then the Windows utility's start-up under Wine beside its floor (scripts/windows-bench.sh
# --rows), when build-win32 holds it. Each figure is the median of the per-pair ratios, with
# its quartiles and its 95% interval. Then the warm in-process table (Google Benchmark), and
# the fleet's figures (scripts/bench-fleet.sh). Writes everything to $build/bench-results.md,
# with a line for the history table of docs/performance.md.
#   scripts/bench.sh [build]      BENCH_PAIRS=n (default 30)
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
pairs=${BENCH_PAIRS:-30}
probe=$build/bench/bench_probe
utility=$build/src/ap-utility
source "$scripts/main-caption.sh"
results=$build/bench-results.md

work=$(mktemp -d /tmp/ap-bench-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/devices" "$work/runtime"
export AP_DEVICE_DIR=$work/devices XDG_RUNTIME_DIR=$work/runtime QT_FONT_DPI=96
unset WAYLAND_DISPLAY
pids+=("$("$build/tools/ap-emulator" --device-dir "$AP_DEVICE_DIR" --state "$work/emulator.state")")
cd "$work" # the utility writes its key file in its working folder

# An X server of our own, on the first free display number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" \
    >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display")

# shellcheck source=scripts/bench-rows.sh
source "$scripts/bench-rows.sh" # measure, stats, header, row, ratio_cell, run_stamp
: >"$work/raw"

# The dialogs' pixel sizes (the floors are given them) and the first tab's place, from one
# run that is not counted; it also brings both programs' files into the page cache.
"$probe" --type admin --next "$main_caption" -- "$utility" >"$work/out" 2>/dev/null
login_size=$(awk '$1 == "first_size" {print $2}' "$work/out")
main_size=$(awk '$1 == "next_size" {print $2}' "$work/out")
[ -n "$login_size" ] && [ -n "$main_size" ] || {
    echo "bench.sh: the utility did not show its dialogs" >&2
    exit 1
}
main_w=${main_size%x*}
main_h=${main_size#*x}
tab="$((main_w * 10 / 256 + 20)),$((main_h * 5 / 217 + 8))"
"$probe" -- "$build/bench/floor_login" "$login_size" "$main_size" >/dev/null 2>&1 || true

# Xvfb, empty desktop: start-up, Enter on the login to the main dialog, the tab switch,
# peak memory. The utility does all of them in one process, each for the first time.
for _ in $(seq "$pairs"); do
    measure x0.util --type admin --next "$main_caption" --tab "$tab" -- "$utility"
    measure x0.floor --type admin --next "Main floor" -- \
        "$build/bench/floor_login" "$login_size" "$main_size"
    measure x0.tabs --title "Tabs floor" --tab "$tab" -- "$build/bench/floor_tabs" "$main_size"
    measure x0.edits --title "Tabs floor" --tab "$tab" -- \
        "$build/bench/floor_tabs" "$main_size" --edits
done

# Start-up with other clients' top-level windows on the display.
for windows in 100 300; do
    "$probe" --fill "$windows" >"$work/fill" &
    filler=$!
    pids+=($filler)
    for _ in $(seq 200); do grep -q ready "$work/fill" && break; sleep 0.05; done
    for _ in $(seq "$pairs"); do
        measure "x$windows.util" -- "$utility"
        measure "x$windows.floor" -- "$build/bench/floor_login" "$login_size" "$main_size"
    done
    kill "$filler"
    wait "$filler" 2>/dev/null || true
done

# Offscreen: the same flows; the utility is run by bench_ui --app (its code, its start).
for _ in $(seq "$pairs"); do
    measure off.util --offscreen --type admin --next "$main_caption" --tab "$tab" -- \
        "$build/bench/bench_ui" --app
    measure off.floor --offscreen --type admin --next "Main floor" -- \
        "$build/bench/floor_login" "$login_size" "$main_size"
    measure off.tabs --offscreen --title "Tabs floor" --tab "$tab" -- \
        "$build/bench/floor_tabs" "$main_size"
done

# The Windows utility's start-up under Wine on the same display, when it has been built.
windows_rows=""
if [ -f "$scripts/../build-win32/src/ap-utility.exe" ] && command -v wine >/dev/null; then
    windows_rows=$(bash "$scripts/windows-bench.sh" --rows "$pairs" 2>>"$work/errors") ||
        windows_rows="| Wine: start-up to login drawn (scripts/windows-bench.sh failed) | - | - | - | - | - | 0 |"
fi

{
    echo "Whole processes, first time; $pairs interleaved pairs; median ratio with its quartiles"
    echo "and its 95% interval. Dialog sizes: login $login_size, main $main_size pixels;"
    echo "$(nproc) cores; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
    echo
    header
    row "Xvfb: start-up to login painted, empty desktop" ms x0.util x0.floor first_painted
    row "Xvfb: processor time at login painted" ms x0.util x0.floor first_cpu
    row "Xvfb: start-up to login painted, 100 windows" ms x100.util x100.floor first_painted
    row "Xvfb: start-up to login painted, 300 windows" ms x300.util x300.floor first_painted
    row "Xvfb: Enter on the login to main dialog painted (floor: its widgets by hand)" ms \
        x0.util x0.floor next_painted
    row "Xvfb: tab switch to Encryption, key to last repaint" ms x0.util x0.tabs tab_repainted
    row "Xvfb: the same, beside 72 line edits" ms x0.util x0.edits tab_repainted
    row "Xvfb: peak memory (VmHWM), login painted" MB x0.util x0.floor first_kib
    row "Xvfb: peak memory (VmHWM), main dialog painted" MB x0.util x0.floor next_kib
    row "offscreen: start-up to login painted" ms off.util off.floor first_painted
    row "offscreen: Enter on the login to main dialog painted" ms off.util off.floor next_painted
    row "offscreen: tab switch to Encryption" ms off.util off.tabs tab_repainted
    row "offscreen: peak memory, login painted" MB off.util off.floor first_kib
    row "offscreen: peak memory, main dialog painted" MB off.util off.floor next_kib
    [ -z "$windows_rows" ] || echo "$windows_rows"
    echo
    echo "Probe runs that failed: $failures."
    echo
    echo "For the history table of docs/performance.md (date | commit | Enter to the main dialog"
    echo "on Xvfb | start-up on Xvfb | Windows start-up | pairs | load at the end):"
    echo
    wine_cell=$(sed -n 's/^| Wine: start-up[^|]*| [^|]*| [^|]*| \([^ ]*\) | \([^ ]*\) |.*/\1 (\2)/p' \
        <<<"$windows_rows")
    echo "| $(run_stamp) | $(ratio_cell x0.util x0.floor next_painted) |" \
        "$(ratio_cell x0.util x0.floor first_painted) | ${wine_cell:--} | $pairs |" \
        "$(cut -d' ' -f1 /proc/loadavg) |"
    echo
    echo "Warm, in process (Google Benchmark, repeated runs in one process, offscreen):"
    echo
    echo '```'
    for program in bench_channel bench_ui; do
        QT_QPA_PLATFORM=offscreen "$build/bench/$program" --benchmark_min_time=0.5 2>/dev/null |
            grep -E "^BM_|^Benchmark"
    done
    echo '```'
    echo
    echo "The key file on a 50 MB file (save: nine entries, load: nine entries), and peak memory:"
    echo
    echo '```'
    "$build/bench/bench_keyfile" 2>/dev/null | grep -E "^BM_|^Benchmark"
    for mode in save load; do
        "$build/bench/bench_keyfile" --peak-memory=$mode
    done
    echo '```'
} | tee "$results"
if [ -s "$work/errors" ] && [ "$failures" -gt 0 ]; then
    echo "Probe errors:" >&2
    sort "$work/errors" | uniq -c | head >&2
fi
# The fleet: ansible-playbook over 5, 10 and 20 emulated hosts beside one ap-config apply.
{
    echo
    bash "$scripts/bench-fleet.sh" "$build"
} | tee -a "$results"
# A row without a single pair is no noise but a program that no longer starts as measured.
if grep -q '| 0 |$' "$results"; then
    echo "bench.sh: a measurement has no run that succeeded (see the probe errors)" >&2
    exit 1
fi
