#!/usr/bin/env bash
# The fleet's figures: one desired state applied by ansible-playbook (the built collection's
# aputility.access_point.config, Ansible's default forks) to 1, 5, 10 and 20 hosts on this
# machine, each its own emulator, beside one ap-config apply of the same state. Every run
# writes every unit (the state alternates between two), so each figure holds a write.
# Prints a Markdown section (scripts/bench.sh appends it to its results).
#   scripts/bench-fleet.sh [build]      BENCH_FLEET_RUNS=n (default 3 per fleet size)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${BENCH_FLEET_RUNS:-3}
sizes=(1 5 10 20)
largest=${sizes[-1]}
ap_config=$build/tools/ap-config/ap-config
source "$(dirname "$0")/ansible-env.sh" # work, start_unit
export ANSIBLE_COLLECTIONS_PATH=$build/ansible/collections PATH=$build/tools/ap-config:$PATH
export AP_PASSWORD=admin

{
    echo "access_points:"
    echo "  vars: {ansible_connection: local, ansible_python_interpreter: /usr/bin/python3}"
    echo "  hosts:"
} >"$work/inventory.yml"
for i in $(seq "$largest"); do
    start_unit "$build/tools/ap-emulator" "$work/unit$i"
    echo "    unit$i: {ap_device_dir: $work/unit$i}" >>"$work/inventory.yml"
done
cat >"$work/apply.yml" <<'EOF'
- hosts: access_points
  gather_facts: false
  environment: {AP_DEVICE_DIR: "{{ ap_device_dir }}", XDG_DATA_HOME: "{{ ap_device_dir }}"}
  tasks:
    - aputility.access_point.config:
        settings: {essid: "{{ essid }}", channel: "{{ channel }}", beaconPeriod: 200}
EOF
state=0 essid=("Fleet A" "Fleet B") channel=("Channel 3" "Channel 9")
next_state() { # alternates the desired state, so that every run writes
    state=$((1 - state))
    printf '{"essid": "%s", "channel": "%s", "beaconPeriod": 200}' "${essid[$state]}" \
        "${channel[$state]}" >"$work/state.json"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n "$1" | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# One ap-config apply of the same state (a write and its read-back), on unit1.
for _ in $(seq $((runs * 4))); do
    next_state
    start=$(now_ms)
    AP_DEVICE_DIR=$work/unit1 XDG_DATA_HOME=$work/unit1 "$ap_config" --quiet apply "$work/state.json"
    echo $(($(now_ms) - start)) >>"$work/apconfig_ms"
done

for size in "${sizes[@]}"; do
    for _ in $(seq "$runs"); do
        next_state
        start=$(now_ms)
        ansible-playbook -i "$work/inventory.yml" --limit "access_points[0:$((size - 1))]" \
            "$work/apply.yml" \
            -e "@$work/state.json" >"$work/out" 2>&1 || { tail -n 20 "$work/out" >&2; exit 1; }
        elapsed=$(($(now_ms) - start))
        changed=$(grep -c '^unit[0-9]* *: ok=1 *changed=1 ' "$work/out" || true)
        [ "$changed" = "$size" ] || { echo "bench-fleet: $changed of $size hosts written" >&2; exit 1; }
        echo "$elapsed" >>"$work/fleet$size"
    done
done
for i in $(seq "$largest"); do
    [ "$(AP_DEVICE_DIR=$work/unit$i AP_PASSWORD=admin "$ap_config" get essid)" = "${essid[$state]}" ] ||
        { echo "bench-fleet: unit$i does not hold the last state" >&2; exit 1; }
done

apconfig_ms=$(median "$work/apconfig_ms")
echo "A fleet on this machine: ansible-playbook $(ansible-playbook --version | head -1 | sed 's/.*\[core \(.*\)\]/(ansible-core \1)/'),"
echo "default forks ($(ansible-config dump | sed -n 's/^DEFAULT_FORKS.* = //p')), each host its own emulator;"
echo "medians of $runs runs per size, each run writing every unit; $(nproc) cores, load average"
echo "at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo
echo "| hosts | ansible-playbook, whole run | per host | one ap-config apply | engine's share |"
echo "|---|---|---|---|---|"
for size in "${sizes[@]}"; do
    total=$(median "$work/fleet$size")
    per=$((total / size))
    echo "| $size | $total ms | $per ms | $apconfig_ms ms | $(((per - apconfig_ms) * 100 / per)) % |"
done
