#pragma once

#include <functional>
#include <span>
#include <string_view>
#include <utility>

#include "plot/layer_file.h"

namespace padloom::plot {

/// One point of a glyph's stroke list, in font units (the cell is 6 high, x runs from -1 to 6,
/// descenders reach -2): the first point of a glyph is its start point; every later point is
/// reached with pen 1 (draw) or pen 2 (move).
struct GlyphPoint {
    signed char x;
    signed char y;
    signed char pen;
};

/// A glyph of the stroke font: its advance width in font units and its stroke list.
struct Glyph {
    int width = 0;
    std::span<const GlyphPoint> points;
};

/// The glyph of a character code. Code 127 has no strokes and advances 0, as the width table
/// gives it; codes below 32 and above 127 (Latin-1 bytes such as the µ of "10µF") have no
/// glyph: they draw nothing and advance like a space.
Glyph glyphOf(unsigned char code);

/// How a glyph is turned and scaled: a font unit is `sx` mils along the text and `sy` across
/// it, with the font's x and y swapped for a quarter turn (rotations 1, 3, 17, 19).
struct GlyphPlacement {
    int sx = 0;
    int sy = 0;
    bool swapped = false;
};

/// The placement of the glyphs of a text of this height (mils) and rotation code.
GlyphPlacement glyphPlacement(int height, int rotation);

/// Every stroke a text is drawn with, as the plotter places it: `stroke(x1, y1, x2, y2)` in
/// mils, one call per pen-down line (a dot is a stroke to its own start).
void forEachTextStroke(
    long long x, long long y, std::string_view text, int height, int rotation,
    const std::function<void(long long, long long, long long, long long)>& stroke);

/// Writes one text with the stroke font: the aperture line first when the aperture differs
/// from the current one or no string has been written in this file yet, then one line per
/// character. The position is unknown afterwards. Positions are taken wide: a long text of tall
/// characters may run past what an int holds.
void plotText(LayerFile& file, long long x, long long y, int aperture, std::string_view text,
              int height, int rotation);

/// Writes one character at (x, y) without ending its line; returns the advance (dx, dy) in
/// mils to the next character.
std::pair<int, int> plotGlyph(LayerFile& file, long long x, long long y, int height, int rotation,
                              unsigned char c, int aperture);

}  // namespace padloom::plot
