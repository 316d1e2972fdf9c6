#!/usr/bin/env bash
# The nets of every sample board, and of the example boards with and without their pours,
# against gerbv's pictures of their copper (copper_regions.py): pads in one copper region of the
# pictures must be in one net, pads in different regions in different nets.
# usage: nets_samples.sh PADLOOM_CLI SHARED_DIR SOURCE_DIR
set -euo pipefail
cli=$1
samples=$2/samples/autotrax
source=$3
here=$source/tests/conformance
work=$(mktemp -d "${TMPDIR:-/tmp}/padloom-nets.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
# check BOARD NAME [COPPER OPTIONS]
check() {
    local board=$1 name=$2
    shift 2
    cp "$board" "$work/S.PCB"
    (
        cd "$work"
        "$cli" plot S.PCB --layers GTL,GBL,GM1,GM2,GM3,GM4,GGD,GPW --nc-drill --no-include-board \
            "$@" --yes >/dev/null
        "$cli" ipc356 S.PCB -o "$name.ipc" "$@" >/dev/null 2>&1
        "$cli" nets S.PCB --json "$@" >nets.json 2>/dev/null
        # the mid layers and planes the board has copper on
        layers=(S.GTL S.GBL)
        for f in S.GM? S.GGD S.GPW; do
            if "$cli" info --json "$f" | grep -q '"extent"'; then
                layers+=("$f")
            fi
        done
        /usr/bin/python3 "$here/copper_regions.py" "$cli" S.TXT "$name.ipc" nets.json "${layers[@]}"
    ) || status=1
    rm -f "$work"/S.* "$work"/nets.json "$work/$name.ipc"
}
if [ -d "$samples" ]; then
    for sample in "$samples"/*; do
        check "$sample" "$(basename "$sample")"
    done
else
    echo "no samples in $samples: only the examples are checked"
fi
for options in "" "--pours" "--pours --thermals"; do
    # shellcheck disable=SC2086
    check "$source/examples/pours.pcb" "pours.pcb${options// /}" $options
done
check "$source/examples/demo.pcb" demo.pcb
exit $status
