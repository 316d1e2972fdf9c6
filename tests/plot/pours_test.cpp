#include "plot/pours.h"

#include <algorithm>

#include "common/scripted_host.h"
#include "convert/pcb_to_apt.h"
#include "plot/layer_plot.h"
#include "support/test_support.h"
#include "view/layer_image.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using Lines = std::vector<std::string>;
using testing::crlf;

// A board plotted as a plot run would: the aperture file built from it with "Enable" ticked,
// then one copper layer file.
struct PourPlot {
    testing::TempDir dir;
    board::RunValues rv;
    common::ScriptedHost host;
    PlotOptions options;
    convert::AptOptions apt;

    explicit PourPlot(const Lines& board) {
        rv.boardFile = dir.write("B.PCB", crlf(board));
        apt.pourEnable = true;
        apt.plotMode = true;
    }

    Lines file(int layer) {
        auto build = convert::buildApertureList(rv.boardFile, apt);
        rv.aptFile = dir.write("B.APT", convert::aptFileText(build.apertures));
        rv.baseName = dir.file("B");
        rv.aptMade = true;
        rv.pourOutline = build.pourOutline;
        rv.enlargements = apt.enlargements;
        plotLayerFile(host, options, rv, layer);
        return testing::crlfLines(
            testing::readFile(dir.file("B" + std::string(layerExtension(layer)))));
    }

    // The lines of a "%LN" block after its polarity line, up to the next block or "M02*".
    Lines block(int layer, const std::string& name) {
        auto lines = file(layer);
        auto start = std::find(lines.begin(), lines.end(), "%LN" + name + "*%");
        if (start == lines.end()) {
            ADD_FAILURE() << "no block " << name;
            return {};
        }
        auto end = std::find_if(start + 1, lines.end(), [](const std::string& l) {
            return l.rfind("%LN", 0) == 0 || l == "M02*";
        });
        return {start + 2, end};
    }
};

// A square outline drawn from its lower-left corner, 1000 to 2000.
const Lines kSquare = {"FT", "1000 1000 2000 1000 1 1", "FT", "2000 1000 2000 2000 1 1",
                       "FT", "2000 2000 1000 2000 1 1", "FT", "1000 2000 1000 1000 1 1"};

// A rounded rectangle, 1000 to 2600 by 1000 to 2000, corner radius 100, tracks and quarter arcs.
const Lines kRounded = {"FT", "1100 1000 2500 1000 1 1", "FA", "2500 1100 100 8 1 1",
                        "FT", "2600 1100 2600 1900 1 1", "FA", "2500 1900 100 1 1 1",
                        "FT", "2500 2000 1100 2000 1 1", "FA", "1100 1900 100 2 1 1",
                        "FT", "1000 1900 1000 1100 1 1", "FA", "1100 1100 100 4 1 1"};

template <typename T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(PourOutlines, GatheringTakesTheFreeOneMilPiecesOfTheLayer) {
    testing::TempDir dir;
    // clang-format off
    auto board = dir.write("B.PCB", crlf({
        "COMP", "U1", "P", "C", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 1 0",
        "CT", "0 0 10 0 1 1",       // a component's 1-mil track
        "CA", "0 0 10 1 1 1",       // and arc
        "ENDCOMP",
        "FT", "0 0 100 0 2 1",      // 2 mils wide
        "FT", "0 0 100 0 1 6",      // the other copper layer
        "FA", "500 500 50 3 1 1",   // two quarters
        "FA", "500 500 50 1 2 1",   // 2 mils wide
        "FT", "1 2 3 4 1 1"}));
    // clang-format on
    board::ApertureTable apertures;
    for (auto [d, size] : {std::pair{10, 3}, {11, 5}, {12, 1}, {13, 2}}) {
        apertures.add({board::kCircular, size, size, d});
    }
    PourEdgeTable edges;
    edges.add_fill_entry(9, 9, 9, 9, 0, 0, 0, 0);  // emptied first
    board::RunValues rv;
    rv.boardFile = board;
    collectPourPieces(edges, rv, 1, apertures);
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_EQ(edges[0].a, (EndRecord{500, 550, 1, 50, 500, 500})) << "bit 1 first";
    EXPECT_EQ(edges[0].b, (EndRecord{550, 500, 1, 50, 500, 500}));
    EXPECT_EQ(edges[1].a, (EndRecord{450, 500, 2, 50, 500, 500}))
        << "the upper-left quarter second";
    EXPECT_EQ(edges[1].b, (EndRecord{500, 550, 2, 50, 500, 500}));
    EXPECT_EQ(edges[2].a, (EndRecord{1, 2}));
    EXPECT_EQ(edges[2].b, (EndRecord{3, 4}));
}

