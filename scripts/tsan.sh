#!/usr/bin/env bash
# The write path under ThreadSanitizer: the writer thread, the progress dialog and the
# message boxes it asks for, against the real emulator. Any report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-tsan"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DAP_SANITIZE_THREAD=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target gui_tests ap-emulator >/dev/null
cd "$build"
QT_QPA_PLATFORM=offscreen \
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/tsan.supp" \
    ./tests/gui_tests --gtest_filter='TransferTest.*:AppTest.MainDialog*:AppTest.OkCloses*:AppTest.PasswordChangeStores*:AppTest.FailedPassword*:UiServices.*'
