#include "tango/tango_reader.h"

#include "common/scripted_host.h"
#include "support/test_support.h"
#include "tango/collection.h"
#include <gtest/gtest.h>

namespace padloom::tango {
namespace {

using Lines = std::vector<std::string>;

struct FieldCase {
    std::string line;
    int n;
    int number;
    std::string text;
};

class FieldReaders : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldReaders, ReadFieldN) {
    const auto& c = GetParam();
    EXPECT_EQ(integerField(c.line, c.n), c.number) << c.line << " field " << c.n;
    EXPECT_EQ(textField(c.line, c.n), c.text) << c.line << " field " << c.n;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Tango, FieldReaders, ::testing::Values(
    FieldCase{"TEXT \"R 12\" 80 0 8 0 1000 2000", 1, 0, "R 12"},      // blank inside quotes
    FieldCase{"TEXT \"R 12\" 80 0 8 0 1000 2000", 2, 80, "80"},
    FieldCase{"TEXT \"R 12\" 80 0 8 0 1000 2000", 8, -1, ""},        // no such field
    FieldCase{"LINE 10 ", 2, -1, ""},                                 // blank ends the line
    FieldCase{"LINE  10 0", 1, 10, ""},                               // two blanks shift fields
    FieldCase{"LINE  10 0", 2, 10, "10"},
    FieldCase{"LINE  10 0", 3, 0, "0"},
    FieldCase{"LINE -7 +5 12x abc", 1, -7, "-7"},
    FieldCase{"LINE -7 +5 12x abc", 3, 12, "12x"},
    FieldCase{"LINE -7 +5 12x abc", 4, 0, "abc"},
    // beyond the board reader's limit of 2^29 - 1 mils: read as 0 (and reported)
    FieldCase{"LINE 99999999999999999", 1, 0, "99999999999999999"},
    FieldCase{"LINE -536870912", 1, 0, "-536870912"},
    FieldCase{"LINE 536870911", 1, 536870911, "536870911"},
    FieldCase{"LINE -536870911", 1, -536870911, "-536870911"},
    FieldCase{"PAD \"TL\" 1", 1, 0, "TL"}));
// clang-format on

TEST(TangoRecords, TextWithQuotedBlank) {
    TangoReader::PolygonState polygon;
    PlotObject o = TangoReader::parseLine("TEXT \"R 12\" 80 0 8 0 1000 2000 0 0 0 0 3", polygon);
    EXPECT_EQ(o.kind, ObjectKind::Text);
    EXPECT_EQ(o.text, "R 12");
    EXPECT_EQ(o.height, 72);  // nine tenths of 80
    EXPECT_EQ(o.orientation, 0);
    EXPECT_EQ(o.width, 8);
    EXPECT_EQ(o.layer, 1);  // top copper
    EXPECT_EQ(o.x, 1000);
    EXPECT_EQ(o.y, 2000);
    EXPECT_EQ(o.number, 3);
}

TEST(TangoRecords, ViaAndPadFields) {
    EXPECT_NE(padLayerOf("AL"), 13);            // all copper layers is never the ground plane file
    EXPECT_EQ(padShapeOf("sq"), std::nullopt);  // keywords compare exactly
    TangoReader::PolygonState polygon;
    PlotObject via = TangoReader::parseLine("VIA 0 60 28 0 500 600", polygon);
    EXPECT_EQ(via.kind, ObjectKind::Via);
    EXPECT_EQ(via.shape, 1);
    EXPECT_EQ(via.layer, kAllCopperLayers);
    EXPECT_EQ(via.xSize, 60);
    EXPECT_EQ(via.ySize, 60);
    EXPECT_EQ(via.holeSize, 28);
    EXPECT_EQ(via.x, 500);
    EXPECT_EQ(via.y, 600);
    PlotObject pad = TangoReader::parseLine("PAD SQ 60 80 32 BL 1 0 1000 1300", polygon);
    EXPECT_EQ(std::tie(pad.shape, pad.xSize, pad.ySize, pad.holeSize, pad.layer, pad.x, pad.y),
              std::make_tuple(2, 60, 80, 32, 6, 1000, 1300));
}

// What each line of a sequence yields: its kind, and for points whether it starts the outline.
std::vector<std::string> kinds(const Lines& lines) {
    TangoReader::PolygonState polygon;
    std::vector<std::string> out;
    for (const auto& line : lines) {
        PlotObject o = TangoReader::parseLine(line, polygon);
        switch (o.kind) {
            case ObjectKind::PolylinePoint:
                out.push_back(o.firstPoint ? "move" : "draw");
                break;
            case ObjectKind::Nothing:
                out.push_back("-");
                break;
            default:
                out.push_back(line.substr(0, line.find(' ')));
        }
    }
    return out;
}

TEST(TangoRecords, PolygonModeAndWhatEndsIt) {
    EXPECT_EQ(kinds({"PNT 5 5", "POLY 10 0", "PNT 0 0", "PNT 100 0", "PAD SQ 60 60 0 TL 0 0 5 5",
                     "VIA 0 40 20 0 9 9", "COMP U1 x 0 0 0 0 0 0 0 0 0 1", "junk", "PNT 100 100",
                     "LINE 10 0 0 0 1 1", "PNT 7 7"}),
              (Lines{"-", "POLY", "move", "draw", "PAD", "VIA", "COMP", "-", "draw", "LINE", "-"}));
    EXPECT_EQ(kinds({"POLY 10 0", "PNT 0 0", "ARC 10 0 90 5 0 0 0", "PNT 1 1", "POLY 10 1",
                     "PNT 2 2", "TEXT A 60 0 8 0 0 0", "PNT 3 3"}),
              (Lines{"POLY", "move", "ARC", "-", "POLY", "move", "TEXT", "-"}));

    // the points take the POLY's width and layer
    TangoReader::PolygonState polygon;
    TangoReader::parseLine("POLY 14 1", polygon);
    PlotObject p = TangoReader::parseLine("PNT 300 400", polygon);
    EXPECT_EQ(p.width, 14);
    EXPECT_EQ(p.layer, 6);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 400);
}

