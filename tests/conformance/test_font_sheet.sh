#!/bin/bash
# The font sheet (every glyph, every rotation code) must load in gerbv without a complaint.
# usage: test_font_sheet.sh CLI_PATH SHARED_DIR SOURCE_DIR
cli="$1"
source_dir="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cli" font-sheet "$work/font.gbr"; then
    echo "font-sheet failed"
    echo "0 passed, 1 failed"
    exit 1
fi
if [ "$(tail -c 6 "$work/font.gbr")" != $'M02*\r' ]; then
    echo "font.gbr does not end with M02*"
    echo "0 passed, 1 failed"
    exit 1
fi
/usr/bin/python3 "$source_dir/tests/conformance/gerbv_check.py" "$work/font.gbr"
