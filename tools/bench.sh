#!/usr/bin/env bash
# Builds and runs the benchmarks (host build) and prints their table of figures, baselines and
# ratios. Extra arguments go to the benchmark program, for example --benchmark_filter=Search or
# --benchmark_repetitions=5 --benchmark_report_aggregates_only=true.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
tools/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target quillet_bench
exec build/native/bench/quillet_bench "$@"
