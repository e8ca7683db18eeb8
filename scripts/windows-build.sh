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

# The utility as shipped (stripped) stays small: at most 1.5 MiB, and without the C++ locale
# machinery (its facets, std::time_get and the like), which one stray std::locale,
# iostream or std::filesystem call brings into the static build for about a megabyte.
utility="$build/src/ap-utility.exe"
limit=$((3 * 1024 * 1024 / 2))
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
i686-w64-mingw32-strip -o "$stripped" "$utility"
size=$(stat -c %s "$stripped")
if [ "$size" -gt "$limit" ]; then
    echo "ap-utility.exe is $((size / 1024)) KiB stripped, more than $((limit / 1024)) KiB" >&2
    exit 1
fi
symbols=$(i686-w64-mingw32-nm -C "$utility" 2>/dev/null || true)
if [ -z "$symbols" ]; then
    echo "ap-utility.exe has no symbol table: the build must keep one for this check" >&2
    exit 1
fi
locale=$(grep -E 'std::(time_get|time_put|money_get|money_put|moneypunct|messages)<' <<<"$symbols" |
    sed 's/^[0-9a-f]* . //' | head -3 || true)
if [ -n "$locale" ]; then
    { echo "ap-utility.exe links the C++ locale machinery, for example:"; echo "$locale"; } >&2
    exit 1
fi
echo "ap-utility.exe: $((size / 1024)) KiB stripped, without the C++ locale machinery"
