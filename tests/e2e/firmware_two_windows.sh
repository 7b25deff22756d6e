#!/usr/bin/env bash
# Two windows on one speaker (firmware 1.0.7) both click "Update Firmware" for the offered
# 1.0.9. The first downloads and installs the package; the second waits for that download,
# then finds the speaker's firmware changed since the offer: it writes nothing, says so in the
# box "Firmware update stopped", shows the version found and searches again, which offers no
# update. The speaker erased block 0 once and holds the package once.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_make_package K5R 1.0.9
# 100 bytes a second: the second click meets the first window's download.
e2e_start_service 0 100
# Every erase and page program of both programs, as the speaker took them.
changes=$E2E_TEMP/changes.log
E2E_PROGRAM_ENV=(PELLARO_EMULATED_CHANGE_LOG="$changes")

e2e_area_empty() {
    ! e2e_area_has_text "$@"
}

e2e_start_program K5R
e2e_move_window 0 0
first=("$E2E_PROGRAM" "$E2E_WINDOW")
e2e_wait_for "the first window's search to offer the update: text in the status row" 20 \
    e2e_area_has_text "${STATUS_LABEL_AREA[@]}"
e2e_settled_crop "${STATUS_LABEL_AREA[@]}" status-offered
e2e_settled_crop "${FIRMWARE_LABEL_AREA[@]}" firmware-label-old

e2e_start_program K5R "$E2E_TEMP/program-2.log"
e2e_move_window 0 520
second=("$E2E_PROGRAM" "$E2E_WINDOW")
e2e_wait_for "the second window's search to offer the same update" 20 \
    e2e_area_is "${STATUS_LABEL_AREA[@]}" status-offered
cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"
dd if="$E2E_FLASH" of="$E2E_TEMP/block1-before.bin" bs=65536 skip=1 count=1 status=none

folder="$HOME/Documents/Velk Audio/Pellaro/firmware/K5R/1.0.9"
E2E_WINDOW=${first[1]}
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the first window's download to begin" 20 test -e "$folder/firmware.zip.part"
E2E_WINDOW=${second[1]}
e2e_press "${UPDATE_BUTTON[@]}"
e2e_wait_for "the second window's update to make its panel busy: Get disabled" 10 \
    e2e_area_differs "${GET_BUTTON_AREA[@]}" get-enabled
[ -e "$folder/firmware.zip.part" ] ||
    e2e_fail "the first window's download ended before the second window's update began"

e2e_wait_for "the flash to hold the package's version 1.0.9 (words 126-128)" 60 \
    e2e_settings_word_is 128 9
e2e_answer_box "Firmware update stopped" Return
E2E_WINDOW=${first[1]}
e2e_wait_for_idle
e2e_settled_crop "${FIRMWARE_LABEL_AREA[@]}" firmware-label-new
e2e_area_differs "${FIRMWARE_LABEL_AREA[@]}" firmware-label-old ||
    e2e_fail "the first window's firmware label still shows the old version"

# The second window: idle, the version found in its label, and its new search offers nothing.
E2E_WINDOW=${second[1]}
e2e_wait_for_idle
e2e_wait_for "the second window's new search to offer nothing: its status row empty" 20 \
    e2e_area_empty "${STATUS_LABEL_AREA[@]}"
e2e_area_is "${FIRMWARE_LABEL_AREA[@]}" firmware-label-new ||
    e2e_fail "the second window's firmware label does not show the version found"
e2e_no_window "^Firmware update stopped\$" || e2e_fail "a second box came"

erases=$(grep -c '^block erase 0x000000 ' "$changes" || true)
[ "$erases" -eq 1 ] || e2e_fail "block 0 was erased $erases times: $(grep '^block erase' "$changes")"
[ "$(grep -c '^block erase 0x[01][0-9A-B]' "$changes" || true)" -eq 1 ] ||
    e2e_fail "other firmware blocks were erased: $(grep '^block erase' "$changes")"
e2e_flash_block_is 0 "$E2E_TEMP/expected-block0.bin" || e2e_fail "block 0 is not the package's"
e2e_flash_block_is 1 "$E2E_TEMP/block1-before.bin" || e2e_fail "an update changed block 1"
e2e_expect_words 126=1 127=0 128=9
logs=("$HOME/Documents/Velk Audio/Pellaro/logs/"*)
[ "$(cat "${logs[@]}" | grep -c 'firmware update successful!')" -eq 1 ] ||
    e2e_fail "the logs do not tell of exactly one installation"
grep -q "The speaker's firmware is now 1.0.9, not 1.0.7 as when the update was offered: nothing was written" \
    "${logs[@]}" || e2e_fail "the log does not tell why the second update wrote nothing"
e2e_expect_no_violation "$E2E_TEMP/program.log" "$E2E_TEMP/program-2.log"

for program in "${second[0]}" "${first[0]}"; do
    E2E_PROGRAM=$program e2e_quit_program
done
