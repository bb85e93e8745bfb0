#!/usr/bin/env bash
# Runs a command, shows its output as it comes, and writes that output, with when, where
# and from which commit it ran, into a committed result file (Markdown). Figures of one
# run live in these files, beside the code that measures them, and each run replaces its
# file. The command's exit status is kept.
#
# Usage: tools/record-results.sh FILE TITLE HOW -- COMMAND [ARG...]
#   HOW is what a reader runs to write the file again, e.g. "make bench".
set -uo pipefail

if [ $# -lt 5 ] || [ "$4" != "--" ]; then
    echo "usage: $0 FILE TITLE HOW -- COMMAND [ARG...]" >&2
    exit 2
fi
file=$1
title=$2
how=$3
shift 4

output=$(mktemp)
trap 'rm -f "$output"' EXIT
started=$(date -u '+%Y-%m-%d %H:%M UTC')
load=$(cut -d' ' -f1-3 /proc/loadavg)
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
if ! git diff --quiet HEAD 2>/dev/null; then
    commit="$commit with uncommitted changes"
fi
SECONDS=0
"$@" 2>&1 | tee "$output"
status=${PIPESTATUS[0]}

{
    echo "# $title"
    echo
    echo "Written by \`$how\`; run it again rather than editing this file."
    echo
    echo "- run: $started, $SECONDS s, exit status $status"
    echo "- commit: $commit"
    echo "- machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo), load average $load at the start, $(uname -sr)"
    echo
    echo '```'
    cat "$output"
    echo '```'
} >"$file"
exit "$status"
