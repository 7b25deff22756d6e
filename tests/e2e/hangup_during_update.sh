#!/usr/bin/env bash
# The terminal the program was started from goes while it installs firmware: the SIGHUP is a
# quit request like the close button's, refused with one box "Firmware update in progress", and
# the installation completes (the flash holds the package's block and version, and nothing
# else changed). Once the panel is idle, a SIGHUP ends the program cleanly (status 0).
source "$(dirname "$0")/panel.sh"

# e2e_boxes TITLE: how many visible windows are named TITLE.
e2e_boxes() {
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l
}

e2e_start
e2e_make_package K5R 1.0.9
# Every answer is held back 2 s: the search still runs when the read is shown.
e2e_start_service 2000
# SIGHUP at its default action, as a terminal leaves it (a test run under nohup has it ignored,
# and the program keeps it so). The speaker sleeps a twentieth of a real one's time: the
# installation (some 6 s) lasts long enough for the hangup to meet it.
E2E_PROGRAM_ENV=(--default-signal=HUP PELLARO_EMULATED_REAL_TIME_PERCENT=5)
e2e_start_program K5R
e2e_wait_for_the_search_answer
dd if="$E2E_FLASH" of="$E2E_TEMP/flash-before.bin" status=none
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the update to make the panel busy: Get disabled" 10 \
    e2e_area_differs "${GET_BUTTON_AREA[@]}" get-enabled
e2e_wait_for "the update to hold the speaker" 20 e2e_lock_taken
kill -HUP "$E2E_PROGRAM"
e2e_wait_for "the box 'Firmware update in progress'" 20 e2e_window "^Firmware update in progress\$"
[ "$(e2e_boxes "Firmware update in progress")" -eq 1 ] ||
    e2e_fail "the hangup showed $(e2e_boxes "Firmware update in progress") boxes"
e2e_answer_box "Firmware update in progress" Return
e2e_gone "$E2E_PROGRAM" && e2e_fail "the hangup ended the program during the firmware update"

e2e_wait_for "the flash to hold the package's version 1.0.9 (words 126-128)" 60 \
    e2e_settings_word_is 128 9
e2e_expect_words 126=1 127=0
e2e_flash_block_is 0 "$E2E_TEMP/expected-block0.bin" || e2e_fail "block 0 is not the package's"
# Beyond block 0, only the settings block (29, which holds the version words) may change.
for block in $(seq 1 28) 30 31; do
    dd if="$E2E_TEMP/flash-before.bin" of="$E2E_TEMP/block-before.bin" bs=65536 skip="$block" \
        count=1 status=none
    e2e_flash_block_is "$block" "$E2E_TEMP/block-before.bin" ||
        e2e_fail "the update changed block $block"
done
e2e_wait_for_idle
grep -q 'firmware update successful!' "$HOME/Documents/Velk Audio/Pellaro/logs/"* ||
    e2e_fail "the log does not tell of the success"

kill -HUP "$E2E_PROGRAM"
e2e_ended_cleanly "$E2E_PROGRAM" "the hangup of the idle program" 30
e2e_expect_no_violation "$E2E_TEMP/program.log"
