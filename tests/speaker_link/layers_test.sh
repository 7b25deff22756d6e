#!/usr/bin/env bash
# The speaker link's layers include only downwards: device <- settings <- firmware <- control.
# A file's layer is its folder; the headers at the top of include/speaker_link/ are control's.
# Usage: layers_test.sh <speaker_link folder>
cd "$1" || exit 1
rank() { case "$1" in device) echo 0 ;; settings) echo 1 ;; firmware) echo 2 ;; *) echo 3 ;; esac; }
status=0
for file in include/speaker_link/*/* src/*/*; do
    layer=$(basename "$(dirname "$file")")
    for used in $(sed -nE -e 's@^#include [<"](speaker_link/)?(device|settings|firmware|control)/.*@\2@p' \
                         -e 's@^#include <speaker_link/[a-z_]+\.h>.*@control@p' "$file"); do
        if [ "$(rank "$used")" -gt "$(rank "$layer")" ]; then
            echo "$file ($layer) includes from $used"
            status=1
        fi
    done
done
exit $status
