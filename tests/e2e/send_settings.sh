#!/usr/bin/env bash
# Send: values typed into the value boxes reach the speaker only with "Send"; the flash then
# holds them, and the next start of the program shows them.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_wait_for_speaker
enabled=$E2E_DIR/get-enabled.png
e2e_crop "${GET_BUTTON_AREA[@]}" "$enabled"

read_volume=$E2E_DIR/volume-read.png
e2e_crop "${VOLUME_BOX_AREA[@]}" "$read_volume"
e2e_type_value "${VOLUME_BOX[@]}" -20.5
e2e_type_value "${DELAY_BOX[@]}" 3.4
e2e_wait_for 5 "the volume box to show the typed value" \
    e2e_crop_differs "${VOLUME_BOX_AREA[@]}" "$read_volume"
typed=$E2E_DIR/volume-typed.png
e2e_crop "${VOLUME_BOX_AREA[@]}" "$typed"
e2e_settings_word_is 1 -65 || e2e_fail "typing alone changed the speaker's volume"

e2e_click "${SEND_BUTTON[@]}"
e2e_wait_for 60 "the flash to hold the volume -20.5 dB (word 1 = -205)" e2e_settings_word_is 1 -205
e2e_settings_word_is 2 34 || e2e_fail "delay word is $(e2e_settings_word 2), not 34"
e2e_settings_word_is 0 2 || e2e_fail "the input word changed"
e2e_wait_for_idle "$enabled"
e2e_quit_program

e2e_start_program K5R
e2e_wait_for_speaker
e2e_crop_equals "${VOLUME_BOX_AREA[@]}" "$typed" ||
    e2e_fail "after a restart the volume box does not show the sent -20.5 dB"
e2e_quit_program
