#!/usr/bin/env bash
# Prepares what the demonstration runs beside the panel: the firmware package made from the
# emulated model's own flash pattern, the local firmware service serving it on a free port of
# 127.0.0.1, and the file the emulated speaker keeps its flash in (made from a factory image on
# the first start, so settings survive a restart; delete it for a factory-new speaker).
#
#   eval "$(scripts/demo_services.sh BUILD_FOLDER [MODEL])"
#   LD_PRELOAD="$PELLARO_DEMO_PRELOAD" PANEL ...
#   kill "$PELLARO_DEMO_SERVICE_PID"
#
# BUILD_FOLDER is a configured and built tree (build/release); MODEL is K4R, K5T, K5R, K7T or
# K7R (default K5R). Prints the variables to export; the service keeps running in the background
# and logs to BUILD_FOLDER/demo/firmware_service.log. PELLARO_DEMO_BYTES_PER_SECOND, when set,
# makes the service send the package that slowly, so that the download's progress can be seen.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD_FOLDER [MODEL]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
model=${2:-K5R}
demo="$build/demo"
mkdir -p "$demo"

"$build/tools/demo_firmware/pellaro_demo_firmware" "$demo/firmware" "$model" >/dev/null

log="$demo/firmware_service.log"
: >"$log"
# Port 0: the service takes a free port and names it in its first line. In a session of its own,
# so that a Ctrl-C meant for the panel (which refuses to quit during an update) leaves it be.
setsid "$build/tools/firmware_service/pellaro_firmware_service" --root "$demo/firmware" --port 0 \
    --bytes-per-second "${PELLARO_DEMO_BYTES_PER_SECOND:-0}" </dev/null >"$log" 2>&1 &
service_pid=$!

address=""
for _ in $(seq 100); do
    address=$(sed -n 's/^serving .* at \(http:\/\/127\.0\.0\.1:[0-9]*\)$/\1/p' "$log")
    [ -n "$address" ] && break
    if ! kill -0 "$service_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if [ -z "$address" ]; then
    echo "demo_services: the firmware service did not start within 10 s:" >&2
    cat "$log" >&2
    kill "$service_pid" 2>/dev/null || true
    exit 1
fi

cat <<VARIABLES
export PELLARO_FIRMWARE_SERVICE='$address'
export PELLARO_EMULATED_MODEL='$model'
export PELLARO_EMULATED_FLASH='$demo/flash-$model.bin'
export PELLARO_DEMO_PRELOAD='$build/tools/emulated_speaker/libpellaro_emulated_speaker.so'
export PELLARO_DEMO_SERVICE_PID='$service_pid'
VARIABLES
