#!/usr/bin/env bash
# The converters' outputs in gerbv.
# 1. An RS274D plot upgraded by `rs274x` must draw what the plotter draws. A board with round
#    and rectangular pads and tracks gets its aperture file from `apt` and its top copper from
#    `plot`; the copper file less its header is the RS274D body. `rs274x` turns body and
#    aperture file back into RS274X, in both output modes. Every file must load in gerbv
#    without a complaint, and gerbv's pictures of the plotted layer and of the upgraded plot
#    must agree pixel for pixel.
# 2. Every shape word the converter defines, in inches and in millimetres, loads cleanly.
# 3. The plot's NC drill file merged with a tool table by `xln` loads cleanly.
# usage: test_converters.sh CLI_PATH SHARED_DIR SOURCE_DIR
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
grep -v '^ENDPCB' rt.pcb >vias.pcb
printf '%s\r\n' FV "1800 1800 50 28" FV "2200 1800 70 40" ENDPCB >>vias.pcb

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

printf '%s\r\n' "D10 ROUND 5" "D11 SQUARE 60" "D12 CIRCULAR 60 60" "D13 ROUNDRECT 60 80" \
    "D14 OCTAGONAL 62" "D15 RELIEF 60" "D16 rectangular 1250 80" "D17 MOIRE 100" >shapes.APT
{
    printf '%s\r\n' G54D10\* X100Y200D02\* X300Y200D01\*
    for d in 11 12 13 14 15 16 17; do
        printf '%s\r\n' "D$d*" "X$((d * 200))Y500D03*"
    done
    printf '%s\r\n' M02\*
} >shapes.gbr
"$cli" rs274x --apt shapes.APT shapes.gbr >/dev/null || fail "rs274x on every shape"
"$cli" rs274x --apt shapes.APT shapes.gbr --metric --single shapes-mm.gbx >/dev/null ||
    fail "rs274x --metric on every shape"
[ "$(grep -c '^%ADD' shapes.gbr.xgerber)" = 8 ] || fail "not every shape defined"
/usr/bin/python3 "$source/tests/conformance/gerbv_check.py" shapes.gbr.xgerber shapes-mm.gbx ||
    fail "gerbv reports problems with the aperture shapes"

"$cli" plot vias.pcb --layers GTL --nc-drill --yes >drill.log 2>&1 || fail "plot: $(cat drill.log)"
# the drill file as Autotrax writes it: tool lines without sizes, which the tool table holds
awk '/^%/ { body = 1 } !body && /^T[0-9]/ { sub(/C.*/, "\r") } { print }' vias.TXT >bare.TXT
grep -q "^T01.$" bare.TXT || fail "no bare tool line cut from vias.TXT"
# the tool table the plot run wrote beside the board gives the sizes in decimal inches
cp bare.TXT inch.TXT
"$cli" xln --tol vias.TOL inch.TXT >xln.log 2>&1 || fail "xln: $(cat xln.log)"
grep -q "^T01C0.028.$" inch.TXT.xln && grep -q "^T02C0.040.$" inch.TXT.xln ||
    fail "tool sizes from the decimal-inch table missing in inch.TXT.xln: $(cat vias.TOL)"
printf '%s\r\n' "T01 28" "T02 40" >vias.TOL
"$cli" xln --tol vias.TOL bare.TXT >xln.log 2>&1 || fail "xln: $(cat xln.log)"
grep -q "^T01C0.028.$" bare.TXT.xln && grep -q "^T02C0.040.$" bare.TXT.xln ||
    fail "tool sizes missing in bare.TXT.xln"
/usr/bin/python3 "$source/tests/conformance/gerbv_check.py" bare.TXT.xln ||
    fail "gerbv reports problems with the merged drill file"
echo "1 passed, 0 failed"
