#!/usr/bin/env bash
# make uninstall: removes every file the last `make install` wrote, as its manifest lists
# them (below DESTDIR when given, as for the install), and the project's own folders left
# empty.
set -euo pipefail
manifest=${1:?usage: uninstall.sh BUILD/install_manifest.txt}
[ -f "$manifest" ] || { echo "uninstall: no $manifest (nothing was installed from there)" >&2; exit 1; }
while IFS= read -r file || [ -n "$file" ]; do
    [ -n "$file" ] || continue
    rm -f -- "${DESTDIR:-}$file"
    dir=$(dirname -- "$file")
    while [[ "$dir" == */ap-utility || "$dir" == */ap-utility/* ]]; do
        rmdir -- "${DESTDIR:-}$dir" 2>/dev/null || break
        dir=$(dirname -- "$dir")
    done
done <"$manifest"
echo "removed the $(grep -c . "$manifest") files listed in $manifest"
