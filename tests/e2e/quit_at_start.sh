#!/usr/bin/env bash
# A quit asked for while the program starts (Ctrl-C or `kill` before its window is there):
# from the moment its own code runs, the signal is a quit request, not the end of the process;
# nothing has talked to the speaker yet, so the program ends cleanly (status 0) without a
# window or a box, and the speaker holds what it held before.
source "$(dirname "$0")/panel.sh"

# e2e_signal_while_held PID SIGNAL: sends SIGNAL the moment the process holds back exactly
# SIGINT (bit 2) and SIGTERM (bit 15), which it does from its first step until its window is
# made (the sanitizer's runtime holds every signal back for moments of its own before that);
# looks with builtins only, so that so short a time is not missed. Fails after 20 s.
e2e_signal_while_held() {
    local key value deadline=$((SECONDS + 20))
    while [ "$SECONDS" -lt "$deadline" ]; do
        while IFS=$':\t ' read -r key value; do
            if [ "$key" = SigBlk ]; then
                if [ $((0x$value)) -eq $((0x4002)) ]; then
                    kill -"$2" "$1"
                    return 0
                fi
                break
            fi
        done <"/proc/$1/status" || return 1
    done
    e2e_fail "waited 20 s for the program to hold its quit signals"
}

e2e_start
e2e_start_program K5R
e2e_quit_program
cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"

for signal in TERM INT; do
    e2e_spawn "$E2E_TEMP/program-$signal.log" env PELLARO_EMULATED_FLASH="$E2E_FLASH" \
        PELLARO_FIRMWARE_SERVICE=http://127.0.0.1:9 LD_PRELOAD="$PELLARO_PRELOAD" \
        ASAN_OPTIONS=detect_leaks=0 "$PELLARO_PROGRAM"
    program=$E2E_LAST_PID
    e2e_signal_while_held "$program" "$signal"
    e2e_wait_for "the program to end after SIG$signal at its start" 20 e2e_gone "$program"
    status=0
    wait "$program" || status=$?
    [ "$status" -eq 0 ] || e2e_fail "SIG$signal at the start ended the program with status $status"
    ! grep -q 'emulated speaker: violation: ' "$E2E_TEMP/program-$signal.log" ||
        e2e_fail "violations: $(cat "$E2E_TEMP/program-$signal.log")"
done
cmp -s "$E2E_TEMP/flash-before.bin" "$E2E_FLASH" || e2e_fail "the speaker's flash changed"
