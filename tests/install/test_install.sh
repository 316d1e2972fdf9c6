#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it from there: the version, a plot of the
# demo board, the manual page and a menu entry that desktop-file-validate accepts.
# usage: test_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cli="$work/prefix/bin/padloom-cli"

version=$("$cli" --version)
echo "$version"
[[ $version =~ ^padloom-cli\ [0-9]+\.[0-9]+ ]] || { echo "unexpected version text: $version"; exit 1; }

cp "$src/examples/demo.pcb" "$work/demo.pcb"
"$cli" plot "$work/demo.pcb" --all-layers --nc-drill --bom --yes >/dev/null
for ext in GTL GBL GTO TXT csv; do
    [ -s "$work/demo.$ext" ] || { echo "installed padloom-cli did not write demo.$ext"; exit 1; }
done

# the board-house profiles are found where they were installed
fabs=$("$cli" fabs)
grep -q "^Installed with the program, in $work/prefix/share/padloom/fab:" <<<"$fabs" ||
    { echo "installed padloom-cli does not read its installed profiles: $fabs"; exit 1; }
grep -q "^  jlcpcb " <<<"$fabs" || { echo "no jlcpcb profile installed: $fabs"; exit 1; }

man="$work/prefix/share/man/man1/padloom-cli.1"
[ -s "$man" ] || { echo "no manual page installed"; exit 1; }
grep -q '^\.SS plot$' "$man" || { echo "manual page lacks the plot subcommand"; exit 1; }

desktop="$work/prefix/share/applications/padloom.desktop"
if [ -f "$build/padloom" ]; then
    [ -x "$work/prefix/bin/padloom" ] || { echo "padloom not installed"; exit 1; }
    [ -f "$work/prefix/share/icons/hicolor/64x64/apps/padloom.png" ] || { echo "icon not installed"; exit 1; }
    desktop-file-validate "$desktop"
fi
echo "installed and used from $work/prefix"
