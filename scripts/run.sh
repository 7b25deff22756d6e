#!/usr/bin/env bash
# Sets up the machine, builds Pellaro optimised and starts the panel. Arguments go to the
# program. PELLARO_SKIP_SETUP=1 skips the package installation (for a machine already set up).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${PELLARO_SKIP_SETUP:-0}" != 1 ]; then
    scripts/setup.sh
fi
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DPELLARO_BUILD_TESTS=OFF
cmake --build build/release --parallel "$(nproc)" --target pellaro
exec build/release/app/pellaro "$@"
