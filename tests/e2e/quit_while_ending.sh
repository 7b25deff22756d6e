#!/usr/bin/env bash
# Quit requests that come while the program ends, after it has accepted a quit (a second Ctrl-C,
# `kill` again, the terminal closing meanwhile): they are ignored, and the program ends cleanly
# (status 0), not by the default action of the later ones.
source "$(dirname "$0")/panel.sh"

e2e_start
# The firmware service holds its answer back a minute: the program ends with its search still
# on the network, which it takes a moment to give up.
e2e_start_service 60000
# SIGHUP at its default action, as a terminal leaves it (a test run under nohup has it ignored).
E2E_PROGRAM_ENV=(--default-signal=HUP)
e2e_start_program K5R
e2e_wait_for "the search to wait on the service" 10 e2e_connected_to "${E2E_SERVICE##*:}"
started=${EPOCHREALTIME/./}
e2e_request_quit
# Every quit signal, one after the other, until the program has gone: the first ones may still
# meet the message loop, the later ones the ending.
signals=(TERM INT HUP QUIT)
sent=0
deadline=$((SECONDS + 30))
until e2e_gone "$E2E_PROGRAM"; do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "the program did not end within 30 s"
    kill -"${signals[sent % 4]}" "$E2E_PROGRAM" 2>/dev/null || true
    sent=$((sent + 1))
    sleep 0.01
done
echo "ended $(((${EPOCHREALTIME/./} - started) / 1000)) ms after the quit, $sent more quit signals"
status=0
wait "$E2E_PROGRAM" || status=$?
[ "$status" -eq 0 ] ||
    e2e_fail "after $sent more quit signals the program ended with status $status"
e2e_expect_no_violation "$E2E_TEMP/program.log"