struct Piece {
    int x1, y1, x2, y2, kind, radius, cx, cy;
};

Piece line(int x1, int y1, int x2, int y2) {
    return {x1, y1, x2, y2, 0, 0, 0, 0};
}

Piece quarter(int bit, int cx, int cy, int r) {
    auto q = quarterCircle(bit, cx, cy, r);
    return {q.a.x, q.a.y, q.b.x, q.b.y, bit, r, cx, cy};
}

struct Walked {
    std::vector<std::vector<EndRecord>> closed;
    std::vector<DroppedOutline> dropped;
};

Walked walk(const std::vector<Piece>& pieces) {
    PourEdgeTable edges;
    for (const auto& p : pieces) {
        edges.add_fill_entry(p.x1, p.y1, p.x2, p.y2, p.kind, p.radius, p.cx, p.cy);
    }
    Walked w;
    walkPourOutlines(
        edges, [&](const std::vector<EndRecord>& pts) { w.closed.push_back(pts); },
        [&](const DroppedOutline& d) { w.dropped.push_back(d); });
    EXPECT_TRUE(edges.empty()) << "the walk consumes the table";
    return w;
}

// Points as "x,y" or "x,y/kind" for arc points.
std::string points(const std::vector<EndRecord>& pts) {
    std::string s;
    for (const auto& p : pts) {
        s += (s.empty() ? "" : " ") + std::to_string(p.x) + "," + std::to_string(p.y);
        if (p.kind) {
            s += "/" + std::to_string(p.kind);
        }
    }
    return s;
}

std::string dropped(const Walked& w) {
    std::string s;
    for (const auto& d : w.dropped) {
        s += (s.empty() ? "" : " ") + std::to_string(d.first.x) + "," + std::to_string(d.first.y) +
             "x" + std::to_string(d.pieces) +
             (d.why == DroppedOutline::Why::NotClosed ? "open" : "arcs");
    }
    return s;
}

