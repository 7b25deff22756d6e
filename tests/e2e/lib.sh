# Helpers of the end-to-end tests: a virtual display with a window manager, the real program
# with the emulated speaker preloaded, clicks and keys at panel coordinates, screenshots, and
# the emulated flash and the log read from their files. Sourced by every test; every wait is
# bounded and says what it waited for.
#
# The test's environment (set by CTest): PELLARO_PROGRAM, PELLARO_PRELOAD (colon-separated
# libraries), PELLARO_SERVICE_PROGRAM, PELLARO_E2E_TOOLS (folder of make_package.sh).
set -euo pipefail

e2e_fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

e2e_note()
{
    echo "e2e: $*" >&2
}

# Waits up to $1 seconds until the command after the description $2 succeeds.
e2e_wait_for()
{
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        if ((SECONDS >= deadline)); then
            e2e_fail "waited ${seconds} s for ${what}"
        fi
        sleep 0.1
    done
}

# -- Set-up and clean-up -------------------------------------------------------------------

E2E_PIDS=()

e2e_cleanup()
{
    local pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; --i)); do
        pid=${E2E_PIDS[i]}
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [[ -n ${E2E_DIR:-} && ${E2E_KEEP:-0} != 1 ]]; then
        rm -rf "$E2E_DIR"
    fi
}

