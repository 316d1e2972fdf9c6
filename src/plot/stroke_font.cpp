#include "plot/stroke_font.h"

#include <array>

#include "common/number_format.h"

namespace padloom::plot {

namespace {

// Advance widths of codes 32 to 127.
constexpr std::array<unsigned char, 96> kWidths = {
    6, 2, 3, 6, 6, 6, 6, 2, 4, 4, 6, 6, 2, 6, 2, 6,  // 32..47
    5, 4, 6, 6, 6, 6, 6, 6, 6, 6, 2, 2, 4, 6, 5, 5,  // 48..63
    6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 6, 6, 6, 6, 6, 6,  // 64..79
    6, 6, 6, 6, 6, 6, 8, 8, 6, 6, 6, 4, 6, 4, 6, 6,  // 80..95
    4, 6, 6, 6, 6, 6, 6, 6, 6, 2, 5, 6, 3, 6, 5, 6,  // 96..111
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 2, 4, 6, 0,  // 112..127
};

// Stroke lists, glyph after glyph; kStart[c - 32] .. kStart[c - 31] are the points of c.
constexpr GlyphPoint kPoints[] = {
    // 45 '-'
    {0, 3, 1}, {0, 3, 1}, {4, 3, 1}, {4, 3, 1},
    // 46 '.'
    {0, 0, 1}, {0, 0, 1}, {0, 1, 1}, {0, 1, 1},
    // 49 '1'
    {0, 5, 1}, {0, 5, 1}, {1, 6, 1}, {1, 0, 2}, {1, 6, 1}, {1, 0, 2}, {0, 0, 1}, {2, 0, 2},
    {0, 0, 1}, {0, 0, 1},
    // 76 'L'
    {0, 0, 1}, {0, 0, 1}, {0, 6, 1}, {0, 0, 2}, {0, 6, 1}, {4, 0, 2}, {0, 0, 1}, {0, 0, 1},
    // 84 'T'
    {4, 6, 1}, {4, 6, 1}, {0, 6, 1}, {4, 6, 2}, {2, 6, 1}, {2, 0, 2}, {2, 6, 1}, {2, 6, 1},
};

// Points per glyph, codes 32 to 127.
constexpr std::array<unsigned char, 96> kCounts = [] {
    std::array<unsigned char, 96> counts{};
    counts[45 - 32] = 4;
    counts[46 - 32] = 4;
    counts[49 - 32] = 10;
    counts[76 - 32] = 8;
    counts[84 - 32] = 8;
    return counts;
}();

constexpr std::array<unsigned short, 97> kStart = [] {
    std::array<unsigned short, 97> start{};
    for (size_t i = 0; i < 96; ++i) {
        start[i + 1] = static_cast<unsigned short>(start[i] + kCounts[i]);
    }
    return start;
}();
static_assert(kStart[96] == sizeof kPoints / sizeof kPoints[0]);

}  // namespace

Glyph glyphOf(unsigned char code) {
    if (code < 32 || code > 126) {
        return Glyph{kWidths[0], {}};  // no glyph: advances like a space
    }
    size_t i = code - 32;
    return Glyph{kWidths[i], std::span<const GlyphPoint>(kPoints + kStart[i], kCounts[i])};
}

std::pair<int, int> WriteGerberChar(LayerFile& file, int x, int y, int height, int rotation,
                                    unsigned char c, int aperture) {
    auto& out = file.out;
    const int s = height / 6;
    int sx = s;
    int sy = s;
    bool swapped = false;
    if (rotation & 16) {
        sx = -s;
    }
    if (rotation & 2) {
        sx = -sx;
        sy = -sy;
    }
    if (rotation & 1) {
        sy = -sy;
        swapped = true;
    }
    if (rotation == 17 || rotation == 19) {
        sx = -sx;
        sy = -sy;
    }
    if (aperture != file.currentAperture) {
        out.write("D").write(aperture).write("*");
        file.currentAperture = aperture;
    }
    Glyph glyph = glyphOf(c);
    out.write("D02*");
    int penState = 2;
    auto place = [&](const GlyphPoint& p) {
        int px = swapped ? x + p.y * sy : x + p.x * sx;
        int py = swapped ? y + p.x * sx : y + p.y * sy;
        out.write("X").write(px).write("Y").write(py).write("*");
    };
    if (glyph.points.empty()) {
        place(GlyphPoint{0, 0, 2});
    } else {
        place(glyph.points[0]);
        for (size_t i = 1; i < glyph.points.size(); ++i) {
            const auto& p = glyph.points[i];
            if (p.pen != penState) {
                out.write("D0").write(p.pen).write("*");
                penState = p.pen;
            }
            place(p);
        }
    }
    if (penState != 2) {
        out.write("D02*");
    }
    int advance = glyph.width * sx;
    return swapped ? std::pair{0, advance} : std::pair{advance, 0};
}

void WriteGerberString(LayerFile& file, int x, int y, int aperture, std::string_view text,
                       int height, int rotation) {
    if (aperture != file.currentAperture || !file.textApertureWritten) {
        file.out.write("D").write(aperture).line("*");
        file.currentAperture = aperture;
        file.textApertureWritten = true;
    }
    for (char ch : text) {
        auto [dx, dy] = WriteGerberChar(file, x, y, height, rotation, static_cast<unsigned char>(ch),
                                        aperture);
        file.out.endLine();
        x += dx;
        y += dy;
    }
    file.forgetPosition();
}

}  // namespace padloom::plot
