#!/usr/bin/env bash
# Two windows on one speaker: two programs on one flash file (and one lock file) take turns on
# the bridge, so the emulated speaker reports no violation, even when one sends while the other
# reads; and what one sends, the other's "Get" shows.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_move_window 0 0
first=("$E2E_PROGRAM" "$E2E_WINDOW")
e2e_enter_and_see "${VOLUME_BOX_AREA[@]}" -20.5 volume-sent

e2e_start_program K5R "$E2E_TEMP/program-2.log"
e2e_move_window 0 520
second=("$E2E_PROGRAM" "$E2E_WINDOW")
e2e_area_differs "${VOLUME_BOX_AREA[@]}" volume-sent ||
    e2e_fail "the second window shows -20.5 dB before it was sent"

# The first sends and the second reads at once: one xdotool, two clicks.
timeout "$E2E_WAIT_SECONDS" xdotool \
    mousemove --window "${first[1]}" "${SEND_BUTTON[@]}" click 1 \
    mousemove --window "${second[1]}" "${GET_BUTTON[@]}" click 1 \
    mousemove --window "${second[1]}" 1099 1
e2e_wait_for "the flash to hold the volume -20.5 dB (word 1 = -205)" 30 e2e_settings_word_is 1 -205
for window in "${first[1]}" "${second[1]}"; do
    E2E_WINDOW=$window e2e_wait_for_idle
done

# Read again, the second window shows what the first sent. An unsent value typed first tells
# when the read has been shown, whatever the read beside the send found.
E2E_WINDOW=${second[1]}
e2e_enter_and_see "${VOLUME_BOX_AREA[@]}" -7.5 volume-typed
e2e_press "${GET_BUTTON[@]}"
e2e_wait_for "the second window's volume box to show the sent -20.5 dB" 30 \
    e2e_area_is "${VOLUME_BOX_AREA[@]}" volume-sent
e2e_wait_for_idle
e2e_expect_no_violation "$E2E_TEMP/program.log" "$E2E_TEMP/program-2.log"

for program in "${second[0]}" "${first[0]}"; do
    E2E_PROGRAM=$program e2e_quit_program
done
