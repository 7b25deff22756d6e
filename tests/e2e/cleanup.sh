#!/usr/bin/env bash
# A failed test still stops everything it started: a test that has started its display, the
# firmware service and the program and then fails reports the failure and leaves none of its
# processes running and no temporary folder behind; the picture of its screen is kept in the
# folder for failures, named after the test (its script's name without .sh, also when the
# script was started through a link of another name or sourced by bash -c), and nothing else
# is written outside its folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

E2E_TEMP=$(mktemp -d "${TMPDIR:-/tmp}/pellaro-e2e-XXXXXX")
trap e2e_cleanup EXIT
# The failing test's folder, and its processes as ps shows them: id, start time and name, so
# that a process that has ended is not mistaken for a newer one with the same id.
folder=$E2E_TEMP/folder
processes=$E2E_TEMP/processes

failures=$E2E_TEMP/failures
# Test scripts of this test's own, each with a link of another name.
tests=$E2E_TEMP/tests
mkdir "$tests"
cat >"$tests/failing.sh" <<'END'
source "$1/panel.sh"
e2e_start
e2e_start_service 0
e2e_start_program K5R
echo "$E2E_TEMP" >"$2"
ps -o pid=,lstart=,comm= -p "$(IFS=,; echo "${E2E_PIDS[*]}")" >"$3"
e2e_fail "a deliberate failure"
echo "went on after the failure"
END
ln -s failing.sh "$tests/other-name"
cat >"$tests/naming.sh" <<'END'
source "$1/panel.sh"
echo "$E2E_TEST_NAME"
END
ln -s naming.sh "$tests/naming-link"

# The name that a test's picture gets, however the test was started (in $tests, with the
# folder of panel.sh as its argument): NAME HOW.
while read -r name how; do
    got=$(cd "$tests" && eval "$how \"\$here\"") || e2e_fail "$how: failed: $got"
    [ "$got" = "$name" ] || e2e_fail "$how: the test is named '$got', not '$name'"
done <<'END'
naming  bash naming.sh
naming  bash "$tests/naming.sh"
naming  bash naming-link
naming  bash -c 'source "$@"' sh naming.sh
naming  bash -c 'source "$@"' sh "$tests/naming-link"
failing bash -c 'source "$1/panel.sh"; echo "$E2E_TEST_NAME"' failing.sh
END

# The failing test is sourced by bash -c through its link: neither $0 (sh) nor the link's name
# is the test's.
status=0
TMPDIR=$E2E_TEMP PELLARO_E2E_FAILURES=$failures bash -c 'source "$@"' sh "$tests/other-name" \
    "$here" "$folder" "$processes" >"$E2E_TEMP/out" 2>&1 || status=$?

[ "$status" -eq 1 ] && [ "$(wc -l <"$processes")" -eq 4 ] ||
    e2e_fail "the failing test did not start its four processes and fail: $(cat "$E2E_TEMP/out")"
grep -q 'a deliberate failure' "$E2E_TEMP/out" && ! grep -q 'went on' "$E2E_TEMP/out" &&
    grep -q 'the screen at the failure' "$E2E_TEMP/out" ||
    e2e_fail "no failure report: $(cat "$E2E_TEMP/out")"
# Nothing of the failed test is left: no process it listed in $processes, not its folder.
e2e_expect_all_gone() {
    local left
    left=$(ps -o pid=,lstart=,comm= -p "$(awk '{print $1}' "$processes" | paste -sd,)" |
        grep -Fx -f "$processes" || true)
    if [ -n "$left" ]; then
        # Stopped here, by their ids, not to outlive this test as well.
        kill -KILL $(awk '{print $1}' <<<"$left")
        e2e_fail "processes outlived the failed test:" "$left"
    fi
    [ ! -e "$(cat "$folder")" ] || e2e_fail "the failed test left $(cat "$folder") behind"
}
e2e_expect_all_gone
pictures=$(ls "$failures" 2>/dev/null || true)
[[ "$pictures" =~ ^failing-[[:alnum:]]{6}\.png$ ]] && [ -s "$failures/$pictures" ] &&
    grep -qFx "e2e: the screen at the failure: $failures/$pictures" "$E2E_TEMP/out" ||
    e2e_fail "the failure's picture was not kept as failing-*.png in $failures: $pictures"
# Its temporary folder was the failed test's TMPDIR: nothing else may be left in it.
[ "$(ls "$E2E_TEMP")" = "$(printf 'failures\nfolder\nout\nprocesses\ntests')" ] ||
    e2e_fail "the failed test wrote outside its own folder: $(ls "$E2E_TEMP")"

# A test that fails after its X server has ended (the program then ends by itself): the report
# says that no picture was kept and leaves no file for one, since the display number may be
# another test's by then; the clean-up still stops everything.
cat >"$tests/display-gone.sh" <<'END'
source "$1/panel.sh"
e2e_start
e2e_start_service 0
e2e_start_program K5R
echo "$E2E_TEMP" >"$2"
ps -o pid=,lstart=,comm= -p "$(IFS=,; echo "${E2E_PIDS[*]}")" >"$3"
e2e_stop_display
e2e_fail "a failure without a display"
END
status=0
TMPDIR=$E2E_TEMP PELLARO_E2E_FAILURES=$failures bash "$tests/display-gone.sh" "$here" "$folder" \
    "$processes" >"$E2E_TEMP/out" 2>&1 || status=$?
[ "$status" -eq 1 ] && grep -q 'a failure without a display' "$E2E_TEMP/out" &&
    grep -qFx "e2e: no picture of the screen kept: the test's X server has ended" "$E2E_TEMP/out" ||
    e2e_fail "no failure report without a display: $(cat "$E2E_TEMP/out")"
e2e_expect_all_gone
[ "$(ls "$failures")" = "$pictures" ] ||
    e2e_fail "a picture was kept of a display that had gone: $(ls "$failures")"
