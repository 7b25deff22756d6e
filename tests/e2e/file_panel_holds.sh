#!/usr/bin/env bash
# The Load panel holds the window on a desktop with zenity and kdialog installed (stand-ins on
# the PATH that would leave a mark): the panel shown is the program's own, a click on Send
# while it is open starts nothing, a second click on Load opens no second panel, and neither
# program runs. Once the panel is closed, Send works.
source "$(dirname "$0")/panel.sh"

LOAD_BUTTON=(138 272)
EXPANDED_OPEN_CLOSE_BUTTON=(1021 645)

e2e_start
bin=$E2E_TEMP/bin
mkdir -p "$bin"
for program in zenity kdialog; do
    # As the real ones do, it stays open until answered; here for a minute.
    printf '#!/bin/sh\necho "$0" >>"%s/ran"\nsleep 60\n' "$E2E_TEMP" >"$bin/$program"
    chmod +x "$bin/$program"
done
E2E_PROGRAM_ENV=("PATH=$bin:$PATH")
e2e_start_program K5R
e2e_enter_and_see "${VOLUME_BOX_AREA[@]}" -20.5 volume
e2e_press "${OPEN_CLOSE_BUTTON[@]}"
e2e_wait_for "the window to expand" 10 \
    eval '[ "$(e2e_window_size "$E2E_WINDOW")" = 1100x700 ]'
e2e_press "${LOAD_BUTTON[@]}"
e2e_wait_for "the Load panel" 20 e2e_window "^load preset\.\.\.\$"
panels=$(xdotool search --onlyvisible --name '^load preset\.\.\.$' | wc -l)

e2e_press "${SEND_BUTTON[@]}"
e2e_press "${LOAD_BUTTON[@]}"
# Nothing may happen: the send would have reached the flash within this time.
if e2e_wait_for "the send (which must not come)" 3 e2e_settings_word_is 1 -205 2>/dev/null; then
    e2e_fail "Send started while the Load panel was open"
fi
[ "$(xdotool search --onlyvisible --name '^load preset\.\.\.$' | wc -l)" = "$panels" ] ||
    e2e_fail "a second Load panel opened"
[ ! -e "$E2E_TEMP/ran" ] || e2e_fail "the desktop's dialog program ran: $(cat "$E2E_TEMP/ran")"

# The blocked clicks bring the panel to the front again, in the program's own time: Escape is
# pressed until it has closed it.
e2e_escape_closes_panel() {
    e2e_key "$(e2e_window '^load preset\.\.\.$')" Escape
    e2e_wait_for "the panel to close" 1 e2e_no_window '^load preset\.\.\.$'
}
e2e_wait_for "Escape to close the Load panel" 20 e2e_escape_closes_panel
e2e_press "${SEND_BUTTON[@]}"
e2e_wait_for "the flash to hold the volume -20.5 dB (word 1 = -205)" 30 e2e_settings_word_is 1 -205
e2e_wait_for_idle
e2e_quit_program
e2e_expect_no_violation "$E2E_TEMP/program.log"
