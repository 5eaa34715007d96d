#!/usr/bin/env bash
# Builds Quillet and starts it under Wine on the current display. With no display it runs
# Quillet for a few seconds on a private Xvfb, saves a screenshot as build/screenshot.png and
# ends it through its Exit command.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Quillet quillet_ctl

# The user's own prefix, apart from the one the tests clear.
export WINEPREFIX="$root/build/wineprefix"

if [ -n "${DISPLAY:-}" ]; then
    exec tools/wine-run.sh build/windows/Quillet.exe
fi

shot="$root/build/screenshot.png"
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    set -euo pipefail
    tools/wine-run.sh build/windows/Quillet.exe &
    quillet=$!
    tools/wine-run.sh build/windows/quillet_ctl.exe wait
    sleep "${QUILLET_SHOW_SECONDS:-3}"
    import -window root "$1"
    tools/wine-run.sh build/windows/quillet_ctl.exe exit
    wait "$quillet"
    wineserver -k || true
' run "$shot"
echo "Quillet ran headless; screenshot: $shot"
