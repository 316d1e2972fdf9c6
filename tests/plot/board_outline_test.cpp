#include "plot/board_outline.h"

#include <cmath>

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

// Board records: "FT" tracks "x1 y1 x2 y2 width layer", "FA" arcs "x y radius mask width
// layer", "FP" pads (a through-hole pad at x, y).
std::vector<std::string> track(int x1, int y1, int x2, int y2, int layer) {
    return {"FT", std::to_string(x1) + " " + std::to_string(y1) + " " + std::to_string(x2) + " " +
                      std::to_string(y2) + " 10 " + std::to_string(layer)};
}
std::vector<std::string> arc(int x, int y, int r, int mask, int layer) {
    return {"FA", std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(r) + " " +
                      std::to_string(mask) + " 10 " + std::to_string(layer)};
}
std::vector<std::string> pad(int x, int y) {
    return {"FP", std::to_string(x) + " " + std::to_string(y) + " 60 60 1 28 1 13", "1"};
}
std::vector<std::string> square(int x0, int y0, int x1, int y1, int layer) {
    std::vector<std::string> out;
    for (const auto& t : {track(x0, y0, x1, y0, layer), track(x1, y0, x1, y1, layer),
                          track(x1, y1, x0, y1, layer), track(x0, y1, x0, y0, layer)}) {
        out.insert(out.end(), t.begin(), t.end());
    }
    return out;
}

struct OutlineCase {
    const char* name;
    std::vector<std::vector<std::string>> records;
    OutlineSource source;
    int layer;      // the outline's board layer, 0 for none
    size_t pieces;  // its pieces
    size_t loops;
    OutlineExtent extent;
    std::string absence;  // the start of why there is none
    size_t notes = 0;
};

class FindOutline : public ::testing::TestWithParam<OutlineCase> {};

