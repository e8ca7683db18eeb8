# Sourced by the Windows scripts. start_tcp_emulator EMULATOR FOLDER (an absolute path)
# starts ap-emulator in daemon mode, its device folder and state in FOLDER, with a loopback
# TCP listener on a free port; sets emulator_pid and exports AP_DEVICE_ADDR and
# AP_DEVICE_TOKEN_FILE (the emulator's token file as Wine sees it, through Z:) for the
# Windows programs. The caller stops it (stop_tcp_emulator).
start_tcp_emulator() {
    local emulator=$1 folder=$2 port
    # Daemon mode: the pid on the standard output, the port on the standard error, both
    # written before the command returns.
    emulator_pid=$("$emulator" --device-dir "$folder/devices" --state "$folder/state" \
                   --listen-tcp 0 2>"$folder/errors")
    port=$(sed -n 's/^ap-emulator: tcp 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$folder/errors")
    if [ -z "$port" ]; then
        cat "$folder/errors" >&2
        return 1
    fi
    export AP_DEVICE_ADDR="127.0.0.1:$port"
    local token="$folder/devices/DfuDevice0.token"
    export AP_DEVICE_TOKEN_FILE="Z:${token//\//\\}"
}

stop_tcp_emulator() {
    if [ -n "${emulator_pid:-}" ]; then kill "$emulator_pid" 2>/dev/null || true; fi
    emulator_pid=""
}
