#!/usr/bin/env bash
# Send: values typed into the value boxes reach the speaker with "Send"; the flash then holds
# them, and the next start of the program shows them.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_enter "${DELAY_BOX_AREA[@]}" 3.4
e2e_enter_and_see "${VOLUME_BOX_AREA[@]}" -20.5 volume
e2e_press "${SEND_BUTTON[@]}"
e2e_wait_for "the flash to hold the volume -20.5 dB (word 1 = -205)" 30 e2e_settings_word_is 1 -205
e2e_expect_words 2=34 0=2
e2e_wait_for_idle
e2e_quit_program

e2e_start_program K5R
e2e_area_is "${VOLUME_BOX_AREA[@]}" volume ||
    e2e_fail "after a restart the volume box does not show the sent -20.5 dB"
e2e_quit_program
