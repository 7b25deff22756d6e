#!/usr/bin/env bash
# Reset, answered "Yes": the speaker's main settings return to their defaults (input AES L,
# 0 dB, 0 ms, the second voicing) and its user presets to flat ones, the factory voicings stay,
# and the panel shows the defaults.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"

user_preset_gain_words=()
for slot in 2 3 4; do
    user_preset_gain_words+=($((5 + 18 * slot)) $((95 + 3 * slot)) $((110 + 3 * slot)))
done

e2e_start
e2e_start_program K5R
e2e_wait_for_speaker
enabled=$E2E_DIR/get-enabled.png
e2e_crop "${GET_BUTTON_AREA[@]}" "$enabled"

e2e_click "${RESET_BUTTON[@]}"
e2e_answer_box "Reset speaker" Return
e2e_wait_for 60 "the flash to hold the default volume 0 dB (word 1 = 0)" e2e_settings_word_is 1 0
for expected in "0 0" "2 0" "125 2" "5 -25"; do
    set -- $expected
    e2e_settings_word_is "$1" "$2" || e2e_fail "settings word $1 is $(e2e_settings_word "$1"), not $2"
done
for word in "${user_preset_gain_words[@]}"; do
    e2e_settings_word_is "$word" 0 || e2e_fail "user preset gain word $word is not 0"
done
e2e_wait_for_idle "$enabled"
e2e_check_value_box "${VOLUME_BOX_AREA[@]}" "${VOLUME_BOX[@]}" 0 3
e2e_check_value_box "${DELAY_BOX_AREA[@]}" "${DELAY_BOX[@]}" 0 4
e2e_quit_program
