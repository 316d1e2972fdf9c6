#!/usr/bin/env bash
# Plots every sample and example board, and the TANGO example, with Gerber X2 attributes and
# checks the set: each file's function (as `info` reads it) is the one its name calls for, and
# the job file parses and lists exactly the files of the set with the functions the files give.
# gerbv loads every file of the first board's set and of the TANGO set without a problem (the
# attributes are the same comments in every file; test_package_samples.sh loads every board's
# fab set, which has them too).
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
    mkdir -p "$dir"
    cp "$board" "$dir/$name"
    if [ "$name" = DEMO.PCB ]; then
        command=(tango "$dir/$name" --all-layers --nc-drill --x2)
        job="$dir/DEMO.OUT.gbrjob"
    else
        opts=()
        case "$name" in pours*) opts=(--pours --thermals) ;; esac
        command=(plot "$dir/$name" --all-layers --nc-drill --x2 --yes "${opts[@]}")
        job="$dir/${name%.*}.gbrjob"
    fi
    if ! "$cli" "${command[@]}" >"$dir/plot.log" 2>&1; then
        echo "FAIL $name: ${command[0]} failed"
        cat "$dir/plot.log"
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
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
