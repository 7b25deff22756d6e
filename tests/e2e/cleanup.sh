#!/usr/bin/env bash
# A failed test still stops everything it started: a test that has started its display, the
# firmware service and the program and then fails reports the failure and leaves none of its
# processes running and no temporary folder behind.
set -euo pipefail
here=$(dirname "$0")
source "$here/lib.sh"

E2E_TEMP=$(mktemp -d "${TMPDIR:-/tmp}/pellaro-e2e-XXXXXX")
trap e2e_cleanup EXIT
started=$E2E_TEMP/started

status=0
TMPDIR=$E2E_TEMP bash -c '
    source "$1/panel.sh"
    e2e_start
    mkdir "$E2E_TEMP/service"
    e2e_start_service "$E2E_TEMP/service" 0
    e2e_start_program K5R
    echo "$E2E_TEMP ${E2E_PIDS[*]}" >"$2"
    e2e_fail "a deliberate failure"
    echo "went on after the failure"' failing "$here" "$started" >"$E2E_TEMP/out" 2>&1 || status=$?

read -r folder pids <"$started" ||
    e2e_fail "the failing test did not get as far as its failure: $(cat "$E2E_TEMP/out")"
# Whatever outlived the failed test is stopped here, by its id.
E2E_PIDS+=($pids)
[ "$status" -eq 1 ] || e2e_fail "the failed test ended with status $status, not 1"
grep -q 'a deliberate failure' "$E2E_TEMP/out" && ! grep -q 'went on' "$E2E_TEMP/out" &&
    grep -q 'the screen at the failure' "$E2E_TEMP/out" ||
    e2e_fail "no failure report: $(cat "$E2E_TEMP/out")"
[ "$(wc -w <<<"$pids")" -eq 4 ] || e2e_fail "not four processes started: $pids"
for pid in $pids; do
    e2e_gone "$pid" || e2e_fail "process $pid ($(ps -o comm= -p "$pid")) outlived the failed test"
done
[ ! -e "$folder" ] || e2e_fail "the failed test left $folder behind"
