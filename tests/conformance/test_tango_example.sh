#!/usr/bin/env bash
# Plots the example TANGO board with every layer the TANGO window offers and the NC drill file,
# in both drill forms; loads every output in gerbv; checks on gerbv's rendering that the copper
# shows the polygon outline, pads, tracks, arcs and texts where the board places them (and
# nothing where it places none), and that every hole gerbv reads from the drill file falls on
# copper.
# usage: test_tango_example.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check="/usr/bin/python3 $source/tests/conformance/render_check.py"
window=-200,-200,3200,2200
failed=0
fail() {
    echo "FAIL $*"
    failed=$((failed + 1))
}

for form in 2.3 2.4; do
    dir="$work/$form"
    mkdir -p "$dir"
    cp "$source/examples/tango/DEMO.PCB" "$dir/DEMO.PCB"
    if ! "$cli" tango "$dir/DEMO.PCB" --all-layers --nc-drill --drill-format "$form" \
        >"$dir/plot.log" 2>&1; then
        fail "padloom-cli tango ($form) failed"
        cat "$dir/plot.log"
        continue
    fi
    if grep -E "Error|line [0-9]+:" "$dir/plot.log"; then
        fail "the example board gave error or note lines ($form)"
    fi
    files=("$dir"/DEMO.OUT.*)
    if [ "${#files[@]}" -ne 12 ]; then
        fail "expected 11 layer files and a drill file, found ${#files[@]} ($form)"
    fi
    if ! /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" \
        >"$dir/gerbv.log" 2>&1; then
        fail "gerbv reports problems ($form)"
        cat "$dir/gerbv.log"
    fi

    # every hole of the drill file on the pads of both copper layers
    holes="400,600 500,600 600,600 700,600 400,900 500,900 600,900 700,900 1200,800 400,1600
           1800,1000 150,150 2850,150 150,1850 2850,1850"
    for copper in GTL GBL; do
        # shellcheck disable=SC2086
        $check drill "$dir/DEMO.OUT.$copper" "$dir/DEMO.OUT.TXT" $window $holes ||
            fail "drill hits off the $copper copper ($form)"
    done
done

dir="$work/2.3"
# top copper: pads, tracks, the polygon outline (not filled, and no stroke from the pad
# flashed between two of its points), the half arc above its centre, the text
$check copper "$dir/DEMO.OUT.GTL" $window \
    ink:400,600 ink:700,900 ink:1000,1300 ink:1100,1300 ink:1200,800 ink:1800,1000 \
    ink:950,700 ink:1300,1300 \
    ink:1850,200 ink:2300,450 ink:1850,700 ink:1400,450 bare:1850,450 bare:2050,850 \
    ink:1850,1550 ink:1700,1400 bare:1850,1250 bare:1850,1400 \
    ink:900,1700 \
    bare:1000,400 bare:1150,600 bare:2650,360 bare:1500,1500 ||
    fail "top copper rendering"
# bottom copper: bottom pads and tracks, the quarter arc taken the short way (0 to 90
# degrees), the mirrored text reading to the left of its start; no top-only objects
$check copper "$dir/DEMO.OUT.GBL" $window \
    ink:1000,400 ink:1100,400 ink:1150,600 ink:400,1250 ink:400,900 ink:1200,800 \
    ink:2471,1571 bare:2300,1500 bare:2400,1400 \
    ink:2700,1040 bare:2760,1040 \
    bare:1000,1300 bare:1850,200 bare:950,700 ||
    fail "bottom copper rendering"
# top legend: the board outline, the component outline and its notch, the designators
$check copper "$dir/DEMO.OUT.GTO" $window \
    ink:1500,0 ink:3000,1000 ink:550,680 ink:380,750 ink:2710,300 bare:2650,300 \
    bare:400,600 ||
    fail "top legend rendering"

if [ "$failed" -eq 0 ]; then
    echo "all checks passed"
fi
[ "$failed" -eq 0 ]
