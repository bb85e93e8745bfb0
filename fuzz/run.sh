#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, each on a copy of its committed seed corpus
# (so that a run never changes the repository), and prints the number of executions.
# A broken rule, a crash or a sanitizer report fails the run and prints the fuzzer's log;
# the input that did it is kept beside the log.
#
# Usage: fuzz/run.sh BUILD_DIR [SECONDS_PER_TARGET]
set -euo pipefail

build=$1
seconds=${2:-15}
here=$(cd "$(dirname "$0")" && pwd)
work="$build/fuzz-run"
targets=(firstdraw standingspairing rematchpairing numbertext roundclock reportrequest)

rm -rf "$work"
mkdir -p "$work"
total=0
for target in "${targets[@]}"; do
    corpus="$work/corpus-$target"
    log="$work/$target.log"
    cp -R "$here/corpus/$target" "$corpus"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/$target-" "$corpus" >"$log" 2>&1; then
        tail -n 80 "$log" >&2
        echo "fuzz_$target failed; the input is in $work/" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    total=$((total + runs))
    printf 'fuzz_%-17s %10d executions in %s s\n' "$target" "$runs" "$seconds"
done
printf 'fuzz, all targets       %10d executions\n' "$total"
