# Sourced by the scripts that drive the programs' windows with xdotool on an X display.
# wait_window NAME [SECONDS]: prints the first visible window whose whole name is NAME,
# waited for up to SECONDS (default $wait_window_seconds, else 30: Wine starts slowly);
# fails when none came.
wait_window() {
    local w="" tenths=$((${2:-${wait_window_seconds:-30}} * 10))
    for _ in $(seq 1 "$tenths"); do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}
