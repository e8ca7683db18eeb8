#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds from the seed
# corpus. A crash fails the run; its input is left in build-fuzz/crashes/ to be kept under
# fuzz/regressions/ once it is fixed.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DAP_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
mkdir -p "$build/crashes"
status=0
for target in read_reply profile key_text emulator_request backup_restore set_values; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "fuzzing $target for ${seconds}s"
    if ! (cd "$build" && UBSAN_OPTIONS=halt_on_error=1 "./fuzz/fuzz_$target" \
            -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$build/crashes/$target-" \
            "$work" "$root/fuzz/corpus/$target" > "$build/$target.log" 2>&1); then
        echo "fuzz_$target failed:"; tail -40 "$build/$target.log"; status=1
    else
        grep -E "stat::number_of_executed_units|stat::new_units_added" "$build/$target.log" | sed 's/^/  /'
    fi
done
exit $status
