#include "plot/stroke_font.h"

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "plot/layer_file.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using testing::crlfLines;
using testing::readFile;
using testing::TempDir;

// The lines a fresh layer file receives from `plot`.
std::vector<std::string> plotted(const std::function<void(LayerFile&)>& plot) {
    TempDir dir;
    std::string path = dir.file("text.gbr");
    {
        LayerFile file(path);
        plot(file);
        file.out.commit();
    }
    return crlfLines(readFile(path));
}

TEST(PlotText, CapitalLAndTheNextCharacterStart) {
    auto lines = plotted([](LayerFile& f) { plotText(f, 1000, 2000, 10, "LL", 60, 0); });
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "D10*");
    EXPECT_EQ(
        lines[1],
        "D02*X1000Y2000*D01*X1000Y2000*X1000Y2060*D02*X1000Y2000*D01*X1000Y2060*D02*X1040Y2000*"
        "D01*X1000Y2000*X1000Y2000*D02*");
    EXPECT_EQ(lines[2].substr(0, 19), "D02*X1060Y2000*D01*");
}

TEST(PlotText, SpaceMovesToItsStartAndAdvancesSixUnits) {
    auto lines = plotted([](LayerFile& f) { plotText(f, 1000, 2000, 10, " .", 60, 0); });
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "D02*X1000Y2000*");
    EXPECT_EQ(lines[2], "D02*X1060Y2000*D01*X1060Y2000*X1060Y2010*X1060Y2010*D02*");
}

TEST(PlotText, HeightIsTruncatedToMultiplesOfSix) {
    auto text = [](int height) {
        return plotted([=](LayerFile& f) { plotText(f, 0, 0, 10, "T1-", height, 0); });
    };
    EXPECT_EQ(text(65), text(60));
    EXPECT_NE(text(66), text(60));
    // below 6 mils every point falls on the start point
    auto tiny = plotted([](LayerFile& f) { plotText(f, 500, 700, 10, "L", 5, 0); });
    EXPECT_EQ(tiny[1],
              "D02*X500Y700*D01*X500Y700*X500Y700*D02*X500Y700*D01*X500Y700*D02*X500Y700*D01*"
              "X500Y700*X500Y700*D02*");
}

struct RotationCase {
    int rotation;
    const char* top;     // where the L's (0, 6) lands
    const char* corner;  // where its (4, 0) lands
    int dx, dy;          // advance
};

void PrintTo(const RotationCase& c, std::ostream* os) {
    *os << "rotation " << c.rotation;
}

class Rotation : public ::testing::TestWithParam<RotationCase> {};

TEST_P(Rotation, PlacesTheGlyphAndAdvances) {
    const auto& c = GetParam();
    std::pair<int, int> advance;
    auto lines = plotted([&](LayerFile& f) {
        f.currentAperture = 10;
        advance = plotGlyph(f, 1000, 2000, 60, c.rotation, 'L', 10);
        f.out.endLine();
    });
    const std::string o = "X1000Y2000*";
    const std::string t = std::string(c.top) + "*";
    const std::string k = std::string(c.corner) + "*";
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "D02*" + o + "D01*" + o + t + "D02*" + o + "D01*" + t + "D02*" + k +
                            "D01*" + o + o + "D02*");
    EXPECT_EQ(advance, std::make_pair(c.dx, c.dy));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EightCodes, Rotation, ::testing::Values(
    RotationCase{0,  "X1000Y2060", "X1040Y2000",  60,   0},
    RotationCase{1,  "X940Y2000",  "X1000Y2040",   0,  60},
    RotationCase{2,  "X1000Y1940", "X960Y2000",  -60,   0},
    RotationCase{3,  "X1060Y2000", "X1000Y1960",   0, -60},
    RotationCase{16, "X1000Y2060", "X960Y2000",  -60,   0},
    RotationCase{17, "X1060Y2000", "X1000Y2040",   0,  60},
    RotationCase{18, "X1000Y1940", "X1040Y2000",  60,   0},
    RotationCase{19, "X940Y2000",  "X1000Y1960",   0, -60}));
// clang-format on

TEST(PlotText, UpsideDownAndMirroredTextRunsToTheLeft) {
    // the second T starts 60 mils to the left of the first
    const std::pair<int, const char*> cases[] = {
        {2,
         "D02*X900Y1940*D01*X900Y1940*X940Y1940*D02*X900Y1940*D01*X920Y1940*D02*X920Y2000*D01*"
         "X920Y1940*X920Y1940*D02*"},
        {16,
         "D02*X900Y2060*D01*X900Y2060*X940Y2060*D02*X900Y2060*D01*X920Y2060*D02*X920Y2000*D01*"
         "X920Y2060*X920Y2060*D02*"},
    };
    for (const auto& [rotation, second] : cases) {
        auto lines =
            plotted([=](LayerFile& f) { plotText(f, 1000, 2000, 10, "TT", 60, rotation); });
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[2], second) << rotation;
    }
}

