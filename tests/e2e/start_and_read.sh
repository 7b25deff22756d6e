#!/usr/bin/env bash
# Start and read: the panel reads the speaker as it starts and shows what its flash holds, the
# factory settings of the emulated K5R (volume -6.5 dB, delay 1.2 ms), its model and firmware;
# the window manager cannot shrink the window.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_expect_fixed_size 1100 303
e2e_area_has_text "${FIRMWARE_LABEL_AREA[@]}" || e2e_fail "the firmware label is empty"
e2e_check_value_box "${VOLUME_BOX_AREA[@]}" -6.5 3
e2e_check_value_box "${DELAY_BOX_AREA[@]}" 1.2 4
# Typing changes only the panel: nothing reaches the speaker without "Send".
e2e_expect_words 1=-65
e2e_quit_program
