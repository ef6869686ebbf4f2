#!/usr/bin/env bash
# Starts VeyraCheck under a virtual X server on the example lists and saves a picture of its main window.
# Usage: scripts/screenshot.sh OUTPUT.png   (needs a build in build/, xvfb, xdotool and imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/main-window.png}")
source scripts/virtual-display.sh
build/src/veyracheck --data-folder "$data" &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name 'VeyraCheck')
sleep 1
import -window "$window" "$out"
echo "$out"
