#!/usr/bin/env bash
# Builds Quillet.exe and the end-to-end benchmark, runs the real window under Wine on a private
# Xvfb display in a prefix of its own (build/wineprefix-bench) and prints its table, then the
# core's search and load timed natively and under Wine, side by side. Arguments: notebook sizes
# in years (default 1 10 100); --quick times only the starts and Save All. BENCH_WINDOWS_BUILD and BENCH_NATIVE_BUILD name other build
# folders.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
windows_build="${BENCH_WINDOWS_BUILD:-build/windows}"
native_build="${BENCH_NATIVE_BUILD:-build/native}"

tools/setup.sh
cmake --preset windows -B "$windows_build" >/dev/null
cmake --build "$windows_build" --target quillet_bench_e2e quillet_core_timing
cmake --preset native -B "$native_build" >/dev/null
cmake --build "$native_build" --target quillet_core_timing

# The benchmark replaces the storage folder of its prefix: never the user's or the tests' one.
export WINEPREFIX="$root/build/wineprefix-bench"
timings="$(mktemp -d)"
trap 'rm -rf "$timings"' EXIT

# The whole Wine run shares one CPU (BENCH_CPU, default 0): on a two-core VM, message round trips
# between processes on different cores made short operations two to four times slower whenever
# the other core was idle, so figures followed whatever else the machine was doing.
cpu="${BENCH_CPU:-0}"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); Wine run pinned to CPU $cpu"
taskset -c "$cpu" xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    set -euo pipefail
    tools/wine-run.sh "$1/quillet_bench_e2e.exe" "${@:3}" | tr -d "\r"
    tools/wine-run.sh "$1/quillet_core_timing.exe" | tr -d "\r" >"$2/wine.txt"
    wineserver -w
' bench "$windows_build" "$timings" "$@"
"$native_build/bench/quillet_core_timing" >"$timings/native.txt"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "The core alone on the host benchmark's 100-year corpus, median of at least 7 runs. Natively"
echo "freed memory stays in the heap, as in the host benchmark; under Wine the Windows heap works as"
echo "it does for Quillet."
awk -F'\t' '
    NR == FNR { if ($0 !~ /^#/) wine[$1] = $2; next }
    /^#/ { print; printf "%-34s %12s %12s %10s\n", "operation", "native", "Wine", "Wine/native"; next }
    {
        w = ($1 in wine) ? sprintf("%9.2f ms", wine[$1]) : "-"
        r = ($1 in wine && $2 > 0) ? sprintf("%9.1fx", wine[$1] / $2) : "-"
        printf "%-34s %9.2f ms %12s %10s\n", $1, $2, w, r
    }' "$timings/wine.txt" "$timings/native.txt"
