#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running KIS need. Idempotent: when every
# package is present it only checks; `apt-get update` runs only when something is missing.
set -euo pipefail

# scripts/deps.sh win32: the Windows cross-build's compiler, Wine and libraries.
if [[ ${1:-} == win32 ]]; then exec "$(dirname "$0")/win32-deps.sh"; fi

PACKAGES=(
    # toolchain and tests
    build-essential cmake ninja-build pkg-config git
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    # the ThreadSanitizer runtime of g++
    libtsan2
    # libraries
    libtinyxml-dev libflac-dev libjpeg62-turbo-dev libsqlite3-dev sqlite3
    libgtk-3-dev libcairo2-dev libpango1.0-dev
    # oracles and end-to-end tools
    flac imagemagick xvfb xdotool
)

missing=()
for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "deps: installing ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
