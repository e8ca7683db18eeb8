#!/usr/bin/env bash
# A fleet of three hosts on this machine, each with its own emulated unit (its own device
# folder, MAC address; ap2 another password, ap3 the ETSI domain and the device name
# DfuDevice1), driven by ansible-playbook with the built collection's playbook:
# --check --diff writes nothing and shows before and after, the first run writes every unit,
# the second changes nothing, a unit whose password was changed fails alone with its error
# word, no password shows in any -vvv output, and the module alone fails with ap-config's
# code word where ap-config refuses before it reads the password or gives no JSON; a WEP key
# given in settings never shows, and the info module over the loopback transport names the
# device ap-config lists.
#   tests/ansible/fleet.sh AP_CONFIG AP_EMULATOR APCTL COLLECTIONS_PATH
set -euo pipefail
ap_config=$1 emulator=$2 apctl=$3
export ANSIBLE_COLLECTIONS_PATH=$4 ANSIBLE_STDOUT_CALLBACK=default
source "$(dirname "$0")/../../scripts/ansible-env.sh" # work, start_unit
fail() { echo "fleet: $*" >&2; exit 1; }
hosts=(ap1 ap2 ap3)
fleet_password=fleet-Pw7 ap2_password=other-Pw9 changed_password=changed-Pw3

