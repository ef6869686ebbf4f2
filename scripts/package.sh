#!/usr/bin/env bash
# Builds the Debian package into build-package/ (program, tools, browser library, desktop entry) and, with
# --install, installs it with apt, which brings in what it depends on.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DVEYRA_BENCHMARKS=OFF >/dev/null
cmake --build build-package >&2
(cd build-package && cpack -G DEB >&2)
package=$(ls build-package/veyracheck_*.deb)
if [ "${1:-}" = "--install" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y "./$package" >&2
fi
echo "$package"
