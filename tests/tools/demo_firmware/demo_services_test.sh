#!/usr/bin/env bash
# scripts/demo_services.sh against a built tree: the service it starts answers the firmware
# query for the demonstration's package, and the package it names downloads whole.
# usage: demo_services_test.sh SOURCE_FOLDER BUILD_FOLDER
set -euo pipefail

variables=$("$1/scripts/demo_services.sh" "$2" K4R)
eval "$variables"
trap 'kill "$PELLARO_DEMO_SERVICE_PID" 2>/dev/null || true' EXIT

reply=$(curl -sS --max-time 10 "$PELLARO_FIRMWARE_SERVICE/wp-json/api/firmware/K4R/latest")
case "$reply" in
*'"model_number":"K4R","version_number":"1.0.8"'*) ;;
*)
    echo "unexpected reply: $reply" >&2
    exit 1
    ;;
esac
curl -sS --max-time 10 -o "$2/demo/downloaded.zip" \
    "$PELLARO_FIRMWARE_SERVICE/firmware/K4R/1.0.8/firmware.zip"
cmp "$2/demo/downloaded.zip" "$2/demo/firmware/K4R/1.0.8/firmware.zip"
[ "$PELLARO_EMULATED_FLASH" = "$2/demo/flash-K4R.bin" ]
[ -f "$PELLARO_DEMO_PRELOAD" ]
echo "demo services: $PELLARO_FIRMWARE_SERVICE serves the K4R package"
