#!/usr/bin/env bash
# The Load and Save panels close as a desktop closes a window: Alt+F4 (openbox's close) and
# Escape with the caret in the panel's file name field each cancel the panel, with a name typed
# there that the panel would otherwise take. Nothing is loaded or saved, and the main window
# then takes the next Send.
source "$(dirname "$0")/panel.sh"

LOAD_BUTTON=(138 272)
SAVE_BUTTON=(248 272)
PRESET_NAME_AREA=(92 228 203 24)
# In the panel's own window (600x500): its file name field.
FILE_NAME_FIELD=(310 436)

e2e_start
presets="$HOME/Documents/Velk Audio/Pellaro/presets"
mkdir -p "$presets"
# What a load would bring: another name, and gains the panel does not hold.
{
    printf '<?xml version="1.0" ?>\n<root>\n\t<preset>\n\t\t<name>Warm</name>\n\t\t<equalizer>\n'
    for _ in 1 2 3 4 5 6 7 8; do
        printf '\t\t\t<eq>\n\t\t\t\t<type>parametric eq</type>\n\t\t\t\t<gain>6.0</gain>\n'
        printf '\t\t\t\t<frequeny>1000.0</frequeny>\n\t\t\t\t<q>1.0</q>\n\t\t\t</eq>\n'
    done
    printf '\t\t</equalizer>\n\t</preset>\n</root>\n'
} >"$presets/Warm.xml"

e2e_start_program K5R
e2e_press "${OPEN_CLOSE_BUTTON[@]}"
e2e_wait_for "the window to expand" 10 \
    eval '[ "$(e2e_window_size "$E2E_WINDOW")" = 1100x700 ]'
e2e_settled_crop "${PRESET_NAME_AREA[@]}" preset-name

# e2e_close_panel BUTTON_X BUTTON_Y TITLE TYPED KEY: opens the panel TITLE with the button,
# types TYPED into its file name field (the caret stays there) and presses KEY.
e2e_close_panel() {
    local panel
    e2e_press "$1" "$2"
    e2e_wait_for "the panel '$3'" 20 e2e_window "^$3\$"
    panel=$(e2e_window "^$3\$")
    timeout "$E2E_WAIT_SECONDS" xdotool windowactivate --sync "$panel" \
        mousemove --window "$panel" "${FILE_NAME_FIELD[@]}" click 1
    e2e_key "$panel" ctrl+a
    timeout "$E2E_WAIT_SECONDS" xdotool windowactivate --sync "$panel" type --delay 20 -- "$4"
    e2e_key "$panel" "$5"
    e2e_wait_for "$5 to close the panel '$3'" 10 e2e_no_window "^$3\$"
}

volume=-20
for key in alt+F4 Escape; do
    for panel in load save; do
        if [ "$panel" = load ]; then
            e2e_close_panel "${LOAD_BUTTON[@]}" 'load preset\.\.\.' Warm.xml "$key"
        else
            e2e_close_panel "${SAVE_BUTTON[@]}" 'save preset as\.\.\.' Kept "$key"
        fi
        # The window is usable again: a new volume is sent.
        volume=$((volume - 1))
        e2e_enter_and_see "${VOLUME_BOX_AREA[@]}" "$volume" volume
        e2e_press "${SEND_BUTTON[@]}"
        e2e_wait_for "the flash to hold the volume $volume dB after $key on the $panel panel" 30 \
            e2e_settings_word_is 1 $((volume * 10))
        e2e_wait_for_idle
        # By now a load or save would long have shown.
        e2e_area_is "${PRESET_NAME_AREA[@]}" preset-name ||
            e2e_fail "the preset name changed after $key on the $panel panel"
        [ "$(ls "$presets")" = Warm.xml ] ||
            e2e_fail "after $key on the $panel panel the presets folder holds: $(ls "$presets")"
    done
done
e2e_quit_program
e2e_expect_no_violation "$E2E_TEMP/program.log"
