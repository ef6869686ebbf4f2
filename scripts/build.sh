#!/usr/bin/env bash
# Configures and builds VeyraCheck into a build folder: build/ by default, build-asan/ with --sanitize.
# VEYRA_WERROR=ON turns warnings into errors (CI sets it).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
sanitize=OFF
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    sanitize=ON
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVEYRA_WERROR="${VEYRA_WERROR:-OFF}" -DVEYRA_SANITIZE="$sanitize" >/dev/null
cmake --build "$dir" >&2
echo "$dir"
