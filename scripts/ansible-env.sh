# Sourced by the fleet's test and benchmark (tests/ansible/, scripts/bench-fleet.sh): a private
# folder $work, removed at exit with every emulator started in it, and Ansible confined to
# it: no user's or system's ansible.cfg, its temporary files and cache there, plain output.
# start_unit EMULATOR FOLDER [NAME] starts an emulator of its own in FOLDER (made, private).
work=$(mktemp -d /tmp/ap-ansible-XXXXXX)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
export ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_HOME=$work/ansible-home
export ANSIBLE_LOCAL_TEMP=$work/ansible-tmp ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
: >"$ANSIBLE_CONFIG"
start_unit() {
    mkdir -m 700 "$2"
    pids+=("$("$1" --device-dir "$2" --state "$2/state" --name "${3:-DfuDevice0}" 2>/dev/null)")
}