TEST(PourOutlines, Walk) {
    struct Case {
        const char* name;
        std::vector<Piece> pieces;
        std::vector<std::string> closed;
        std::string dropped;
    };
    const std::vector<Piece> square = {line(0, 0, 10, 0), line(10, 0, 10, 10), line(10, 10, 0, 10),
                                       line(0, 10, 0, 0)};
    // clang-format off
    const std::vector<Case> cases = {
        {"square", square, {"0,0 10,0 10,10 0,10 0,0"}, ""},
        {"pieces drawn either way round", {line(10, 0, 0, 0), line(0, 10, 10, 10),
                                           line(10, 0, 10, 10), line(0, 0, 0, 10)},
         {"10,0 0,0 0,10 10,10 10,0"}, ""},
        {"rounded rectangle", {quarter(4, 100, 100, 100), line(100, 0, 500, 0),
                               quarter(8, 500, 100, 100), line(600, 100, 600, 200),
                               quarter(1, 500, 200, 100), line(500, 300, 100, 300),
                               quarter(2, 100, 200, 100), line(0, 200, 0, 100)},
         {"100,0 500,0 600,100/8 600,200 500,300/1 100,300 0,200/2 0,100 100,0/4"}, ""},
        {"two outlines in the order of their first straight pieces",
         {line(50, 50, 60, 50), line(0, 0, 10, 0), line(60, 50, 55, 60), line(10, 0, 5, 10),
          line(55, 60, 50, 50), line(5, 10, 0, 0)},
         {"50,50 60,50 55,60 50,50", "0,0 10,0 5,10 0,0"}, ""},
        {"a one-mil gap", {line(0, 0, 10, 0), line(10, 0, 10, 10), line(10, 10, 0, 10),
                           line(0, 10, 0, 1)},
         {}, "0,0x4open"},
        {"a single edge", {line(0, 0, 10, 0)}, {}, "0,0x1open"},
        {"a single edge left over", square + std::vector<Piece>{line(20, 20, 30, 30)},
         {"0,0 10,0 10,10 0,10 0,0"}, "20,20x1open"},
        {"a loop of arcs only", {quarter(1, 0, 0, 5), quarter(2, 0, 0, 5), quarter(4, 0, 0, 5),
                                 quarter(8, 0, 0, 5)},
         {}, "0,5x4arcs"},
        // the second hand-over holds the start point between the loops once, not twice (a
        // draw of zero length adds nothing to the region)
        {"two loops through the start point",
         square + std::vector<Piece>{line(0, 0, -10, 0), line(-10, 0, -10, -10),
                                     line(-10, -10, 0, 0)},
         {"0,0 10,0 10,10 0,10 0,0",
          "0,0 10,0 10,10 0,10 0,0 -10,0 -10,-10 0,0"}, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        Walked w = walk(c.pieces);
        std::vector<std::string> closed;
        for (const auto& pts : w.closed) {
            closed.push_back(points(pts));
        }
        EXPECT_EQ(closed, c.closed) << c.name;
        EXPECT_EQ(dropped(w), c.dropped) << c.name;
    }
}

TEST(PourRegions, SquareOutlineAndTheThreeBlocks) {
    PourPlot plot(kSquare);
    EXPECT_EQ(plot.block(1, "Copper_pours"),
              (Lines{"D12*", "G36*", "X1000Y1000D02*", "X2000Y1000D01*", "X2000Y2000D01*",
                     "X1000Y2000D01*", "X1000Y1000D01*", "D02*G37*"}));
    auto lines = plot.file(1);
    auto at = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l); };
    auto pours = at("%LNCopper_pours*%");
    auto cutouts = at("%LNCopper_pour_cutouts*%");
    auto pads = at("%LNPads_and_tracks*%");
    ASSERT_TRUE(pours < cutouts && cutouts < pads && pads < lines.end());
    EXPECT_EQ(pours[-1], "G04 End of apeture information*");
    // each extended command in a parameter block of its own
    EXPECT_EQ(pours[1], "%LPD*%");
    EXPECT_EQ(cutouts[1], "%LPC*%");
    EXPECT_EQ(pads[1], "%LPD*%");
    EXPECT_EQ(Lines(pads + 2, lines.end()), Lines{"M02*"}) << "the outline tracks are not drawn";
    EXPECT_EQ(plot.host.lines, (Lines{".GTL", ".GTL"}));
}

TEST(PourRegions, RoundedRectangleThenASquare) {
    // the square comes second: its first straight piece is later in the file
    PourPlot plot(kRounded + Lines{"FT", "3000 1000 3500 1000 1 1", "FT", "3500 1000 3500 1500 1 1",
                                   "FT", "3500 1500 3000 1000 1 1"});
    EXPECT_EQ(plot.block(1, "Copper_pours"),
              (Lines{"D12*", "G36*", "X1100Y1000D02*", "X2500Y1000D01*",
                     "G74*G03X2600Y1100I0J100D01*", "G01*X2600Y1900D01*", "G03X2500Y2000I100J0D01*",
                     "G01*X1100Y2000D01*", "G03X1000Y1900I0J100D01*", "G01*X1000Y1100D01*",
                     "G03X1100Y1000I100J0D01*", "D02*G37*",
                     // after arcs the next straight point returns to linear first
                     "D12*", "G36*", "G01*X3000Y1000D02*", "X3500Y1000D01*", "X3500Y1500D01*",
                     "X3000Y1000D01*", "D02*G37*"}));
    // a clockwise walk round the same shape
    Lines reversed = {"FT", "1000 1100 1000 1900 1 1", "FA", "1100 1900 100 2 1 1",
                      "FT", "1100 2000 1900 2000 1 1", "FA", "1900 1900 100 1 1 1",
                      "FT", "2000 1900 2000 1100 1 1", "FA", "1900 1100 100 8 1 1",
                      "FT", "1900 1000 1100 1000 1 1", "FA", "1100 1100 100 4 1 1"};
    PourPlot clockwise(reversed);
    EXPECT_EQ(clockwise.block(1, "Copper_pours"),
              (Lines{"D12*", "G36*", "X1000Y1100D02*", "X1000Y1900D01*",
                     "G74*G02X1100Y2000I100J0D01*", "G01*X1900Y2000D01*", "G02X2000Y1900I0J100D01*",
                     "G01*X2000Y1100D01*", "G02X1900Y1000I100J0D01*", "G01*X1100Y1000D01*",
                     "G02X1000Y1100I0J100D01*", "D02*G37*", "G01*"}))
        << "an outline closing on an arc leaves the file in linear mode";
}

