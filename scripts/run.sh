#!/usr/bin/env bash
# Installs what is missing, builds VeyraCheck and starts it. Arguments go to the program
# (for example --data-folder DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh >/dev/null
exec build/src/veyracheck "$@"
