# shellcheck shell=bash
# The program as the end-to-end tests drive it, over lib.sh: a test's own home folder and
# display, the real pellaro with the emulated speaker preloaded (its flash in a file of the test's
# own), the panel's controls, comparing parts of the panel between two moments, message boxes,
# the settings words in the flash file, and a one-block package for the local firmware service.
#
# The test's environment (set by CTest): PELLARO_PROGRAM, PELLARO_PRELOAD (colon-separated
# libraries), PELLARO_SERVICE_PROGRAM, and PELLARO_E2E_FAILURES, the folder that keeps a picture
# of the screen when a test fails (unset: none is kept). A failed check ends the test (set -e).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The test's name, which its picture of a failure carries: its script's file name without .sh,
# however the script was started. $0 names the script only when bash runs it as a file: through
# a symlink it is the link's name, and when bash -c sources the script it is whatever follows
# the code. The outermost file being read is the script itself, its links resolved; a test with
# no file of its own (bash -c CODE NAME) is named by NAME.
if [ "${#BASH_SOURCE[@]}" -gt 1 ] && [ -f "${BASH_SOURCE[-1]}" ]; then
    E2E_TEST_NAME=$(basename -- "$(readlink -f -- "${BASH_SOURCE[-1]}")" .sh)
else
    E2E_TEST_NAME=$(basename -- "$0" .sh)
fi

# Centres of buttons, in panel coordinates; the user-preset buttons are those of a speaker with
# three user presets on the expanded panel.
SEND_BUTTON=(893 120)
RESET_BUTTON=(893 160)
OPEN_CLOSE_BUTTON=(1021 248)
UPDATE_BUTTON=(931 275)
PRESET1_GET_BUTTON=(430 272)
PRESET1_SEND_BUTTON=(540 272)
GET_BUTTON=(893 80)
# Areas: x y width height. Value boxes are clicked at their centre.
VOLUME_BOX_AREA=(345 70 76 20)
DELAY_BOX_AREA=(503 70 76 20)
BAND1_GAIN_BOX_AREA=(138 526 76 21)
GET_BUTTON_AREA=(846 68 94 24)
MODEL_LABEL_AREA=(121 263 200 24)
FIRMWARE_LABEL_AREA=(826 263 80 24)
STATUS_LABEL_AREA=(626 263 192 24)

# A temporary folder ($E2E_TEMP) holding the test's own home folder (HOME, XDG_CONFIG_HOME) and
# flash file, and a display with openbox; everything is stopped when the test exits.
e2e_start() {
    E2E_TEMP=$(mktemp -d "${TMPDIR:-/tmp}/pellaro-e2e-XXXXXX")
    # Under set -e a failing command in the trap would end it before the clean-up.
    trap 'e2e_finish $?' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    export HOME=$E2E_TEMP/home XDG_CONFIG_HOME=$E2E_TEMP/home/.config
    # The speaker's lock file: the test's own, shared by every program the test starts.
    export XDG_RUNTIME_DIR=$E2E_TEMP
    mkdir -p "$XDG_CONFIG_HOME"
    E2E_FLASH=$E2E_TEMP/flash.bin
    e2e_start_display
}

# e2e_finish STATUS: on a failed test (STATUS not 0) the program's output (sanitizer reports
# included) and where a picture of the whole screen was kept, then the clean-up, whatever
# failed in the report. The picture outlives the test's temporary folder, so it is kept in
# $PELLARO_E2E_FAILURES (in the build tree), named after the test ($E2E_TEST_NAME), never in the
# system's temporary folder.
e2e_finish() {
    local picture
    set +e
    if [ "$1" -ne 0 ]; then
        if [ -z "${PELLARO_E2E_FAILURES:-}" ]; then
            echo "e2e: no picture of the screen kept: PELLARO_E2E_FAILURES is not set" >&2
        elif ! e2e_display_running; then
            # Its display number may be another test's by now.
            echo "e2e: no picture of the screen kept: the test's X server has ended" >&2
        elif mkdir -p "$PELLARO_E2E_FAILURES" &&
            picture=$(mktemp "$PELLARO_E2E_FAILURES/$E2E_TEST_NAME-XXXXXX.png"); then
            if timeout "$E2E_WAIT_SECONDS" import -window root "$picture" 2>/dev/null; then
                echo "e2e: the screen at the failure: $picture" >&2
            else
                rm -f "$picture"
                echo "e2e: no picture of the screen kept: it could not be taken" >&2
            fi
        fi
        echo "e2e: the program's output:" >&2
        tail -n 40 "$E2E_TEMP/program.log" >&2 2>/dev/null
        echo "e2e: the output of Xvfb and openbox:" >&2
        tail -n 20 "$E2E_TEMP/display.log" >&2 2>/dev/null
    fi
    e2e_cleanup
}

