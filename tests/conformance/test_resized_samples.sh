#!/usr/bin/env bash
# Resizes the designator texts of every sample board and of every example board, plots the
# resized board (.NEW) with all 17 layers and loads each layer file in gerbv. Fails on a failed
# resize or plot and on any gerbv problem.
# usage: test_resized_samples.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
shared=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/boards.sh"

failed=0
files=()
for board in "${boards[@]}"; do
    name=$(basename "$board")
    dir="$work/${name%.*}"
    mkdir -p "$dir"
    cp "$board" "$dir/$name"
    if ! "$cli" resize-text "$dir/$name" --height 40 --width 6 >"$dir/resize.log" 2>&1; then
        echo "FAIL $name: resize failed"
        cat "$dir/resize.log"
        failed=$((failed + 1))
        continue
    fi
    if grep -q "unchanged" "$dir/resize.log"; then
        echo "FAIL $name: designator lines left unchanged"
        grep "unchanged" "$dir/resize.log"
        failed=$((failed + 1))
    fi
    if ! "$cli" plot "$dir/${name%.*}.NEW" --all-layers --yes >"$dir/plot.log" 2>&1; then
        echo "FAIL $name: plotting the resized board failed"
        cat "$dir/plot.log"
        failed=$((failed + 1))
        continue
    fi
    files+=("$dir"/*.G??)
done
/usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" >"$work/gerbv.log" 2>&1
status=$?
grep -v "^ok " "$work/gerbv.log"
[ "$status" -eq 0 ] || failed=$((failed + 1))
[ "$failed" -eq 0 ]
