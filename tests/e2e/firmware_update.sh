#!/usr/bin/env bash
# Firmware update from the local firmware service: the search offers the newer package and
# "Update Firmware" installs it without a question; a quit request while it runs is refused with
# the box "Firmware update in progress"; at the end the flash holds the package's block and
# version, the log tells of the success, and the firmware label shows the version that the next
# start of the program reads from the speaker.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_make_package "$E2E_DIR/service" K5R 1.0.9
# Every answer is held back 2 s: the search is still running when the read is shown, and the
# update's download keeps the panel busy long enough for the quit request to meet it.
e2e_start_service "$E2E_DIR/service" 2000
e2e_start_program K5R
e2e_wait_for_speaker
enabled=$E2E_DIR/get-enabled.png
searching=$E2E_DIR/status-searching.png
old_label=$E2E_DIR/firmware-label-old.png
e2e_crop "${GET_BUTTON_AREA[@]}" "$enabled"
e2e_crop "${STATUS_LABEL_AREA[@]}" "$searching"
e2e_crop "${FIRMWARE_LABEL_AREA[@]}" "$old_label"

# A disabled "Update Firmware" looks like an enabled one: the status label tells when the
# search has ended ("(searching online...)" becomes "(Firmware V1.0.9 available)").
e2e_wait_for 20 "the search to end: the status label changing" \
    e2e_crop_differs "${STATUS_LABEL_AREA[@]}" "$searching"
e2e_click "${UPDATE_BUTTON[@]}"
e2e_wait_for 10 "the update to make the panel busy: Get disabled" \
    e2e_crop_differs "${GET_BUTTON_AREA[@]}" "$enabled"
e2e_request_quit
e2e_answer_box "Firmware update in progress" Return
e2e_program_running || e2e_fail "the program quit during the firmware update"

e2e_wait_for 60 "the flash to hold the package's version 1.0.9 (words 126-128)" \
    e2e_settings_word_is 128 9
e2e_settings_word_is 126 1 && e2e_settings_word_is 127 0 ||
    e2e_fail "version words $(e2e_settings_word 126).$(e2e_settings_word 127), not 1.0"
e2e_flash_block_is 0 "$E2E_DIR/expected-block0.bin" ||
    e2e_fail "flash block 0 does not hold the package's firmware"
e2e_wait_for_idle "$enabled"
e2e_crop_differs "${FIRMWARE_LABEL_AREA[@]}" "$old_label" ||
    e2e_fail "the firmware label still shows the old version"
new_label=$E2E_DIR/firmware-label-new.png
e2e_crop "${FIRMWARE_LABEL_AREA[@]}" "$new_label"
log=$(e2e_newest_log)
grep -q 'firmware update successful!' "$log" || e2e_fail "the log does not tell of the success"
e2e_quit_program

e2e_start_program K5R
e2e_wait_for_speaker
e2e_wait_for 5 "the firmware label to show the version read from the speaker" \
    e2e_crop_equals "${FIRMWARE_LABEL_AREA[@]}" "$new_label"
e2e_quit_program