# -- The program -----------------------------------------------------------------------------

# e2e_start_program [MODEL [LOG]]: starts the program with an emulated speaker of MODEL (default
# K5R) on the test's flash file, its output in LOG (default $E2E_TEMP/program.log), and waits
# until its window is painted; sets E2E_PROGRAM (its pid) and E2E_WINDOW (found by the pid, as
# every program's window has the same name). Until then no other window of the program may be
# on the screen: a window mapped before it is complete flashes at the user. Then waits until
# the panel shows the speaker it read (the model label filled in) and keeps the enabled Get
# button's look (get-enabled) for e2e_wait_for_idle. The firmware service is $E2E_SERVICE, else
# a closed local port, so that no test asks the internet. E2E_PROGRAM_ENV (an array of NAME=VALUE)
# adds to the program's environment.
E2E_PROGRAM_ENV=()
e2e_start_program() {
    e2e_spawn "${2:-$E2E_TEMP/program.log}" env "${E2E_PROGRAM_ENV[@]}" \
        PELLARO_EMULATED_FLASH="$E2E_FLASH" PELLARO_EMULATED_MODEL="${1:-K5R}" \
        PELLARO_FIRMWARE_SERVICE="${E2E_SERVICE:-http://127.0.0.1:9}" \
        LD_PRELOAD="$PELLARO_PRELOAD" ASAN_OPTIONS=detect_leaks=0 "$PELLARO_PROGRAM"
    E2E_PROGRAM=$E2E_LAST_PID E2E_WINDOW='' E2E_WRONG_WINDOW=''
    e2e_wait_for "the program's window, painted" 60 e2e_started
    [ -z "$E2E_WRONG_WINDOW" ] ||
        e2e_fail "before its painted main window the program showed $E2E_WRONG_WINDOW" || return 1
    e2e_wait_for "the model label to show the speaker that was read" 30 \
        e2e_area_has_text "${MODEL_LABEL_AREA[@]}" &&
        e2e_settled_crop "${GET_BUTTON_AREA[@]}" get-enabled
}

# Whether the start has ended: the main window (named "Velk Audio Pellaro", the collapsed
# panel's size) is painted, or another window of the program is on the screen (noted in
# E2E_WRONG_WINDOW).
e2e_started() {
    local id name size
    for id in $(xdotool search --onlyvisible --pid "$E2E_PROGRAM"); do
        # A window that has gone since the search is skipped.
        name=$(xdotool getwindowname "$id") && size=$(e2e_window_size "$id") || continue
        if [ "$name" = "Velk Audio Pellaro" ] && [ "$size" = 1100x303 ]; then
            E2E_WINDOW=$id
        else
            E2E_WRONG_WINDOW="a window '$name' of $size"
            return 0
        fi
    done
    [ -n "$E2E_WINDOW" ] && e2e_painted
}

# e2e_window_size ID: the window's size, WIDTHxHEIGHT.
e2e_window_size() {
    xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: //p' | grep .
}

# e2e_expect_fixed_size WIDTH HEIGHT: asked to make the window smaller, the window manager leaves
# it at WIDTH x HEIGHT. The window then moves to the screen's top left: the move, asked for
# after the resize, shows when the window manager has handled both. Once per window.
e2e_expect_fixed_size() {
    timeout "$E2E_WAIT_SECONDS" xdotool windowsize "$E2E_WINDOW" 600 200 \
        windowmove --sync "$E2E_WINDOW" 0 0 || e2e_fail "the window did not move" || return 1
    [ "$(e2e_window_size "$E2E_WINDOW")" = "${1}x$2" ] ||
        e2e_fail "the window manager resized the window to $(e2e_window_size "$E2E_WINDOW")"
}

