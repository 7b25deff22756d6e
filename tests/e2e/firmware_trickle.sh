#!/usr/bin/env bash
# Firmware update from a service that sends its package a byte a second: the update fails a
# little over a minute after it started with "firmware download failed!" in the status row (as
# a package the service doesn't have leaves it), the partial file stays for the next attempt,
# the speaker is untouched, and the window can then be closed.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_make_package K5R 1.0.9
# Every answer is held back 2 s, so that the search is seen running.
e2e_start_service 2000 1
e2e_start_program K5R
e2e_wait_for_the_search_answer
e2e_settled_crop "${STATUS_LABEL_AREA[@]}" status-offered
flash_before=$E2E_TEMP/flash-before.bin
cp "$E2E_FLASH" "$flash_before"

# The status row of a failed download, from a package that the service no longer has (404).
package=$E2E_TEMP/service/K5R/1.0.9/firmware.zip
e2e_update_without_the_package download-failed

mv "$E2E_TEMP/firmware.zip" "$package"
started=$SECONDS
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the update to make the panel busy: Get disabled" 10 \
    e2e_area_differs "${GET_BUTTON_AREA[@]}" get-enabled
e2e_wait_for "the status row to show the new update" 10 \
    e2e_area_differs "${STATUS_LABEL_AREA[@]}" download-failed
e2e_wait_for "the trickling download to fail: 'firmware download failed!' in the status row" \
    120 e2e_area_is "${STATUS_LABEL_AREA[@]}" download-failed
elapsed=$((SECONDS - started))
# The watchdog allows 60 s for the first 1 KiB; the service held its answer back 2 s of them.
[ "$elapsed" -ge 58 ] || e2e_fail "the download failed after $elapsed s, not for its trickle"

folder="$HOME/Documents/Velk Audio/Pellaro/firmware/K5R/1.0.9"
[ ! -e "$folder/firmware.zip" ] || e2e_fail "the partial download was taken for the package"
[ -s "$folder/firmware.zip.part" ] || e2e_fail "the partial file was not kept"
[ -s "$folder/firmware.zip.resume.xml" ] || e2e_fail "the resume file was not kept"
[ "$(stat -c %s "$folder/firmware.zip.part")" -lt "$(stat -c %s "$package")" ] ||
    e2e_fail "the partial file holds the whole package"
cmp -s "$E2E_FLASH" "$flash_before" || e2e_fail "the failed update changed the flash"

e2e_wait_for_idle
e2e_quit_program