// The collection pass over a board of the given lines.
struct Collected {
    testing::TempDir dir;
    common::ScriptedHost host;
    TangoBoard board;
    common::Outcome outcome;
    std::string path;

    explicit Collected(const Lines& lines, TangoSizes sizes = {}) {
        path = dir.write("B.PCB", testing::crlf(lines));
        outcome = collectBoard(host, path, sizes, board);
    }
    std::vector<std::tuple<int, int, int, int>> apertures() const {
        std::vector<std::tuple<int, int, int, int>> out;
        for (const auto& e : board.apertures.entries()) {
            out.emplace_back(e.dcode, e.shape, e.xSize, e.ySize);
        }
        return out;
    }
};

using Apertures = std::vector<std::tuple<int, int, int, int>>;

TEST(TangoCollection, AperturesInOrderOfFirstNeedShared) {
    Collected c({"PAD SQ 60 80 0 TL 0 0 1000 1000", "PAD SQ 60 80 0 TL 0 0 1200 1000",
                 "VIA 0 60 28 0 500 500", "PAD EL 60 60 32 AL 0 0 700 700", "LINE 66 0 0 0 10 10",
                 "TEXT A 60 0 8 0 0 0"});
    ASSERT_EQ(c.outcome, common::Outcome::Done);
    // D20 the drill guide (0), D21 the pen; a pad adds own, mask (+6), paste (+6)
    EXPECT_EQ(c.apertures(), (Apertures{{20, 1, 0, 0},
                                        {21, 1, 6, 6},
                                        {22, 2, 60, 80},
                                        {23, 2, 66, 86},
                                        {24, 1, 60, 60},
                                        {25, 1, 66, 66},
                                        {26, 1, 8, 8}}));

    Collected guide6({"LINE 10 0 0 0 10 10"}, {6, 6, 6});
    EXPECT_EQ(guide6.apertures(), (Apertures{{20, 1, 6, 6}, {21, 1, 10, 10}}));
}

TEST(TangoCollection, ExtentsOnlyFromLinesOnPlottedLayers) {
    Collected unmapped({"LINE 10 5 -100 -100 5000 5000", "PAD SQ 60 80 0 TL 0 0 1000 1000",
                        "POLY 10 0", "PNT 9000 9000", "ARC 100 0 90 8 0 7000 7000"});
    EXPECT_TRUE(unmapped.board.extents.empty());
    EXPECT_EQ(unmapped.board.extents.minX, 1000000);
    EXPECT_EQ(unmapped.board.extents.maxY, -1);

    Collected mapped({"LINE 10 14 100 200 300 50", "LINE 10 1 -20 40 60 80"});
    const auto& e = mapped.board.extents;
    EXPECT_EQ(std::tie(e.minX, e.minY, e.maxX, e.maxY), std::make_tuple(-20, 40, 300, 200));
}

TEST(TangoCollection, DrillHitsAndHoleSizes) {
    Collected c({"PAD EL 60 60 40 AL 0 0 100 100", "PAD EL 60 60 32 TL 0 0 150 150",
                 "VIA 0 40 28 0 200 200", "PAD EL 60 60 0 AL 0 0 300 300",
                 "PAD SQ 60 60 40 AL 0 0 400 400"});
    ASSERT_EQ(c.board.drillHits.size(), 4u);  // the TL pad is not drilled
    EXPECT_EQ(c.board.drillHits[2].holeSize, 0);
    EXPECT_EQ(c.board.drillHits[2].x, 300);
    EXPECT_EQ(c.board.holeSizes, (std::vector<int>{40, 28}));  // first appearance; no 0
}

