#!/usr/bin/env bash
# A download that fails tells the user why in the log, while the status row keeps its short
# text: a package that the service no longer has (404) puts the status and the package's address
# into the log, and the status row shows the same "firmware download failed!" as a package whose
# checksum is wrong, whose reason the log tells too.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_make_package K5R 1.0.9
# Every answer is held back 2 s, so that the search is seen running.
e2e_start_service 2000
e2e_start_program K5R
e2e_wait_for_the_search_answer
e2e_settled_crop "${STATUS_LABEL_AREA[@]}" status-offered
cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"
logs="$HOME/Documents/Velk Audio/Pellaro/logs"
address=$E2E_SERVICE/firmware/K5R/1.0.9/firmware.zip

package=$E2E_TEMP/service/K5R/1.0.9/firmware.zip
e2e_update_without_the_package not-found
grep -qF "The firmware download failed: HTTP status 404 ($address)" "$logs"/* ||
    e2e_fail "the log does not tell of the 404: $(cat "$logs"/* 2>/dev/null)"

# Other bytes than those whose checksum the search reported: a package problem of the same kind.
head -c 5000 /dev/zero >"$package"
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the update to make the panel busy: Get disabled" 10 \
    e2e_area_differs "${GET_BUTTON_AREA[@]}" get-enabled
e2e_wait_for "the status row to show the new update" 10 \
    e2e_area_differs "${STATUS_LABEL_AREA[@]}" not-found
e2e_wait_for_idle
e2e_wait_for "the status row to show 'firmware download failed!' again" 10 \
    e2e_area_is "${STATUS_LABEL_AREA[@]}" not-found
grep -q "The firmware package's checksum .* differs from the service's " "$logs"/* ||
    e2e_fail "the log does not tell of the checksum"
[ "$(cat "$logs"/* | grep -c 'The firmware download failed')" -eq 1 ] ||
    e2e_fail "the 404 was logged more than once"
cmp -s "$E2E_FLASH" "$E2E_TEMP/flash-before.bin" || e2e_fail "a failed update changed the flash"
e2e_quit_program
