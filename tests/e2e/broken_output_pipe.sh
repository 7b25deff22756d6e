#!/usr/bin/env bash
# The program's standard output and error go into a pipe whose reader then goes (as
# `pellaro | tee run.log` after a Ctrl-C that ended tee but that the program refused): a line the
# program writes then is dropped, and the program goes on. Here the line comes as a firmware
# installation opens the speaker; the installation completes, the log file holds its lines,
# the program answers and quits cleanly (status 0), and the flash holds the package's block.
source "$(dirname "$0")/panel.sh"

# e2e_idle_or_gone: the panel is idle again (Get enabled), or the program has ended.
e2e_idle_or_gone() {
    e2e_gone "$E2E_PROGRAM" || e2e_area_is "${GET_BUTTON_AREA[@]}" get-enabled
}

e2e_start
e2e_make_package K5R 1.0.9
# Every answer is held back 2 s: the search still runs when the read is shown.
e2e_start_service 2000
output=$E2E_TEMP/output
mkfifo "$output"
e2e_spawn "$E2E_TEMP/reader.log" cat "$output"
reader=$E2E_LAST_PID
e2e_start_program K5R "$output"
e2e_wait_for_the_search_answer

kill -TERM "$reader"
e2e_wait_for "the reader of the program's output to end" 10 e2e_gone "$reader"
# The preloaded speaker shares its flash file under a lock file beside it. While that cannot be
# opened, each opening of the bridge says so in a line on standard error and works on the flash
# the speaker holds in memory, which it stores once it can have the lock file again.
rm -f "$E2E_FLASH.lock"
mkdir "$E2E_FLASH.lock"
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the update to make the panel busy: Get disabled" 10 \
    e2e_area_differs "${GET_BUTTON_AREA[@]}" get-enabled
e2e_wait_for "the installation to end: Get enabled again" 60 e2e_idle_or_gone
if e2e_gone "$E2E_PROGRAM"; then
    status=0
    wait "$E2E_PROGRAM" || status=$?
    e2e_fail "the program ended (status $status) after the reader of its output had gone"
fi
log=("$HOME/Documents/Velk Audio/Pellaro/logs/"*)
for line in 'updating firmware...' 'erasing block: 0' 'writing block: 0' \
    'firmware update successful!'; do
    grep -qF "$line" "${log[@]}" || e2e_fail "the log file does not hold '$line'"
done

# It answers: a read, as it opens the speaker, lets the speaker store what the installation
# wrote.
rmdir "$E2E_FLASH.lock"
e2e_press "${GET_BUTTON[@]}"
e2e_wait_for "the read to store the installed version 1.0.9 (words 126-128)" 20 \
    e2e_settings_word_is 128 9
e2e_wait_for_idle
e2e_quit_program
e2e_expect_words 126=1 127=0 128=9
e2e_flash_block_is 0 "$E2E_TEMP/expected-block0.bin" || e2e_fail "block 0 is not the package's"
e2e_expect_no_violation "$E2E_TEMP/reader.log"
