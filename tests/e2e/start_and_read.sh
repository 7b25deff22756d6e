#!/usr/bin/env bash
# Start and read: the panel reads the speaker at start and shows what its flash holds, the
# factory settings of the emulated K5R (volume -6.5 dB, delay 1.2 ms), with the model label
# filled in.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_wait_for_speaker
e2e_check_value_box "${VOLUME_BOX_AREA[@]}" "${VOLUME_BOX[@]}" -6.5 3
e2e_check_value_box "${DELAY_BOX_AREA[@]}" "${DELAY_BOX[@]}" 1.2 4
e2e_area_has_text "${FIRMWARE_LABEL_AREA[@]}" || e2e_fail "the firmware label is empty"
# Nothing was sent: the flash still holds the factory values.
e2e_settings_word_is 1 -65 || e2e_fail "the volume word changed without a send"
e2e_quit_program
