#!/usr/bin/env bash
# Fails when an include points the wrong way between the rooms of src/. Each room may include its own files and
# those of the rooms before it in this order, never one after it:
#   shared engine platform audit search lists manifest print settings browser app
# and a window never includes another window (or the module that holds them): it reaches them through its host.
set -euo pipefail
cd "$(dirname "$0")/../src"
rooms=(shared engine platform audit search lists manifest print settings browser app)
declare -A rank
for i in "${!rooms[@]}"; do rank[${rooms[$i]}]=$i; done
windows='VeyraForm1|VeyraModule1|VeyraManifest|VeyraSettings|VeyraExcelImport|VeyraBrowser'

status=0
while IFS= read -r file; do
    room=${file%%/*}
    [ -n "${rank[$room]:-}" ] || continue
    own=$(basename "${file%.*}")
    while IFS= read -r line; do
        target=$(sed -E 's/^#include "([^"]+)".*/\1/' <<<"$line")
        target_room=${target%%/*}
        [ -n "${rank[$target_room]:-}" ] || continue
        if [ "${rank[$target_room]}" -gt "${rank[$room]}" ]; then
            echo "src/$file includes $target: $room may not include $target_room"
            status=1
        fi
        header=$(basename "${target%.h}")
        if [[ $own =~ ^($windows)$ && $own != VeyraModule1 && $header =~ ^($windows)$ && $header != "$own" ]]; then
            echo "src/$file includes $target: a window reaches other windows through its host"
            status=1
        fi
    done < <(grep -E '^#include "' "$file" || true)
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
[ $status -eq 0 ] && echo "includes point one way"
exit $status
