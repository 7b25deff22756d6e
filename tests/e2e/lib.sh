# shellcheck shell=bash
# Shell helpers of the end-to-end tests: a private X display with a window manager, processes
# that e2e_cleanup stops (newest first), and bounded waits. Every wait says what
# it waited for; functions print their result and return non-zero on failure.

E2E_PIDS=()
E2E_WAIT_SECONDS=${E2E_WAIT_SECONDS:-10}

e2e_fail() {
    echo "e2e: $*" >&2
    return 1
}

# e2e_spawn LOG COMMAND...: starts COMMAND in the background, its output appended to LOG, and
# remembers it for e2e_cleanup; its id is in $E2E_LAST_PID.
e2e_spawn() {
    "${@:2}" </dev/null >>"$1" 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

# e2e_gone PID: the process this shell started with that id has ended. Once it has been
# reaped its id may belong to any other process: only a child of this shell still counts.
e2e_gone() {
    local parent
    ! parent=$(ps -o ppid= -p "$1") || [ "$parent" -ne $$ ]
}

# Stops what e2e_spawn started and is still running, newest first: SIGTERM, then SIGKILL for
# what is still there after a second; removes $E2E_TEMP.
e2e_cleanup() {
    local i pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        e2e_gone "${E2E_PIDS[i]}" || kill -TERM "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        e2e_wait_for "process $pid to end" 1 e2e_gone "$pid" 2>/dev/null ||
            kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_TEMP"
}

# e2e_wait_for WHAT SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds, for at most
# SECONDS (whole seconds) on the clock, however long each look takes; fails naming WHAT.
e2e_wait_for() {
    local what=$1 seconds=$2 deadline
    shift 2
    deadline=$(($(date +%s%N) / 1000000 + seconds * 1000))
    until "$@" >/dev/null 2>&1; do
        [ $(($(date +%s%N) / 1000000)) -lt "$deadline" ] || e2e_fail "waited $seconds s for $what" ||
            return 1
        sleep 0.1
    done
}

# Starts Xvfb (1280x1024x24) on a display it picks itself, so that two tests starting at once
# never race for one, and openbox on it; exports DISPLAY once openbox manages the screen. The
# server's id is in $E2E_DISPLAY_PID. A test may start another display once its first has ended.
e2e_start_display() {
    # Starting a server and a window manager is the slowest step on a loaded machine.
    local seconds=$((E2E_WAIT_SECONDS * 3)) log=$E2E_TEMP/display.log
    # The server names its display in a file of its own: an earlier server's name must not count.
    rm -f "$E2E_TEMP/display"
    e2e_spawn "$log" bash -c 'exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1"' \
        xvfb "$E2E_TEMP/display"
    E2E_DISPLAY_PID=$E2E_LAST_PID
    e2e_wait_for "Xvfb to name its display" "$seconds" test -s "$E2E_TEMP/display" || return 1
    DISPLAY=":$(head -n 1 "$E2E_TEMP/display")" && export DISPLAY
    # openbox sets the desktop properties once it manages the screen. Under load it has once
    # found the server it was started for unreachable and ended: it is started again then.
    local attempt
    for attempt in 1 2 3; do
        e2e_spawn "$log" openbox --sm-disable
        e2e_wait_for "openbox on $DISPLAY (attempt $attempt)" "$seconds" \
            e2e_managed_or_gone "$E2E_LAST_PID" || return 1
        ! xdotool get_desktop >/dev/null 2>&1 || return 0
    done
    e2e_fail "openbox ended three times without managing $DISPLAY"
}

# Ends the display as a crashed or restarted X server does: every client loses its connection.
# SIGTERM, so that the server removes its socket and lock file; returns once it has ended.
e2e_stop_display() {
    kill -TERM "$E2E_DISPLAY_PID" &&
        e2e_wait_for "the X server $DISPLAY to end" "$E2E_WAIT_SECONDS" e2e_gone "$E2E_DISPLAY_PID"
}

# Whether the test's own X server still runs: once it has gone, its display number may already
# be another test's.
e2e_display_running() {
    [ -n "${E2E_DISPLAY_PID:-}" ] && ! e2e_gone "$E2E_DISPLAY_PID"
}

# e2e_managed_or_gone PID: a window manager manages the screen, or the process PID has ended.
e2e_managed_or_gone() {
    xdotool get_desktop >/dev/null 2>&1 || e2e_gone "$1"
}

# e2e_window NAME: the id of the first visible window whose name matches the expression NAME.
e2e_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .
}

e2e_no_window() {
    ! e2e_window "$1"
}

# e2e_key WINDOW KEY...: activates the window and presses the keys (xdotool names: Return, Tab).
e2e_key() {
    timeout "$E2E_WAIT_SECONDS" xdotool windowactivate --sync "$1" key -- "${@:2}"
}
