#!/usr/bin/env bash
# Installs the Debian 12 packages VeyraCheck needs to build, run and test.
# Idempotent: asks apt for nothing when every package is already there.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config clang-format
    # libraries
    qt6-base-dev qt6-webengine-dev libcurl4-openssl-dev libssl-dev libicu-dev
    # the spreadsheet reader's ZIP container (.xlsx, .ods)
    libzip-dev
    # running and looking at the program without a desktop
    xvfb xauth xdotool fonts-dejavu-core
    # tests and tools: PDF checks, benchmark comparison, fuzzing, a mail server with TLS, spreadsheet fixtures,
    # and LibreOffice, the spreadsheet reader's oracle (it saves and renders the sheets the tests compare)
    poppler-utils sqlite3 clang libclang-rt-14-dev python3-aiosmtpd openssl python3-xlwt
    python3-openpyxl python3-olefile libreoffice-calc-nogui
    # the Debian package
    dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
