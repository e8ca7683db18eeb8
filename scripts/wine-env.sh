# Sourced by the Windows scripts: Wine in the Windows build's own prefix
# (build-win32/wineprefix), quiet, and without the .NET and HTML engines it would offer to
# install.
WINEPREFIX="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build-win32/wineprefix"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Ends a Wine server left from an earlier run (it would still draw on that run's display)
# and waits until it has gone.
end_wineserver() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}
