#!/usr/bin/env bash
# User presets: an equaliser value typed on the expanded panel is stored with user preset 1's
# "send" (the K5R keeps it in slot 2 of its settings block), and after a restart of the program
# the preset's "get" brings it back onto the knob.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"

# Words of user preset 1 of a speaker with two factory voicings: slot 2, parametric band 1's gain
# and the low shelf's gain.
band1_gain_word=$((5 + 18 * 2))
low_shelf_gain_word=$((110 + 3 * 2))

e2e_start
e2e_start_program K5R
e2e_wait_for_speaker
e2e_click "${OPEN_CLOSE_BUTTON[@]}"
untouched=$E2E_DIR/gain-untouched.png
e2e_wait_for 5 "the expanded panel's band 1 gain box" \
    e2e_area_has_text "${BAND1_GAIN_BOX_AREA[@]}"
e2e_crop "${BAND1_GAIN_BOX_AREA[@]}" "$untouched"
enabled=$E2E_DIR/get-enabled.png
e2e_crop "${GET_BUTTON_AREA[@]}" "$enabled"

e2e_type_value "${BAND1_GAIN_BOX[@]}" 5.5
e2e_wait_for 5 "the band 1 gain box to show the typed 5.5 dB" \
    e2e_crop_differs "${BAND1_GAIN_BOX_AREA[@]}" "$untouched"
typed=$E2E_DIR/gain-typed.png
e2e_crop "${BAND1_GAIN_BOX_AREA[@]}" "$typed"

e2e_settings_word_is "$band1_gain_word" -19 || e2e_fail "the factory preset is not in the flash"
e2e_click "${PRESET1_SEND_BUTTON[@]}"
e2e_wait_for 60 "the flash to hold band 1's gain 5.5 dB in user preset 1" \
    e2e_settings_word_is "$band1_gain_word" 55
e2e_settings_word_is "$low_shelf_gain_word" 0 ||
    e2e_fail "the low shelf's gain is $(e2e_settings_word "$low_shelf_gain_word"), not the knob's 0"
e2e_wait_for_idle "$enabled"
e2e_quit_program

e2e_start_program K5R
e2e_wait_for_speaker
e2e_click "${OPEN_CLOSE_BUTTON[@]}"
e2e_wait_for 5 "the expanded panel's band 1 gain box" \
    e2e_crop_equals "${BAND1_GAIN_BOX_AREA[@]}" "$untouched"
e2e_click "${PRESET1_GET_BUTTON[@]}"
e2e_wait_for 30 "user preset 1's get to put 5.5 dB on band 1's gain knob" \
    e2e_crop_equals "${BAND1_GAIN_BOX_AREA[@]}" "$typed"
e2e_quit_program
