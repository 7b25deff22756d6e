#!/usr/bin/env bash
# Sets up the machine, builds Pellaro optimised and starts the panel. Arguments go to the
# program. PELLARO_SKIP_SETUP=1 skips the package installation (for a machine already set up).
#
# --demo (first argument): the panel with no speaker attached. An emulated K5R is preloaded in
# hidapi's place, its flash kept in build/release/demo (so settings survive a restart; delete
# the file for a factory-new speaker), and a local firmware service on 127.0.0.1 offers a newer
# firmware package made from the emulated model's own images. The service ends with the panel.
set -euo pipefail
cd "$(dirname "$0")/.."

demo=0
if [ "${1:-}" = --demo ]; then
    demo=1
    shift
fi

if [ "${PELLARO_SKIP_SETUP:-0}" != 1 ]; then
    scripts/setup.sh
fi
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DPELLARO_BUILD_TESTS=OFF
if [ "$demo" = 0 ]; then
    cmake --build build/release --parallel "$(nproc)" --target pellaro
    exec build/release/app/pellaro "$@"
fi

cmake --build build/release --parallel "$(nproc)" --target pellaro emulated_speaker_preload \
    pellaro_firmware_service pellaro_demo_firmware
# The package comes over a slow line, so that the download's progress can be watched.
eval "$(PELLARO_DEMO_BYTES_PER_SECOND=16384 scripts/demo_services.sh build/release K5R)"
trap 'kill "$PELLARO_DEMO_SERVICE_PID" 2>/dev/null || true' EXIT
echo "demo: emulated $PELLARO_EMULATED_MODEL (flash in $PELLARO_EMULATED_FLASH)," \
    "firmware service at $PELLARO_FIRMWARE_SERVICE"
LD_PRELOAD="$PELLARO_DEMO_PRELOAD" build/release/app/pellaro "$@"
