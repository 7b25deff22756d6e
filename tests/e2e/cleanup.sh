#!/usr/bin/env bash
# A failed test still stops everything it started: a test that has started its display, the
# firmware service and the program and then fails reports the failure and leaves none of its
# processes running and no temporary folder behind; the picture of its screen is kept in the
# folder for failures, named after the test, and nothing else is written outside its folder.
set -euo pipefail
here=$(dirname "$0")
source "$here/lib.sh"

E2E_TEMP=$(mktemp -d "${TMPDIR:-/tmp}/pellaro-e2e-XXXXXX")
trap e2e_cleanup EXIT
# The failing test's folder, and its processes as ps shows them: id, start time and name, so
# that a process that has ended is not mistaken for a newer one with the same id.
folder=$E2E_TEMP/folder
processes=$E2E_TEMP/processes

failures=$E2E_TEMP/failures

status=0
TMPDIR=$E2E_TEMP PELLARO_E2E_FAILURES=$failures bash -c '
    source "$1/panel.sh"
    e2e_start
    e2e_start_service 0
    e2e_start_program K5R
    echo "$E2E_TEMP" >"$2"
    ps -o pid=,lstart=,comm= -p "$(IFS=,; echo "${E2E_PIDS[*]}")" >"$3"
    e2e_fail "a deliberate failure"
    echo "went on after the failure"' \
    failing "$here" "$folder" "$processes" >"$E2E_TEMP/out" 2>&1 || status=$?

[ "$status" -eq 1 ] && [ "$(wc -l <"$processes")" -eq 4 ] ||
    e2e_fail "the failing test did not start its four processes and fail: $(cat "$E2E_TEMP/out")"
grep -q 'a deliberate failure' "$E2E_TEMP/out" && ! grep -q 'went on' "$E2E_TEMP/out" &&
    grep -q 'the screen at the failure' "$E2E_TEMP/out" ||
    e2e_fail "no failure report: $(cat "$E2E_TEMP/out")"
left=$(ps -o pid=,lstart=,comm= -p "$(awk '{print $1}' "$processes" | paste -sd,)" |
    grep -Fx -f "$processes" || true)
if [ -n "$left" ]; then
    # Stopped here, by their ids, not to outlive this test as well.
    kill -KILL $(awk '{print $1}' <<<"$left")
    e2e_fail "processes outlived the failed test:" "$left"
fi
[ ! -e "$(cat "$folder")" ] || e2e_fail "the failed test left $(cat "$folder") behind"
pictures=$(ls "$failures" 2>/dev/null || true)
[[ "$pictures" =~ ^failing-[[:alnum:]]{6}\.png$ ]] && [ -s "$failures/$pictures" ] &&
    grep -qFx "e2e: the screen at the failure: $failures/$pictures" "$E2E_TEMP/out" ||
    e2e_fail "the failure's picture was not kept as failing-*.png in $failures: $pictures"
# Its temporary folder was the failed test's TMPDIR: nothing else may be left in it.
[ "$(ls "$E2E_TEMP")" = "$(printf 'failures\nfolder\nout\nprocesses')" ] ||
    e2e_fail "the failed test wrote outside its own folder: $(ls "$E2E_TEMP")"
