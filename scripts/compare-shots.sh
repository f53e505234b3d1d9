#!/bin/sh
# Compares two folders of pictures written by mode_shots: prints the differing pixels of each
# picture and fails when any picture differs or is only in one folder.
set -u
before=$1
after=$2
status=0
for picture in "$before"/*.png; do
    name=$(basename "$picture")
    if [ ! -f "$after/$name" ]; then
        echo "$name: only in $before"
        status=1
        continue
    fi
    differing=$(/usr/bin/compare -metric AE "$picture" "$after/$name" null: 2>&1)
    echo "$name: $differing differing pixels"
    [ "$differing" = 0 ] || status=1
done
for picture in "$after"/*.png; do
    [ -f "$before/$(basename "$picture")" ] || { echo "$(basename "$picture"): only in $after"; status=1; }
done
exit $status
