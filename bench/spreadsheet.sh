#!/usr/bin/env bash
# Times the import of a 1000-row spreadsheet (made with python3-xlwt) from "Open" to the filled grid.
# Usage: bench/spreadsheet.sh   (after a build in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
/usr/bin/python3 tests/lists/make_xls.py names "$dir/names1000.xls" 1000
build/bench/spreadsheet_bench "$dir/names1000.xls" "${1:-9}"