TEST_P(FindOutline, OnCraftedBoards) {
    const OutlineCase& c = GetParam();
    std::vector<std::string> lines{"PCB FILE 4"};
    for (const auto& r : c.records) {
        lines.insert(lines.end(), r.begin(), r.end());
    }
    lines.push_back("ENDPCB");
    testing::TempDir dir;
    const BoardOutline o = findBoardOutline(dir.write("b.pcb", testing::crlf(lines)), c.source);
    EXPECT_EQ(o.boardLayer, c.layer);
    EXPECT_EQ(o.pieces.size(), c.pieces);
    EXPECT_EQ(o.loopStarts.size(), c.loops);
    EXPECT_EQ(o.notes.size(), c.notes);
    const OutlineExtent e = o.extent();
    EXPECT_EQ(std::tie(e.minX, e.minY, e.maxX, e.maxY),
              std::tie(c.extent.minX, c.extent.minY, c.extent.maxX, c.extent.maxY));
    EXPECT_EQ(o.absence.substr(0, c.absence.size()), c.absence) << o.absence;
    EXPECT_EQ(o.empty(), c.layer == 0);
    // each loop closes, and each piece starts where the one before ends
    for (size_t l = 0; l < o.loopStarts.size(); ++l) {
        const size_t begin = o.loopStarts[l];
        const size_t end = l + 1 < o.loopStarts.size() ? o.loopStarts[l + 1] : o.pieces.size();
        for (size_t i = begin; i < end; ++i) {
            const OutlinePiece& next = o.pieces[i + 1 < end ? i + 1 : begin];
            EXPECT_LE(std::abs(o.pieces[i].x2 - next.x1), 2);
            EXPECT_LE(std::abs(o.pieces[i].y2 - next.y1), 2);
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Outline, FindOutline, ::testing::Values(
    OutlineCase{"LoopOnTheBoardLayer", {square(0, 0, 2000, 1000, 11), pad(500, 500)},
                OutlineSource::Auto, 11, 4, 1, {0, 0, 2000, 1000}, ""},
    // the keep-out layer's edge; the keep-out zone inside it stays out, unremarked
    OutlineCase{"KeepOutWithInnerZone",
                {square(0, 0, 2000, 1000, 12), square(100, 100, 300, 300, 12), pad(500, 500)},
                OutlineSource::Auto, 12, 4, 1, {0, 0, 2000, 1000}, ""},
    // the board layer has lines, so Auto looks no further; a cut-out is remarked on
    OutlineCase{"BoardLayerFirstWithCutOut",
                {square(0, 0, 3000, 3000, 12), square(100, 100, 2000, 1000, 11),
                 square(200, 200, 300, 300, 11), pad(500, 500)},
                OutlineSource::Auto, 11, 4, 1, {100, 100, 2000, 1000}, "", 1},
    OutlineCase{"KeepOutAsked",
                {square(0, 0, 3000, 3000, 12), square(100, 100, 2000, 1000, 11), pad(500, 500)},
                OutlineSource::KeepOut, 12, 4, 1, {0, 0, 3000, 3000}, ""},
    // rounded corners: four lines and four quarters; a circle of one arc record
    OutlineCase{"RoundedCorners",
                {track(1100, 1000, 2900, 1000, 11), arc(2900, 1100, 100, 8, 11),
                 track(3000, 1100, 3000, 2400, 11), arc(2900, 2400, 100, 1, 11),
                 track(2900, 2500, 1100, 2500, 11), arc(1100, 2400, 100, 2, 11),
                 track(1000, 2400, 1000, 1100, 11), arc(1100, 1100, 100, 4, 11), pad(2000, 2000)},
                OutlineSource::Auto, 11, 8, 1, {1000, 1000, 3000, 2500}, ""},
    OutlineCase{"RoundBoard", {arc(1000, 1000, 500, 15, 11), pad(1000, 1000)},
                OutlineSource::Auto, 11, 4, 1, {500, 500, 1500, 1500}, ""},
    // a corner missed by two mils still closes; a spur and a line drawn twice change nothing
    OutlineCase{"NearMissSpurAndDouble",
                {track(0, 0, 2000, 0, 11), track(2000, 0, 2000, 1000, 11),
                 track(2000, 1000, 0, 1000, 11), track(0, 1000, 2, 2, 11),
                 track(2000, 0, 2000, 1000, 11), track(2000, 500, 2500, 500, 11), pad(500, 500)},
                OutlineSource::Auto, 11, 4, 1, {0, 0, 2000, 1000}, ""},
    // a line across the board: the outline is the edge around both halves
    OutlineCase{"DividedBoard",
                {track(0, 0, 1000, 0, 11), track(1000, 0, 2000, 0, 11),
                 track(2000, 0, 2000, 1000, 11), track(2000, 1000, 1000, 1000, 11),
                 track(1000, 1000, 0, 1000, 11), track(0, 1000, 0, 0, 11),
                 track(1000, 0, 1000, 1000, 11), pad(500, 500), pad(1500, 500)},
                OutlineSource::Auto, 11, 6, 1, {0, 0, 2000, 1000}, ""},
    // two boards side by side: one loop each
    OutlineCase{"Panel",
                {square(0, 0, 1000, 1000, 11), square(2000, 0, 3000, 1000, 11), pad(500, 500),
                 pad(2500, 500)},
                OutlineSource::Auto, 11, 8, 2, {0, 0, 3000, 1000}, ""},
    // a frame beside the board, around nothing, is no part of it
    OutlineCase{"EmptyLoopBeside",
                {square(0, 0, 1000, 1000, 11), square(2000, 0, 3000, 1000, 11), pad(500, 500)},
                OutlineSource::Auto, 11, 4, 1, {0, 0, 1000, 1000}, "", 1},
    OutlineCase{"OpenChain",
                {track(0, 0, 2000, 0, 12), track(2000, 0, 2000, 1000, 12),
                 track(2000, 1000, 0, 1000, 12), pad(500, 500)},
                OutlineSource::Auto, 0, 0, 0, {},
                "the keep-out layer (12) has lines, but no closed loop of them: the line of board "
                "line 2 ends at 0,0, where no other line does"},
    OutlineCase{"PadOutside", {square(0, 0, 1000, 1000, 11), pad(500, 500), pad(1500, 500)},
                OutlineSource::Auto, 0, 0, 0, {},
                "1 pad or via lies outside the closed loop of the board layer (11), the first at "
                "1500,500 (board line 13)"},
    OutlineCase{"NoLines", {pad(500, 500)}, OutlineSource::Auto, 0, 0, 0, {},
                "neither the board layer (11) nor the keep-out layer (12) has lines"},
    OutlineCase{"BoardLayerAskedEmpty", {square(0, 0, 1000, 1000, 12), pad(500, 500)},
                OutlineSource::Board, 0, 0, 0, {}, "the board layer (11) has no lines"},
    OutlineCase{"NoneAsked", {square(0, 0, 1000, 1000, 11), pad(500, 500)},
                OutlineSource::None, 0, 0, 0, {}, "none was asked for"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(BoardOutline, TellsInsideAndDistance) {
    testing::TempDir dir;
    std::vector<std::string> lines{"PCB FILE 4"};
    for (const auto& r : {track(1100, 1000, 2900, 1000, 11), arc(2900, 1100, 100, 8, 11),
                          track(3000, 1100, 3000, 2400, 11), arc(2900, 2400, 100, 1, 11),
                          track(2900, 2500, 1100, 2500, 11), arc(1100, 2400, 100, 2, 11),
                          track(1000, 2400, 1000, 1100, 11), arc(1100, 1100, 100, 4, 11)}) {
        lines.insert(lines.end(), r.begin(), r.end());
    }
    const BoardOutline o =
        findBoardOutline(dir.write("b.pcb", testing::crlf(lines)), OutlineSource::Auto);
    ASSERT_FALSE(o.empty());
    EXPECT_TRUE(o.contains(2000, 1500));
    EXPECT_TRUE(o.contains(1000, 1500));   // on the centre line
    EXPECT_FALSE(o.contains(1005, 1005));  // in the corner the arc cuts off
    EXPECT_FALSE(o.contains(3500, 1500));
    EXPECT_DOUBLE_EQ(o.distance(2000, 1500), 500);
    EXPECT_NEAR(o.distance(1000, 1000), std::hypot(100, 100) - 100, 1e-9);  // to the arc
    EXPECT_DOUBLE_EQ(o.distance(3500, 2000), 500);
    // the loop runs counter-clockwise
    double area = 0;
    for (const OutlinePiece& p : o.pieces) {
        area += double(p.x1) * p.y2 - double(p.x2) * p.y1;
    }
    EXPECT_GT(area, 0);
    EXPECT_EQ(outlineSourceNamed("keepout"), OutlineSource::KeepOut);
    EXPECT_EQ(outlineSourceNamed("Keepout"), std::nullopt);
}

}  // namespace
}  // namespace padloom::plot
