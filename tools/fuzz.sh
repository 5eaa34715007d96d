#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds (default 30) on a
# working copy of its seed corpus. Any crash, leak, sanitizer report, broken check, over-large
# allocation or hang fails the script; the input is left in build/fuzz/findings/<target>/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
targets=(fuzz_settings fuzz_notes fuzz_string)

cd "$root"
# The default 256 MB quarantine alone would pass the RSS limit; a small one still catches a use of
# memory freed by the same run.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16:detect_leaks=1}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

failed=()
for target in "${targets[@]}"; do
    corpus="build/fuzz/corpus/$target"
    findings="build/fuzz/findings/$target"
    log="build/fuzz/findings/$target.log"
    mkdir -p "$corpus"
    rm -rf "$findings"
    mkdir -p "$findings"
    # Seeds are copied over the grown corpus, so earlier runs' finds are kept.
    cp tests/fuzz/corpus/"$target"/* "$corpus"/

    echo "== $target: ${seconds}s"
    status=0
    "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=256 \
        -malloc_limit_mb=64 -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" >"$log" 2>&1 || status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    echo "   executions: ${runs:-?}, exit status: $status, log: $log"
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
