#!/usr/bin/env bash
# Builds Quillet.exe and the soak program and runs rounds of everyday operations on the real
# window under Wine on a private Xvfb display, in a prefix of its own (build/wineprefix-soak),
# printing the GDI and USER objects and the private memory Quillet holds as it goes. Argument:
# the number of rounds (default 10000, about 25 minutes).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
windows_build="${SOAK_WINDOWS_BUILD:-build/windows}"

tools/setup.sh
cmake --preset windows -B "$windows_build" >/dev/null
cmake --build "$windows_build" --target quillet_soak

# The soak replaces the storage folder of its prefix: never the user's or the tests' one.
export WINEPREFIX="$root/build/wineprefix-soak"
xvfb-run -a -s '-screen 0 1024x768x24' tools/wine-run.sh "$windows_build/quillet_soak.exe" "$@" |
    tr -d '\r'
