#!/usr/bin/env bash
# Quit while "Send" only waits for the speaker that another program holds: the wait is given
# up, the program is gone within 2 s, cleanly, and the speaker holds what it held before.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_wait_for "the firmware search to end in the status row" 10 \
    e2e_area_has_text "${STATUS_LABEL_AREA[@]}"
e2e_settled_crop "${STATUS_LABEL_AREA[@]}" status-before
cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"

# Another program takes the speaker (without forking, so that cleaning up ends the holder).
e2e_spawn "$E2E_TEMP/holder.log" flock --no-fork "$XDG_RUNTIME_DIR/pellaro-speaker.lock" sleep 600
e2e_wait_for "the other program to hold the speaker" 10 e2e_lock_taken
e2e_enter "${VOLUME_BOX_AREA[@]}" -20.5
e2e_press "${SEND_BUTTON[@]}"
e2e_wait_for "the status row to say that the send waits" 10 \
    e2e_area_differs "${STATUS_LABEL_AREA[@]}" status-before

e2e_quit_program 2
cmp -s "$E2E_TEMP/flash-before.bin" "$E2E_FLASH" ||
    e2e_fail "the speaker's flash changed although the send never had the speaker"
e2e_expect_no_violation "$E2E_TEMP/program.log"
