#!/usr/bin/env bash
# Times the import of a 1000-row sheet in each format the reader takes: the read alone, and "Open" to the filled
# grid, with the read's peak memory. The sheets are saved by LibreOffice, as an operator's spreadsheet program
# would save them. Usage: bench/spreadsheet.sh [runs]  (after a build in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
/usr/bin/python3 tests/support/make_sheets.py "$dir" 1000
build/bench/spreadsheet_bench "$dir"/people1000.{xls,xlsx,ods,csv} --runs "${1:-9}"
