#!/usr/bin/env bash
# A quit signal that comes once the program takes its quit signals but before the panel has
# begun its first read (while the window is being made): nothing holds the speaker then, so the
# quit is accepted and the program ends cleanly (status 0) without a box, and the speaker is
# not even opened, however late the message loop takes the request.
source "$(dirname "$0")/panel.sh"

# e2e_catches_term PID: the process has a handler for SIGTERM (bit 14 of SigCgt), as it has from
# the moment it takes its quit signals. Shell builtins only, so that a look takes no time.
e2e_catches_term() {
    local line
    while read -r line; do
        case $line in
        SigCgt:*) ((0x${line##*[[:space:]]} & 0x4000)) && return 0 || return 1 ;;
        esac
    done <"/proc/$1/status"
    return 1
}

e2e_start
e2e_start_program K5R
e2e_quit_program
e2e_forget_speaker_opened

# The X server stands still while the program starts; once the program holds its quit signals,
# it runs again until the program takes them, and then stands still once more: the program
# cannot get its window, and so no tick of its panel, before the signal has come.
xserver=${E2E_PIDS[0]}
kill -STOP "$xserver"
held=0
e2e_start_program_held "$E2E_TEMP/program.log" || held=$?
program=$E2E_HELD_PROGRAM
taken=1
if [ "$held" -eq 0 ]; then
    kill -CONT "$xserver"
    deadline=$((${EPOCHREALTIME/./} + 30000000))
    until e2e_catches_term "$program" 2>/dev/null; do
        # A program that ended has no entry once the shell has reaped it.
        if [ "${EPOCHREALTIME/./}" -ge "$deadline" ] || [ ! -d "/proc/$program" ]; then
            break
        fi
    done
    ! e2e_catches_term "$program" 2>/dev/null || taken=0
    kill -STOP "$xserver"
    [ "$taken" -ne 0 ] || kill -TERM "$program"
fi
kill -CONT "$xserver"
[ "$held" -eq 0 ] || exit 1
[ "$taken" -eq 0 ] || e2e_fail "the program never took its quit signals within 30 s"

e2e_ended_cleanly "$program" "SIGTERM before the first read"
e2e_expect_no_violation "$E2E_TEMP/program.log"
[ ! -e "$E2E_BRIDGE_MARK" ] || e2e_fail "the speaker was opened after the quit signal"
cmp -s "$E2E_TEMP/flash-before.bin" "$E2E_FLASH" || e2e_fail "the speaker's flash changed"
