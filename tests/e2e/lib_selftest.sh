#!/usr/bin/env bash
# Checks tests/e2e/lib.sh with no panel: a display with openbox, an ImageMagick window found by
# its name, clicked and typed at, a screenshot and its pixels, bytes of a flash file, the
# newest log, and that nothing it started outlives it. Run by hand: tests/e2e/lib_selftest.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

check() {
    if [ "$2" != "$3" ]; then
        echo "lib_selftest: $1: '$2', expected '$3'" >&2
        exit 1
    fi
}

pids_file=$(mktemp)
(
    # shellcheck source=tests/e2e/lib.sh
    source "$here/lib.sh"
    e2e_init
    e2e_start_display
    echo "${E2E_PIDS[*]}" >"$pids_file"

    convert -size 200x100 xc:'#FF0000' -fill '#0000FF' -draw 'rectangle 100,0 199,99' \
        "$E2E_TEMP/probe.png"
    e2e_spawn display -title e2e-probe "$E2E_TEMP/probe.png"
    echo "$E2E_LAST_PID" >>"$pids_file"
    window=$(e2e_wait_window '^e2e-probe$')
    e2e_click "$window" 150 50
    e2e_key "$window" Escape x
    e2e_screenshot "$window" "$E2E_TEMP/shot.png"
    check "left pixel" "$(e2e_pixel "$E2E_TEMP/shot.png" 10 10)" FF0000
    check "right pixel" "$(e2e_pixel "$E2E_TEMP/shot.png" 150 50)" 0000FF
    if e2e_wait_window '^no-such-window$' 1 2>/dev/null; then
        echo "lib_selftest: found a window that does not exist" >&2
        exit 1
    fi

    # Stored bytes 0x01 0x80 0x0F 0xA5 are the plain bytes 0x80 0x01 0xF0 0xA5.
    printf '\xFF\xFF\x01\x80\x0F\xA5' >"$E2E_TEMP/flash.bin"
    check "flash bytes" "$(e2e_flash_bytes "$E2E_TEMP/flash.bin" 2 4)" "80 01 F0 A5"
    if e2e_flash_bytes "$E2E_TEMP/flash.bin" 4 4 2>/dev/null; then
        echo "lib_selftest: read past the end of the flash file" >&2
        exit 1
    fi

    mkdir "$E2E_TEMP/logs"
    touch -d '2026-01-01' "$E2E_TEMP/logs/older.log"
    touch "$E2E_TEMP/logs/newer.log"
    check "newest log" "$(e2e_newest_log "$E2E_TEMP/logs")" "$E2E_TEMP/logs/newer.log"
)
for pid in $(cat "$pids_file"); do
    if kill -0 "$pid" 2>/dev/null; then
        echo "lib_selftest: process $pid outlived the test" >&2
        exit 1
    fi
done
rm -f "$pids_file"
echo "lib_selftest: passed"
