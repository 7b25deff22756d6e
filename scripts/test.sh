#!/usr/bin/env bash
# Sets up the machine, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test through CTest (interface tests inside a virtual X display), after a short
# smoke run of every fuzz target (fuzz/run.sh, in a clang build tree of its own).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
fuzz_status=0
fuzz/run.sh 5 || fuzz_status=$?
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DPELLARO_SANITIZE=ON
cmake --build build/test --parallel "$(nproc)"
xvfb-run --auto-servernum --server-args='-screen 0 1280x1024x24' \
    ctest --test-dir build/test --output-on-failure --parallel "$(nproc)" "$@"
if [ "$fuzz_status" -ne 0 ]; then
    echo "test: the fuzz smoke run failed (see above)"
fi
exit "$fuzz_status"
