#!/usr/bin/env bash
# The reliability suites with their figures: the database fault table, the bad-input
# sweep, the crash test with KILLS kills, and every fuzz target for SECONDS seconds. Each
# suite's summary lines are printed; a failure prints the suite's whole output and fails
# the run. make reliability-report runs this and keeps its output in results.md.
#
# Usage: tests/reliability/report.sh BUILD_DIR FUZZ_BUILD_DIR [KILLS] [SECONDS]
set -euo pipefail

build=$1
fuzz_build=$2
kills=${3:-100}
seconds=${4:-15}
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

suite() {
    local name=$1
    shift
    echo "## $name"
    local started=$SECONDS
    if ! env QT_QPA_PLATFORM=offscreen "$@" >"$log" 2>&1; then
        cat "$log"
        echo "$name failed" >&2
        exit 1
    fi
    # QTest's totals, the suite's own counts, and anything skipped.
    grep -E '^(Totals:|QINFO|SKIP)' "$log" | sed -E 's/^QINFO *: *[^ ]+ //'
    echo "($((SECONDS - started)) s)"
    echo
}

suite "Database faults" "$build/tests/tst_dbfaults"
suite "Bad input" "$build/tests/tst_badinput"
suite "Crash safety, $kills kills" env ZUVI_KILLS="$kills" "$build/tests/tst_crashsafety"
echo "## Fuzzing, $seconds s a target"
bash "$here/../../fuzz/run.sh" "$fuzz_build" "$seconds"
