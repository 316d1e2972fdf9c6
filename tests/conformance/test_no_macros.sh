#!/usr/bin/env bash
# Plots the examples with thermals and pours, and a board of targets and plane reliefs
# (tests/data/x2/targets.pcb), with and without aperture macros, in the older forms and with X2
# attributes: no file of a --no-macros run defines a macro, gerbv loads each without a problem,
# and gerbv draws every layer file as the macro version draws it, to 0.3% of the pixels it
# covers (differences one pixel wide, the rounding of edges to pixels and of region corners to
# the mil, aside; render_compare.py --slivers). Only the layer files that flash a macro differ
# in more than their aperture definitions, and only those are drawn.
# usage: test_no_macros.sh CLI_PATH SHARED_DIR SOURCE_DIR
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
boards=("$source/examples/demo.pcb" "$source/examples/pours.pcb" "$source/tests/data/x2/targets.pcb")
for board in "${boards[@]}"; do
    name=$(basename "$board")
    stem=${name%.*}
    # targets without enlargements: gerbv draws a moiré ring thicker than its radius with a
    # hole, where the ring closes into a disc
    opts=(--all-layers --yes --pours --thermals)
    [ "$stem" = targets ] && opts+=(--solder-mask 0 --paste 0)
    for syntax in older x2; do
        extra=()
        [ "$syntax" = x2 ] && extra=(--x2)
        dir="$work/$stem/$syntax"
        mkdir -p "$dir/macros" "$dir/none"
        cp "$board" "$dir/macros/$name"
        cp "$board" "$dir/none/$name"
        if ! "$cli" plot "$dir/macros/$name" "${opts[@]}" "${extra[@]}" >"$dir/macros.log" 2>&1 ||
            ! "$cli" plot "$dir/none/$name" "${opts[@]}" "${extra[@]}" --no-macros \
                >"$dir/none.log" 2>&1; then
            fail "$name ($syntax): plot failed"
            cat "$dir/macros.log" "$dir/none.log"
            continue
        fi
        if grep -l "%AM" "$dir/none/"*.G??; then
            fail "$name ($syntax): files of a --no-macros run define aperture macros"
        fi
        /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "$dir/none/"*.G?? \
            >"$dir/gerbv.log" 2>&1 || { fail "$name ($syntax): gerbv"; cat "$dir/gerbv.log"; }
        pairs=()
        for f in $("$cli" info --json "$dir/macros/"*.G?? | /usr/bin/python3 -c '
import json, sys
for f in json.load(sys.stdin)["files"]:
    if any(a["template"] not in ("C", "R", "O", "P") and a["flashes"] for a in f["apertures"]):
        print(f["path"])'); do
            pairs+=("$f" "$dir/none/$(basename "$f")")
        done
        [ ${#pairs[@]} -gt 0 ] || fail "$name ($syntax): no file flashes a macro"
        /usr/bin/python3 "$source/tests/conformance/render_compare.py" "$cli" 600 0.003 \
            --slivers "${pairs[@]}" >"$dir/render.log" 2>&1 ||
            { fail "$name ($syntax): pictures differ"; grep -v "^ok" "$dir/render.log"; }
    done
done
[ "$failed" -eq 0 ] && echo "no macros: all checks passed"
[ "$failed" -eq 0 ]
