# Where the panel's controls are (panel coordinates, the centre of each control; the bottom row
# moves down by 397 pixels when the panel is expanded) and the checks the tests share. Sourced
# after lib.sh.

GET_BUTTON=(893 80)
SEND_BUTTON=(893 120)
RESET_BUTTON=(893 160)
OPEN_CLOSE_BUTTON=(1021 248)
UPDATE_BUTTON=(931 275)
# Value boxes above their knobs.
VOLUME_BOX=(383 80)
DELAY_BOX=(541 80)
BAND1_GAIN_BOX=(176 536)
# The user-preset buttons of a speaker with three user presets (expanded).
PRESET1_GET_BUTTON=(430 272)
PRESET1_SEND_BUTTON=(540 272)

# Rectangles (x y width height): value boxes, buttons and labels of the collapsed panel.
VOLUME_BOX_AREA=(345 70 76 20)
DELAY_BOX_AREA=(503 70 76 20)
BAND1_GAIN_BOX_AREA=(138 526 76 21)
GET_BUTTON_AREA=(846 68 94 24)
MODEL_LABEL_AREA=(121 263 200 24)
FIRMWARE_LABEL_AREA=(826 263 80 24)
STATUS_LABEL_AREA=(626 263 192 24)

# True when the area holds text: the labels draw light grey on the dark panel, so a label with
# text has pixels above half brightness and an empty one has none.
e2e_area_has_text()
{
    local area=$E2E_DIR/text-area.png
    e2e_crop "$@" "$area"
    [[ $(convert "$area" -colorspace gray -threshold 50% -format '%[fx:mean>0]' info:) == 1 ]]
}

# Waits until the first read of the speaker is shown: the model label holds the model.
e2e_wait_for_speaker()
{
    e2e_wait_for 30 "the model label to show the speaker that was read" \
        e2e_area_has_text "${MODEL_LABEL_AREA[@]}"
}

e2e_crop_differs()
{
    local now=$E2E_DIR/crop-now.png
    e2e_crop "${@:1:4}" "$now"
    ! e2e_same_image "$now" "$5"
}

e2e_crop_equals()
{
    local now=$E2E_DIR/crop-now.png
    e2e_crop "${@:1:4}" "$now"
    e2e_same_image "$now" "$5"
}

# Checks that the value box at area $1..$4, clicked at ($5, $6), shows the value $7: its pixels
# change when another value ($8) is typed in and come back exactly when $7 is typed. Leaves $7
# in the box.
e2e_check_value_box()
{
    local area=("${@:1:4}") x=$5 y=$6 value=$7 other=$8
    local shown=$E2E_DIR/shown.png
    e2e_crop "${area[@]}" "$shown"
    e2e_type_value "$x" "$y" "$other"
    e2e_wait_for 5 "the box to show ${other} in place of ${value}" \
        e2e_crop_differs "${area[@]}" "$shown"
    e2e_type_value "$x" "$y" "$value"
    e2e_wait_for 5 "the box to show ${value} as it did before" \
        e2e_crop_equals "${area[@]}" "$shown"
}

# Waits until an operation started by a button has ended: the Get button looks as it did
# (enabled) in the picture $1.
e2e_wait_for_idle()
{
    e2e_wait_for "${2:-60}" "the Get button to be enabled again at the operation's end" \
        e2e_crop_equals "${GET_BUTTON_AREA[@]}" "$1"
}
