#!/usr/bin/env bash
# Installs what building and testing Quillet needs on Debian; installs nothing when all is there.
set -euo pipefail
packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    googletest libgtest-dev libbenchmark-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 xvfb xauth imagemagick cmark python3-icalendar
    nsis osslsigncode
)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
