#!/usr/bin/env bash
# Runs the benchmarks and the peak-memory measurements; prints every figure.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
export QT_QPA_PLATFORM=offscreen
"$build/bench/bench_channel" --benchmark_min_time=1 2>/dev/null | grep -E "^BM_|^Benchmark"
"$build/bench/bench_ui" --benchmark_min_time=1 2>/dev/null | grep -E "^BM_|^Benchmark"
for mode in bare login main; do
    "$build/bench/bench_ui" --peak-memory=$mode 2>/dev/null | grep peak
done
