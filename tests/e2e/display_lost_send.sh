#!/usr/bin/env bash
# The display lost while "Send" writes the settings at a real speaker's speed (the X server
# ends a fraction of a second after the click): the write runs to its end, so the flash holds
# the new settings block whole, never a half-written or erased one; the program says in its
# log that it waited for the settings write, and ends with a non-zero status, without a
# sanitizer report or a violation of the emulated speaker.
source "$(dirname "$0")/panel.sh"

e2e_start
# As long as on a real speaker: the write takes some 1.5 s.
E2E_PROGRAM_ENV=(PELLARO_EMULATED_REAL_TIME_PERCENT=100)
e2e_start_program K5R
e2e_enter "${DELAY_BOX_AREA[@]}" 3.4
e2e_enter_and_see "${VOLUME_BOX_AREA[@]}" -20.5 volume
e2e_settings_block "$E2E_TEMP/settings-old.bin"
e2e_settings_block "$E2E_TEMP/settings-new.bin" 1=-205 2=34
e2e_press "${SEND_BUTTON[@]}"
e2e_wait_for "the send to hold the speaker" 10 e2e_lock_taken
e2e_stop_display

e2e_ended_without_display "once the write has" 60
if e2e_flash_block_is 29 "$E2E_TEMP/settings-old.bin"; then
    e2e_fail "the flash holds the old settings block: the write under way did not end"
elif ! e2e_flash_block_is 29 "$E2E_TEMP/settings-new.bin"; then
    e2e_fail "the flash holds neither the old nor the new settings block, but:" \
        "$(od -An -tx1 -N 64 -j $((0x1D0000)) "$E2E_FLASH")"
fi
e2e_expect_no_violation "$E2E_TEMP/program.log"
e2e_expect_no_sanitizer_report "$E2E_TEMP/program.log"
e2e_log_has 'The connection to the display was lost: the program ends once the settings write has ended' ||
    e2e_fail "the log does not say that the program waited for the settings write"
