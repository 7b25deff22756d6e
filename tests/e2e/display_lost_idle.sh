#!/usr/bin/env bash
# The display lost while no speaker operation runs, the question of "Reset" open, and then on a
# new display while only the firmware search runs (its service holds the answer back a minute):
# each time the program ends at once with a non-zero status, says in its log why, and leaves
# the speaker as it was, without a sanitizer report or a violation of the emulated speaker.
source "$(dirname "$0")/panel.sh"

# e2e_expect_ended_at_once LOG: the program has ended within 5 s of its display, not with
# status 0, and LOG holds no sanitizer report and no violation.
e2e_expect_ended_at_once() {
    e2e_ended_without_display "at once" 5
    cmp -s "$E2E_TEMP/flash-before.bin" "$E2E_FLASH" || e2e_fail "the speaker's flash changed"
    e2e_expect_no_violation "$1"
    e2e_expect_no_sanitizer_report "$1"
}

e2e_start
e2e_start_program K5R
e2e_wait_for "the firmware search to end in the status row" 10 \
    e2e_area_has_text "${STATUS_LABEL_AREA[@]}"
cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"
e2e_press "${RESET_BUTTON[@]}"
e2e_wait_for "the question of Reset" 20 e2e_window "^Reset speaker\$"
e2e_stop_display
e2e_expect_ended_at_once "$E2E_TEMP/program.log"
e2e_log_has 'The connection to the display was lost: the program ends, no speaker operation was running' ||
    e2e_fail "the log does not say why the program ended"

e2e_start_display
e2e_start_service 60000
e2e_start_program K5R "$E2E_TEMP/program-search.log"
e2e_stop_display
e2e_expect_ended_at_once "$E2E_TEMP/program-search.log"
e2e_log_has 'The connection to the display was lost: the program ends once the firmware search has ended' ||
    e2e_fail "the log does not say that the program waited for the firmware search"
