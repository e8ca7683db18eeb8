#!/usr/bin/env bash
# The Windows build end to end: ap-utility.exe under Wine against a Linux ap-emulator over
# the loopback transport, driven with xdotool on the X display it is given (run it under
# xvfb-run; with no window manager the windows get the focus by windowfocus). Checks what
# the emulator stored; with AP_SCREENSHOT_DIR set, takes a picture of every dialog there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-win32"
exe="$build/src/ap-utility.exe"
scratch=$(mktemp -d)
source "$root/scripts/tcp-emulator.sh"
finish() { wineserver -k 2>/dev/null || true; stop_tcp_emulator; rm -rf "$scratch"; }
trap finish EXIT
start_tcp_emulator "$root/build/tools/ap-emulator" "$scratch" || exit 1
source "$root/scripts/wine-env.sh"
end_wineserver
apctl() { "$root/build/tools/apctl" --device-dir "$scratch/devices" "$@"; }
run="$scratch/run"
mkdir -p "$run/OEM"
cp "$build/src/Logo.bmp" "$run/OEM/Logo.bmp"
cd "$run"

fail() { echo "windows-e2e: $*" >&2; exit 1; }
source "$root/scripts/x-windows.sh" # wait_window
wait_gone() {
    for _ in $(seq 1 300); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
shot() { if [ -n "${AP_SCREENSHOT_DIR:-}" ]; then import -window "$1" "$AP_SCREENSHOT_DIR/$2.png"; fi; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
type_text() { xdotool type --delay 30 "$1"; }
source "$root/scripts/main-caption.sh"
start() { wine "$exe" >/dev/null 2>&1 & }
login() {
    local w
    w=$(wait_window Login) || fail "no login dialog"
    xdotool windowfocus --sync "$w"
    type_text "$1"
    xdotool key Return
    echo "$w"
}

# A wrong password is refused with its message; the login stays.
start
w=$(login wrong)
box=$(wait_window ap-utility) || fail "no message for a wrong password"
xdotool windowfocus --sync "$box"; xdotool key Return
wait_gone ap-utility || fail "the message stays"
xdotool search --onlyvisible --name '^Login$' >/dev/null || fail "the login went after a wrong password"
shot "$w" login

# A second copy is refused while the first shows its login.
wine "$exe" >/dev/null 2>&1 || true
[ "$(xdotool search --onlyvisible --name '^Login$' | wc -l)" = 1 ] || fail "a second copy started"

xdotool windowfocus --sync "$w"
xdotool key ctrl+a BackSpace 2>/dev/null || true
for _ in 1 2 3 4 5; do xdotool key BackSpace; done
# The device slowed to 4 s a request: through the login's read and the main dialog's, a
# window of the program stays on screen (the login, disabled, until the main dialog shows).
# Without, the screen would be empty for the whole second read; building the main dialog
# takes a fraction of it (0.1 to 1.6 s here, on a loaded machine).
delay=4000
apctl delay-ms "$delay" >/dev/null
type_text admin; xdotool key Return
now_ms() { date +%s%3N; }
seen=$(now_ms) longest=0 started=$(now_ms)
for _ in $(seq 1 1000); do
    xdotool search --onlyvisible --name "^$main_caption\$" >/dev/null 2>&1 && break
    if xdotool search --onlyvisible --name '^Login$' >/dev/null 2>&1; then
        seen=$(now_ms)
        # The login through the main dialog's read (the second): disabled, and drawn so.
        if [ -z "${waiting_shot:-}" ] && [ $((seen - started)) -gt $((delay * 3 / 2)) ]; then
            shot "$w" login-waiting
            waiting_shot=1
        fi
    elif [ $(($(now_ms) - seen)) -gt "$longest" ]; then
        longest=$(($(now_ms) - seen))
    fi
    sleep 0.05
done
apctl delay-ms 0 >/dev/null
m=$(wait_window "$main_caption") || fail "no main dialog after the login"
shot "$m" focus-ok # as it opens: the focus on OK, the default button
[ "$longest" -lt $((delay / 2)) ] || fail "no window of the program on screen for $longest ms before the main dialog"
before=$(apctl dump current)

# Wireless: the access point's name.
xdotool windowfocus --sync "$m"
click "$m" 285 68
xdotool key End; for _ in $(seq 1 12); do xdotool key BackSpace; done
type_text WineAP
shot "$m" wireless
# Encryption: the WEP type, picked from its list.
click "$m" 113 19
click "$m" 135 57; xdotool key Down Return; sleep 0.3
shot "$m" encryption
# Key1's first byte holding the widest pairs, each shown whole once the focus has moved on.
for pair in AB CA DD 00; do
    click "$m" 93 129; xdotool key End BackSpace BackSpace
    type_text "$(tr 'A-F' 'a-f' <<<"$pair")"; xdotool key Tab; sleep 1
    if [ -n "${AP_SCREENSHOT_DIR:-}" ]; then
        import -window "$m" -crop 400x76+20+96 +repage "$AP_SCREENSHOT_DIR/key-field-$pair.png"
    fi
done
# IP Config: the last field of the address.
click "$m" 179 19
click "$m" 343 85; xdotool key End BackSpace; type_text 7 # the field held 1
shot "$m" ipconfig
# Advanced: the fragment threshold.
click "$m" 242 19
click "$m" 244 71; xdotool key End BackSpace BackSpace BackSpace BackSpace; type_text 2000
shot "$m" advanced
# Info: nothing to set; shown with the logo from OEM\Logo.bmp.
click "$m" 304 19; shot "$m" info
click "$m" 50 19
# Apply: the progress dialog to its end.
click "$m" 181 351
wait_window "Writing the configuration" >/dev/null || fail "no progress dialog after Apply"
wait_gone "Writing the configuration" || fail "the progress dialog stays"
for _ in $(seq 1 100); do
    dump=$(apctl dump current)
    [ "$dump" != "$before" ] && break
    sleep 0.1
done
image=$(apctl dump current | sed 's/^ok //' | tr -d ' \n' | tr 'A-F' 'a-f')
old=$(sed 's/^ok //' <<<"$before" | tr -d ' \n' | tr 'A-F' 'a-f')
byte() { echo "${1:$(($2 * 2)):2}"; }
name_hex=$(printf 'WineAP' | od -An -tx1 | tr -d ' \n')
grep -q "$name_hex" <<<"$image" || fail "the new name did not reach the device"
[ "$(byte "$image" 70)" != "$(byte "$old" 70)" ] || fail "the WEP type did not reach the device"
[ "$(byte "$image" 17)" = 07 ] || fail "the IP address did not reach the device ($(byte "$image" 17))"
fragment="$(byte "$image" 64)$(byte "$image" 65)"
[ "$fragment" = d007 ] || [ "$fragment" = 07d0 ] || fail "the fragment threshold did not reach the device ($fragment)"
grep -q '^\[OEM\]' "$run/OEM.tmp" && [ "$(grep -c '=' "$run/OEM.tmp")" -ge 8 ] ||
    fail "the key file does not hold the eight keys"

# Escape closes the main dialog and writes nothing.
after=$(apctl dump current)
xdotool windowfocus --sync "$m"
click "$m" 285 68; type_text X
click "$m" 50 19 # the focus on the tabs: Escape in a page goes to the page, which ignores it
xdotool key Escape
wait_gone "$main_caption" || fail "Escape did not close the main dialog"
[ "$(apctl dump current)" = "$after" ] || fail "Escape wrote to the device"
echo "windows-e2e: wrong password refused, second copy refused, a window up through a slow opening read ($longest ms without), a change on four pages written with Apply, the key file saved, Escape wrote nothing"