TEST(PlotText, FirstStringOfAFileAlwaysSelectsItsAperture) {
    auto lines = plotted([](LayerFile& f) {
        f.currentAperture = 10;  // already current from a track
        plotText(f, 0, 0, 10, "", 60, 0);
        plotText(f, 0, 0, 10, "", 60, 0);
        plotText(f, 0, 0, 11, "", 60, 0);
        f.currentPos = {5, 5};
        plotText(f, 0, 0, 11, ".", 60, 0);
        EXPECT_TRUE(f.positionUnknown());
        EXPECT_EQ(f.currentAperture, 11);
    });
    EXPECT_EQ(lines,
              (std::vector<std::string>{"D10*", "D11*", "D02*X0Y0*D01*X0Y0*X0Y10*X0Y10*D02*"}));
}

TEST(PlotText, CharactersWithoutAGlyph) {
    // a Latin-1 micro sign and a tab draw nothing and advance like a space; delete advances 0
    auto lines = plotted([](LayerFile& f) { plotText(f, 1000, 2000, 10, "1\xB5\t\x7F.", 60, 0); });
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "D02*X1040Y2000*");
    EXPECT_EQ(lines[3], "D02*X1100Y2000*");
    EXPECT_EQ(lines[4], "D02*X1160Y2000*");
    EXPECT_EQ(lines[5].substr(0, 15), "D02*X1160Y2000*");
}

// The pen-down strokes of plotted text lines, read back as a plotter reads them.
std::vector<std::tuple<long long, long long, long long, long long>> strokesOf(
    const std::vector<std::string>& lines) {
    std::vector<std::tuple<long long, long long, long long, long long>> strokes;
    bool down = false;
    long long x = 0, y = 0;
    for (const std::string& line : lines) {
        size_t from = 0;
        for (size_t star; (star = line.find('*', from)) != std::string::npos; from = star + 1) {
            const std::string code = line.substr(from, star - from);
            if (code == "D01" || code == "D02") {
                down = code == "D01";
            } else if (code[0] == 'X') {
                const size_t at = code.find('Y');
                const long long nx = std::stoll(code.substr(1, at - 1));
                const long long ny = std::stoll(code.substr(at + 1));
                if (down) {
                    strokes.emplace_back(x, y, nx, ny);
                }
                x = nx;
                y = ny;
            }
        }
        EXPECT_FALSE(down) << "the pen is left down at the end of " << line;
    }
    return strokes;
}

TEST(PlotText, EveryCodeInEveryRotationDrawsTheStrokesOfItsGlyph) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    // coordinates of every length, negative ones, and ones past the short decimal path
    const std::pair<long long, long long> origins[] = {
        {1000, 2000}, {7, -95}, {-123456, 99999990}, {4000000000LL, -4000000000LL}};
    for (const int rotation : {0, 1, 2, 3, 16, 17, 18, 19}) {
        for (const auto& [x, y] : origins) {
            std::vector<std::tuple<long long, long long, long long, long long>> expected;
            forEachTextStroke(x, y, all, 66, rotation,
                              [&](long long x1, long long y1, long long x2, long long y2) {
                                  expected.emplace_back(x1, y1, x2, y2);
                              });
            auto lines = plotted(
                [&, x = x, y = y](LayerFile& f) { plotText(f, x, y, 10, all, 66, rotation); });
            ASSERT_EQ(lines.size(), 257u);
            lines.erase(lines.begin());  // the aperture
            EXPECT_EQ(strokesOf(lines), expected) << "rotation " << rotation << " at " << x;
        }
    }
}

TEST(StrokeFont, AdvanceWidths) {
    // clang-format off
    const int expected[95] = {
        6, 2, 3, 6, 6, 6, 6, 2, 4, 4, 6, 6, 2, 6, 2, 6,
        5, 4, 6, 6, 6, 6, 6, 6, 6, 6, 2, 2, 4, 6, 5, 5,
        6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 6, 6, 6, 6, 6, 6,
        6, 6, 6, 6, 6, 6, 8, 8, 6, 6, 6, 4, 6, 4, 6, 6,
        4, 6, 6, 6, 6, 6, 6, 6, 6, 2, 5, 6, 3, 6, 5, 6,
        6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 4, 2, 4, 6};
    // clang-format on
    for (int c = 32; c <= 126; ++c) {
        EXPECT_EQ(glyphOf(static_cast<unsigned char>(c)).width, expected[c - 32]) << c;
    }
}

