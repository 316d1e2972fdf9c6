#!/usr/bin/env bash
# Makes the fab package of every sample and example board and checks it as the board house
# would: `unzip -t` accepts the zip and every entry is a plain file of mode 0644, gerbv loads
# every Gerber and drill file in it without a problem, the README's board size, drill counts
# and plating, file functions and polarities are those `info` gives for the files (a board
# without an outline has no outline file, and the README and stderr say so first), the drill
# files' hits add up to the plot's own drill file, the job file lists exactly the Gerber and
# drill files with the functions they give themselves, and whats-that-gerber (an independent
# identifier of fab files by name, installed from the npm registry into the build folder;
# skipped without node and npm) takes each file for what it is.
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

# whats-that-gerber, once, into the build folder
wtg="$(cd "$(dirname "$cli")" && pwd)/npm/node_modules/whats-that-gerber"
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "note: node or npm is not installed; file names not checked with whats-that-gerber"
    wtg=""
elif [ ! -f "$wtg/package.json" ] &&
    ! npm install --prefix "$(dirname "$(dirname "$wtg")")" --no-audit --no-fund --silent \
        whats-that-gerber@4.2.7 >"$work/npm.log" 2>&1; then
    echo "note: whats-that-gerber could not be installed from the npm registry; file names not checked"
    cat "$work/npm.log"
    wtg=""
fi

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
    if unzip -Z "$dir/$stem.zip" | grep -E "^[-d][rwx-]{9}" | grep -qv "^-rw-r--r--"; then
        fail "zip entries of another mode than -rw-r--r--"
        unzip -Z "$dir/$stem.zip"
    fi
    readme="$dir/unpacked/README.md"
    files=("$dir/unpacked"/*.G?? "$dir/unpacked"/*.G? "$dir/unpacked"/*.TXT)
    files=($(ls "${files[@]}" 2>/dev/null))
    /usr/bin/python3 "$source/tests/conformance/gerbv_check.py" "${files[@]}" >"$dir/gerbv.log" 2>&1
    if grep -q "^FAIL" "$dir/gerbv.log"; then
        fail "gerbv reports problems"
        grep -A3 "^FAIL" "$dir/gerbv.log"
    fi
    # the job file against the files, and each file's function against its name
    if ! /usr/bin/python3 "$source/tests/conformance/x2_check.py" "$cli" \
        "$dir/unpacked/$stem.gbrjob" "${files[@]}" >"$dir/x2.log" 2>&1; then
        fail "the job file or the files' attributes"
        grep -v "^ok" "$dir/x2.log"
    fi
    # the README's functions and polarities against info
    for f in "${files[@]}"; do
        base=$(basename "$f")
        said=$(tr -d '\r' <"$readme" | sed -n "s/^    $base  *.*  \([A-Z][A-Za-z]*,[^ ]*\|Drillmap\)  *\(Positive\|Negative\)$/\1, polarity \2/p")
        read=$("$cli" info "$f" | sed -n 's/^  function: *\(.*\)$/\1/p')
        if [ -z "$said" ] || [ "$said" != "$read" ]; then
            fail "README says $base is \"$said\", info \"$read\""
        fi
    done

    # board size: README against the outline file's `info`, less the pen of its lines (when
    # one round pen draws them all); without an outline, no outline file and a warning first
    outline="$dir/unpacked/$stem.GKO"
    told=$(sed -n 's/^    Board size: *\(.*\), the extent of the board outline.*/\1/p' "$readme" | tr -d '\r')
    if [ ! -f "$outline" ]; then
        if ! sed -n 3p "$readme" | grep -q "^No board outline: " ||
            ! grep -q "^    Board size: *not given: there is no board outline" "$readme" ||
            ! grep -q "^No board outline: " "$dir/package.log"; then
            fail "no outline file, but the README or the warning does not say so"
        fi
    else
        size=$("$cli" info --json "$outline" | /usr/bin/python3 -c '
import json, sys
f = json.load(sys.stdin)["files"][0]
pens = [a for a in f["apertures"] if a["draws"] + a["flashes"] > 0]
if f["extent"] and len(pens) == 1 and pens[0]["template"] == "C":
    d = pens[0]["parameters"][0]
    w, h = f["extent"]["width"] - d, f["extent"]["height"] - d
    print("%.4f x %.4f in (%.3f x %.3f mm)" % (w, h, w * 25.4, h * 25.4))
')
        if [ -n "$size" ] && [ "$size" != "$told" ]; then
            fail "README board size \"$told\", info less the pen says \"$size\""
        elif [ -z "$told" ]; then
            fail "README gives no board size"
        fi
    fi
    # drill counts: each tool's hits in the README against `info` of each drill file, with the
    # plating its name says; together the hits of the plot's own drill file
    total=0
    for drill in "$dir/unpacked"/*.TXT; do
        base=$(basename "$drill")
        plating=plated
        case "$base" in *-NPTH.TXT) plating=non-plated ;; esac
        "$cli" info "$drill" |
            sed -n "s/^    \(T[0-9]*\) \(.*\): \([0-9]*\) hits*$/\1 \2 \3 $plating/p" >"$dir/info-tools"
        sed -n "s/^    $base  *\(T[0-9][0-9]*\) *\(.*mm)\) *\([0-9][0-9]*\)  \([a-z-]*\)\r*$/\1 \2 \3 \4/p" \
            "$readme" >"$dir/readme-tools"
        if ! [ -s "$dir/info-tools" ] || ! diff "$dir/info-tools" "$dir/readme-tools" >/dev/null; then
            fail "README drill table of $base differs from info"
            diff "$dir/info-tools" "$dir/readme-tools"
        fi
        total=$((total + $("$cli" info "$drill" | sed -n 's/^  holes: *\([0-9]*\) hits*.*/\1/p')))
    done
    plain=$("$cli" info "$dir/board/$stem.TXT" | sed -n 's/^  holes: *\([0-9]*\) hits*.*/\1/p')
    if [ "$total" != "$plain" ]; then
        fail "the package's drill files hold $total hits, the plot's $stem.TXT $plain"
    fi
    # the names, as an independent identifier takes them
    if [ -n "$wtg" ] && ! node "$source/tests/conformance/fab_names_check.js" "$wtg" \
        $(unzip -Z1 "$dir/$stem.zip") >"$dir/names.log" 2>&1; then
        fail "whats-that-gerber takes files for something else"
        grep -v "^ok" "$dir/names.log"
    fi
    passed=$((passed + 1))
done
echo "$passed packages checked, $failed failures"
[ "$failed" -eq 0 ]