TEST(PourRegions, RadiusZeroQuarterIsAStraightPoint) {
    PourPlot plot({"FT", "0 0 100 0 1 1", "FA", "100 0 0 1 1 1", "FT", "100 0 100 100 1 1", "FT",
                   "100 100 0 0 1 1"});
    EXPECT_EQ(plot.block(1, "Copper_pours"),
              (Lines{"D12*", "G36*", "X0Y0D02*", "X100Y0D01*", "X100Y0D01*", "X100Y100D01*",
                     "X0Y0D01*", "D02*G37*"}));
}

TEST(PourRegions, DroppedOutlinesAreReported) {
    PourPlot plot({"FT", "0 0 100 0 1 1", "FT", "100 0 100 100 1 1", "FT", "100 100 0 1 1 1", "FA",
                   "500 500 50 15 1 1", "FT", "0 0 100 0 1 6", "FT", "100 0 0 0 1 6"});
    EXPECT_EQ(plot.block(1, "Copper_pours"), Lines{});
    EXPECT_EQ(plot.host.lines,
              (Lines{".GTL",
                     "Warning: pour outline on Top Copper not closed, no pour made: first point "
                     "0,0, 3 pieces",
                     "Warning: pour outline on Top Copper has no straight piece, no pour made: "
                     "first point 500,550, 4 pieces"}));
    plot.host.lines.clear();
    EXPECT_EQ(plot.block(6, "Copper_pours"),
              (Lines{"D12*", "G36*", "X0Y0D02*", "X100Y0D01*", "X0Y0D01*", "D02*G37*"}));
    EXPECT_EQ(plot.host.lines, Lines{".GBL"});
}

TEST(PourCutOuts, EveryKindOfRecord) {
    // clang-format off
    PourPlot plot(kSquare + Lines{
        "FV", "100 100 50 28",                    // via: round 50 + 7
        "FP", "200 100 60 60 1 32 1 13", "1",     // plain clearance
        "FP", "300 100 60 60 1 32 3 13", "1",     // direct: none
        "FP", "400 100 60 60 1 32 5 13", "1",     // direct: none
        "FP", "500 100 60 80 2 0 6 1", "1",       // its own shape + 7
        "FP", "600 100 60 60 1 0 1 6", "1",       // other copper layer
        "FT", "0 200 500 200 10 1",               // track 10 + 7
        "FT", "500 200 500 300 10 1",             // continues: no move
        "FT", "0 0 0 100 10 6",                   // other copper layer
        "FA", "700 700 50 1 10 1",                // arc 10 + 7
        "FF", "800 800 900 900 1",                // grown by 7 / 2 = 3
        "FF", "900 900 800 800 1",                // the same, corners swapped
        "FF", "0 0 10 10 6",                      // other copper layer
        "FS", "50 50 60 0 8 1", "FREE TEXT",      // free string: none
        "COMP", "R1", "0805", "10K", "0 0 60 0 8 1", "1000 500 60 0 6 1", "0 0 1 2 0", "ENDCOMP"});
    plot.apt.enlargements.pour = 7;
    auto block = plot.block(1, "Copper_pour_cutouts");
    auto text = std::find(block.begin(), block.end(), "D13*");  // R1's 6-mil strokes
    ASSERT_NE(text, block.end());
    EXPECT_EQ(Lines(block.begin(), text), (Lines{
        "D17*", "D02*X100Y100*", "D02*X100Y100*D03*",               // via, 57
        "D20*", "D02*X200Y100*D03*",                                // plain pad, 67
        "D23*", "D02*X500Y100*D03*",                                // surface pad, 67 by 87
        "D29*", "D02*X0Y200*", "D01*X500Y200*", "D01*X500Y300*",    // tracks, 17
        "", "D29*", "G74*G01X700Y750D02*G02X750Y700I0J50D01*D02*G01*",
        "G36*D12*", "D02*X797Y797*", "D02*X797Y797*", "D01*X903Y797*", "D01*X903Y903*",
        "D01*X797Y903*", "D01*X797Y797*", "D02*X797Y903*", "G37*",
        "G36*D02*X903Y903*", "D01*X797Y903*", "D01*X797Y797*", "D01*X903Y797*",
        "D01*X903Y903*", "D02*X903Y797*", "G37*"}));
    // clang-format on
    // the designator "R1" with its own strokes, one line per character; the free string and
    // the hidden comment cut nothing
    EXPECT_EQ(block.end() - text, 3);
    EXPECT_EQ(text[1].rfind("D02*X1000Y500*D01*", 0), 0u) << text[1];
}

