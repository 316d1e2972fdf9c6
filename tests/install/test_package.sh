#!/usr/bin/env bash
# Builds the Debian package from the build folder, checks that it declares the Qt 6 runtime
# packages it needs, and plots the demo board with the padloom-cli it contains, unpacked into a
# scratch root.
# usage: test_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/*.deb)
info=$(dpkg-deb -I "$deb")
echo "$info" | grep -E '^ (Package|Version|Depends):'
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
if [ -f "$build/padloom" ]; then
    for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
        [[ $depends == *"$lib"* ]] || { echo "Depends lacks $lib"; exit 1; }
    done
fi

dpkg-deb -x "$deb" "$work/root"
cli="$work/root/usr/bin/padloom-cli"
"$cli" --version
cp "$src/examples/demo.pcb" "$work/demo.pcb"
"$cli" plot "$work/demo.pcb" --all-layers --nc-drill --yes >/dev/null
[ -s "$work/demo.GTL" ] && [ -s "$work/demo.TXT" ] || { echo "packaged padloom-cli did not plot"; exit 1; }
"$cli" fabs | grep -q "^Installed with the program, in $work/root/usr/share/padloom/fab:" ||
    { echo "packaged padloom-cli does not read the profiles in the package"; exit 1; }
echo "package $(basename "$deb") plots the demo board"
