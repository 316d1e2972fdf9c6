#!/usr/bin/env bash
# Makes the fab package of every sample and example board and checks it as the board house
# would: `unzip -t` accepts the zip, gerbv loads every Gerber and drill file in it without a
# problem, and the README's board size and drill counts are those `info` gives for the files.
# usage: test_package_samples.sh CLI_PATH SHARED_DIR SOURCE_DIR
set -u
cli=$1
shared=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cli" --help | grep -qw package; then
    echo "note: padloom-cli was built without the package command"
    exit 0
fi
if ! command -v unzip >/dev/null; then
    echo "FAIL: unzip is not installed (scripts/install-deps)"
    exit 1
fi

. "$(dirname "$0")/boards.sh"

passed=0
failed=0
fail() {
    echo "FAIL $name: $*"
    failed=$((failed + 1))
}
for board in "${boards[@]}"; do
    name=$(basename "$board")
    stem=${name%.*}
    dir="$work/$stem"
    mkdir -p "$dir/board" "$dir/unpacked"
    cp "$board" "$dir/board/$name"
    if ! "$cli" package "$dir/board/$name" -o "$dir/$stem.zip" --yes >"$dir/package.log" 2>&1; then
        fail "package failed"
        cat "$dir/package.log"
        continue
    fi
    if ! unzip -tq "$dir/$stem.zip" >"$dir/unzip.log" 2>&1; then
        fail "unzip -t rejects the zip"
        cat "$dir/unzip.log"
        continue
    fi
    unzip -q "$dir/$stem.zip" -d "$dir/unpacked"
    readme="$dir/unpacked/README.txt"
    files=("$dir/unpacked"/*.G?? "$dir/unpacked"/*.TXT)
    /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" >"$dir/gerbv.log" 2>&1
    if grep -q "^FAIL" "$dir/gerbv.log"; then
        fail "gerbv reports problems"
        grep -A3 "^FAIL" "$dir/gerbv.log"
    fi

    # board size: README against the outline file's `info`
    size=$("$cli" info "$dir/unpacked/$stem.GBD" | sed -n 's/^  size: *//p' | tr -d '\r')
    told=$(sed -n 's/^Board size: *\(.*\), the extent of the board outline.*/\1/p' "$readme" | tr -d '\r')
    if grep -q "^Board size: *not given: the board outline file draws nothing" "$readme"; then
        if ! "$cli" info "$dir/unpacked/$stem.GBD" | grep -q "^  extent: *nothing drawn"; then
            fail "README says the outline draws nothing; info disagrees"
        fi
    elif [ -z "$size" ] || [ "$size" != "$told" ]; then
        fail "README board size \"$told\", info says \"$size\""
    fi
    # drill counts: each tool's hits in the README against `info` of the drill file
    "$cli" info "$dir/unpacked/$stem.TXT" |
        sed -n 's/^    \(T[0-9]*\) \(.*\): \([0-9]*\) hits*$/\1 \2 \3/p' >"$dir/info-tools"
    sed -n 's/^  \(T[0-9][0-9]*\) *\(.*mm)\) *\([0-9][0-9]*\)\r*$/\1 \2 \3/p' "$readme" >"$dir/readme-tools"
    if ! [ -s "$dir/info-tools" ] || ! diff "$dir/info-tools" "$dir/readme-tools" >/dev/null; then
        fail "README drill table differs from info"
        diff "$dir/info-tools" "$dir/readme-tools"
    fi
    passed=$((passed + 1))
done
echo "$passed packages checked, $failed failures"
[ "$failed" -eq 0 ]
