#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each on a working copy of its seed corpus:
#   tools/fuzz.sh [SECONDS] [TARGET...]      each target for SECONDS (default 30)
#   tools/fuzz.sh --runs N [TARGET...]       each target until N executions
# Any crash, leak, sanitizer report, broken check, over-large allocation or hang fails the script;
# the input is left in <build>/findings/<target>/. QUILLET_FUZZ_BUILD names the build folder
# (default build/fuzz).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
limit=(-max_total_time=30)
what="30s"
if [ "${1:-}" = "--runs" ]; then
    limit=(-runs="$2")
    what="$2 runs"
    shift 2
elif [ $# -gt 0 ]; then
    limit=(-max_total_time="$1")
    what="$1s"
    shift
fi
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
    targets=(fuzz_settings fuzz_notes fuzz_string fuzz_edits)
fi
build="${QUILLET_FUZZ_BUILD:-build/fuzz}"

cd "$root"
# The default 256 MB quarantine alone would pass the RSS limit; a small one still catches a use of
# memory freed by the same run.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16:detect_leaks=1}"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build"

failed=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    log="$build/findings/$target.log"
    mkdir -p "$corpus"
    rm -rf "$findings"
    mkdir -p "$findings"
    # Seeds are copied over the grown corpus, so earlier runs' finds are kept.
    cp tests/fuzz/corpus/"$target"/* "$corpus"/

    echo "== $target: $what"
    status=0
    start=$SECONDS
    "$build/tests/fuzz/$target" "${limit[@]}" -rss_limit_mb=256 -malloc_limit_mb=64 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    echo "   executions: ${runs:-?} in $((SECONDS - start))s, exit status: $status, log: $log"
    if [ "$status" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
        grep -E 'ERROR|check failed|SUMMARY|Test unit written' "$log" | head -20 || true
        failed+=("$target")
    fi
done

if [ "${#failed[@]}" -ne 0 ]; then
    echo "findings in: ${failed[*]}" >&2
    exit 1
fi
echo "no findings"
