#!/usr/bin/env bash
# make windows: cross-builds the Windows programs and their tests into build-win32/ with
# mingw-w64 (i686), installing the tools when missing, and checks that every program needs
# nothing but the system's own DLLs. JOBS: the parallel compile jobs (all cores when unset).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
bash "$root/scripts/install-windows-tools.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" >/dev/null

# The DLLs a Windows installation always has; anything else would have to be shipped.
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|oleaut32|uxtheme|version|ws2_32|msvcrt|shlwapi|imm32|winmm)\.dll$'
# shellcheck source=/dev/null
source "$build/windows-programs.sh"
for exe in "${AP_WINDOWS_PROGRAMS[@]}" "${AP_WINDOWS_OTHERS[@]}"; do
    while read -r dll; do
        if ! grep -qiE "$system_dlls" <<<"$dll"; then
            echo "$(basename "$exe") needs $dll, which is not a Windows system DLL"
            exit 1
        fi
    done < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
# DLLs that the programs load only when they need them, never as imports, so that the utility
# starts without them: Winsock, which only the loopback transport (AP_DEVICE_ADDR) uses, and
# the COM and accessibility libraries, which only dialogs with names for screen readers use.
lazy_dlls='^(ws2_32|ole32|oleacc)\.dll$'
for exe in "${AP_WINDOWS_PROGRAMS[@]}"; do
    if i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -qiE "$lazy_dlls"; then
        echo "$(basename "$exe") imports a DLL it must load only when needed: $lazy_dlls"
        exit 1
    fi
done
for exe in "${AP_WINDOWS_PROGRAMS[@]}"; do
    echo "$(basename "$exe"): $(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
        sort -f | paste -sd ' ')"
done
