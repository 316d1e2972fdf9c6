#!/usr/bin/env bash
# Packages the examples with thermals and pours and the board of targets and plane reliefs
# (tests/data/x2/targets.pcb) for each board house and checks what the house asks for: gerbv
# loads every Gerber and drill file without a problem; jlcpcb's files define no aperture macro
# and carry no X2 attribute, and there is no job file; oshpark's one drill file (.XLN) holds
# every hole of the plot's drill file and its planes, positive, draw what the plot's negative
# planes draw inside the board outline (render_compare.py); aisler's drill files are inch 2:4
# with leading zeros kept; eurocircuits' files carry X2 attributes and a job file lists them; a
# profile's METRIC drill file draws the plot's holes; on a sample with mounting holes aisler
# has plated and non-plated drill files apart and oshpark one, their hits the plot's.
# usage: test_profile_packages.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cli" --help | grep -qw package; then
    echo "note: padloom-cli was built without the package command"
    exit 0
fi

failed=0
fail() {
    echo "FAIL $*"
    failed=$((failed + 1))
}
# drill hits as info --json counts them, over the files given
hits() {
    "$cli" info --json "$@" | /usr/bin/python3 -c '
import json, sys
print(sum(t["hits"] for f in json.load(sys.stdin)["files"] for t in f.get("tools", [])))'
}

