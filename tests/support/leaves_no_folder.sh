#!/usr/bin/env bash
# A test program leaves no pellaro-test-* folder in the temporary folder, the children of its
# death tests included, which die in the middle of a test. The program runs the tests that
# FILTER names with a temporary folder (TMPDIR) of this check's own, so that test programs
# running beside it are not counted. Exits 77 (skipped) when every such test was skipped.
# Usage: leaves_no_folder.sh PROGRAM FILTER
set -euo pipefail
own=$(mktemp -d "${TMPDIR:-/tmp}/pellaro-check-XXXXXX")
trap 'rm -rf "$own"' EXIT
output=$own/output

status=0
TMPDIR=$own "$1" --gtest_filter="$2" >"$output" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
    cat "$output"
    echo "the tests $2 failed (status $status)"
    exit 1
fi
passed=$(grep -c '^\[       OK \]' "$output" || true)
if [ "$passed" -eq 0 ]; then
    if grep -q '^\[  SKIPPED \]' "$output"; then
        echo "every test $2 was skipped: nothing to check"
        exit 77
    fi
    cat "$output"
    echo "no test matched $2"
    exit 1
fi
left=$(find "$own" -mindepth 1 -maxdepth 1 -name 'pellaro-test-*' -printf '%f\n' | sort | paste -sd ' ')
if [ -n "$left" ]; then
    echo "the tests $2 left behind in the temporary folder: $left"
    exit 1
fi
echo "$passed tests $2 passed and left no folder behind"
