#!/usr/bin/env bash
# Reset, answered "Yes": the speaker's main settings return to their defaults (input AES L,
# 0 dB, 0 ms, the second voicing) and its user presets to flat ones, the factory voicings stay,
# and the panel shows the defaults.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_wait_for_speaker
e2e_remember_idle

e2e_press "${RESET_BUTTON[@]}"
e2e_answer_box "Reset speaker" Return
e2e_wait_for "the flash to hold the default volume 0 dB (word 1 = 0)" 30 e2e_settings_word_is 1 0
e2e_expect_word 0 0
e2e_expect_word 2 0
e2e_expect_word 125 2
# Factory voicing 1, band 1's gain: untouched.
e2e_expect_word 5 -25
# The gains of user presets 1 to 3 (slots 2 to 4): band 1, high shelf, low shelf.
for slot in 2 3 4; do
    for word in $((5 + 18 * slot)) $((95 + 3 * slot)) $((110 + 3 * slot)); do
        e2e_expect_word "$word" 0
    done
done
e2e_wait_for_idle
e2e_check_value_box "${VOLUME_BOX_AREA[@]}" "${VOLUME_BOX[@]}" 0 3
e2e_check_value_box "${DELAY_BOX_AREA[@]}" "${DELAY_BOX[@]}" 0 4
e2e_quit_program
