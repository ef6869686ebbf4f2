#!/usr/bin/env bash
# Installs what is missing, builds VeyraCheck and runs every test.
# With --sanitize the tests run in an AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=$(bash scripts/build.sh "$@" | tail -n 1)
if [ "${1:-}" = "--sanitize" ]; then
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cd "$dir"
ctest --output-on-failure --no-tests=error
