#!/usr/bin/env bash
# An RS274D plot upgraded by `rs274x` must draw what the plotter draws. A board with round and
# rectangular pads and tracks gets its aperture file from `apt` and its top copper from `plot`;
# the copper file less its header is the RS274D body. `rs274x` turns body and aperture file
# back into RS274X, in both output modes. Every file must load in gerbv without a complaint, and
# gerbv's pictures of the plotted layer and of the upgraded plot must agree pixel for pixel.
# usage: test_rs274x_roundtrip.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
    echo "FAIL $*"
    echo "0 passed, 1 failed"
    exit 1
}

printf '%s\r\n' "PCB FILE 4" \
    FP "1000 1000 60 60 1 28 0 1" 1 \
    FP "1500 1000 60 100 2 28 0 1" 2 \
    FP "2000 1400 80 50 2 0 0 1" 3 \
    FP "2600 1800 75 75 1 0 0 1" 4 \
    FP "1200 2200 1250 40 2 0 0 1" 5 \
    FT "1000 1000 1500 1000 10 1" \
    FT "1500 1000 2000 1400 25 1" \
    FT "2000 1400 2600 1800 12 1" \
    FT "1000 1000 1000 2000 8 1" \
    FT "600 2600 3100 600 5 1" \
    ENDPCB >rt.pcb

"$cli" apt rt.pcb >apt.log 2>&1 || fail "apt: $(cat apt.log)"
"$cli" plot rt.pcb --layers GTL >plot.log 2>&1 || fail "plot: $(cat plot.log)"
grep -q "Apt not found" plot.log && fail "plot reports missing apertures: $(cat plot.log)"

# the RS274D body: everything after the aperture definitions
awk 'body { print } /^G04 End of apeture information\*/ { body = 1 }' rt.GTL >top.gbr
grep -q "%" top.gbr && fail "the body still holds RS274X parameters"
[ -s top.gbr ] || fail "no body cut from rt.GTL"

"$cli" rs274x --apt rt.APT top.gbr >x.log 2>&1 || fail "rs274x: $(cat x.log)"
"$cli" rs274x --apt rt.APT top.gbr --single single.gbx >s.log 2>&1 || fail "rs274x --single: $(cat s.log)"

/usr/bin/python3 "$source/tests/conformance/gerbv_check.py" rt.GTL top.gbr.xgerber single.gbx ||
    fail "gerbv reports problems"

render() {
    gerbv -x png -B 0 --dpi 400 -f '#FFFFFFFF' -b '#000000' -o "$2" "$1" >/dev/null 2>&1
    [ -s "$2" ] || fail "gerbv drew no picture of $1"
}
render rt.GTL plotted.png
render top.gbr.xgerber upgraded.png
render single.gbx single.png

mean=$(convert plotted.png -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.01) }' || fail "the plotted picture is blank"
for picture in upgraded.png single.png; do
    differ=$(compare -metric AE plotted.png "$picture" null: 2>&1)
    [ "$differ" = "0" ] || fail "$picture differs from the plotted layer: $differ"
done
echo "ok   the upgraded RS274D plot draws the plotted layer pixel for pixel"
echo "1 passed, 0 failed"
