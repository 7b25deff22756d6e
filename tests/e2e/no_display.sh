#!/usr/bin/env bash
# Without a display the program says in one line on standard error that it needs one and ends
# with status 1, for DISPLAY unset or empty and for a display that does not exist, leaving no
# file (no core, no log) behind.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

E2E_TEMP=$(mktemp -d "${TMPDIR:-/tmp}/pellaro-e2e-XXXXXX")
trap e2e_cleanup EXIT
absent=4711
while [ -e "/tmp/.X11-unix/X$absent" ]; do absent=$((absent + 1)); done

# e2e_refuses_to_start LINE [DISPLAY]: the program, with DISPLAY unset or as given (also
# empty), prints exactly LINE on standard error and nothing else, and ends with status 1.
e2e_refuses_to_start() {
    local status=0 shown=${2+\"$2\"}
    (cd "$E2E_TEMP" && env -u DISPLAY ${2+DISPLAY="$2"} HOME="$E2E_TEMP" \
        timeout 20 "$PELLARO_PROGRAM" >out 2>err) || status=$?
    [ "$status" -eq 1 ] && [ "$(cat "$E2E_TEMP/err")" = "$1" ] &&
        [ "$(wc -l <"$E2E_TEMP/err")" -eq 1 ] && [ "$(ls "$E2E_TEMP")" = "$(printf 'err\nout')" ] &&
        [ ! -s "$E2E_TEMP/out" ] ||
        e2e_fail "DISPLAY ${shown:-unset}: status $status, files $(ls -A "$E2E_TEMP"), output" \
            "$(head -c 2000 "$E2E_TEMP/out" "$E2E_TEMP/err")"
}

e2e_refuses_to_start "pellaro needs a graphical display, but DISPLAY is not set"
e2e_refuses_to_start "pellaro needs a graphical display, but DISPLAY is not set" ""
e2e_refuses_to_start \
    "pellaro needs a graphical display, but cannot open the display \":$absent\"" ":$absent"