# block_with BLOCK OFFSET HEX: the emulator's block with those bytes put at OFFSET.
block_with() {
    local block=$1 offset=$2 bytes=$3
    echo "${block:0:$((2 * offset))}$bytes${block:$((2 * (offset + ${#bytes} / 2)))}"
}
# The login password field: its length (32 bits, little-endian) and 16 bytes of text.
password_bytes() {
    local text
    text=$(printf '%s' "$1" | od -An -tx1 | tr -d ' \n')
    printf '%02x000000%s' "${#1}" "$text"
    printf '0%.0s' $(seq $((32 - ${#text})))
}
# A unit of its own for each host, its stored block changed through the control socket.
host_unit() { # HOST NAME MAC_LAST_BYTE PASSWORD DOMAIN
    local dir=$work/$1 block
    start_unit "$emulator" "$dir" "$2"
    block=$("$apctl" --device-dir "$dir" --name "$2" dump current | sed 's/^ok //')
    block=$(block_with "$block" 13 "$3")
    block=$(block_with "$block" 160 "$5")
    block=$(block_with "$block" 192 "$(password_bytes "$4")")
    "$apctl" --device-dir "$dir" --name "$2" load current "$block" >/dev/null
    "$apctl" --device-dir "$dir" --name "$2" reset-stats >/dev/null
}
host_unit ap1 DfuDevice0 61 "$fleet_password" 10
host_unit ap2 DfuDevice0 62 "$ap2_password" 10
host_unit ap3 DfuDevice1 63 "$fleet_password" 30
writes() { # HOST: the unit's write count
    local name=DfuDevice0
    [ "$1" = ap3 ] && name=DfuDevice1
    "$apctl" --device-dir "$work/$1" --name "$name" stats | sed 's/.* writes=\([0-9]*\) .*/\1/'
}
expect_writes() { # each host's write count
    for host in "${hosts[@]}"; do
        [ "$(writes "$host")" = "$1" ] || fail "$host: $(writes "$host") writes, not $1 ($step)"
        shift
    done
}

# ap1 is named by its MAC address, ap2 has the one unit of its folder, ap3 names its device;
# ap1 and ap2 are given ap-config by AP_CONFIG_EXECUTABLE, ap3 finds it on its PATH.
cat >"$work/inventory.yml" <<EOF
access_points:
  vars:
    ansible_connection: local
    ansible_python_interpreter: /usr/bin/python3
    ap_password: $fleet_password
    ap_settings:
      essid: Fleet AP
      channel: Channel 11
      beaconPeriod: 200
      ssidBroadcast: Disable
      wepType: 64-bit
  hosts:
    ap1:
      ap_mac: 02:1A:2B:3C:4D:61
      ap_environment: {AP_DEVICE_DIR: $work/ap1, XDG_DATA_HOME: $work/ap1,
                       AP_CONFIG_EXECUTABLE: $ap_config}
    ap2:
      ap_password: $ap2_password
      ap_environment: {AP_DEVICE_DIR: $work/ap2, XDG_DATA_HOME: $work/ap2,
                       AP_CONFIG_EXECUTABLE: $ap_config}
    ap3:
      ap_device: DfuDevice1
      ap_key_folder: $work/ap3
      ap_host_settings: {channel: Channel 13}
      ap_environment: {AP_DEVICE_DIR: $work/ap3, PATH: "$(dirname "$ap_config"):$PATH"}
EOF
run=0
playbook() { # the exit code expected, then ansible-playbook's options; sets summary
    local want=$1 got=0
    shift
    run=$((run + 1))
    ansible-playbook -vvv -i "$work/inventory.yml" aputility.access_point.fleet "$@" \
        >"$work/run$run" 2>&1 || got=$?
    [ "$got" = "$want" ] || { tail -n 40 "$work/run$run"; fail "$step: exit $got, expected $want"; }
    # The recap: "ap1 changed=1 failed=0;ap2 ...".
    summary=$(awk '/^PLAY RECAP/ {r = 1} r && /^ap/ {printf "%s %s %s;", $1, $4, $6}' "$work/run$run")
}
expect_recap() {
    [ "$summary" = "$1" ] || fail "the recap says $summary, not $1 ($step)"
}

step="--check --diff on the factory state"
playbook 0 --check --diff
expect_recap "ap1 changed=1 failed=0;ap2 changed=1 failed=0;ap3 changed=1 failed=0;"
expect_writes 0 0 0
for line in '-    "channel": "Channel 6",' '+    "channel": "Channel 11",' \
    '+    "channel": "Channel 13",' '-    "essid": "wireless",' '+    "essid": "Fleet AP",' \
    '--- before: DfuDevice0 02-1a-2b-3c-4d-61' '+++ after: DfuDevice1 02-1a-2b-3c-4d-63'; do
    grep -qxF -- "$line" "$work/run$run" || fail "the diff lacks: $line ($step)"
done
grep -q '"msg": "unit DfuDevice1 02-1a-2b-3c-4d-63 ETSI firmware 1.0.2.0 essid wireless"' \
    "$work/run$run" || fail "ap3's report is not its unit's ($step)"
echo "$step: $summary writes 0 0 0"

step="the first run"
playbook 0
expect_recap "ap1 changed=1 failed=0;ap2 changed=1 failed=0;ap3 changed=1 failed=0;"
expect_writes 1 1 1
grep -q '"msg": "unit DfuDevice0 02-1a-2b-3c-4d-61 FCC firmware 1.0.2.0 essid Fleet AP"' \
    "$work/run$run" || fail "ap1 (named by its MAC address) is not reported as its unit"
echo "$step: $summary writes 1 1 1"

step="the second run"
playbook 0 --diff
expect_recap "ap1 changed=0 failed=0;ap2 changed=0 failed=0;ap3 changed=0 failed=0;"
expect_writes 1 1 1
echo "$step: $summary writes 1 1 1"

step="ap2's password changed on its unit"
block=$("$apctl" --device-dir "$work/ap2" dump current | sed 's/^ok //')
"$apctl" --device-dir "$work/ap2" load current \
    "$(block_with "$block" 192 "$(password_bytes "$changed_password")")" >/dev/null
playbook 2 -e '{"ap_settings": {"essid": "Fleet AP 2"}}'
expect_recap "ap1 changed=1 failed=0;ap2 changed=0 failed=1;ap3 changed=1 failed=0;"
expect_writes 2 1 2
grep -q '"code": "wrong-password"' "$work/run$run" || fail "no error word for ap2 ($step)"
grep -q '"msg": "The password you typed is incorrect."' "$work/run$run" ||
    fail "no message for ap2 ($step)"
echo "$step: $summary writes 2 1 2"

# What the units hold, read by ap-config itself.
for host in "${hosts[@]}"; do
    name=DfuDevice0 password=$fleet_password
    [ "$host" = ap3 ] && name=DfuDevice1
    [ "$host" = ap2 ] && password=$changed_password
    AP_DEVICE_DIR=$work/$host AP_PASSWORD=$password "$ap_config" --device "$name" \
        get essid channel beaconPeriod ssidBroadcast | tr '\n' '|' >"$work/held"
    case $host in
    ap1) want="Fleet AP 2|Channel 11|200|Disable|" ;;
    ap2) want="Fleet AP|Channel 11|200|Disable|" ;;
    ap3) want="Fleet AP 2|Channel 13|200|Disable|" ;;
    esac
    [ "$(cat "$work/held")" = "$want" ] || fail "$host holds $(cat "$work/held"), not $want"
done
[ -f "$work/ap1/ap-utility/OEM.tmp" ] && [ -f "$work/ap3/OEM.tmp" ] ||
    fail "the key files are not in the hosts' key folders"

# The module alone on ap1's unit, with what ap-config cannot answer or answers before it reads
# the password (a password longer than a pipe holds, so ap-config's early refusal always
# meets the write): each fails with its code word and message, never a broken pipe.
long_password=$(printf 'L%.0s' $(seq 70000))
while IFS='|' read -r args want; do
    step="the config module with $args"
    args=${args//LONG/$long_password}
    AP_DEVICE_DIR=$work/ap1 AP_CONFIG_EXECUTABLE=$ap_config \
        ansible localhost -m aputility.access_point.config -a "$args" >"$work/module" 2>&1 || true
    for line in "\"code\": \"${want%% *}\"" "\"msg\": \"${want#* }"; do
        grep -qF -- "$line" "$work/module" || { tail -n 9 "$work/module"; fail "no $line ($step)"; }
    done
done <<EOF
{"password": "LONG", "device": "a/b", "settings": {"channel": 3}}|refused --device takes a device name such as DfuDevice1
{"password": "unused-Pw1", "executable": "/bin/true", "settings": {}}|failed ap-config gave no JSON document (exit 0)
{"password": "unused-Pw1", "executable": "$work/none", "settings": {}}|failed cannot run $work/none
EOF

# A WEP key given in settings, on ap1's unit (64-bit already): the first run writes it and is
# changed, the second is not; neither the key as given, nor as the unit reads it, nor the
# unit's key before it shows in the -vvv output, the result, the changes or the diff.
given_key=A1-B2-C3-D4-E5 key_read=a1b2c3d4e5
old_key=$(AP_DEVICE_DIR=$work/ap1 AP_PASSWORD=$fleet_password "$ap_config" get wepKey1)
[ ${#old_key} = 10 ] || fail "ap1's key 1 reads $old_key"
for want in true false; do
    step="a WEP key in settings, changed: $want"
    AP_DEVICE_DIR=$work/ap1 AP_CONFIG_EXECUTABLE=$ap_config ansible localhost -vvv --diff \
        -m aputility.access_point.config -a "{\"password\": \"$fleet_password\",
        \"key_folder\": \"$work/ap1\", \"settings\": {\"wepKey1\": \"$given_key\"}}" \
        >"$work/run-key-$want" 2>&1 || { tail -n 20 "$work/run-key-$want"; fail "failed ($step)"; }
    grep -q "\"changed\": $want," "$work/run-key-$want" || fail "not changed: $want ($step)"
    ! grep -iE -- "$given_key|$key_read|$old_key" "$work/run-key-$want" || fail "a key shows ($step)"
done
grep -q '"wepKey1": "differs"' "$work/run-key-true" || fail "the change of wepKey1 is not told"
for line in '-    "wepKey1": "(not shown)"' '+    "wepKey1": "(differs)"'; do
    grep -qxF -- "$line" "$work/run-key-true" || fail "the diff lacks: $line"
done
[ "$(AP_DEVICE_DIR=$work/ap1 AP_PASSWORD=$fleet_password "$ap_config" get wepKey1)" = $key_read ] ||
    fail "ap1's unit does not hold the key given"
echo "a WEP key in settings: written (changed), then unchanged; no key in the -vvv output"

# The info module without device nor mac over the loopback transport (AP_DEVICE_ADDR), where
# ap-config takes no --device: the device is the one ap-config list names.
step="the info module over the loopback transport"
mkdir -m 700 "$work/tcp"
pids+=("$("$emulator" --device-dir "$work/tcp/devices" --state "$work/tcp/state" --listen-tcp 0 \
    2>"$work/tcp/errors")")
port=$(sed -n 's/^ap-emulator: tcp 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$work/tcp/errors")
AP_DEVICE_ADDR=127.0.0.1:$port AP_DEVICE_TOKEN_FILE=$work/tcp/devices/DfuDevice0.token \
    AP_CONFIG_EXECUTABLE=$ap_config ansible localhost -m aputility.access_point.info \
    -a '{"password": "admin"}' >"$work/info" 2>&1 || { tail -n 9 "$work/info"; fail "$step failed"; }
grep -qF '"device": "DfuDevice0",' "$work/info" || { tail -n 9 "$work/info"; fail "no device ($step)"; }
echo "$step: the device ap-config list names"

for password in "$fleet_password" "$ap2_password" "$changed_password"; do
    ! grep -lF -- "$password" "$work"/run* || fail "a password is in the -vvv output"
done
grep -q 'VALUE_SPECIFIED_IN_NO_LOG_PARAMETER' "$work/run1" ||
    fail "the -vvv output shows no masked password (was it logged at all?)"
echo "fleet: $run runs of ansible-playbook on ${#hosts[@]} hosts as expected; no password in their -vvv output"
