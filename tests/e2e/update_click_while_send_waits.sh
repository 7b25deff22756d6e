#!/usr/bin/env bash
# A click on "Update Firmware" while a Send waits: "Send" waits for the speaker that another
# program holds, and the firmware search, held back by the service, answers meanwhile with a
# newer version. The click starts nothing, the window goes on answering (it expands), a quit
# then ends the program within 2 s, and the speaker holds what it held before. Whether the
# answer enabled the button is not seen here: the button looks the same enabled or disabled,
# and the panel refuses to start a second operation either way; the panel's own tests
# (MainRemoteResultsTest) check that the answer leaves Update disabled until the Send has ended.
source "$(dirname "$0")/panel.sh"

e2e_expanded() {
    [ "$(e2e_window_size "$E2E_WINDOW")" = 1100x700 ]
}

# e2e_seconds_since START SECONDS: SECONDS have passed since START (a value of $SECONDS).
e2e_seconds_since() {
    [ $((SECONDS - $1)) -ge "$2" ]
}

e2e_start
e2e_make_package K5R 1.0.9
e2e_start_service 3000
e2e_start_program K5R
# The read has been shown, so the search has begun: its answer comes 3 s from now at the least.
search_began=$SECONDS
e2e_settled_crop "${STATUS_LABEL_AREA[@]}" status-searching
cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"

e2e_spawn "$E2E_TEMP/holder.log" flock --no-fork "$XDG_RUNTIME_DIR/pellaro-speaker.lock" sleep 600
e2e_wait_for "the other program to hold the speaker" 10 e2e_lock_taken
e2e_press "${SEND_BUTTON[@]}"
e2e_wait_for "the status row to say that the send waits" 10 \
    e2e_area_differs "${STATUS_LABEL_AREA[@]}" status-searching

# The service holds its answer back 3 s; 8 s leave it time to be shown.
e2e_wait_for "the search's answer to have come" 20 e2e_seconds_since "$search_began" 8
e2e_press "${UPDATE_BUTTON[@]}"
e2e_press "${OPEN_CLOSE_BUTTON[@]}"
e2e_wait_for "the window to answer the click that expands it" 10 \
    e2e_expanded

e2e_quit_program 2
cmp -s "$E2E_TEMP/flash-before.bin" "$E2E_FLASH" ||
    e2e_fail "the speaker's flash changed although nothing had the speaker"
e2e_expect_no_violation "$E2E_TEMP/program.log"
