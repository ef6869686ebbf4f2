#!/usr/bin/env bash
# Times the import of a 1000-row sheet in each format the reader takes, from "Open" to the filled grid, cold
# (each run starts its own reader and LibreOffice). Usage: bench/spreadsheet.sh [runs]  (after a build in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
/usr/bin/python3 tests/lists/make_sheets.py "$dir" 1000
for suffix in xls xlsx ods csv; do
    build/bench/spreadsheet_bench "$dir/people1000.$suffix" "${1:-5}"
done
