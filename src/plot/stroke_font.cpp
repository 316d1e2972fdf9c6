#include "plot/stroke_font.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

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

// Marks the end of a glyph's stroke list in kPoints.
constexpr GlyphPoint kEnd{0, 0, 0};

// Stroke lists of codes 32 to 126, one glyph per line, as (x, y, pen): the first point of a
// glyph is its start point, every later one is drawn to (pen 1) or moved to (pen 2). The
// hyphen, full stop, one, L and T keep their redundant points: plots made with them must stay
// byte for byte the same.
// clang-format off
constexpr GlyphPoint kPoints[] = {
    /* ' '  */ kEnd,
    /* '!'  */ {0,6,1}, {0,3,1}, {0,1,2}, {0,0,1}, kEnd,
    /* '"'  */ {0,6,1}, {0,4,1}, {1,4,2}, {1,6,1}, kEnd,
    /* '#'  */ {1,6,1}, {1,0,1}, {3,0,2}, {3,6,1}, {4,4,2}, {0,4,1}, {0,2,2}, {4,2,1}, kEnd,
    /* '$'  */ {4,4,1}, {3,5,1}, {1,5,1}, {0,4,1}, {1,3,1}, {3,3,1}, {4,2,1}, {3,1,1}, {1,1,1}, {0,2,1}, {2,0,2}, {2,6,1}, kEnd,
    /* '%'  */ {0,5,1}, {1,6,1}, {2,5,1}, {1,4,1}, {0,5,1}, {4,6,2}, {0,0,1}, {2,1,2}, {3,2,1}, {4,1,1}, {3,0,1}, {2,1,1}, kEnd,
    /* '&'  */ {4,0,1}, {1,4,1}, {1,5,1}, {2,6,1}, {3,5,1}, {0,2,1}, {0,1,1}, {1,0,1}, {2,0,1}, {4,2,1}, kEnd,
    /* '\'' */ {0,6,1}, {0,4,1}, kEnd,
    /* '('  */ {2,6,1}, {0,4,1}, {0,2,1}, {2,0,1}, kEnd,
    /* ')'  */ {0,6,1}, {2,4,1}, {2,2,1}, {0,0,1}, kEnd,
    /* '*'  */ {2,5,1}, {2,1,1}, {0,2,2}, {4,4,1}, {4,2,2}, {0,4,1}, kEnd,
    /* '+'  */ {2,5,1}, {2,1,1}, {0,3,2}, {4,3,1}, kEnd,
    /* ','  */ {0,1,1}, {0,0,1}, {-1,-1,1}, kEnd,
    /* '-'  */ {0,3,1}, {0,3,1}, {4,3,1}, {4,3,1}, kEnd,
    /* '.'  */ {0,0,1}, {0,0,1}, {0,1,1}, {0,1,1}, kEnd,
    /* '/'  */ {0,0,1}, {4,6,1}, kEnd,
    /* '0'  */ {1,0,1}, {2,0,1}, {3,1,1}, {3,5,1}, {2,6,1}, {1,6,1}, {0,5,1}, {0,1,1}, {1,0,1}, kEnd,
    /* '1'  */ {0,5,1}, {0,5,1}, {1,6,1}, {1,0,2}, {1,6,1}, {1,0,2}, {0,0,1}, {2,0,2}, {0,0,1}, {0,0,1}, kEnd,
    /* '2'  */ {0,5,1}, {1,6,1}, {3,6,1}, {4,5,1}, {4,4,1}, {0,0,1}, {4,0,1}, kEnd,
    /* '3'  */ {0,5,1}, {1,6,1}, {3,6,1}, {4,5,1}, {4,4,1}, {3,3,1}, {1,3,1}, {3,3,2}, {4,2,1}, {4,1,1}, {3,0,1}, {1,0,1}, {0,1,1}, kEnd,
    /* '4'  */ {3,0,1}, {3,6,1}, {0,2,1}, {4,2,1}, kEnd,
    /* '5'  */ {4,6,1}, {0,6,1}, {0,3,1}, {3,3,1}, {4,2,1}, {4,1,1}, {3,0,1}, {1,0,1}, {0,1,1}, kEnd,
    /* '6'  */ {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, {4,2,1}, {3,3,1}, {1,3,1}, {0,2,1}, kEnd,
    /* '7'  */ {0,6,1}, {4,6,1}, {1,0,1}, kEnd,
    /* '8'  */ {1,3,1}, {0,4,1}, {0,5,1}, {1,6,1}, {3,6,1}, {4,5,1}, {4,4,1}, {3,3,1}, {1,3,1}, {0,2,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, {4,2,1}, {3,3,1}, kEnd,
    /* '9'  */ {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,4,1}, {1,3,1}, {3,3,1}, {4,4,1}, kEnd,
    /* ':'  */ {0,4,1}, {0,3,1}, {0,1,2}, {0,0,1}, kEnd,
    /* ';'  */ {0,4,1}, {0,3,1}, {0,1,2}, {0,0,1}, {-1,-1,1}, kEnd,
    /* '<'  */ {2,5,1}, {0,3,1}, {2,1,1}, kEnd,
    /* '='  */ {0,4,1}, {4,4,1}, {4,2,2}, {0,2,1}, kEnd,
    /* '>'  */ {0,5,1}, {2,3,1}, {0,1,1}, kEnd,
    /* '?'  */ {0,5,1}, {1,6,1}, {2,6,1}, {3,5,1}, {3,4,1}, {2,3,1}, {2,1,2}, {2,0,1}, kEnd,
    /* '@'  */ {3,2,1}, {3,4,1}, {2,4,1}, {1,3,1}, {2,2,1}, {3,2,1}, {4,2,1}, {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,1,1}, {1,0,1}, {4,0,1}, kEnd,
    /* 'A'  */ {0,0,1}, {2,6,1}, {4,0,1}, {1,3,2}, {3,3,1}, kEnd,
    /* 'B'  */ {0,3,1}, {0,6,1}, {3,6,1}, {4,5,1}, {4,4,1}, {3,3,1}, {4,2,1}, {4,1,1}, {3,0,1}, {0,0,1}, {0,3,1}, {3,3,1}, kEnd,
    /* 'C'  */ {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, kEnd,
    /* 'D'  */ {0,0,1}, {0,6,1}, {2,6,1}, {4,4,1}, {4,2,1}, {2,0,1}, {0,0,1}, kEnd,
    /* 'E'  */ {4,6,1}, {0,6,1}, {0,0,1}, {4,0,1}, {0,3,2}, {3,3,1}, kEnd,
    /* 'F'  */ {4,6,1}, {0,6,1}, {0,0,1}, {0,3,2}, {3,3,1}, kEnd,
    /* 'G'  */ {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, {4,3,1}, {2,3,1}, kEnd,
    /* 'H'  */ {0,6,1}, {0,0,1}, {0,3,2}, {4,3,1}, {4,6,2}, {4,0,1}, kEnd,
    /* 'I'  */ {0,6,1}, {2,6,1}, {1,6,2}, {1,0,1}, {0,0,2}, {2,0,1}, kEnd,
    /* 'J'  */ {4,6,1}, {4,1,1}, {3,0,1}, {1,0,1}, {0,1,1}, kEnd,
    /* 'K'  */ {0,6,1}, {0,0,1}, {4,6,2}, {0,2,1}, {1,3,2}, {4,0,1}, kEnd,
    /* 'L'  */ {0,0,1}, {0,0,1}, {0,6,1}, {0,0,2}, {0,6,1}, {4,0,2}, {0,0,1}, {0,0,1}, kEnd,
    /* 'M'  */ {0,0,1}, {0,6,1}, {2,3,1}, {4,6,1}, {4,0,1}, kEnd,
    /* 'N'  */ {0,0,1}, {0,6,1}, {4,0,1}, {4,6,1}, kEnd,
    /* 'O'  */ {1,0,1}, {3,0,1}, {4,1,1}, {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,1,1}, {1,0,1}, kEnd,
    /* 'P'  */ {0,0,1}, {0,6,1}, {3,6,1}, {4,5,1}, {4,4,1}, {3,3,1}, {0,3,1}, kEnd,
    /* 'Q'  */ {1,0,1}, {3,0,1}, {4,1,1}, {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,1,1}, {1,0,1}, {2,2,2}, {4,0,1}, kEnd,
    /* 'R'  */ {0,0,1}, {0,6,1}, {3,6,1}, {4,5,1}, {4,4,1}, {3,3,1}, {0,3,1}, {2,3,2}, {4,0,1}, kEnd,
    /* 'S'  */ {4,5,1}, {3,6,1}, {1,6,1}, {0,5,1}, {0,4,1}, {1,3,1}, {3,3,1}, {4,2,1}, {4,1,1}, {3,0,1}, {1,0,1}, {0,1,1}, kEnd,
    /* 'T'  */ {4,6,1}, {4,6,1}, {0,6,1}, {4,6,2}, {2,6,1}, {2,0,2}, {2,6,1}, {2,6,1}, kEnd,
    /* 'U'  */ {0,6,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, {4,6,1}, kEnd,
    /* 'V'  */ {0,6,1}, {3,0,1}, {6,6,1}, kEnd,
    /* 'W'  */ {0,6,1}, {1,0,1}, {3,4,1}, {5,0,1}, {6,6,1}, kEnd,
    /* 'X'  */ {0,0,1}, {4,6,1}, {0,6,2}, {4,0,1}, kEnd,
    /* 'Y'  */ {0,6,1}, {2,3,1}, {4,6,1}, {2,3,2}, {2,0,1}, kEnd,
    /* 'Z'  */ {0,6,1}, {4,6,1}, {0,0,1}, {4,0,1}, kEnd,
    /* '['  */ {2,6,1}, {0,6,1}, {0,0,1}, {2,0,1}, kEnd,
    /* '\\' */ {0,6,1}, {4,0,1}, kEnd,
    /* ']'  */ {0,6,1}, {2,6,1}, {2,0,1}, {0,0,1}, kEnd,
    /* '^'  */ {0,4,1}, {2,6,1}, {4,4,1}, kEnd,
    /* '_'  */ {0,-1,1}, {4,-1,1}, kEnd,
    /* '`'  */ {0,6,1}, {1,4,1}, kEnd,
    /* 'a'  */ {4,0,1}, {4,4,1}, {1,4,1}, {0,3,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, kEnd,
    /* 'b'  */ {0,6,1}, {0,0,1}, {3,0,1}, {4,1,1}, {4,3,1}, {3,4,1}, {1,4,1}, {0,3,1}, kEnd,
    /* 'c'  */ {4,3,1}, {3,4,1}, {1,4,1}, {0,3,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, kEnd,
    /* 'd'  */ {4,6,1}, {4,0,1}, {1,0,1}, {0,1,1}, {0,3,1}, {1,4,1}, {3,4,1}, {4,3,1}, kEnd,
    /* 'e'  */ {0,2,1}, {4,2,1}, {4,3,1}, {3,4,1}, {1,4,1}, {0,3,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, kEnd,
    /* 'f'  */ {4,5,1}, {3,6,1}, {2,6,1}, {1,5,1}, {1,0,1}, {0,4,2}, {3,4,1}, kEnd,
    /* 'g'  */ {0,-1,1}, {1,-2,1}, {3,-2,1}, {4,-1,1}, {4,4,1}, {1,4,1}, {0,3,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, kEnd,
    /* 'h'  */ {0,6,1}, {0,0,1}, {0,3,2}, {1,4,1}, {3,4,1}, {4,3,1}, {4,0,1}, kEnd,
    /* 'i'  */ {0,6,1}, {0,5,1}, {0,4,2}, {0,0,1}, kEnd,
    /* 'j'  */ {2,6,1}, {2,5,1}, {2,4,2}, {2,-1,1}, {1,-2,1}, {0,-2,1}, {-1,-1,1}, kEnd,
    /* 'k'  */ {0,6,1}, {0,0,1}, {3,4,2}, {0,1,1}, {1,2,2}, {3,0,1}, kEnd,
    /* 'l'  */ {0,6,1}, {0,1,1}, {1,0,1}, kEnd,
    /* 'm'  */ {0,0,1}, {0,4,1}, {0,3,2}, {1,4,1}, {2,3,1}, {3,4,1}, {4,3,1}, {4,0,1}, {2,0,2}, {2,3,1}, kEnd,
    /* 'n'  */ {0,0,1}, {0,4,1}, {0,3,2}, {1,4,1}, {2,4,1}, {3,3,1}, {3,0,1}, kEnd,
    /* 'o'  */ {1,0,1}, {3,0,1}, {4,1,1}, {4,3,1}, {3,4,1}, {1,4,1}, {0,3,1}, {0,1,1}, {1,0,1}, kEnd,
    /* 'p'  */ {0,-2,1}, {0,4,1}, {3,4,1}, {4,3,1}, {4,1,1}, {3,0,1}, {1,0,1}, {0,1,1}, kEnd,
    /* 'q'  */ {4,-2,1}, {4,4,1}, {1,4,1}, {0,3,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, kEnd,
    /* 'r'  */ {0,0,1}, {0,4,1}, {0,3,2}, {1,4,1}, {3,4,1}, {4,3,1}, kEnd,
    /* 's'  */ {4,3,1}, {3,4,1}, {1,4,1}, {0,3,1}, {1,2,1}, {3,2,1}, {4,1,1}, {3,0,1}, {1,0,1}, {0,1,1}, kEnd,
    /* 't'  */ {0,4,1}, {3,4,1}, {1,5,2}, {1,1,1}, {2,0,1}, {3,0,1}, {4,1,1}, kEnd,
    /* 'u'  */ {0,4,1}, {0,1,1}, {1,0,1}, {3,0,1}, {4,1,1}, {4,4,2}, {4,0,1}, kEnd,
    /* 'v'  */ {0,4,1}, {2,0,1}, {4,4,1}, kEnd,
    /* 'w'  */ {0,4,1}, {1,0,1}, {2,2,1}, {3,0,1}, {4,4,1}, kEnd,
    /* 'x'  */ {0,0,1}, {4,4,1}, {0,4,2}, {4,0,1}, kEnd,
    /* 'y'  */ {0,4,1}, {2,0,1}, {4,4,2}, {1,-2,1}, kEnd,
    /* 'z'  */ {0,4,1}, {4,4,1}, {0,0,1}, {4,0,1}, kEnd,
    /* '{'  */ {2,6,1}, {1,5,1}, {1,4,1}, {0,3,1}, {1,2,1}, {1,1,1}, {2,0,1}, kEnd,
    /* '|'  */ {0,6,1}, {0,-2,1}, kEnd,
    /* '}'  */ {0,6,1}, {1,5,1}, {1,4,1}, {2,3,1}, {1,2,1}, {1,1,1}, {0,0,1}, kEnd,
    /* '~'  */ {0,3,1}, {1,4,1}, {3,2,1}, {4,3,1}, kEnd,
};
// clang-format on

constexpr size_t kGlyphs = 95;

struct StrokeIndex {
    std::array<unsigned short, kGlyphs> start{};  // first point of each glyph in kPoints
    std::array<unsigned char, kGlyphs> count{};   // its points, without the end mark
    size_t glyphs = 0;                            // end marks found
    size_t longest = 0;                           // points of the longest stroke list
};

constexpr StrokeIndex kIndex = [] {
    StrokeIndex index;
    size_t first = 0;
    for (size_t i = 0; i < std::size(kPoints); ++i) {
        if (kPoints[i].pen != 0) {
            continue;
        }
        if (index.glyphs < kGlyphs) {
            index.start[index.glyphs] = static_cast<unsigned short>(first);
            index.count[index.glyphs] = static_cast<unsigned char>(i - first);
        }
        index.longest = std::max(index.longest, i - first);
        ++index.glyphs;
        first = i + 1;
    }
    return index;
}();
static_assert(kIndex.glyphs == kGlyphs && kPoints[std::size(kPoints) - 1].pen == 0,
              "one stroke list per code 32 to 126, each closed by kEnd");
static_assert(kIndex.longest <= 34, "a glyph has at most 34 points");

// The lowest font offset of any point (descenders), and how many offsets there are at most
// (-2 to 8 along the text, -2 to 6 across it), rounded up to a power of two.
constexpr int kLowestOffset = -2;
constexpr size_t kOffsets = 16;

// A glyph's stroke list with what its writer needs besides the points, worked out once for the
// whole font: the pen change written before each point ("D01*" where the pen goes down, "D02*"
// where it comes up), whether the pen is still down after the last point, and the font offsets
// its points use along the font's x and y (bit offset - kLowestOffset).
struct GlyphPlan {
    const GlyphPoint* points = nullptr;
    unsigned char count = 0;
    std::array<unsigned char, kIndex.longest> penChange{};  // 0 none, 1 "D01*", 2 "D02*"
    bool endsDown = false;
    std::uint16_t xOffsets = 0;
    std::uint16_t yOffsets = 0;
};

// A glyph without strokes is a move to its start point.
constexpr GlyphPoint kStartOnly[] = {{0, 0, 2}};

constexpr GlyphPlan planOf(const GlyphPoint* points, size_t count) {
    GlyphPlan plan;
    if (count == 0) {
        points = kStartOnly;
        count = 1;
    }
    plan.points = points;
    plan.count = static_cast<unsigned char>(count);
    int pen = 2;
    for (size_t i = 0; i < count; ++i) {
        const GlyphPoint& p = points[i];
        if (i > 0 && p.pen != pen) {
            plan.penChange[i] = p.pen == 1 ? 1 : 2;
            pen = p.pen;
        }
        plan.xOffsets |= static_cast<std::uint16_t>(1u << (p.x - kLowestOffset));
        plan.yOffsets |= static_cast<std::uint16_t>(1u << (p.y - kLowestOffset));
    }
    plan.endsDown = pen != 2;
    return plan;
}

// Plans of codes 32 to 126, then the plan of every code without strokes.
constexpr std::array<GlyphPlan, kGlyphs + 1> kPlans = [] {
    std::array<GlyphPlan, kGlyphs + 1> plans{};
    for (size_t i = 0; i < kGlyphs; ++i) {
        plans[i] = planOf(kPoints + kIndex.start[i], kIndex.count[i]);
    }
    plans[kGlyphs] = planOf(nullptr, 0);
    return plans;
}();
static_assert([] {
    for (const GlyphPoint& p : kPoints) {
        if (p.x < kLowestOffset || p.y < kLowestOffset ||
            p.x - kLowestOffset >= static_cast<int>(kOffsets) ||
            p.y - kLowestOffset >= static_cast<int>(kOffsets)) {
            return false;
        }
    }
    return true;
}(), "every font offset has its place among the coordinate texts");

const GlyphPlan& planOf(unsigned char code) {
    return code >= 32 && code <= 126 ? kPlans[code - 32] : kPlans[kGlyphs];
}

// The decimal texts of the coordinates a text's points land on, one per font offset and axis
// of the plot: a glyph's points share a few values, and the glyphs of a text share their row.
class CoordinateTexts {
public:
    struct Entry {
        long long value = 0;
        bool known = false;
        unsigned char size = 0;
        char text[24] = {};  // the longest long long, and room for a short-run copy
    };

    // Makes the texts of `origin` + offset * `step` ready for the offsets in the mask.
    void prepare(int axis, std::uint16_t offsets, long long origin, long long step) {
        for (; offsets != 0; offsets &= static_cast<std::uint16_t>(offsets - 1)) {
            const int i = std::countr_zero(offsets);
            const long long value = origin + (i + kLowestOffset) * step;
            Entry& e = m_entries[axis][i];
            if (!e.known || e.value != value) {
                e.size = static_cast<unsigned char>(common::writeDecimal(e.text, value) - e.text);
                e.value = value;
                e.known = true;
            }
        }
    }
    // The text of an offset made ready by prepare().
    const Entry& of(int axis, int offset) const { return m_entries[axis][offset - kLowestOffset]; }

private:
    Entry m_entries[2][kOffsets];
};

// What one glyph writes at most: "D02*", then per point a pen change, "X", "Y", "*" and two
// numbers, then "D02*" and the line end.
constexpr size_t kGlyphRoom = 4 + kIndex.longest * (4 + 1 + 24 + 1 + 24 + 1) + 4 + 2;
static_assert(kGlyphRoom <= common::LineWriter::kPieceRoom);

// Writes the points of a glyph; a turned glyph takes its X from the font's y and its Y from
// the font's x.
template <bool Swapped>
char* writeGlyphPoints(char* at, const GlyphPlan& plan, const CoordinateTexts& texts) {
    static constexpr char kPens[3][5] = {"D01*", "D01*", "D02*"};
    for (size_t i = 0; i < plan.count; ++i) {
        const GlyphPoint& p = plan.points[i];
        const unsigned char pen = plan.penChange[i];
        std::memcpy(at, kPens[pen], 4);
        at += pen != 0 ? 4 : 0;
        const CoordinateTexts::Entry& px = texts.of(0, Swapped ? p.y : p.x);
        const CoordinateTexts::Entry& py = texts.of(1, Swapped ? p.x : p.y);
        common::LineWriter::Cursor c{at};
        c.text("X").shortText(px.text, px.size).text("Y").shortText(py.text, py.size).text("*");
        at = c.at;
    }
    return at;
}

// The same in the current syntax: every point carries the pen it is reached with, "D02*" for
// the start point.
template <bool Swapped>
char* writeGlyphPointsWithPens(char* at, const GlyphPlan& plan, const CoordinateTexts& texts) {
    static constexpr char kPens[3][5] = {"D02*", "D01*", "D02*"};
    unsigned char pen = 2;
    for (size_t i = 0; i < plan.count; ++i) {
        const GlyphPoint& p = plan.points[i];
        if (plan.penChange[i] != 0) {
            pen = plan.penChange[i];
        }
        const CoordinateTexts::Entry& px = texts.of(0, Swapped ? p.y : p.x);
        const CoordinateTexts::Entry& py = texts.of(1, Swapped ? p.x : p.y);
        common::LineWriter::Cursor c{at};
        c.text("X").shortText(px.text, px.size).text("Y").shortText(py.text, py.size);
        c.text(std::string_view(kPens[pen], 4));
        at = c.at;
    }
    return at;
}

std::pair<int, int> plotGlyphWith(CoordinateTexts& texts, LayerFile& file, long long x, long long y,
                                  const GlyphPlacement& placement, unsigned char code,
                                  int aperture, bool endLine) {
    auto& out = file.out;
    if (aperture != file.currentAperture) {
        out.write("D").write(aperture).write("*");
        file.currentAperture = aperture;
    }
    const GlyphPlan& plan = planOf(code);
    const bool swapped = placement.swapped;
    const int ax = swapped ? placement.sy : placement.sx;
    const int ay = swapped ? placement.sx : placement.sy;
    texts.prepare(0, swapped ? plan.yOffsets : plan.xOffsets, x, ax);
    texts.prepare(1, swapped ? plan.xOffsets : plan.yOffsets, y, ay);
    const bool current = file.currentSyntax;
    out.piece(kGlyphRoom, [&](common::LineWriter::Cursor& c) {
        if (current) {
            c.at = swapped ? writeGlyphPointsWithPens<true>(c.at, plan, texts)
                           : writeGlyphPointsWithPens<false>(c.at, plan, texts);
        } else {
            c.text("D02*");
            c.at = swapped ? writeGlyphPoints<true>(c.at, plan, texts)
                           : writeGlyphPoints<false>(c.at, plan, texts);
            if (plan.endsDown) {
                c.text("D02*");
            }
        }
        if (endLine) {
            c.text("\r\n");
        }
    });
    const int advance = glyphOf(code).width * placement.sx;
    return swapped ? std::pair{0, advance} : std::pair{advance, 0};
}

}  // namespace

Glyph glyphOf(unsigned char code) {
    if (code == 127) {
        return Glyph{kWidths[127 - 32], {}};  // delete: no strokes, advance 0
    }
    if (code < 32 || code > 126) {
        return Glyph{kWidths[0], {}};  // no glyph: advances like a space
    }
    size_t i = code - 32;
    return Glyph{kWidths[i],
                 std::span<const GlyphPoint>(kPoints + kIndex.start[i], kIndex.count[i])};
}

GlyphPlacement glyphPlacement(int height, int rotation) {
    const int s = height / 6;
    GlyphPlacement g{s, s, false};
    if (rotation & 16) {
        g.sx = -s;
    }
    if (rotation & 2) {
        g.sx = -g.sx;
        g.sy = -g.sy;
    }
    if (rotation & 1) {
        g.sy = -g.sy;
        g.swapped = true;
    }
    if (rotation == 17 || rotation == 19) {
        g.sx = -g.sx;
        g.sy = -g.sy;
    }
    return g;
}

void forEachTextStroke(
    long long x, long long y, std::string_view text, int height, int rotation,
    const std::function<void(long long, long long, long long, long long)>& stroke) {
    const GlyphPlacement g = glyphPlacement(height, rotation);
    const int ax = g.swapped ? g.sy : g.sx;
    const int ay = g.swapped ? g.sx : g.sy;
    for (char ch : text) {
        const Glyph glyph = glyphOf(static_cast<unsigned char>(ch));
        long long px = 0, py = 0;
        for (size_t i = 0; i < glyph.points.size(); ++i) {
            const GlyphPoint& p = glyph.points[i];
            const long long qx = x + static_cast<long long>(g.swapped ? p.y : p.x) * ax;
            const long long qy = y + static_cast<long long>(g.swapped ? p.x : p.y) * ay;
            // the first point of a glyph is where the pen goes down or moves to
            if (i > 0 && p.pen == 1) {
                stroke(px, py, qx, qy);
            }
            px = qx;
            py = qy;
        }
        const long long advance = static_cast<long long>(glyph.width) * g.sx;
        if (g.swapped) {
            y += advance;
        } else {
            x += advance;
        }
    }
}

std::pair<int, int> plotGlyph(LayerFile& file, long long x, long long y, int height, int rotation,
                              unsigned char c, int aperture) {
    CoordinateTexts texts;
    return plotGlyphWith(texts, file, x, y, glyphPlacement(height, rotation), c, aperture, false);
}

void plotText(LayerFile& file, long long x, long long y, int aperture, std::string_view text,
              int height, int rotation) {
    if (aperture != file.currentAperture || !file.textApertureWritten) {
        file.out.write("D").write(aperture).line("*");
        file.currentAperture = aperture;
        file.textApertureWritten = true;
    }
    const GlyphPlacement placement = glyphPlacement(height, rotation);
    CoordinateTexts texts;
    for (char ch : text) {
        auto [dx, dy] = plotGlyphWith(texts, file, x, y, placement,
                                      static_cast<unsigned char>(ch), aperture, true);
        x += dx;
        y += dy;
    }
    file.forgetPosition();
}

}  // namespace padloom::plot
