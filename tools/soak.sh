#!/usr/bin/env bash
# Builds Quillet.exe and the soak program and runs rounds of everyday operations on the real
# window under Wine on a private Xvfb display, in a prefix of its own (build/wineprefix-soak),
# printing the GDI and USER objects and the private memory Quillet holds as it goes. Argument:
# the number of rounds (default 10000, about 25 minutes). "tools/soak.sh files [rounds]" runs
# instead rounds of another program and Quillet writing the same notes file (default 1000) and
# fails when a note of either side is lost.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
windows_build="${SOAK_WINDOWS_BUILD:-build/windows}"

program=quillet_soak
if [ "${1:-}" = files ]; then
    program=quillet_soak_files
    shift
fi

tools/setup.sh
cmake --preset windows -B "$windows_build" >/dev/null
cmake --build "$windows_build" --target "$program"

# The soak replaces the storage folder of its prefix: never the user's or the tests' one.
export WINEPREFIX="$root/build/wineprefix-soak"
xvfb-run -a -s '-screen 0 1024x768x24' tools/wine-run.sh "$windows_build/$program.exe" "$@" |
    tr -d '\r'
