# Sourced by the conformance scripts: fills the array `boards` with every sample board (when the
# shared samples are there) and every example board. Needs `shared` and `source` set.
boards=()
if [ -d "$shared/samples/autotrax" ]; then
    for f in "$shared/samples/autotrax"/*; do
        [ -f "$f" ] && boards+=("$f")
    done
else
    echo "note: $shared/samples/autotrax not found; using the examples only"
fi
for f in "$source/examples"/*.pcb "$source/examples"/*.PCB; do
    [ -f "$f" ] && boards+=("$f")
done