TEST(StrokeFont, EveryGlyphFitsItsCellAndIsPlottedWithoutWaste) {
    const std::string fixed = " -.1LT";  // kept point for point, redundant points included
    for (int c = 32; c <= 126; ++c) {
        Glyph g = glyphOf(static_cast<unsigned char>(c));
        SCOPED_TRACE(std::string("glyph '") + char(c) + "'");
        EXPECT_LE(g.points.size(), 34u);
        EXPECT_EQ(g.points.empty(), c == ' ');
        int draws = 0;
        for (size_t i = 0; i < g.points.size(); ++i) {
            const auto& p = g.points[i];
            EXPECT_GE(p.x, -1);
            EXPECT_LE(p.x, g.width - 2);  // leaves room before the next character
            EXPECT_GE(p.y, -2);
            EXPECT_LE(p.y, 6);
            if (i == 0) {
                EXPECT_EQ(p.pen, 1);
            } else {
                EXPECT_TRUE(p.pen == 1 || p.pen == 2);
                draws += p.pen == 1;
            }
        }
        EXPECT_EQ(draws > 0, c != ' ');
        if (fixed.find(char(c)) != std::string::npos) {
            continue;
        }
        std::set<std::pair<std::pair<int, int>, std::pair<int, int>>> segments;
        for (size_t i = 1; i < g.points.size(); ++i) {
            std::pair<int, int> from{g.points[i - 1].x, g.points[i - 1].y};
            std::pair<int, int> to{g.points[i].x, g.points[i].y};
            EXPECT_NE(from, to) << "zero-length step to point " << i;
            if (g.points[i].pen == 2) {
                EXPECT_TRUE(i + 1 < g.points.size() && g.points[i + 1].pen == 1)
                    << "a move not followed by a draw at point " << i;
                continue;
            }
            EXPECT_TRUE(segments.insert(std::minmax(from, to)).second)
                << "segment drawn twice at point " << i;
        }
    }
}

TEST(StrokeFont, CapitalsDigitsAndLowerCaseShareTheirLines) {
    auto extent = [](char c) {
        Glyph g = glyphOf(static_cast<unsigned char>(c));
        int low = 99, high = -99;
        for (const auto& p : g.points) {
            low = std::min<int>(low, p.y);
            high = std::max<int>(high, p.y);
        }
        return std::make_pair(low, high);
    };
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
        EXPECT_EQ(extent(c), std::make_pair(0, 6)) << c;
    }
    const std::string descenders = "gjpqy";
    const std::string ascenders = "bdfhijkl";  // the dots of i and j reach the cap height too
    for (char c = 'a'; c <= 'z'; ++c) {
        int bottom = descenders.find(c) != std::string::npos ? -2 : 0;
        int top = c == 't' ? 5 : ascenders.find(c) != std::string::npos ? 6 : 4;
        EXPECT_EQ(extent(c), std::make_pair(bottom, top)) << c;
    }
}

}  // namespace
}  // namespace padloom::plot

namespace padloom::plot {
namespace {

// The strokes a text is drawn with are the draws of its plotted lines, at every rotation.
TEST(TextStrokes, AreTheDrawsOfThePlottedText) {
    using Stroke = std::tuple<long long, long long, long long, long long>;
    for (int rotation : {0, 1, 2, 3, 16, 17, 18, 19}) {
        SCOPED_TRACE(rotation);
        std::vector<Stroke> drawn;
        long long x = 0, y = 0;
        bool down = false;
        for (const std::string& line :
             plotted([&](LayerFile& f) { plotText(f, 5000, 3000, 10, "Lg7 .", 62, rotation); })) {
            size_t at = 0;
            for (size_t end; (end = line.find('*', at)) != std::string::npos; at = end + 1) {
                const std::string token = line.substr(at, end - at);
                if (token == "D01" || token == "D02") {
                    down = token == "D01";
                } else if (token[0] == 'X') {
                    const size_t yAt = token.find('Y');
                    const long long nx = std::stoll(token.substr(1, yAt - 1));
                    const long long ny = std::stoll(token.substr(yAt + 1));
                    if (down) {
                        drawn.emplace_back(x, y, nx, ny);
                    }
                    x = nx;
                    y = ny;
                }
            }
        }
        std::vector<Stroke> strokes;
        forEachTextStroke(5000, 3000, "Lg7 .", 62, rotation,
                          [&](long long x1, long long y1, long long x2, long long y2) {
                              strokes.emplace_back(x1, y1, x2, y2);
                          });
        EXPECT_FALSE(strokes.empty());
        EXPECT_EQ(strokes, drawn);
    }
}

}  // namespace
}  // namespace padloom::plot
