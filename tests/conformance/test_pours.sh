#!/usr/bin/env bash
# Plots the pour example board (examples/pours.pcb) with pours, with and without thermals, loads
# its copper files in gerbv and checks gerbv's rendering of the pours, clearances and spokes.
# usage: test_pours.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
for thermals in thermals nothermals; do
    dir="$work/$thermals"
    mkdir -p "$dir"
    cp "$source/examples/pours.pcb" "$dir/pours.pcb"
    opts=(--layers GTL,GBL --pours --yes)
    [ "$thermals" = thermals ] && opts+=(--thermals)
    if ! "$cli" plot "$dir/pours.pcb" "${opts[@]}" >"$dir/plot.log" 2>&1; then
        echo "FAIL plot ${opts[*]}"
        cat "$dir/plot.log"
        failed=$((failed + 1))
        continue
    fi
    if grep -E "Error|Warning" "$dir/plot.log"; then
        echo "FAIL: the plot reported problems"
        failed=$((failed + 1))
    fi
    for ext in GTL GBL; do
        if [ "$(grep -c '^%LN' "$dir/pours.$ext")" -ne 3 ]; then
            echo "FAIL pours.$ext: expected the three pour layer blocks"
            failed=$((failed + 1))
        fi
    done
    /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "$dir/pours.GTL" "$dir/pours.GBL" \
        || failed=$((failed + 1))
    /usr/bin/python3 "$source/tests/conformance/pour_render_check.py" "$dir/pours.GTL" \
        "$dir/pours.GBL" "$thermals" || failed=$((failed + 1))
done
[ "$failed" -eq 0 ] && echo "pours: all checks passed"
[ "$failed" -eq 0 ]
