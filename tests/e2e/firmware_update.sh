#!/usr/bin/env bash
# Firmware update from the local firmware service: the search offers the newer package and
# "Update Firmware" installs it without a question; a quit request while it writes to the
# speaker is refused with the box "Firmware update in progress"; at the end the flash holds the
# package's block and version, the log tells of the success, and the firmware label shows the
# version that the next start of the program reads from the speaker.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_make_package K5R 1.0.9
# Every answer is held back 2 s: the search still runs when the read is shown.
e2e_start_service 2000
# The speaker sleeps a twentieth of a real one's time: the installation (some 6 s) lasts long
# enough for the quit request to meet it.
E2E_PROGRAM_ENV=(PELLARO_EMULATED_REAL_TIME_PERCENT=5)
e2e_start_program K5R
e2e_settled_crop "${STATUS_LABEL_AREA[@]}" status-searching
e2e_settled_crop "${FIRMWARE_LABEL_AREA[@]}" firmware-label-old

# A disabled "Update Firmware" looks like an enabled one; the status label tells when the
# search has ended ("(searching online...)" becomes "(Firmware V1.0.9 available)").
e2e_wait_for "the search to end: the status label changing" 20 \
    e2e_area_differs "${STATUS_LABEL_AREA[@]}" status-searching
# Block 1 is not in the package: the update must leave it as it is.
dd if="$E2E_FLASH" of="$E2E_TEMP/block1-before.bin" bs=65536 skip=1 count=1 status=none
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the update to make the panel busy: Get disabled" 10 \
    e2e_area_differs "${GET_BUTTON_AREA[@]}" get-enabled
# It has downloaded and read the package once it holds the speaker.
e2e_wait_for "the update to hold the speaker" 20 e2e_lock_taken
e2e_request_quit
e2e_answer_box "Firmware update in progress" Return
e2e_gone "$E2E_PROGRAM" && e2e_fail "the program quit during the firmware update"

e2e_wait_for "the flash to hold the package's version 1.0.9 (words 126-128)" 60 \
    e2e_settings_word_is 128 9
e2e_expect_words 126=1 127=0
e2e_flash_block_is 0 "$E2E_TEMP/expected-block0.bin" || e2e_fail "block 0 is not the package's"
e2e_flash_block_is 1 "$E2E_TEMP/block1-before.bin" || e2e_fail "the update changed block 1"
e2e_wait_for_idle
e2e_area_differs "${FIRMWARE_LABEL_AREA[@]}" firmware-label-old ||
    e2e_fail "the firmware label still shows the old version"
e2e_settled_crop "${FIRMWARE_LABEL_AREA[@]}" firmware-label-new
grep -q 'firmware update successful!' "$HOME/Documents/Velk Audio/Pellaro/logs/"* ||
    e2e_fail "the log does not tell of the success"
e2e_quit_program

e2e_start_program K5R
e2e_wait_for "the firmware label to show the version read from the speaker" 5 \
    e2e_area_is "${FIRMWARE_LABEL_AREA[@]}" firmware-label-new
e2e_quit_program
