#!/usr/bin/env bash
# ansible-test sanity on the built collection, offline. Seven of its tests (ansible-doc,
# import, pep8, pylint, runtime-metadata, validate-modules, yamllint) run in virtual
# environments that ansible-test would fill with pinned packages from PyPI; here each is made
# where ansible-test looks for it, in a private HOME, over Debian's packages instead
# (python3 -m venv --system-site-packages: pylint, yamllint, pycodestyle, voluptuous, and
# ansible-core's own jinja2 and yaml), so every test runs with the versions Debian ships.
# ansible-test lists a collection's files through git when it is in a repository, so it runs
# on a copy outside the build folder (which git ignores).
#   tests/ansible/sanity.sh COLLECTION_TREE
set -euo pipefail
HOME=$(mktemp -d /tmp/ap-sanity-XXXXXX)
export HOME
trap 'rm -rf "$HOME"' EXIT
mkdir -p "$HOME/ansible_collections/aputility"
cp -r "$1" "$HOME/ansible_collections/aputility/access_point"
cd "$HOME/ansible_collections/aputility/access_point"
python=/usr/bin/python3
version=$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')
sanity() { ansible-test sanity --python-interpreter "$python" --python "$version" "$@"; }
for test in ansible-doc import pep8 pylint runtime-metadata validate-modules yamllint; do
    # A test may want more than one environment (import: its own and its plugins').
    for _ in 1 2 3; do
        out=$(sanity --test "$test" 2>&1) && break
        venv=$(grep -o "$HOME/\.ansible/test/venv/[^\"]*/bin/python" <<<"$out" | head -1) || break
        venv=$(dirname "$(dirname "$venv")")
        rm -rf "$venv"
        "$python" -m venv --system-site-packages --without-pip "$venv"
        # What ansible-test writes once it has installed an environment's packages.
        echo '[]' >"$venv/meta.install.json"
        echo true >"$venv/meta.yaml.json"
        touch "$venv/marker.txt"
    done
done
sanity 2>&1 | grep -v '^WARNING: \(Using locale\|Reviewing previous\)'
