#!/usr/bin/env bash
# Time from launching VeyraCheck to its main window being visible on a virtual X server, median of N runs.
# Usage: bench/startup.sh [N]   (needs a build in build/, xvfb and xdotool)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
source scripts/virtual-display.sh
times=()
for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    build/src/veyracheck --data-folder "$data" 2>/dev/null &
    app=$!
    # Poll rather than --sync: xdotool's own wait sleeps half a second between looks.
    until xdotool search --onlyvisible --name 'VeyraCheck' >/dev/null 2>&1; do
        kill -0 "$app" || { echo "VeyraCheck ended before showing its window" >&2; exit 1; }
    done
    end=$(date +%s%N)
    kill "$app"
    wait "$app" 2>/dev/null || true
    times+=($(((end - start) / 1000000)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "start-up to visible window, ms: ${times[*]}"
echo "median: ${sorted[$((runs / 2))]} ms"
