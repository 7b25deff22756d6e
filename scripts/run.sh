#!/usr/bin/env bash
# Sets up the machine, builds Pellaro optimised and starts the panel.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DPELLARO_BUILD_TESTS=OFF
cmake --build build/release --parallel "$(nproc)"

panel=build/release/app/Pellaro_artefacts/Release/Pellaro
if [ -x "$panel" ]; then
    exec "$panel" "$@"
fi
echo "run: everything is built; the panel itself is not part of the build yet."
