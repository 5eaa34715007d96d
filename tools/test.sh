#!/usr/bin/env bash
# Builds and runs every test: the core's unit tests natively and under the sanitizers, the same
# tests as a Windows program under Wine, the end-to-end tests of Quillet.exe on a private Xvfb
# display, the installer and the portable zip, and a bounded run of each fuzz target.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

step() { printf '\n==== %s\n' "$*"; }

step "Installing what is missing"
tools/setup.sh

step "Folder layering, and the paths the code map names"
tools/check_layers.sh
tools/check_doc_paths.sh

step "Host build and unit tests"
cmake --preset native
cmake --build --preset native
ctest --preset native

step "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize
cmake --build --preset sanitize
# The model of two computers runs its full count natively; here a share of it, each seed for
# half its steps, for time.
QUILLET_SIM_SEEDS=15 QUILLET_SIM_STEPS=1000 ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --preset sanitize

step "Windows build: unit tests under Wine, end-to-end tests on Xvfb"
cmake --preset windows
cmake --build --preset windows
xvfb-run -a -s '-screen 0 1024x768x24' ctest --preset windows
WINEPREFIX="$root/build/wineprefix-test" wineserver -k 2>/dev/null || true

step "Packages: the installer and the portable zip, tried under Wine"
cmake --build --preset windows --target package
xvfb-run -a -s '-screen 0 1024x768x24' ctest --preset windows-packages
WINEPREFIX="$root/build/wineprefix-test" wineserver -k 2>/dev/null || true

step "Fuzzing (${QUILLET_FUZZ_SECONDS:-30} s per target)"
tools/fuzz.sh "${QUILLET_FUZZ_SECONDS:-30}"

step "All tests passed"
