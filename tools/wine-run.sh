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
    # A first boot that stops short leaves a prefix where no program loads, and Wine does not
    # make it again: a prefix of the build folder is made anew, up to three times.
    for attempt in 1 2 3; do
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        if [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
            break
        fi
        echo "wine-run: the prefix $WINEPREFIX did not come up (attempt $attempt)" >&2
        case "$WINEPREFIX" in
        "$root"/build/*) rm -rf "$WINEPREFIX" ;;
        *) exit 1 ;;
        esac
    done
    if [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
        exit 1
    fi
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quillet-ready"
fi
flock -u 9
exec 9>&-

exec wine "$@"
