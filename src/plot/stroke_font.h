#pragma once

#include <span>
#include <string_view>
#include <utility>

#include "plot/layer_file.h"

namespace padloom::plot {

/// One point of a glyph's stroke list, in font units: the first point of a glyph is its start
/// point; every later point is reached with pen 1 (draw) or pen 2 (move).
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

/// The glyph of a character code; characters outside 32 to 126 have no strokes and advance
/// like a space.
Glyph glyphOf(unsigned char code);

/// Writes one text with the stroke font: the aperture line first when the aperture differs
/// from the current one or no string has been written in this file yet, then one line per
/// character. The position is unknown afterwards.
void WriteGerberString(LayerFile& file, int x, int y, int aperture, std::string_view text,
                       int height, int rotation);

/// Writes one character at (x, y) without ending its line; returns the advance (dx, dy) in
/// mils to the next character.
std::pair<int, int> WriteGerberChar(LayerFile& file, int x, int y, int height, int rotation,
                                    unsigned char c, int aperture);

}  // namespace padloom::plot
