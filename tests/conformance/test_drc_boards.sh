#!/usr/bin/env bash
# Draws the clearance errors of a report into every sample and example board (and into a board
# of their own), reads each result back with the board reader, plots the outer layers and the
# drill drawing with the keep-out objects, and loads every Gerber and drill file in gerbv.
# Fails on a damaged record, a failed plot or any gerbv problem.
# usage: test_drc_boards.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
shared=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/boards.sh"

report="$work/errors.drc"
printf '%s\r\n' "Protel Autotrax Design Rule Check" \
    "Clearance Error" "   Pad (1200,1500) Multi Layer" "   Track (1000,900 1600,900) Top Layer" \
    "Clearance Error" "   Via (1300,1300)" "   Track (-200,400 2200,2600) Bottom Layer" \
    "Clearance Error" "   Arc (1350,1700)" "   Pad (2000,2000) Top Layer" >"$report"

passed=0
failed=0
check() {  # check NAME PCB [drc2pcb options]
    local name=$1 out=$2
    shift 2
    local dir
    dir=$(dirname "$out")
    if ! "$cli" drc2pcb "$report" -o "$out" "$@" >"$dir/drc.log" 2>&1; then
        echo "FAIL $name: drc2pcb failed"
        cat "$dir/drc.log"
        failed=$((failed + 1))
        return
    fi
    if ! "$cli" dump "$out" >"$dir/dump.log" 2>&1 || grep -q " record: \| header: " "$dir/dump.log" ||
        [ "$(grep -c "layer=12" "$dir/dump.log")" -lt 6 ]; then
        echo "FAIL $name: the highlighted board does not read back cleanly"
        grep " record: \| header: " "$dir/dump.log" | head
        failed=$((failed + 1))
        return
    fi
    if ! "$cli" plot "$out" --layers GTL,GBL,GTO,GBO,GDD --include-keepout --nc-drill --yes >"$dir/plot.log" 2>&1; then
        echo "FAIL $name: plot failed"
        cat "$dir/plot.log"
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + 1))
    /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "$dir"/*.G?? "$dir"/*.TXT \
        >"$dir/gerbv.log" 2>&1
    local status=$?
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
}

mkdir -p "$work/own"
check "error board" "$work/own/error.pcb"
for board in "${boards[@]}"; do
    name=$(basename "$board")
    dir="$work/${name%.*}"
    mkdir -p "$dir"
    check "$name" "$dir/highlighted.pcb" --board "$board"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