# A temporary folder as HOME, an Xvfb of the test's own and openbox on it.
e2e_start()
{
    E2E_DIR=$(mktemp -d /tmp/pellaro-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    export HOME=$E2E_DIR/home XDG_CONFIG_HOME=$E2E_DIR/home/.config
    mkdir -p "$XDG_CONFIG_HOME"
    E2E_FLASH=$E2E_DIR/flash.bin
    E2E_LOGS="$HOME/Documents/Velk Audio/Pellaro/logs"

    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$E2E_DIR/display" \
        >"$E2E_DIR/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait_for 20 "Xvfb to name its display" test -s "$E2E_DIR/display"
    export DISPLAY=:$(head -n1 "$E2E_DIR/display")
    openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait_for 20 "openbox to manage the display" e2e_window_manager_running
}

e2e_window_manager_running()
{
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# -- The program -----------------------------------------------------------------------------

# Starts the program (model $1, default K5R) on the test's flash file and waits for its window;
# sets E2E_PROGRAM (pid) and E2E_WINDOW. The firmware service is E2E_SERVICE, else a closed
# local port, so that no test asks the internet.
e2e_start_program()
{
    local model=${1:-K5R}
    PELLARO_EMULATED_FLASH=$E2E_FLASH PELLARO_EMULATED_MODEL=$model \
        PELLARO_FIRMWARE_SERVICE=${E2E_SERVICE:-http://127.0.0.1:9} \
    LD_PRELOAD=$PELLARO_PRELOAD ASAN_OPTIONS=detect_leaks=0 \
        "$PELLARO_PROGRAM" >>"$E2E_DIR/program.log" 2>&1 &
    E2E_PROGRAM=$!
    E2E_PIDS+=("$E2E_PROGRAM")
    e2e_wait_for 60 "the panel's window" e2e_find_window
    e2e_wait_for 20 "the panel to be painted" e2e_painted
}

e2e_find_window()
{
    E2E_WINDOW=$(xdotool search --pid "$E2E_PROGRAM" --name '^Velk Audio Pellaro$' 2>/dev/null |
        head -n1) && [[ -n $E2E_WINDOW ]]
}

# The header face at (60, 20) is the artwork's anthracite, never black, once painted.
e2e_painted()
{
    [[ $(e2e_pixel 60 20) != 000000 ]]
}

# Asks the program to quit (SIGTERM, the same road as the close button).
e2e_request_quit()
{
    kill -TERM "$E2E_PROGRAM"
}

e2e_program_running()
{
    kill -0 "$E2E_PROGRAM" 2>/dev/null
}

e2e_program_gone()
{
    ! e2e_program_running
}

# Quits the program and waits for it to end; fails when it does not end or ends badly.
e2e_quit_program()
{
    e2e_request_quit
    e2e_wait_for 30 "the program to end after the quit request" e2e_program_gone
    local status=0
    wait "$E2E_PROGRAM" || status=$?
    ((status == 0)) || e2e_fail "the program ended with status $status"
}

# -- Input at panel coordinates ------------------------------------------------------------

e2e_click()
{
    xdotool mousemove --window "$E2E_WINDOW" "$1" "$2" click 1
    # The pointer rests where it clicked; move it to the corner so no hover look stays.
    xdotool mousemove --window "$E2E_WINDOW" 1099 302
}

# Clicks the value box at ($1, $2), selects its text, types $3 and presses Return.
e2e_type_value()
{
    xdotool mousemove --window "$E2E_WINDOW" "$1" "$2" click 1
    xdotool key --window "$E2E_WINDOW" ctrl+a
    # From standard input: a value such as -6.5 would read as an option.
    printf '%s' "$3" | xdotool type --window "$E2E_WINDOW" --delay 20 --file -
    xdotool key --window "$E2E_WINDOW" Return
    xdotool mousemove --window "$E2E_WINDOW" 1099 302
}

# -- Screen ----------------------------------------------------------------------------------

# Screenshot of the panel's window into $1.
e2e_screenshot()
{
    import -window "$E2E_WINDOW" "$1" 2>/dev/null
}

# The colour at panel pixel ($1, $2) as rrggbb.
e2e_pixel()
{
    local shot=$E2E_DIR/pixel.png
    e2e_screenshot "$shot" || return 1
    convert "$shot" -format "%[hex:p{$1,$2}]" info: | cut -c1-6
}

# The panel's rectangle x y width height into the file $5.
e2e_crop()
{
    local shot=$E2E_DIR/crop-source.png
    e2e_screenshot "$shot"
    convert "$shot" -crop "${3}x${4}+${1}+${2}" +repage "$5"
}

# The number of pixels that differ between two images of one size. Text drawn again after an
# edit can differ in the last bit of its smoothing, so colours closer than 3% count as equal.
e2e_differing_pixels()
{
    compare -fuzz 3% -metric AE "$1" "$2" null: 2>&1 || true
}

e2e_same_image()
{
    [[ $(e2e_differing_pixels "$1" "$2") == 0 ]]
}

# -- The emulated flash --------------------------------------------------------------------

# The flash byte at address $1 in the speaker's own bit order.
e2e_flash_byte()
{
    od -An -tu1 -j "$1" -N1 "$E2E_FLASH" | tr -d ' '
}

e2e_reverse_bits()
{
    local value=$1 result=0 bit
    for ((bit = 0; bit < 8; ++bit)); do
        result=$(((result << 1) | ((value >> bit) & 1)))
    done
    echo "$result"
}

# Settings word $1 (signed) as the program would read it: bytes bit-reversed, little-endian.
e2e_settings_word()
{
    local address=$((0x1D0000 + 4 * $1)) bytes word=0 i
    read -r -a bytes <<<"$(od -An -tu1 -j "$address" -N4 "$E2E_FLASH")"
    for ((i = 3; i >= 0; --i)); do
        word=$(((word << 8) | $(e2e_reverse_bits "${bytes[i]}")))
    done
    ((word >= 0x80000000)) && word=$((word - 0x100000000))
    echo "$word"
}

e2e_settings_word_is()
{
    [[ $(e2e_settings_word "$1") == "$2" ]]
}

# -- The log ---------------------------------------------------------------------------------

e2e_newest_log()
{
    ls -t "$E2E_LOGS"/*.log 2>/dev/null | head -n1
}

# -- Message boxes -------------------------------------------------------------------------

# Waits for the program's message box titled $1; sets E2E_BOX.
e2e_wait_for_box()
{
    e2e_wait_for 20 "the message box \"$1\"" e2e_find_box "$1"
}

e2e_find_box()
{
    E2E_BOX=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1) &&
        [[ -n $E2E_BOX ]]
}

e2e_box_gone()
{
    ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}

# Answers the box titled $1 with the key $2 (Return: OK or Yes; Escape: No) and waits until
# it has gone.
e2e_answer_box()
{
    e2e_wait_for_box "$1"
    # Through the keyboard (XTEST) once the box has the focus: JUCE's boxes take their keys
    # from the focused window, and events sent to one window would go past it.
    xdotool windowactivate --sync "$E2E_BOX" key "$2"
    e2e_wait_for 10 "the message box \"$1\" to close" e2e_box_gone "$1"
}

# -- The firmware service --------------------------------------------------------------------

# A one-block firmware package of version $3 for model $2 under the service folder $1
# ($1/$2/$3/firmware.zip): 256 bytes of firmware at address 0. The bytes the flash then holds
# (bit-reversed, the rest of block 0 erased) go to $E2E_DIR/expected-block0.bin.
e2e_make_package()
{
    local folder=$1/$2/$3 work=$E2E_DIR/package i line byte sum address
    mkdir -p "$folder" "$work"
    local -a image=()
    for ((i = 0; i < 256; ++i)); do
        image+=($(((i * 37 + 11) & 0xFF)))
    done
    {
        printf ':020000040000FA\r\n'
        for ((address = 0; address < 256; address += 16)); do
            line=$(printf '10%04X00' "$address")
            sum=$((16 + (address >> 8) + (address & 0xFF)))
            for ((i = address; i < address + 16; ++i)); do
                line+=$(printf '%02X' "${image[i]}")
                sum=$((sum + image[i]))
            done
            printf ':%s%02X\r\n' "$line" $(((-sum) & 0xFF))
        done
        printf ':00000001FF\r\n'
    } >"$work/firmware.hex"
    printf '{"format": 0, "version": "%s", "firmware": "firmware.hex"}\n' "$3" >"$work/flash.json"
    rm -f "$folder/firmware.zip"
    (cd "$work" && zip -q -X "$folder/firmware.zip" flash.json firmware.hex)
    {
        for ((i = 0; i < 256; ++i)); do
            byte=$(e2e_reverse_bits "${image[i]}")
            printf "\\$(printf '%03o' "$byte")"
        done
        head -c $((65536 - 256)) /dev/zero | tr '\0' '\377'
    } >"$E2E_DIR/expected-block0.bin"
}

# Starts the firmware service on the folder $1, holding every answer back $2 ms; sets
# E2E_SERVICE to its address.
e2e_start_service()
{
    "$PELLARO_SERVICE_PROGRAM" --root "$1" --port 0 --delay-ms "${2:-0}" \
        >"$E2E_DIR/service.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait_for 20 "the firmware service to tell its address" \
        grep -q 'http://127.0.0.1:' "$E2E_DIR/service.log"
    E2E_SERVICE=$(grep -o 'http://127.0.0.1:[0-9]*' "$E2E_DIR/service.log")
}

# True when flash block $1 holds the bytes of the file $2.
e2e_flash_block_is()
{
    cmp -s <(dd if="$E2E_FLASH" bs=65536 skip="$1" count=1 status=none) "$2"
}
