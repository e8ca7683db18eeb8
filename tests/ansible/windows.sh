#!/usr/bin/env bash
# The Windows hosts' tasks of docs/ansible.md as written there, run by ansible-playbook on
# this machine with ap-config.exe under Wine: ansible.windows.win_command and win_copy (whose
# PowerShell cannot run here) become ansible.builtin.command and copy, which take the same
# argv, stdin and content, and win_tempfile and win_file become tempfile and file. Checks their
# check mode, changed_when (written, then unchanged), the failure with ap-config.exe's word,
# the state in a folder only its user reads, removed after every run (a failed one too), and,
# with stand-ins for ap-config.exe, an empty or non-JSON answer and read-back-differs. Sourced environment: Wine's (WINEPREFIX) and the
# loopback emulator's (AP_DEVICE_ADDR, AP_DEVICE_TOKEN_FILE) of scripts/windows-tests.sh.
#   tests/ansible/windows.sh AP_CONFIG_EXE
set -euo pipefail
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/ansible-env.sh" # work
fail() { echo "windows ansible: $*" >&2; exit 1; }

sed -n '/^## Windows hosts/,/^## /p' "$root/docs/ansible.md" | sed -n '/^```yaml$/,/^```$/p' |
    sed -e '1d;$d' -e 's/ansible\.windows\.win_command:/ansible.builtin.command:/' \
        -e 's/ansible\.windows\.win_copy:/ansible.builtin.copy:/' \
        -e 's/ansible\.windows\.win_tempfile:/ansible.builtin.tempfile:/' \
        -e 's/ansible\.windows\.win_file:/ansible.builtin.file:/' \
        -e 's/\\fleet\.json/\/fleet.json/' >"$work/windows.yml"
grep -q 'ansible.builtin.command:' "$work/windows.yml" || fail "no win_command task in docs/ansible.md"
# ap-config.exe under Wine; the state file's Linux path given to it as Wine's, its folder's
# mode and place noted.
cat >"$work/ap-config" <<EOF
#!/bin/sh
for a do shift; case \$a in /*) stat -c '%a %n' "\${a%/*}" >>"$work/seen"; a=\$(winepath -w "\$a");; esac; set -- "\$@" "\$a"; done
exec wine "$exe" "\$@"
EOF
# Stand-ins for an ap-config.exe that prints nothing, text, or read-back-differs (each reads
# the password first, as ap-config.exe does).
printf '#!/bin/sh\ncat >/dev/null; exit 0\n' >"$work/silent"
printf '#!/bin/sh\ncat >/dev/null; echo "wine: cannot start"; exit 1\n' >"$work/text"
printf '#!/bin/sh\ncat >/dev/null; echo %s; exit 3\n' "'{\"error\": {\"code\": \"read-back-differs\", \"exitCode\": 3, \"message\": \"channel read back otherwise\"}}'" \
    >"$work/read-back"
chmod +x "$work/ap-config" "$work/silent" "$work/text" "$work/read-back"
# The state's folder: made by the tasks under TMPDIR, the user's own temporary folder.
export TMPDIR=$work/tmp
mkdir -m 700 "$TMPDIR"
printf 'windows_desks:\n  hosts:\n    desk:\n      ansible_connection: local\n      ansible_python_interpreter: /usr/bin/python3\n' >"$work/inventory.yml"
run=0
play() { # the exit code expected, then ansible-playbook's options; no state left after it
    local want=$1 got=0
    shift
    run=$((run + 1))
    ansible-playbook -i "$work/inventory.yml" "$work/windows.yml" -e ap_config_exe="$work/ap-config" \
        -e '{"ap_settings": {"essid": "Windows fleet", "beaconPeriod": 250}}' "$@" \
        >"$work/run$run" 2>&1 || got=$?
    [ "$got" = "$want" ] || { tail -n 30 "$work/run$run"; fail "run $run: exit $got, not $want"; }
    ! compgen -G "$TMPDIR/ap-state-*" || { tail -n 30 "$work/run$run"; fail "run $run left its state"; }
}
status() { # TASK: the status line of that task in the last run (changed, ok, skipping, fatal)
    sed -n "/^TASK \[$1\]/,/^TASK/p" "$work/run$run" | grep -oE '^(changed|ok|skipping|fatal)' | head -1
}

play 0 --check -e ap_password=admin
[ "$(status "What would change (check mode)")" = changed ] || fail "check mode found nothing to change"
grep -qF '"msg": "DfuDevice0 02-1a-2b-3c-4d-5e: dry run; changed: beaconPeriod, essid"' \
    "$work/run$run" || fail "check mode did not run apply --dry-run"
play 0 -e ap_password=admin
[ "$(status "The fleet's state on the unit")" = changed ] || fail "the first apply is not changed"
play 0 -e ap_password=admin
[ "$(status "The fleet's state on the unit")" = ok ] || fail "the second apply is changed"
grep -qF '"msg": "DfuDevice0 02-1a-2b-3c-4d-5e: unchanged; changed: "' "$work/run$run" ||
    fail "the second apply is not unchanged"
play 2 -e ap_password=wrong-Pw5
[ "$(status "A failure, with its word")" = fatal ] || fail "a wrong password did not fail"
grep -q '"msg": "wrong-password: The password you typed is incorrect."' "$work/run$run" ||
    fail "the failure does not give ap-config.exe's word and message"
# Every state file ap-config.exe was given lay in a folder of the run's own under TMPDIR,
# which only its user reads.
[ "$(sort -u "$work/seen" | sed "s|$TMPDIR/ap-state-[^/]*\$|FOLDER|" | uniq)" = "700 FOLDER" ] ||
    fail "the state lay elsewhere: $(sort -u "$work/seen")"
while IFS='|' read -r stand_in apply_status message; do
    play 2 -e ap_password=admin -e ap_config_exe="$work/$stand_in"
    [ "$(status "The fleet's state on the unit")" = "$apply_status" ] ||
        fail "$stand_in: the apply task is $(status "The fleet's state on the unit"), not $apply_status"
    [ "$(status "A failure, with its word")" = fatal ] || fail "$stand_in did not fail"
    grep -qF "\"msg\": \"$message\"" "$work/run$run" || fail "$stand_in: no \"$message\""
done <<EOF
silent|ok|ap-config.exe gave no JSON answer (exit 0)
text|ok|ap-config.exe gave no JSON answer (exit 1)
read-back|changed|read-back-differs: channel read back otherwise
EOF
! grep -lE 'admin|wrong-Pw5' "$work"/run* || fail "a password is in the output"
echo "docs/ansible.md's Windows tasks with ap-config.exe under Wine: check mode changed, written, then unchanged, a wrong password failing with its word; the state in a private folder, removed after every run; no JSON answer and read-back-differs fail (the latter changed); no password in the output"
