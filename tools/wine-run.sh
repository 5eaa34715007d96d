#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the project's own (the tests' prefix unless
# WINEPREFIX names another): quiet, no Mono/Gecko prompts, and a crash ends the process instead of
# opening a debugger. CTest uses it as the cross-compiling emulator; the run script uses it too.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix-test}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

# The first use makes the prefix; concurrent callers wait for it.
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.quillet-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quillet-ready"
fi
flock -u 9
exec 9>&-

exec wine "$@"
