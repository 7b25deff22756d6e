# shellcheck shell=bash
# Shell helpers of the end-to-end tests: a private X display with a window manager, finding and
# driving windows with xdotool, screenshots and pixels, the emulated speaker's flash file and the
# panel's log. Source it from bash; e2e_init arranges that everything started through it is
# stopped when the test exits, however it exits.
#
# Every wait is bounded and says what it waited for. Functions print their result on standard
# output and return non-zero on failure.

E2E_PIDS=()
E2E_TEMP=""
E2E_WAIT_SECONDS=${E2E_WAIT_SECONDS:-10}

e2e_fail() {
    echo "e2e: $*" >&2
    return 1
}

# Makes a temporary folder ($E2E_TEMP) and stops everything on exit.
e2e_init() {
    E2E_TEMP=$(mktemp -d "${TMPDIR:-/tmp}/pellaro-e2e-XXXXXX")
    trap e2e_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

# Starts a command in the background and remembers it for e2e_cleanup; its id is in
# $E2E_LAST_PID. Output goes to the file named by $E2E_OUTPUT when set, else to the test's.
e2e_spawn() {
    if [ -n "${E2E_OUTPUT:-}" ]; then
        "$@" </dev/null >>"$E2E_OUTPUT" 2>&1 &
    else
        "$@" </dev/null &
    fi
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

# Stops what e2e_spawn started, newest first: SIGTERM, then SIGKILL for what is still there
# after a second; removes $E2E_TEMP.
e2e_cleanup() {
    local i pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill -TERM "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        for _ in $(seq 10); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    E2E_PIDS=()
    if [ -n "$E2E_TEMP" ]; then
        rm -rf "$E2E_TEMP"
    fi
}

# e2e_wait_for WHAT SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds, at most
# SECONDS; fails naming WHAT.
e2e_wait_for() {
    local what=$1 seconds=$2
    shift 2
    local tries=$((seconds * 10))
    for ((; tries > 0; tries--)); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "waited ${seconds} s for $what"
}

# Starts Xvfb on a free display (1280x1024, 24 bits unless given) and openbox on it, exports
# DISPLAY and waits until the window manager has taken over the screen. Their messages go to
# $E2E_TEMP/display.log.
e2e_start_display() {
    local screen=${1:-1280x1024x24} number
    # Starting a server and a window manager is the slowest step on a loaded machine.
    local start_seconds=$((E2E_WAIT_SECONDS * 3))
    # Xvfb picks a free display itself and writes its number once it accepts clients, so two
    # tests starting at once never race for one.
    E2E_OUTPUT="$E2E_TEMP/display.log" e2e_spawn bash -c \
        'exec Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$2"' xvfb "$screen" \
        "$E2E_TEMP/display"
    e2e_wait_for "Xvfb to name its display" "$start_seconds" test -s "$E2E_TEMP/display" ||
        return 1
    number=$(head -n 1 "$E2E_TEMP/display")
    export DISPLAY=":$number"
    E2E_OUTPUT="$E2E_TEMP/display.log" e2e_spawn openbox --sm-disable
    # openbox sets the desktop properties once it manages the screen.
    e2e_wait_for "openbox on $DISPLAY" "$start_seconds" xdotool get_desktop
}

# e2e_wait_window NAME [SECONDS]: prints the id of the first visible window whose name matches
# the regular expression NAME.
e2e_wait_window() {
    local name=$1 seconds=${2:-$E2E_WAIT_SECONDS} tries id
    for ((tries = seconds * 10; tries > 0; tries--)); do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "no visible window named '$name' within ${seconds} s"
}

# e2e_click WINDOW X Y: a left click at (X, Y) in the window's own coordinates (the panel's),
# which openbox's title bar does not shift.
e2e_click() {
    timeout "$E2E_WAIT_SECONDS" xdotool mousemove --window "$1" "$2" "$3" click 1
}

# e2e_type WINDOW TEXT: activates the window and types TEXT as key presses.
e2e_type() {
    timeout "$E2E_WAIT_SECONDS" xdotool windowactivate --sync "$1" type --delay 20 -- "$2"
}

# e2e_key WINDOW KEY...: activates the window and presses the keys (xdotool names: Return, Tab).
e2e_key() {
    local window=$1
    shift
    timeout "$E2E_WAIT_SECONDS" xdotool windowactivate --sync "$window" key -- "$@"
}

# e2e_screenshot WINDOW FILE: the window's content (or the whole screen for "root") as an image.
e2e_screenshot() {
    import -window "$1" "$2"
}

# e2e_pixel FILE X Y: the pixel's colour as RRGGBB in upper-case hex.
e2e_pixel() {
    local colour
    colour=$(convert "$1" -alpha off -depth 8 -format "%[hex:p{$2,$3}]" info:) || return 1
    echo "${colour:0:6}"
}

# e2e_flash_bytes FILE OFFSET COUNT: COUNT bytes of the emulated flash file from OFFSET, as the
# firmware and settings have them: the flash stores every byte with its bit order reversed.
# Printed as two-digit upper-case hex, separated by blanks.
e2e_flash_bytes() {
    local stored byte plain bit out=()
    stored=$(od -An -v -tu1 -j "$2" -N "$3" "$1") || return 1
    for byte in $stored; do
        plain=0
        for ((bit = 0; bit < 8; bit++)); do
            plain=$(((plain << 1) | ((byte >> bit) & 1)))
        done
        out+=("$(printf '%02X' "$plain")")
    done
    [ "${#out[@]}" -eq "$3" ] || e2e_fail "the flash file $1 has no $3 bytes at $2" || return 1
    echo "${out[*]}"
}

# e2e_newest_log [FOLDER]: the path of the newest log file in FOLDER (default: the panel's log
# folder under $HOME/Documents).
e2e_newest_log() {
    local folder=${1:-$HOME/Documents/Velk Audio/Pellaro/logs} newest
    newest=$(ls -t "$folder" 2>/dev/null | head -n 1)
    [ -n "$newest" ] || e2e_fail "no log file in $folder" || return 1
    echo "$folder/$newest"
}