TEST(PourLayer, EnableAndJustDrawOutline) {
    PourPlot plot(kSquare + Lines{"FV", "1500 1500 50 28", "FT", "1200 1200 1800 1200 10 1"});
    auto hasBlocks = [](const Lines& lines) {
        return std::any_of(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("%LN", 0) == 0; });
    };
    auto with = plot.file(1);
    EXPECT_TRUE(hasBlocks(with));
    EXPECT_FALSE(hasBlocks(plot.file(6))) << "no 1-mil track on bottom copper";
    plot.options.justDrawOutline = true;
    EXPECT_EQ(plot.file(1), with);
    plot.apt.pourEnable = false;
    auto without = plot.file(1);
    EXPECT_FALSE(hasBlocks(without));
    EXPECT_EQ(std::count(without.begin(), without.end(), "D01*X2000Y1000*"), 1)
        << "without pours the outline is an ordinary 1-mil track";
}

// Every pour file reads back in our own reader without a problem: each contour closes where it
// starts, and the three layers keep their polarities (the cut-outs clear).
TEST(PourLayer, PourFilesReadBackWithoutProblems) {
    const Lines twoLoops = {"FT", "1000 1000 2000 1000 1 6", "FT", "2000 1000 2000 2000 1 6",
                            "FT", "2000 2000 1000 2000 1 6", "FT", "1000 2000 1000 1000 1 6",
                            "FT", "1000 1000 500 1000 1 6",  "FT", "500 1000 500 500 1 6",
                            "FT", "500 500 1000 1000 1 6"};
    const Lines copper = {"FV", "1500 1500 50 28",         "FP", "1800 1500 60 80 2 0 1 1", "1",
                          "FP", "1500 1800 60 60 1 0 1 6", "2"};
    PourPlot plot(kRounded + kSquare + twoLoops + copper);
    for (int layer : {1, 6}) {
        plot.file(layer);
        const view::LayerImage image =
            view::readLayerFile(plot.dir.file("B" + std::string(layerExtension(layer))));
        for (const auto& p : image.problems) {
            ADD_FAILURE() << image.describe(p);
        }
        EXPECT_EQ(image.layerNames,
                  (Lines{"Copper_pours", "Copper_pour_cutouts", "Pads_and_tracks"}));
        EXPECT_EQ(image.clearCount(), 2) << "the via's and the pad's clearances, " << layer;
    }
}

TEST(PourLayer, ExampleBoardPlotsCleanly) {
    PourPlot plot({});
    plot.rv.boardFile =
        plot.dir.write("B.PCB", testing::readFile(testing::sourceDir() + "/examples/pours.pcb"));
    plot.options.thermalsOnExternalLayers = true;
    for (int layer : {1, 6}) {
        auto lines = plot.file(layer);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.rfind("%LN", 0) == 0; }),
                  3);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "G36*"), 1) << "one pour per layer";
    }
    EXPECT_EQ(plot.host.lines, (Lines{".GTL", ".GBL"})) << "no missing aperture, nothing dropped";
    for (const char* name : {"B.GTL", "B.GBL"}) {
        const view::LayerImage image = view::readLayerFile(plot.dir.file(name));
        EXPECT_TRUE(image.problems.empty()) << name;
    }
}

}  // namespace
}  // namespace padloom::plot
