#!/usr/bin/env bash
# Exports every sample board and every example board as DXF, once with the heights the boards
# give ("h=" comments) and once with a height for every pattern, and checks each drawing with
# ezdxf's auditor. Fails on a failed export and on any auditor error or repair.
# usage: dxf_samples.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
shared=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/boards.sh"

failed=0
drawings=()
for board in "${boards[@]}"; do
    name=$(basename "$board")
    for pass in plain heights; do
        dir="$work/$pass/${name%.*}"
        mkdir -p "$dir"
        cp "$board" "$dir/$name"
        args=()
        if [ "$pass" = heights ]; then
            # a height for every pattern of the board (the line after the designator)
            while IFS= read -r pattern; do
                args+=(--height "$pattern=150")
            done < <(awk '{ sub(/\r$/, "") } prev == "COMP" { getline p; sub(/\r$/, "", p); print p } { prev = $0 }' "$board" | sort -u)
        fi
        if ! "$cli" dxf "$dir/$name" "${args[@]}" </dev/null >"$dir/dxf.log" 2>&1; then
            echo "FAIL $name ($pass): export failed"
            cat "$dir/dxf.log"
            failed=$((failed + 1))
            continue
        fi
        drawings+=("$dir/${name%.*}.DXF")
    done
done
/usr/bin/python3 "$source/tests/conformance/ezdxf_check.py" "${drawings[@]}" || failed=$((failed + 1))
[ "$failed" -eq 0 ]
