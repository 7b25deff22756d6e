#!/usr/bin/env bash
# A quit while a firmware update downloads slowly but steadily (20 bytes a second, more than
# the watchdog's least): the download has not touched the speaker, so the program ends within
# 2 s, cleanly, without a box; the speaker holds what it held before, the partial file and its
# resume record stay, and the next start's update goes on from where the first stopped.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_make_package K5R 1.0.9
e2e_start_service 0 20
slow_service=$E2E_LAST_PID
e2e_start_program K5R
e2e_wait_for "the search to offer the update: text in the status row" 20 \
    e2e_area_has_text "${STATUS_LABEL_AREA[@]}"
cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"

folder="$HOME/Documents/Velk Audio/Pellaro/firmware/K5R/1.0.9"
e2e_part_holds() {
    [ "$(stat -c %s "$folder/firmware.zip.part" 2>/dev/null || echo 0)" -ge "$1" ]
}
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the download to bring 40 bytes" 20 e2e_part_holds 40
e2e_quit_program 2
e2e_no_window "^Firmware update in progress\$" || e2e_fail "the quit was refused"
cmp -s "$E2E_TEMP/flash-before.bin" "$E2E_FLASH" ||
    e2e_fail "the speaker's flash changed although the update only downloaded"
[ -s "$folder/firmware.zip.resume.xml" ] || e2e_fail "the resume file was not kept"
kept=$(stat -c %s "$folder/firmware.zip.part")
[ "$kept" -ge 40 ] || e2e_fail "the partial file was not kept"

# The service as fast as it goes, on the same address, so that the resume record still names
# the package; it says what each package request asked for as it ends.
e2e_serve_again_at_full_speed "$slow_service"

e2e_update_at_a_new_start
e2e_flash_block_is 0 "$E2E_TEMP/expected-block0.bin" || e2e_fail "block 0 is not the package's"
e2e_wait_for_idle
e2e_quit_program
kill -TERM "$E2E_FAST_SERVICE"
e2e_wait_for "the service to end" 10 e2e_gone "$E2E_FAST_SERVICE"
grep -qx "package requested, range: bytes=$kept-" "$E2E_TEMP/fast-service.log" ||
    e2e_fail "the download did not go on from byte $kept: $(grep range "$E2E_TEMP/fast-service.log")"
e2e_expect_no_violation "$E2E_TEMP/program.log" "$E2E_TEMP/program2.log"
