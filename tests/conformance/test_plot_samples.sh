#!/usr/bin/env bash
# Plots every sample board and every example board with all 17 layers, NC drill and BOM, and
# loads every Gerber and drill file in gerbv. Fails on any gerbv problem, on a failed plot and
# on any missing-aperture line in the plot output.
# usage: test_plot_samples.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
shared=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/boards.sh"

passed=0
failed=0
for board in "${boards[@]}"; do
    name=$(basename "$board")
    dir="$work/${name%.*}"
    mkdir -p "$dir"
    cp "$board" "$dir/$name"  # the outputs go beside the board
    opts=()
    case "$name" in pours*) opts=(--pours --thermals) ;; esac  # the copper pour example
    if ! "$cli" plot "$dir/$name" --all-layers --nc-drill --bom --yes "${opts[@]}" \
        >"$dir/plot.log" 2>&1; then
        echo "FAIL $name: plot failed"
        cat "$dir/plot.log"
        failed=$((failed + 1))
        continue
    fi
    if grep -E "Apt not found|not in the drill tally|no drill tool|Error|Warning" "$dir/plot.log"; then
        echo "FAIL $name: missing apertures or tools reported"
        failed=$((failed + 1))
    else
        passed=$((passed + 1))
    fi
    files=("$dir"/*.G?? "$dir"/*.TXT)
    if [ "${#files[@]}" -ne 18 ]; then
        echo "FAIL $name: expected 17 layer files and a drill file, found ${#files[@]}"
        failed=$((failed + 1))
    fi
    /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" >"$dir/gerbv.log" 2>&1
    status=$?
    while IFS= read -r line; do
        case "$line" in
            "ok   "*) passed=$((passed + 1)) ;;
            *" passed, "*" failed") ;;
            *) echo "$name: $line"
               case "$line" in "FAIL"*) failed=$((failed + 1)) ;; esac ;;
        esac
    done <"$dir/gerbv.log"
    if [ "$status" -ne 0 ] && ! grep -q "^FAIL" "$dir/gerbv.log"; then
        echo "FAIL $name: the gerbv check ended with status $status"
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
