#!/usr/bin/env bash
# Starts VeyraCheck under a virtual X server on the example lists and saves a picture of its main window.
# Usage: scripts/screenshot.sh OUTPUT.png   (needs a build in build/, xvfb, xdotool and imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/main-window.png}")
data=$(mktemp -d)
cp examples/Veyra_*.csv "$data/"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x900x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null; rm -rf "$data"' EXIT
sleep 1
DISPLAY=$display build/src/veyracheck --data-folder "$data" &
app=$!
window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name 'VeyraCheck')
sleep 1
DISPLAY=$display import -window "$window" "$out"
echo "$out"
