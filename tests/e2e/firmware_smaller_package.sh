#!/usr/bin/env bash
# A package that the service published again, smaller, between a quit during its download and
# the next start: the partial file now reaches past the new package's end, so the service
# answers the resume with 416. The next start's update drops the partial file and its resume
# record, fetches the new package afresh in the same click and installs it (block 0 and the
# version words are the new package's), and leaves neither file behind; the log says why.
source "$(dirname "$0")/panel.sh"

e2e_start
# The old package, made large by an entry that nothing reads, comes at 400 bytes a second.
e2e_make_package K5R 1.0.9 0 6000
e2e_start_service 0 400
slow_service=$E2E_LAST_PID
e2e_start_program K5R
e2e_wait_for "the search to offer the update: text in the status row" 20 \
    e2e_area_has_text "${STATUS_LABEL_AREA[@]}"

folder="$HOME/Documents/Velk Audio/Pellaro/firmware/K5R/1.0.9"
e2e_part_holds() {
    [ "$(stat -c %s "$folder/firmware.zip.part" 2>/dev/null || echo 0)" -ge "$1" ]
}
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the download to bring 1000 bytes" 20 e2e_part_holds 1000
e2e_quit_program 2
kept=$(stat -c %s "$folder/firmware.zip.part")
[ -s "$folder/firmware.zip.resume.xml" ] || e2e_fail "the resume file was not kept"
old_size=$(stat -c %s "$E2E_TEMP/service/K5R/1.0.9/firmware.zip")
[ "$kept" -lt "$old_size" ] || e2e_fail "the old package was downloaded whole before the quit"

# The same version again, with other firmware bytes and smaller than what was kept, served as
# fast as it goes on the same address, so that the resume record still names it.
e2e_make_package K5R 1.0.9 1
new_package=$E2E_TEMP/service/K5R/1.0.9/firmware.zip
[ "$(stat -c %s "$new_package")" -le "$kept" ] ||
    e2e_fail "the new package is not smaller than the $kept bytes kept"
e2e_serve_again_at_full_speed "$slow_service"

e2e_update_at_a_new_start
e2e_expect_words 126=1 127=0
e2e_flash_block_is 0 "$E2E_TEMP/expected-block0.bin" || e2e_fail "block 0 is not the new package's"
e2e_wait_for_idle
e2e_quit_program
kill -TERM "$E2E_FAST_SERVICE"
e2e_wait_for "the service to end" 10 e2e_gone "$E2E_FAST_SERVICE"

[ ! -e "$folder/firmware.zip.part" ] || e2e_fail "the partial file was left behind"
[ ! -e "$folder/firmware.zip.resume.xml" ] || e2e_fail "the resume file was left behind"
cmp -s "$folder/firmware.zip" "$new_package" || e2e_fail "the kept package is not the new one"
# The resume, then the whole file from the start, in the one click.
requests=$(grep 'package requested' "$E2E_TEMP/fast-service.log" | tr '\n' '|')
[ "$requests" = "package requested, range: bytes=$kept-|package requested, range: none|" ] ||
    e2e_fail "the package was asked for as: $requests"
grep -q "changed on the server since its download began: .*; downloading it afresh" \
    "$HOME/Documents/Velk Audio/Pellaro/logs/"* || e2e_fail "the log does not say why"
e2e_expect_no_violation "$E2E_TEMP/program.log" "$E2E_TEMP/program2.log"
