#!/usr/bin/env bash
# Builds QFN footprints with padloom-cli qfn, checks that each board plots with all 17 layers
# and its NC drill file into files gerbv loads cleanly, and, where the resize-text command
# exists, that resizing the designator text leaves the designator where it was.
# usage: test_qfn_plot.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() {
    echo "FAIL $*"
    failed=$((failed + 1))
}

# name, then the qfn options
while read -r name opts; do
    dir="$work/$name"
    mkdir -p "$dir"
    board="$dir/$name.pcb"
    # shellcheck disable=SC2086
    if ! "$cli" qfn -o "$board" $opts >"$dir/qfn.log" 2>&1; then
        fail "$name: qfn failed: $(cat "$dir/qfn.log")"
        continue
    fi
    if ! "$cli" plot "$board" --all-layers --nc-drill --yes >"$dir/plot.log" 2>&1; then
        fail "$name: plot failed"
        cat "$dir/plot.log"
        continue
    fi
    if grep -E "Apt not found|Error" "$dir/plot.log"; then
        fail "$name: missing apertures reported"
    fi
    files=("$dir"/*.G?? "$dir"/*.TXT)
    if ! /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" \
        >"$dir/gerbv.log" 2>&1; then
        fail "$name: gerbv reported problems"
        grep -v "^ok " "$dir/gerbv.log"
    fi
    if "$cli" --help 2>/dev/null | grep -q "^ *resize-text"; then
        if ! "$cli" resize-text "$board" --height 24 --width 4 >"$dir/resize.log" 2>&1; then
            fail "$name: resize-text failed: $(cat "$dir/resize.log")"
        else
            # the designator attributes are the fifth line after COMP: x and y must stay
            line=$(tr -d '\r' <"$dir/$name.NEW" | awk '/^COMP$/ {n = NR + 5} NR == n {print; exit}')
            read -r x y h _ w _ <<<"$line"
            if [ "$x $y $h $w" != "5000 5040 24 4" ]; then
                fail "$name: resized designator line is \"$line\""
            fi
        fi
    fi
done <<'LIST'
qfn8 --pad-x 12 --pad-y 30 --num-x 2 --num-y 2 --pitch 20 --x-spacing 100 --y-spacing 100
qfn32 --metric --pad-x 0.3 --pad-y 0.8 --num-x 8 --num-y 8 --pitch 0.5 --x-spacing 4.9 --y-spacing 4.9
rows --pad-x 15 --pad-y 45 --num-x 7 --num-y 0 --pitch 25 --x-spacing 0 --y-spacing 180
LIST

echo "$failed failed"
[ "$failed" -eq 0 ]