boards=("$source/examples/demo.pcb" "$source/examples/pours.pcb" "$source/tests/data/x2/targets.pcb")
for board in "${boards[@]}"; do
    name=$(basename "$board")
    stem=${name%.*}
    opts=(--yes --pours --thermals)
    # the plain plot with negative planes and without X2, to compare with; without the board
    # layer in every file, as the package draws them
    plain="$work/$stem/plain"
    mkdir -p "$plain"
    cp "$board" "$plain/$name"
    if ! "$cli" plot "$plain/$name" --all-layers --nc-drill --no-include-board "${opts[@]}" \
        >"$plain.log" 2>&1; then
        fail "$name: plot failed"
        cat "$plain.log"
        continue
    fi
    for house in jlcpcb oshpark aisler eurocircuits; do
        dir="$work/$stem/$house"
        mkdir -p "$dir/board" "$dir/zip"
        cp "$board" "$dir/board/$name"
        if ! "$cli" package "$dir/board/$name" --fab "$house" -o "$dir/$stem.zip" "${opts[@]}" \
            >"$dir.log" 2>&1; then
            fail "$name ($house): package failed"
            cat "$dir.log"
            continue
        fi
        unzip -q "$dir/$stem.zip" -d "$dir/zip"
        files=()
        for f in "$dir/zip"/*; do
            case "$f" in *.csv | *.UCM | *.ipc | *.md | *.gbrjob) ;; *) files+=("$f") ;; esac
        done
        /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" \
            >"$dir/gerbv.log" 2>&1 || { fail "$name ($house): gerbv"; cat "$dir/gerbv.log"; }
        case $house in
            jlcpcb)
                grep -l "%AM" "${files[@]}" && fail "$name ($house): aperture macros"
                grep -l "#@!\|%TF\|%TA" "${files[@]}" && fail "$name ($house): X2 attributes"
                ls "$dir/zip/"*.gbrjob 2>/dev/null && fail "$name ($house): a job file"
                ;;
            oshpark)
                drills=("$dir/zip"/*.XLN)
                [ ${#drills[@]} -eq 1 ] && [ -f "${drills[0]}" ] ||
                    fail "$name ($house): not one .XLN drill file"
                [ "$(hits "${drills[@]}")" = "$(hits "$plain/$stem.TXT")" ] ||
                    fail "$name ($house): the drill file lacks holes of the plot's"
                # the planes the package holds, as its run wrote them beside the board, against
                # the plain plot's negative ones
                compare=()
                for plane in GGD GPW; do
                    if [ -s "$dir/board/$stem.$plane" ]; then
                        compare+=("$dir/board/$stem.$plane" "$plain/$stem.$plane")
                    fi
                done
                inner=("$dir/zip"/*.G[2-9]L)
                [ -f "${inner[0]}" ] || inner=()
                [ ${#inner[@]} -eq $((${#compare[@]} / 2)) ] ||
                    fail "$name ($house): ${#inner[@]} inner layer files for $((${#compare[@]} / 2)) planes"
                if [ ${#compare[@]} -gt 0 ]; then
                    grep -l "%IPNEG" "${inner[@]}" && fail "$name ($house): negative planes"
                    /usr/bin/python3 "$source/tests/conformance/render_compare.py" "$cli" 300 0 \
                        "${compare[@]}" >"$dir/render.log" 2>&1 ||
                        { fail "$name ($house): planes differ"; grep -v "^ok" "$dir/render.log"; }
                fi
                ;;
            aisler)
                for f in $(ls "$dir/zip"/*.xln "$dir/zip"/*.TXT 2>/dev/null); do
                    grep -q "^INCH,LZ" "$f" || fail "$name ($house): $(basename "$f") not INCH,LZ"
                    # 2:4: six digits to a coordinate, leading zeros kept
                    grep -qE "^X-?[0-9]{6}Y-?[0-9]{6}" "$f" ||
                        fail "$name ($house): $(basename "$f") not 2:4"
                done
                ;;
            eurocircuits)
                grep -q "TF.FileFunction" "$dir/zip/$stem.GTL" || fail "$name ($house): no X2"
                [ -s "$dir/zip/$stem.gbrjob" ] || fail "$name ($house): no job file"
                ;;
        esac
    done
done
# a sample with mounting holes: aisler's plated and non-plated holes in two inch 2:4 files,
# oshpark's in one, each adding up to the plot's drill file
sample="${2:-}/samples/autotrax/rgbpi__rgbpi-pcb.pcb"
if [ -f "$sample" ]; then
    dir="$work/rgbpi"
    mkdir -p "$dir/plain"
    cp "$sample" "$dir/plain/rgbpi.pcb"
    "$cli" plot "$dir/plain/rgbpi.pcb" --nc-drill --yes >/dev/null 2>&1 ||
        fail "rgbpi: plot failed"
    for house in aisler oshpark; do
        mkdir -p "$dir/$house/board" "$dir/$house/zip"
        cp "$sample" "$dir/$house/board/rgbpi.pcb"
        "$cli" package "$dir/$house/board/rgbpi.pcb" --fab "$house" -o "$dir/$house/r.zip" \
            --yes >/dev/null 2>&1 && unzip -q "$dir/$house/r.zip" -d "$dir/$house/zip" ||
            { fail "rgbpi ($house): package failed"; continue; }
    done
    [ -s "$dir/aisler/zip/rgbpi.drills_pth.xln" ] && [ -s "$dir/aisler/zip/rgbpi.holes_npth.xln" ] ||
        fail "rgbpi (aisler): not plated and non-plated drill files apart"
    grep -L "^INCH,LZ" "$dir/aisler/zip/"*.xln | grep . && fail "rgbpi (aisler): not INCH,LZ"
    [ "$(hits "$dir/aisler/zip/"*.xln)" = "$(hits "$dir/plain/rgbpi.TXT")" ] ||
        fail "rgbpi (aisler): the drill files' hits are not the plot's"
    [ "$(ls "$dir/oshpark/zip/"*.XLN | wc -l)" = 1 ] &&
        [ "$(hits "$dir/oshpark/zip/"*.XLN)" = "$(hits "$dir/plain/rgbpi.TXT")" ] ||
        fail "rgbpi (oshpark): not one drill file with every hole"
else
    echo "note: no shared samples; mounting holes not checked"
fi

# a profile of one's own: drills in METRIC 3:3 with trailing zeros, in one file, which gerbv
# and info read as the plot's inch file, hole for hole
dir="$work/metric"
mkdir -p "$dir/zip"
cp "$source/examples/demo.pcb" "$dir/demo.pcb"
printf '[drill]\nunits = METRIC\nformat = 3:3\nzeros = TZ\nfiles = one\n' >"$dir/metric.fab"
if "$cli" package "$dir/demo.pcb" --fab "$dir/metric.fab" -o "$dir/demo.zip" --yes \
    >"$dir.log" 2>&1 && unzip -q "$dir/demo.zip" -d "$dir/zip"; then
    "$cli" info "$dir/zip/demo.TXT" | grep -q "Excellon drill, mm, 3.3, trailing zeros kept" ||
        fail "metric profile: the drill file does not read as METRIC 3:3 TZ"
    /usr/bin/python3 "$source/tests/conformance/render_compare.py" "$cli" 300 0 \
        "$dir/zip/demo.TXT" "$work/demo/plain/demo.TXT" >"$dir/render.log" 2>&1 ||
        { fail "metric profile: drills differ"; cat "$dir/render.log"; }
else
    fail "metric profile: package failed"
    cat "$dir.log"
fi
[ "$failed" -eq 0 ] && echo "profile packages: all checks passed"
[ "$failed" -eq 0 ]
