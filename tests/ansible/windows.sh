#!/usr/bin/env bash
# The Windows hosts' tasks of docs/ansible.md as written there, run by ansible-playbook on
# this machine with ap-config.exe under Wine: ansible.windows.win_command and win_copy (whose
# PowerShell cannot run here) become ansible.builtin.command and copy, which take the same
# argv, stdin and content. Checks their check mode, changed_when (written, then unchanged)
# and the failure with ap-config.exe's word. Sourced environment: Wine's (WINEPREFIX) and the
# loopback emulator's (AP_DEVICE_ADDR, AP_DEVICE_TOKEN_FILE) of scripts/windows-tests.sh.
#   tests/ansible/windows.sh AP_CONFIG_EXE
set -euo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/ansible-env.sh" # work
fail() { echo "windows ansible: $*" >&2; exit 1; }

sed -n '/^## Windows hosts/,/^## /p' "$root/docs/ansible.md" | sed -n '/^```yaml$/,/^```$/p' |
    sed -e '1d;$d' -e 's/ansible\.windows\.win_command:/ansible.builtin.command:/' \
        -e 's/ansible\.windows\.win_copy:/ansible.builtin.copy:/' >"$work/windows.yml"
grep -q 'ansible.builtin.command:' "$work/windows.yml" || fail "no win_command task in docs/ansible.md"
# ap-config.exe under Wine; the state file's Linux path given to it as Wine's.
cat >"$work/ap-config" <<EOF
#!/bin/sh
for a do shift; case \$a in /*) a=\$(winepath -w "\$a");; esac; set -- "\$@" "\$a"; done
exec wine "$exe" "\$@"
EOF
chmod +x "$work/ap-config"
printf 'windows_desks:\n  hosts:\n    desk:\n      ansible_connection: local\n      ansible_python_interpreter: /usr/bin/python3\n' >"$work/inventory.yml"
run=0
play() { # the exit code expected, then ansible-playbook's options
    local want=$1 got=0
    shift
    run=$((run + 1))
    ansible-playbook -i "$work/inventory.yml" "$work/windows.yml" \
        -e "{\"ap_config_exe\": \"$work/ap-config\", \"state_file\": \"$work/fleet.json\"}" \
        -e '{"ap_settings": {"essid": "Windows fleet", "beaconPeriod": 250}}' "$@" \
        >"$work/run$run" 2>&1 || got=$?
    [ "$got" = "$want" ] || { tail -n 30 "$work/run$run"; fail "run $run: exit $got, not $want"; }
}
status() { # TASK: the status line of that task in the last run (changed, ok, skipping, fatal)
    sed -n "/^TASK \[$1\]/,/^TASK/p" "$work/run$run" | grep -oE '^(changed|ok|skipping|fatal)' | head -1
}

play 0 --check -e ap_password=admin
[ "$(status "What would change (check mode)")" = changed ] || fail "check mode found nothing to change"
grep -q '"result": "dry run"' "$work/run$run" || fail "check mode did not run apply --dry-run"
play 0 -e ap_password=admin
[ "$(status "The fleet's state on the unit")" = changed ] || fail "the first apply is not changed"
play 0 -e ap_password=admin
[ "$(status "The fleet's state on the unit")" = ok ] || fail "the second apply is changed"
grep -q '"result": "unchanged"' "$work/run$run" || fail "the second apply is not unchanged"
play 2 -e ap_password=wrong-Pw5
[ "$(status "A failure, with its word")" = fatal ] || fail "a wrong password did not fail"
grep -q '"msg": "wrong-password: The password you typed is incorrect."' "$work/run$run" ||
    fail "the failure does not give ap-config.exe's word and message"
! grep -lE 'admin|wrong-Pw5' "$work"/run* || fail "a password is in the output"
echo "docs/ansible.md's Windows tasks with ap-config.exe under Wine: check mode changed, written, then unchanged, a wrong password failing with its word; no password in the output"
