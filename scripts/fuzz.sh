#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60). Any crash, leak or sanitizer
# report ends with a non-zero status. New inputs go to a scratch corpus; the seeds in fuzz/corpus stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEYRA_FUZZ=ON \
    -DVEYRA_WERROR="${VEYRA_WERROR:-OFF}" >/dev/null
cmake --build build-fuzz --target fuzz_csv fuzz_csv_reference fuzz_statement fuzz_near_miss fuzz_screening_record \
    fuzz_spreadsheet >&2
for target in csv csv_reference statement near_miss screening_record spreadsheet; do
    scratch=$(mktemp -d)
    echo "fuzzing $target for $seconds s"
    build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build-fuzz/crash-$target-" "$scratch" "fuzz/corpus/$target" 2>&1 | tail -n 3
    rm -rf "$scratch"
done
