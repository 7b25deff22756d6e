#!/usr/bin/env bash
# The display lost while a firmware update writes to the speaker (the X server ends, as at a
# logout or a dropped ssh -X), the refusal of a quit showing: the program lets the installation
# run to its last block and its version, lets go of the speaker, says in its log why it ended
# and ends with a non-zero status, without a sanitizer report or a violation of the emulated
# speaker.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_make_package K5R 1.0.9
e2e_start_service 2000
# A twentieth of a real speaker's time: the installation (some 6 s) outlasts the display.
E2E_PROGRAM_ENV=(PELLARO_EMULATED_REAL_TIME_PERCENT=5)
e2e_start_program K5R
e2e_wait_for_the_search_answer
dd if="$E2E_FLASH" of="$E2E_TEMP/block1-before.bin" bs=65536 skip=1 count=1 status=none
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the installation to begin: its first erase in the log" 20 \
    e2e_log_has 'erasing block: 0'
# The refusal of a quit is showing when the display goes.
e2e_request_quit
e2e_wait_for "the refusal of the quit" 20 e2e_window "^Firmware update in progress\$"
e2e_stop_display

e2e_ended_without_display "once the installation has" 120
e2e_expect_words 126=1 127=0 128=9
e2e_flash_block_is 0 "$E2E_TEMP/expected-block0.bin" || e2e_fail "block 0 is not the package's"
e2e_flash_block_is 1 "$E2E_TEMP/block1-before.bin" || e2e_fail "the update changed block 1"
e2e_expect_no_violation "$E2E_TEMP/program.log"
e2e_expect_no_sanitizer_report "$E2E_TEMP/program.log"
e2e_log_has 'firmware update successful!' || e2e_fail "the log does not tell of the success"
e2e_log_has 'The connection to the display was lost: the program ends once the firmware update has ended' ||
    e2e_fail "the log does not say that the program waited for the firmware update"
