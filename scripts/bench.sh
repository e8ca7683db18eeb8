#!/usr/bin/env bash
# Runs the benchmarks and the peak-memory measurements; prints every figure.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
export QT_QPA_PLATFORM=offscreen
"$build/bench/bench_channel" --benchmark_min_time=1 2>/dev/null | grep -E "^BM_|^Benchmark"
"$build/bench/bench_ui" --benchmark_min_time=1 2>/dev/null | grep -E "^BM_|^Benchmark"
"$build/bench/bench_keyfile" 2>/dev/null | grep -E "^BM_|^Benchmark"
for mode in save load; do
    "$build/bench/bench_keyfile" --peak-memory=$mode
done
for mode in bare login main; do
    "$build/bench/bench_ui" --peak-memory=$mode 2>/dev/null | grep peak
done
# Whole start-ups to the dialog shown, 20 of each, interleaved.
declare -A total=([bare]=0 [login]=0)
for i in $(seq 20); do
    for mode in bare login; do
        start=$(date +%s%N)
        "$build/bench/bench_ui" --startup=$mode >/dev/null 2>&1
        total[$mode]=$(( total[$mode] + $(date +%s%N) - start ))
    done
done
for mode in bare login; do
    echo "startup $mode $(( total[$mode] / 20 / 1000 )) us"
done
