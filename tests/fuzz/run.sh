#!/usr/bin/env bash
# Runs every harness for SECONDS seconds, one after the other, from its seeds and the corpus it
# has grown on earlier runs (both in the build folder), with its dictionary. Prints the executions
# each reached and fails when any of them found a crash, a hang or a broken property; the input
# that did it is kept in BUILD/tests/fuzz/artifacts/ and the log in BUILD/tests/fuzz/logs/.
#
# usage: tests/fuzz/run.sh BUILD_DIR [SECONDS]
set -uo pipefail

build=${1:?usage: run.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
dir=$build/tests/fuzz
targets=(resultpage characterpage splitpick urlencode searchurl servicestatus trayicondata links)

mkdir -p "$dir/artifacts" "$dir/logs"
failed=()
for target in "${targets[@]}"; do
    corpus=$dir/corpus/$target
    log=$dir/logs/$target.log
    mkdir -p "$corpus"
    # -timeout: one input taking ten seconds is a finding of its own. -rss_limit_mb stays at
    # libFuzzer's default; -max_len at its default too, the largest seed.
    "$dir/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -dict="$here/$target.dict" -artifact_prefix="$dir/artifacts/$target-" \
        "$corpus" "$dir/seeds/$target" >"$log" 2>&1
    status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ "$status" -eq 0 ]; then
        printf '%-14s %12s executions, nothing found\n' "$target" "${executions:-?}"
    else
        printf '%-14s %12s executions, FOUND (exit %d): see %s\n' "$target" "${executions:-?}" "$status" "$log"
        grep -m 3 -E 'property violated|ERROR: |runtime error|SUMMARY' "$log" | sed 's/^/    /'
        failed+=("$target")
    fi
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "fuzz: findings in ${failed[*]}" >&2
    exit 1
fi