TEST(TangoCollection, NotesOnRecordsNotPlottedAsTheyStand) {
    Collected c({"PAD OV 60 80 32 AL 0 0 100 100", "LINE 10 0 0 0 1 1", "ARC 100 45 0 8 0 500 500",
                 "VIA 0 40 -5 0 7 7", "PAD SQ 60 60 0 XL 0 0 9 9"});
    ASSERT_EQ(c.outcome, common::Outcome::Done);
    // no aperture for the unknown shape: the line still gets D22
    EXPECT_EQ(c.apertures()[2], std::make_tuple(22, 1, 10, 10));
    EXPECT_EQ(c.host.lines,
              (Lines{"line 1: pad shape \"OV\" is unknown; the pad at 100,100 is not plotted "
                     "(its hole is drilled)",
                     "line 3: arc at 500,500 sweeps 0 degrees; not plotted (it would draw a full "
                     "ring)",
                     "line 4: hole size -5 at 7,7 is negative; not drilled",
                     "line 5: pad layer \"XL\" is unknown; the pad at 9,9 is not plotted", ""}));
    EXPECT_EQ(c.board.drillHits.size(), 2u);
    EXPECT_EQ(c.board.holeSizes, (std::vector<int>{32}));
}

// A field beyond the limit reads as 0, and the collection pass names its line and field once;
// the plotting passes say nothing more.
TEST(TangoCollection, FieldsOutOfRangeAreNamed) {
    Collected c({"LINE 10 0 99999999999 0 0 0", "PAD EL 60 60 0 TL 0 0 100 100",
                 "TEXT A 60 0 8 0 -600000000 0 0 0 0 0 7777777777"});
    ASSERT_EQ(c.outcome, common::Outcome::Done);
    EXPECT_EQ(
        c.host.lines,
        (Lines{"line 1: field 3 is out of range (beyond 536870911 mils either way); read as 0",
               "line 3: field 6 is out of range (beyond 536870911 mils either way); read as 0",
               ""}));
    EXPECT_EQ(c.host.transcript.front(),
              "warn|line 1: field 3 is out of range (beyond 536870911 mils either way); read as 0");
    EXPECT_EQ(c.board.extents.minX, 0);
    TangoReader::PolygonState polygon;
    EXPECT_EQ(TangoReader::parseLine("LINE 10 0 1 2 3 4", polygon).outOfRangeField, 0);
}

TEST(TangoCollection, RefusesWhatTheTablesCannotHold) {
    // clang-format off
    const std::pair<Lines, std::string> cases[] = {
        {{"LINE 10 0 0 0 1 1", "COMP U9 x 0 0 0 0 0 0 0 0 0 1001"},
         "line 2: the component number 1001 of U9 is outside 0 to 1000; nothing plotted"},
        {{"COMP U9 x 0 0 0 0 0 0 0 0 0"},
         "line 1: the component number -1 of U9 is outside 0 to 1000; nothing plotted"},
        {{"TEXT .REFDES 60 0 8 8 0 0 0 0 0 0 -4"},
         "line 1: the component number -4 of the .REFDES text is outside 0 to 1000; nothing "
         "plotted"},
    };
    // clang-format on
    for (const auto& [lines, message] : cases) {
        Collected c(lines);
        EXPECT_EQ(c.outcome, common::Outcome::Refused);
        EXPECT_EQ(c.host.lines, (Lines{c.path + ": " + message}));
        EXPECT_EQ(c.host.transcript.back(), "error|" + c.path + ": " + message);
    }

    // D20 and D21, then 998 more fit; the 1001st aperture is refused
    Lines lines;
    for (int w = 100; w < 100 + 999; ++w) {
        lines.push_back("LINE " + std::to_string(w) + " 0 0 0 1 1");
    }
    Collected full(lines);
    EXPECT_EQ(full.outcome, common::Outcome::Refused);
    EXPECT_EQ(full.board.apertures.size(), 1000u);
    EXPECT_EQ(full.host.lines.back(),
              full.path +
                  ": line 999: the board needs more than 1000 apertures (D20 to D1019); "
                  "nothing plotted");
    lines.pop_back();
    EXPECT_EQ(Collected(lines).outcome, common::Outcome::Done);
}

TEST(TangoCollection, ComponentNamesStartEmptyEachRun) {
    testing::TempDir dir;
    common::ScriptedHost host;
    TangoBoard board;
    std::string first =
        dir.write("A.PCB", testing::crlf({"COMP U3 DIP8 0 0 0 0 0 0 0 0 0 3",
                                          "COMP THIS_NAME_IS_LONGER_THAN_32_CHARACTERS x 0 0 0 "
                                          "0 0 0 0 0 0 4"}));
    std::string second = dir.write("B.PCB", testing::crlf({"COMP R1 0805 0 0 0 0 0 0 0 0 0 1"}));
    ASSERT_EQ(collectBoard(host, first, {}, board), common::Outcome::Done);
    EXPECT_EQ(board.componentNames[3], "U3");
    EXPECT_EQ(board.componentNames[4], "THIS_NAME_IS_LONGER_THAN_32_CHAR");
    ASSERT_EQ(collectBoard(host, second, {}, board), common::Outcome::Done);
    EXPECT_EQ(board.componentNames[1], "R1");
    EXPECT_EQ(board.componentNames[3], "");
}

}  // namespace
}  // namespace padloom::tango
