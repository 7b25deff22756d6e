#!/usr/bin/env bash
# User presets: an equaliser value typed on the expanded panel (which the window manager cannot
# shrink either) is stored with user preset 1's "send" (a K5R keeps it in slot 2 of its
# settings block, after its two factory voicings), and after a restart of the program the
# preset's "get" brings it back onto the knob.
source "$(dirname "$0")/panel.sh"

band1_gain_word=$((5 + 18 * 2))

e2e_start
e2e_start_program K5R
e2e_press "${OPEN_CLOSE_BUTTON[@]}"
e2e_wait_for "the expanded panel's band 1 gain box" 5 \
    e2e_area_has_text "${BAND1_GAIN_BOX_AREA[@]}"
e2e_expect_fixed_size 1100 700
e2e_settled_crop "${BAND1_GAIN_BOX_AREA[@]}" gain-untouched
e2e_enter_and_see "${BAND1_GAIN_BOX_AREA[@]}" 5.5 gain-typed
e2e_expect_words "$band1_gain_word=-19"
e2e_press "${PRESET1_SEND_BUTTON[@]}"
e2e_wait_for "the flash to hold band 1's gain 5.5 dB in user preset 1" 30 \
    e2e_settings_word_is "$band1_gain_word" 55
# The other knobs were not touched: the preset holds what they show, 0 dB (low shelf gain).
e2e_expect_words $((110 + 3 * 2))=0
e2e_wait_for_idle
e2e_quit_program

e2e_start_program K5R
e2e_press "${OPEN_CLOSE_BUTTON[@]}"
e2e_wait_for "the expanded panel's untouched band 1 gain box" 10 \
    e2e_area_is "${BAND1_GAIN_BOX_AREA[@]}" gain-untouched
e2e_press "${PRESET1_GET_BUTTON[@]}"
e2e_wait_for "user preset 1's get to put 5.5 dB on band 1's gain knob" 30 \
    e2e_area_is "${BAND1_GAIN_BOX_AREA[@]}" gain-typed
e2e_quit_program
