#!/usr/bin/env bash
# Plots the top copper and the NC drill file of every example board and every sample board, in
# both drill forms (2,3 and 2,4), and checks with gerbv's library that every drill hit lies on a
# pad or via of the top copper: a reader that took the drill numbers in another format would
# put the holes beside the pads.
# usage: test_drill_placement.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
shared=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

boards=("$source"/examples/*.pcb)
if [ -d "$shared/samples/autotrax" ]; then
    for f in "$shared/samples/autotrax"/*; do
        [ -f "$f" ] && boards+=("$f")
    done
else
    echo "note: $shared/samples/autotrax not found; checking the examples only"
fi

passed=0
failed=0
for board in "${boards[@]}"; do
    name=$(basename "$board")
    for form in 2.3 2.4; do
        dir="$work/${name%.*}-$form"
        mkdir -p "$dir"
        cp "$board" "$dir/$name"
        if ! "$cli" plot "$dir/$name" --layers GTL --nc-drill --drill-format "$form" --yes \
            >"$dir/plot.log" 2>&1; then
            echo "FAIL $name ($form): plot failed"
            cat "$dir/plot.log"
            failed=$((failed + 1))
            continue
        fi
        if ! head -3 "$dir/${name%.*}.TXT" | tr -d '\r' | grep -qx ";FILE_FORMAT=${form/./:}"; then
            echo "FAIL $name ($form): the drill header does not state ${form/./:}"
            failed=$((failed + 1))
        fi
        if /usr/bin/python3 "$source/tests/conformance/drill_placement_check.py" \
            "$dir/${name%.*}.GTL" "$dir/${name%.*}.TXT"; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
        fi
    done
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
