#include "plot/drill_drawing.h"

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using testing::crlf;
using Lines = std::vector<std::string>;

std::vector<board::DrillTallyEntry> tallyOf(int tools) {
    std::vector<board::DrillTallyEntry> tally;
    for (int i = 1; i <= tools; ++i) {
        tally.push_back({10 + i, i});
    }
    return tally;
}

// The lines one mark writes into a fresh file.
Lines mark(int holeSize, const std::vector<board::DrillTallyEntry>& tally,
           MarkResult expected = MarkResult::Drawn) {
    testing::TempDir dir;
    {
        LayerFile file(dir.file("m.gbr"));
        file.currentAperture = 10;
        EXPECT_EQ(placeDrillMark(file, 1000, 1000, holeSize, 10, tally), expected);
        file.out.commit();
    }
    return testing::crlfLines(testing::readFile(dir.file("m.gbr")));
}

TEST(DrillMark, SquaresCirclesAndFigures) {
    const auto tally = tallyOf(70);
    const std::string square = "D02*X960Y1040*D01*X1040Y1040*X1040Y960*X960Y960*X960Y1040*D02*";
    const std::string circle = "G75*G01X960Y1000D02*G03X960Y1000I40J0D01*G01X960Y1040D02*";
    // clang-format off
    const std::vector<std::pair<int, Lines>> cases = {
        {1, {square, "D02*"}},
        {2, {square, "D02*X1000Y1040*D01*X1000Y1000*D02*"}},
        {16, {square, "D01*X1040Y960*X1040Y1040*X1000Y1000*D02*"}},
        {19, {square, "D02*"}},
        {32, {square, "D01*X960Y960*X1000Y1000*X1040Y960*D02*"}},
        {33, {circle + "D02*"}},
        {41, {circle + "D02*X1040Y1000*D01*X960Y1000*X1000Y1040*D02*"}},
        {64, {circle + "D01*X960Y960*X1000Y1000*X1040Y960*D02*"}},
    };
    // clang-format on
    for (const auto& [tool, lines] : cases) {
        EXPECT_EQ(mark(10 + tool, tally), lines) << "tool " << tool;
    }
    EXPECT_EQ(mark(10 + 65, tally, MarkResult::NoFigure), (Lines{circle + "D02*"}));
    EXPECT_TRUE(mark(5, tally, MarkResult::NotInTally).empty());
}

struct Drawing {
    testing::TempDir dir;
    board::RunValues rv;
    common::ScriptedHost host;

    Drawing(const Lines& board, std::vector<board::DrillTallyEntry> tally) {
        rv.boardFile = dir.write("B.PCB", crlf(board));
        rv.aptFile = dir.write(
            "B.APT",
            crlf({"D10\tCIRCULAR   \t3\t3\t0\tMULTI", "D11\tCIRCULAR   \t5\t5\t0\tMULTI",
                  "D12\tCIRCULAR   \t1\t1\t0\tMULTI", "D13\tCIRCULAR   \t10\t10\t0\tMULTI"}));
        rv.baseName = dir.file("B");
        rv.drillTally = std::move(tally);
        rv.aptMade = true;
        BoardExtents(board);
    }
    // the extents as the aperture builder gathers them
    void BoardExtents(const Lines& board) {
        for (size_t i = 0; i + 1 < board.size(); ++i) {
            if (board[i] == "FT") {
                int x1, y1, x2, y2;
                sscanf(board[i + 1].c_str(), "%d %d %d %d", &x1, &y1, &x2, &y2);
                rv.extents.add(x1, y1);
                rv.extents.add(x2, y2);
            }
        }
    }
    Lines run() {
        plotDrillDrawing(host, PlotOptions{}, rv);
        return testing::crlfLines(testing::readFile(dir.file("B.GDD")));
    }
};

