# Sourced by the scripts that run VeyraCheck on a virtual X server: starts Xvfb and a data folder holding the
# example lists, sets DISPLAY and data, and cleans both up on exit (along with $app when it is set).
data=$(mktemp -d)
cp examples/Veyra_*.csv "$data/"
export DISPLAY=:$((80 + RANDOM % 19))
Xvfb "$DISPLAY" -screen 0 1280x900x24 >/dev/null 2>&1 &
xvfb=$!
app=""
trap 'kill $app $xvfb 2>/dev/null; rm -rf "$data"' EXIT
sleep 1
