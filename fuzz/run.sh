#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default 10)
# on its seed corpus, one after the other. New inputs found go to build/fuzz/corpus/<target>/,
# findings (crash-*, leak-*, timeout-*) to build/fuzz/findings/<target>/.
# Usage: fuzz/run.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-10}"
shift || true
build=build/fuzz
jobs="$(nproc)"
[ "$jobs" -gt 4 ] && jobs=4

CC=clang-14 CXX=clang++-14 cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$jobs" >/dev/null

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets <"$build/targets.txt"
fi

failed=0
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target" "$build/findings/$target"
    echo "fuzz: $target for ${seconds}s"
    # The first folder takes new inputs; the seeds in the repository stay as they are.
    if ! "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$target/" \
        "$build/corpus/$target" "fuzz/corpus/$target" >"$build/$target.log" 2>&1; then
        echo "fuzz: $target FAILED; see $build/$target.log and $build/findings/$target/"
        tail -n 40 "$build/$target.log"
        failed=1
    fi
    grep -E '^stat::number_of_executed_units' "$build/$target.log" | sed "s/^/fuzz: $target /" || true
done
exit "$failed"
