#!/usr/bin/env bash
# Reset, answered "Yes": the speaker's main settings return to their defaults (input AES L,
# 0 dB, 0 ms, the second voicing) and its user presets to flat ones, the factory voicings stay,
# and the panel shows the defaults.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_press "${RESET_BUTTON[@]}"
e2e_answer_box "Reset speaker" Return
e2e_wait_for "the flash to hold the default volume 0 dB (word 1 = 0)" 30 e2e_settings_word_is 1 0
# Input, delay, the second voicing, factory voicing 1's band 1 gain (untouched), and the gains
# of user presets 1 to 3 (slots 2 to 4): band 1, high shelf, low shelf.
e2e_expect_words 0=0 2=0 125=2 5=-25 41=0 101=0 116=0 59=0 104=0 119=0 77=0 107=0 122=0
e2e_wait_for_idle
e2e_check_value_box "${VOLUME_BOX_AREA[@]}" 0 3
e2e_check_value_box "${DELAY_BOX_AREA[@]}" 0 4
e2e_quit_program
