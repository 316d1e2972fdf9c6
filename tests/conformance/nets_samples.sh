#!/usr/bin/env bash
# The nets of every sample board against gerbv's pictures of its copper (copper_regions.py):
# pads in one copper region of the pictures must be in one net, pads in different regions in
# different nets.
# usage: test_nets_samples.sh PADLOOM_CLI SHARED_DIR SOURCE_DIR
set -euo pipefail
cli=$1
samples=$2/samples/autotrax
here=$3/tests/conformance
if [ ! -d "$samples" ]; then
    echo "no samples in $samples: skipped"
    exit 0
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/padloom-nets.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
for sample in "$samples"/*; do
    name=$(basename "$sample")
    cp "$sample" "$work/S.PCB"
    (
        cd "$work"
        "$cli" plot S.PCB --layers GTL,GBL --nc-drill --no-include-board --yes >/dev/null
        "$cli" ipc356 S.PCB -o "$name.ipc" 2>/dev/null
        "$cli" nets S.PCB --json >nets.json 2>/dev/null
        /usr/bin/python3 "$here/copper_regions.py" "$cli" S.GTL S.GBL S.TXT "$name.ipc" nets.json
    ) || status=1
    rm -f "$work"/S.* "$work"/nets.json "$work/$name.ipc"
done
exit $status
