#!/usr/bin/env bash
# A quit asked for while the program starts (Ctrl-C, Ctrl-\, `kill` or a closed terminal before
# its window is there): from the moment its own code runs, the signal is a quit request, not the
# end of the process; nothing has talked to the speaker yet, so the program ends cleanly (status
# 0) without a window, a panel or a box, without even opening the speaker, which holds what it
# held before.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_program K5R
e2e_quit_program
e2e_forget_speaker_opened

# The X server stands still while the program starts: the program waits for it in its first
# steps, its quit signals held, for as long as the test needs to see that and send one.
xserver=${E2E_PIDS[0]}
for signal in TERM INT HUP QUIT; do
    # A home of its own: the panel, once made, makes its data folder there.
    home=$E2E_TEMP/home-$signal
    mkdir -p "$home/.config"
    kill -STOP "$xserver"
    held=0
    e2e_start_program_held "$E2E_TEMP/program-$signal.log" HOME="$home" \
        XDG_CONFIG_HOME="$home/.config" || held=$?
    program=$E2E_HELD_PROGRAM
    [ "$held" -ne 0 ] || kill -"$signal" "$program"
    kill -CONT "$xserver"
    [ "$held" -eq 0 ] || exit 1
    e2e_ended_cleanly "$program" "SIG$signal at the start"
    ! grep -q 'emulated speaker: violation: ' "$E2E_TEMP/program-$signal.log" ||
        e2e_fail "violations: $(cat "$E2E_TEMP/program-$signal.log")"
    [ ! -e "$home/Documents/Velk Audio/Pellaro" ] ||
        e2e_fail "SIG$signal at the start: the panel was made (its data folder is there)"
    [ ! -e "$E2E_BRIDGE_MARK" ] || e2e_fail "SIG$signal at the start: the speaker was opened"
done
cmp -s "$E2E_TEMP/flash-before.bin" "$E2E_FLASH" || e2e_fail "the speaker's flash changed"