# The header's face at (60, 20) is the artwork's anthracite once painted, black before.
e2e_painted() {
    local shot=$E2E_TEMP/painted.png colour
    import -window "$E2E_WINDOW" "$shot" &&
        colour=$(convert "$shot" -alpha off -depth 8 -format '%[hex:p{60,20}]' info:) &&
        [ "${colour:0:6}" != 000000 ]
}

# Asks the program to quit: SIGTERM takes the road of the window's close button.
e2e_request_quit() {
    kill -TERM "$E2E_PROGRAM"
}

# e2e_quit_program [SECONDS]: quits the program and waits for its end, at most SECONDS (default
# 30), which must be a clean one.
# shellcheck disable=SC2120 # SECONDS is optional
e2e_quit_program() {
    local status=0
    e2e_request_quit
    e2e_wait_for "the program to end within ${1:-30} s of the quit request" "${1:-30}" \
        e2e_gone "$E2E_PROGRAM"
    wait "$E2E_PROGRAM" || status=$?
    [ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
}

# -- More than one program on the speaker ---------------------------------------------------

# Whether some process holds the speaker's lock file (the test's own, in $XDG_RUNTIME_DIR).
e2e_lock_taken() {
    ! flock --nonblock "$XDG_RUNTIME_DIR/pellaro-speaker.lock" true
}

# e2e_window_moved X Y: asks to move $E2E_WINDOW to X Y and tells whether it is there (its
# position as reported lies below the title bar). A window still being placed may ignore one
# request: the next try asks again.
e2e_window_moved() {
    local X Y
    xdotool windowmove "$E2E_WINDOW" "$1" "$2" &&
        eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW" | grep -E '^[XY]=[0-9]+$')" &&
        [ "$X" -ge "$1" ] && [ "$X" -le $(($1 + 10)) ] && [ "$Y" -ge "$2" ] && [ "$Y" -le $(($2 + 40)) ]
}

# e2e_move_window X Y: moves $E2E_WINDOW there, so that the windows of two programs never cover
# each other (a picture of a window shows what is on the screen in its place).
e2e_move_window() {
    e2e_wait_for "the window to move to $1,$2" 20 e2e_window_moved "$1" "$2"
}

# e2e_expect_no_violation LOG...: the preloaded emulated speaker reported no violation (two
# programs on the bridge at once, a broken protocol) in the programs' output.
e2e_expect_no_violation() {
    ! grep -H 'emulated speaker: violation: ' "$@" >&2 ||
        e2e_fail "the emulated speaker reported the violations above"
}

# e2e_log_has TEXT: the program's log file (made at its first line) holds TEXT.
e2e_log_has() {
    grep -qF -- "$1" "$HOME/Documents/Velk Audio/Pellaro/logs/"* 2>/dev/null
}

# e2e_expect_no_sanitizer_report LOG...: no AddressSanitizer, LeakSanitizer or
# UndefinedBehaviorSanitizer report in the programs' output.
e2e_expect_no_sanitizer_report() {
    ! grep -H -E 'ERROR: (Address|Leak)Sanitizer|runtime error: |SUMMARY: ' "$@" >&2 ||
        e2e_fail "the program's output holds the sanitizer report above"
}

# -- Input and the screen --------------------------------------------------------------------

# e2e_press X Y: clicks the panel at (X, Y) (window coordinates, which openbox's title bar does
# not shift) and moves the pointer off the controls, so that no mouse-over look stays behind.
e2e_press() {
    timeout "$E2E_WAIT_SECONDS" xdotool mousemove --window "$E2E_WINDOW" "$1" "$2" click 1 \
        mousemove --window "$E2E_WINDOW" 1099 1
}

# e2e_enter X Y W H VALUE: clicks the value box in that area, replaces its text with VALUE and
# presses Return. The program takes X events in order, so the keys reach the editor the click
# opened.
e2e_enter() {
    e2e_press $(($1 + $3 / 2)) $(($2 + $4 / 2))
    e2e_key "$E2E_WINDOW" ctrl+a
    timeout "$E2E_WAIT_SECONDS" xdotool windowactivate --sync "$E2E_WINDOW" type --delay 20 -- "$5"
    e2e_key "$E2E_WINDOW" Return
}

# Pictures of the panel are kept by NAME, in $E2E_TEMP/NAME.png.

# e2e_crop X Y W H NAME: that area of the panel as it is now.
e2e_crop() {
    import -window "$E2E_WINDOW" "$E2E_TEMP/crop-source.png" &&
        convert "$E2E_TEMP/crop-source.png" -crop "${3}x${4}+${1}+${2}" +repage "$E2E_TEMP/$5.png"
}

# e2e_settled_crop X Y W H NAME: the area once two pictures a tenth of a second apart agree, so
# that a reference is never taken from a frame still being painted.
e2e_settled_crop() {
    e2e_crop "$@"
    for _ in $(seq 50); do
        cp "$E2E_TEMP/$5.png" "$E2E_TEMP/settling.png"
        sleep 0.1
        e2e_crop "$@"
        e2e_same_image settling "$5" && return 0
    done
    e2e_fail "the area $1,$2 ${3}x$4 kept changing for 5 s"
}

# e2e_same_image NAME NAME: the two pictures agree. Text drawn again after an edit can differ in
# the last bits of its smoothing, so colours closer than 3% count as equal.
e2e_same_image() {
    [ "$(compare -fuzz 3% -metric AE "$E2E_TEMP/$1.png" "$E2E_TEMP/$2.png" null: 2>&1)" = 0 ]
}

# e2e_area_is X Y W H NAME / e2e_area_differs X Y W H NAME: the area now against a picture.
e2e_area_is() {
    e2e_crop "${@:1:4}" now && e2e_same_image now "$5"
}

e2e_area_differs() {
    e2e_crop "${@:1:4}" now && ! e2e_same_image now "$5"
}

# e2e_area_has_text X Y W H: the labels draw light grey on the dark panel, so an area with text
# has pixels above half brightness and an empty one has none.
e2e_area_has_text() {
    e2e_crop "$@" text-area && [ "$(convert "$E2E_TEMP/text-area.png" -colorspace gray \
        -threshold 50% -format '%[fx:mean>0]' info:)" = 1 ]
}

# e2e_enter_and_see X Y W H VALUE NAME: enters VALUE into the box in that area and waits until
# the box differs from what it showed, then keeps the settled box as NAME.
e2e_enter_and_see() {
    e2e_settled_crop "${@:1:4}" "$6"
    e2e_enter "${@:1:5}"
    e2e_wait_for "the box to show the typed $5" 5 e2e_area_differs "${@:1:4}" "$6"
    e2e_settled_crop "${@:1:4}" "$6"
}

# e2e_check_value_box X Y W H VALUE OTHER: the value box in the area shows VALUE: typing OTHER
# changes its picture, and typing VALUE brings it back exactly. Leaves VALUE in the box.
e2e_check_value_box() {
    e2e_settled_crop "${@:1:4}" shown
    e2e_enter "${@:1:4}" "$6"
    e2e_wait_for "the box to show $6 in place of $5" 5 e2e_area_differs "${@:1:4}" shown
    e2e_enter "${@:1:5}"
    e2e_wait_for "the box to show $5 as it did before" 5 e2e_area_is "${@:1:4}" shown
}

# Waits until an operation has ended: the Get button is enabled again.
e2e_wait_for_idle() {
    e2e_wait_for "the Get button to be enabled again at the operation's end" 60 \
        e2e_area_is "${GET_BUTTON_AREA[@]}" get-enabled
}

# e2e_answer_box TITLE KEY: waits for the program's box TITLE, answers it with KEY (Return: OK
# or Yes, Escape: No) and waits until it has closed.
e2e_answer_box() {
    e2e_wait_for "a visible window named '$1'" 20 e2e_window "^$1\$" &&
        e2e_key "$(e2e_window "^$1\$")" "$2" &&
        e2e_wait_for "the box \"$1\" to close" 10 e2e_no_window "^$1\$"
}


# -- The emulated flash ----------------------------------------------------------------------

# e2e_mirror BYTE: the byte with its bit order reversed, as the flash stores every byte.
e2e_mirror() {
    local byte=$((($1 & 0x0F) << 4 | ($1 & 0xF0) >> 4))
    byte=$(((byte & 0x33) << 2 | (byte & 0xCC) >> 2))
    echo $(((byte & 0x55) << 1 | (byte & 0xAA) >> 1))
}

# e2e_settings_word N: settings block word N (signed, little-endian), as the speaker link
# decodes it.
e2e_settings_word() {
    local byte word=0 low=0
    for byte in $(od -An -v -tu1 -j $((0x1D0000 + 4 * $1)) -N 4 "$E2E_FLASH"); do
        word=$((word | ($(e2e_mirror "$byte") << low)))
        low=$((low + 8))
    done
    [ "$low" -eq 32 ] || e2e_fail "the flash file has no settings word $1" || return 1
    echo $((word < 0x80000000 ? word : word - 0x100000000))
}

# e2e_settings_block FILE [N=VALUE...]: the flash block of the settings (64 KB at 0x1D0000) as
# the flash file holds it now, with each settings word N set to VALUE as the speaker stores it
# (little-endian, every byte bit-reversed), into FILE.
e2e_settings_block() {
    local file=$1 word value i
    shift
    dd if="$E2E_FLASH" of="$file" bs=65536 skip=$((0x1D0000 / 65536)) count=1 status=none
    for word in "$@"; do
        value=$((${word#*=} & 0xFFFFFFFF))
        for ((i = 0; i < 4; i++)); do
            printf '%b' "$(printf '\\0%03o' "$(e2e_mirror $(((value >> (8 * i)) & 0xFF)))")" |
                dd of="$file" bs=1 seek=$((4 * ${word%%=*} + i)) conv=notrunc status=none
        done
    done
}

e2e_settings_word_is() {
    [ "$(e2e_settings_word "$1")" = "$2" ]
}

# e2e_expect_words N=VALUE...: fails the test unless each settings word N is its VALUE.
e2e_expect_words() {
    local word
    for word in "$@"; do
        e2e_settings_word_is "${word%%=*}" "${word#*=}" || e2e_fail "settings word ${word%%=*}" \
            "is $(e2e_settings_word "${word%%=*}"), not ${word#*=}" || return 1
    done
}

# -- The firmware service --------------------------------------------------------------------

# e2e_make_package MODEL VERSION [SEED [PADDING]]: a one-block package
# $E2E_TEMP/service/MODEL/VERSION/firmware.zip (replacing one already there), 256 bytes of
# firmware at address 0, written here record by record so that the test knows its bytes without
# the product's reader; another SEED (default 0) gives other bytes, and PADDING (default 0) bytes
# in an entry that nothing reads make the package larger by as much. What the flash then holds
# in block 0 goes to $E2E_TEMP/expected-block0.bin: the bytes bit-reversed, and zeros to the
# block's end (a block is programmed whole, bytes that no record fills as 0x00).
e2e_make_package() {
    local folder=$E2E_TEMP/service/$1/$2 work=$E2E_TEMP/package i address sum
    local -a image=() stored=()
    rm -rf "$work" "$folder/firmware.zip"
    mkdir -p "$folder" "$work"
    for ((i = 0; i < 256; i++)); do
        image+=($(((i * 37 + 11 + ${3:-0}) & 0xFF)))
        stored+=("$(e2e_mirror "${image[i]}")")
    done
    {
        printf ':020000040000FA\r\n'
        for ((address = 0; address < 256; address += 16)); do
            sum=$((16 + (address >> 8) + (address & 0xFF)))
            for i in "${image[@]:address:16}"; do
                sum=$((sum + i))
            done
            # Count 16, the address, type 00, the bytes, and the two's complement of their sum.
            printf ':10%04X00%s%02X\r\n' "$address" "$(printf '%02X' "${image[@]:address:16}")" \
                $((-sum & 0xFF))
        done
        printf ':00000001FF\r\n'
    } >"$work/firmware.hex"
    printf '{"version": "%s", "firmware": "firmware.hex"}\n' "$2" >"$work/flash.json"
    (cd "$work" && zip -q -X "$folder/firmware.zip" flash.json firmware.hex)
    if [ "${4:-0}" -gt 0 ]; then
        head -c "$4" /dev/zero >"$work/padding.bin"
        (cd "$work" && zip -q -X -0 "$folder/firmware.zip" padding.bin)
    fi
    {
        printf '%b' "$(printf '\\0%03o' "${stored[@]}")"
        head -c $((65536 - 256)) /dev/zero
    } >"$E2E_TEMP/expected-block0.bin"
}

# e2e_start_service DELAY_MS [BYTES_PER_SECOND]: the local firmware service on
# $E2E_TEMP/service (the packages of e2e_make_package), holding every answer back DELAY_MS and
# sending packages at BYTES_PER_SECOND (default: as fast as they go); sets E2E_SERVICE to its
# address.
e2e_start_service() {
    local log=$E2E_TEMP/service.log
    mkdir -p "$E2E_TEMP/service"
    e2e_spawn "$log" "$PELLARO_SERVICE_PROGRAM" --root "$E2E_TEMP/service" --port 0 --delay-ms "$1" \
        --bytes-per-second "${2:-0}"
    e2e_wait_for "the firmware service to name its address" 20 \
        grep -q 'http://127\.0\.0\.1:[0-9]' "$log"
    E2E_SERVICE=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$log")
}

# e2e_wait_for_the_search_answer: once the program has started against a service that holds
# its answers back: keeps the status row's "(searching online...)" as the crop status-searching
# and waits until the search has ended (the status row changing).
e2e_wait_for_the_search_answer() {
    e2e_settled_crop "${STATUS_LABEL_AREA[@]}" status-searching &&
        e2e_wait_for "the search to end: the status label changing" 20 \
            e2e_area_differs "${STATUS_LABEL_AREA[@]}" status-searching
}

# e2e_update_without_the_package CROP: the service no longer has the offered package
# K5R/1.0.9/firmware.zip (moved to $E2E_TEMP; a 404): presses "Update Firmware", waits until the
# update has ended and keeps the status row as CROP, which differs from the crop status-offered.
e2e_update_without_the_package() {
    mv "$E2E_TEMP/service/K5R/1.0.9/firmware.zip" "$E2E_TEMP/firmware.zip" &&
        e2e_press "${UPDATE_BUTTON[@]}" &&
        e2e_wait_for "the update to make the panel busy: Get disabled" 10 \
            e2e_area_differs "${GET_BUTTON_AREA[@]}" get-enabled &&
        e2e_wait_for_idle &&
        e2e_settled_crop "${STATUS_LABEL_AREA[@]}" "$1" || return 1
    e2e_area_differs "${STATUS_LABEL_AREA[@]}" status-offered ||
        e2e_fail "the failed download left the status row as it was"
}

# e2e_connected_to PORT: a connection to local PORT is established (/proc/net/tcp, state 01).
e2e_connected_to() {
    awk -v port="$(printf ':%04X' "$1")" \
        '$4 == "01" && substr($3, length($3) - 4) == port { found = 1 } END { exit !found }' \
        /proc/net/tcp
}

# e2e_holds_quit_signals PID: the process holds back exactly SIGHUP (bit 0), SIGINT (bit 1),
# SIGQUIT (bit 2) and SIGTERM (bit 14), as it does from its first step until it takes them (the
# sanitizer's runtime holds every signal back for moments of its own before that).
e2e_holds_quit_signals() {
    [ "$(sed -n 's/^SigBlk:[[:space:]]*//p' "/proc/$1/status")" = 0000000000004007 ]
}

# e2e_start_program_held LOG [NAME=VALUE...]: starts the program, the X server stopped by the
# caller (kill -STOP), with SIGHUP at its default action as a terminal leaves it (a test run
# under nohup has it ignored, and the program keeps it so), the environment NAME=VALUE added, no
# firmware service, and its output in LOG; waits until it holds its quit signals. Sets
# E2E_HELD_PROGRAM to its id.
e2e_start_program_held() {
    local log=$1
    shift
    e2e_spawn "$log" env --default-signal=HUP "$@" PELLARO_EMULATED_FLASH="$E2E_FLASH" \
        PELLARO_FIRMWARE_SERVICE=http://127.0.0.1:9 LD_PRELOAD="$PELLARO_PRELOAD" \
        ASAN_OPTIONS=detect_leaks=0 "$PELLARO_PROGRAM"
    E2E_HELD_PROGRAM=$E2E_LAST_PID
    e2e_wait_for "the program to hold its quit signals" 20 \
        e2e_holds_quit_signals "$E2E_HELD_PROGRAM"
}

# e2e_ended_cleanly PID WHAT [SECONDS]: the program PID ends within SECONDS (default 20) after
# WHAT, with status 0.
e2e_ended_cleanly() {
    local status=0
    e2e_wait_for "the program to end after $2" "${3:-20}" e2e_gone "$1" || return 1
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || e2e_fail "$2 ended the program with status $status"
}

# e2e_ended_without_display WHAT SECONDS: once its display has gone, the program $E2E_PROGRAM
# ends within SECONDS, once WHAT, and not with status 0.
e2e_ended_without_display() {
    local status=0
    e2e_wait_for "the program to end $1" "$2" e2e_gone "$E2E_PROGRAM" || return 1
    wait "$E2E_PROGRAM" || status=$?
    [ "$status" -ne 0 ] || e2e_fail "the program ended with status 0 without its display"
}

# e2e_forget_speaker_opened: once a program has read the speaker and ended, keeps the flash as
# $E2E_TEMP/flash-before.bin and removes the file that the preloaded speaker makes beside its
# flash file whenever a program opens the bridge ($E2E_BRIDGE_MARK): from then on, only a
# program that opens the speaker makes it again.
e2e_forget_speaker_opened() {
    cp "$E2E_FLASH" "$E2E_TEMP/flash-before.bin"
    E2E_BRIDGE_MARK=$E2E_FLASH.bridge
    [ -e "$E2E_BRIDGE_MARK" ] ||
        e2e_fail "the program read the speaker without $E2E_BRIDGE_MARK appearing" || return 1
    rm "$E2E_BRIDGE_MARK"
}

# e2e_serve_again_at_full_speed PID: ends the service PID and starts the service again on the
# same address, so that a resume record still names its packages, sending as fast as it goes
# and saying as it ends what each package request asked for ($E2E_TEMP/fast-service.log); sets
# E2E_FAST_SERVICE to its id.
e2e_serve_again_at_full_speed() {
    local port=${E2E_SERVICE##*:}
    kill -TERM "$1"
    e2e_wait_for "the slow service to end" 10 e2e_gone "$1" || return 1
    e2e_spawn "$E2E_TEMP/fast-service.log" "$PELLARO_SERVICE_PROGRAM" --root "$E2E_TEMP/service" \
        --port "$port"
    E2E_FAST_SERVICE=$E2E_LAST_PID
    e2e_wait_for "the service to serve again" 20 \
        grep -q 'http://127\.0\.0\.1:' "$E2E_TEMP/fast-service.log"
}

# e2e_update_at_a_new_start: starts the program again (its output in $E2E_TEMP/program2.log),
# presses "Update Firmware" once the search has offered the update, and waits until the flash
# holds the package's version 1.0.9.
e2e_update_at_a_new_start() {
    e2e_start_program K5R "$E2E_TEMP/program2.log" &&
        e2e_wait_for "the search to offer the update: text in the status row" 20 \
            e2e_area_has_text "${STATUS_LABEL_AREA[@]}" &&
        e2e_press "${UPDATE_BUTTON[@]}" &&
        e2e_wait_for "the flash to hold the package's version 1.0.9 (words 126-128)" 60 \
            e2e_settings_word_is 128 9
}

# e2e_flash_block_is N FILE: flash block N holds the bytes of FILE, as stored.
e2e_flash_block_is() {
    cmp -s <(dd if="$E2E_FLASH" bs=65536 skip="$1" count=1 status=none) "$2"
}