bool contains(const Lines& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

TEST(DrillDrawing, OutlineDimensionsFiguresAndLegend) {
    Drawing d({"FT", "0 0 2500 0 10 11", "FT", "2500 0 2500 1000 10 11", "FT", "0 0 0 1000 10 1",
               "FV", "100 100 60 28", "FP", "200 200 60 60 1 28 1 1", "1"},
              {{28, 1}});
    auto lines = d.run();
    auto at = std::find(lines.begin(), lines.end(), "G04 End of apeture information*");
    ASSERT_NE(at, lines.end());
    // clang-format off
    EXPECT_EQ(Lines(at + 1, at + 17), (Lines{
        "D13*",
        "D02*X0Y0*D01*X2500Y0*D02*",
        "D02*X2500Y0*D01*X2500Y1000*D02*",
        "D10*D02*X60Y140*D01*X140Y140*X140Y60*X60Y60*X60Y140*D02*", "D02*",
        "D02*X0Y1125*D01*X2500Y1125*D02*",
        "D02*X0Y1125*D01*X50Y1175*D02*",
        "D02*X0Y1125*D01*X50Y1075*D02*",
        "D02*X2500Y1125*D01*X2450Y1175*D02*",
        "D02*X2500Y1125*D01*X2450Y1075*D02*",
        "D02*X2625Y0*D01*X2625Y1000*D02*",
        "D02*X2625Y1000*D01*X2575Y950*D02*",
        "D02*X2625Y1000*D01*X2675Y950*D02*",
        "D02*X2625Y0*D01*X2575Y50*D02*",
        "D02*X2625Y0*D01*X2675Y50*D02*",
        "D10*",
    })) << "the top-layer track and the pad off the Multi Layer get nothing";
    // clang-format on
    // "2.500"": its point after the 6-unit "2" at scale 8, from (0 + 1250 - 50, 1000 + 150)
    EXPECT_EQ(*(at + 18), "D02*X1248Y1150*D01*X1248Y1150*X1248Y1158*X1248Y1158*D02*");
    // "1.000"": the "1" at (2500 + 150, 0 + 500)
    EXPECT_TRUE(contains(lines,
                         "D02*X2650Y540*D01*X2650Y540*X2658Y548*D02*X2658Y500*D01*X2658Y548*"
                         "D02*X2658Y500*D01*X2650Y500*D02*X2666Y500*D01*X2650Y500*X2650Y500*"
                         "D02*"));
    // the legend mark at (2500 + 625, 1000 - 50)
    EXPECT_TRUE(contains(lines, "D02*X3085Y990*D01*X3165Y990*X3165Y910*X3085Y910*X3085Y990*D02*"));
    EXPECT_EQ(lines.back(), "M02*");
    EXPECT_EQ(d.host.lines, (Lines{".GDD"}));
}

TEST(DrillDrawing, LegendStartsANewColumnAndCirclesFromTool33) {
    Drawing d({"FT", "0 0 1000 1000 10 11", "FV", "500 500 60 43"}, tallyOf(33));
    auto lines = d.run();
    // rows 950, 800, 650, 500, 350, 200; the seventh tool starts the next column at row 950
    EXPECT_TRUE(contains(lines, "D02*X1585Y390*D01*X1665Y390*X1665Y310*X1585Y310*X1585Y390*D02*"))
        << "tool 6 at (1625, 200)";
    EXPECT_TRUE(contains(lines, "D02*X2335Y990*D01*X2415Y990*X2415Y910*X2335Y910*X2335Y990*D02*"))
        << "tool 7 at (2375, 950)";
    const std::string circleAt500 = "G75*G01X460Y500D02*G03X460Y500I40J0D01*G01X460Y540D02*";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(circleAt500) != std::string::npos;
    })) << "the via of tool 33 is marked with a circle";
    // tool 33 is the 33rd legend entry: column 1625 + 5 * 750, row 950 - 2 * 150
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("G75*G01X5335Y650D02*", 0) == 0;
    }));
}

TEST(DrillDrawing, BoardWithoutTracks) {
    Drawing d({"FV", "500 400 60 28"}, {{28, 1}});
    auto lines = d.run();
    EXPECT_EQ(
        d.host.lines,
        (Lines{".GDD", "Drill drawing: the board has no tracks, so no dimensions are drawn"}));
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("*D01*X") != std::string::npos && line.rfind("D02*X", 0) == 0 &&
               line.ends_with("*D02*") && line.find("Y1000000") != std::string::npos;
    }));
    // the legend beside the marks: (500 + 625, 400 - 50)
    EXPECT_TRUE(contains(lines, "D02*X1085Y390*D01*X1165Y390*X1165Y310*X1085Y310*X1085Y390*D02*"));
    EXPECT_EQ(lines.back(), "M02*");
}

TEST(DrillDrawing, ToolsBeyondTheTablesAreReported) {
    Drawing d({"FT", "0 0 100 100 10 11", "FV", "50 50 60 99"}, tallyOf(66));
    auto lines = d.run();
    EXPECT_EQ(d.host.lines,
              (Lines{".GDD",
                     "Drill drawing: tools 65 to 66 have no mark figure of their own; they are "
                     "marked with a plain circle",
                     "Error: the hole size 99 at 50,50 is not in the drill tally; no drill mark"}));
    EXPECT_EQ(lines.back(), "M02*");
}

}  // namespace
}  // namespace padloom::plot
