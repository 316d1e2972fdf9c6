#!/usr/bin/env bash
# Plots every sample and example board, and the TANGO example, with Gerber X2 attributes and
# checks the set: each file's function (as `info` reads it) is the one its name calls for, the
# job file parses and lists exactly the files of the set with the functions the files give, and
# the files keep to the Gerber specification (x2_check.py: masks Negative, GUID version 4, no pad
# or conductor function off copper, none of the deprecated syntax). The same boards plotted
# without X2 must look the same: gerbv draws every layer file of both sets alike (the outline
# file aside; a plane, negative without X2, inside the region its positive image darkens).
# gerbv loads every file of the first board's set and of the TANGO set without a problem (the
# attributes are the same comments in every file; test_package_samples.sh loads every board's
# fab set, which has them too, and names each file with whats-that-gerber).
# usage: test_x2_samples.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
shared=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/boards.sh"
boards+=("$source/examples/tango/DEMO.PCB")

passed=0
failed=0
check() {  # name, log of a python check
    while IFS= read -r line; do
        case "$line" in
            "ok   "*) passed=$((passed + 1)) ;;
            *" passed, "*" failed") ;;
            *) echo "$1: $line"
               case "$line" in "FAIL"*) failed=$((failed + 1)) ;; esac ;;
        esac
    done <"$2"
}
for board in "${boards[@]}"; do
    name=$(basename "$board")
    dir="$work/${name%.*}"
    mkdir -p "$dir/plain"
    cp "$board" "$dir/$name"
    cp "$board" "$dir/plain/$name"
    if [ "$name" = DEMO.PCB ]; then
        command=(tango "$dir/$name" --all-layers --nc-drill)
        plain=(tango "$dir/plain/$name" --all-layers --nc-drill)
        job="$dir/DEMO.OUT.gbrjob"
    else
        opts=()
        case "$name" in pours* | demo*) opts=(--pours --thermals) ;; esac
        command=(plot "$dir/$name" --all-layers --nc-drill --yes "${opts[@]}")
        plain=(plot "$dir/plain/$name" --all-layers --nc-drill --yes "${opts[@]}")
        job="$dir/${name%.*}.gbrjob"
    fi
    if ! "$cli" "${command[@]}" --x2 >"$dir/plot.log" 2>&1 ||
        ! "$cli" "${plain[@]}" >"$dir/plain.log" 2>&1; then
        echo "FAIL $name: ${command[0]} failed"
        cat "$dir/plot.log" "$dir/plain.log"
        failed=$((failed + 1))
        continue
    fi
    files=("$dir"/*.G?? "$dir"/*.TXT)
    if [ "$board" = "${boards[0]}" ] || [ "$name" = DEMO.PCB ]; then
        /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" \
            >"$dir/gerbv.log" 2>&1
        check "$name" "$dir/gerbv.log"
    fi
    /usr/bin/python3 "$source/tests/conformance/x2_check.py" "$cli" "$job" "${files[@]}" \
        >"$dir/x2.log" 2>&1
    check "$name" "$dir/x2.log"
    if [ -s "$dir/x2.log" ] && ! grep -q "^ok" "$dir/x2.log"; then
        failed=$((failed + 1))
    fi
    pairs=()
    for f in "$dir"/*.G??; do
        case "$f" in *.GBD) continue ;; esac
        pairs+=("$f" "$dir/plain/$(basename "$f")")
    done
    /usr/bin/python3 "$source/tests/conformance/render_compare.py" "$cli" 300 0 "${pairs[@]}" \
        >"$dir/render.log" 2>&1
    check "$name" "$dir/render.log"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
