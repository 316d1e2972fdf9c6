#include "annotate/placement.h"

#include "common/errors.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::annotate {
namespace {

using testing::crlf;
using testing::crlfLines;
using testing::readFile;
using testing::TempDir;

using Lines = std::vector<std::string>;

// A board 4000 by 3000 mils (its outline on the board layer) holding the given records.
std::string board(const Lines& records) {
    Lines all = {"PCB FILE 4",
                 "FT",
                 "0 0 4000 0 10 11",
                 "FT",
                 "4000 0 4000 3000 10 11",
                 "FT",
                 "4000 3000 0 3000 10 11",
                 "FT",
                 "0 3000 0 0 10 11"};
    all.insert(all.end(), records.begin(), records.end());
    all.push_back("ENDPCB");
    return crlf(all);
}

Lines component(const std::string& designator, const Lines& primitives) {
    Lines c = {"COMP", designator, "PATTERN", "VALUE", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 2 0"};
    c.insert(c.end(), primitives.begin(), primitives.end());
    c.push_back("ENDCOMP");
    return c;
}

Lines pad(int x, int y, const std::string& name) {
    return {"CP", std::to_string(x) + " " + std::to_string(y) + " 60 60 1 28 1 13", name};
}

Lines join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// Runs the placement file on a board and returns its lines.
Lines place(const std::string& boardText, const PlacementOptions& opt = {}) {
    TempDir dir;
    auto path = dir.write("b.pcb", boardText);
    auto result = writePlacementFile(path, opt);
    EXPECT_EQ(result.outputPath, dir.file("b.UCM"));
    return crlfLines(readFile(result.outputPath));
}

struct PlacementCase {
    const char* what;
    Lines primitives;
    const char* line;  // the component's line, TAB-delimited
};

// clang-format off
const PlacementCase kCases[] = {
    {"pin 1 left of the centre: rule 1",
     join({pad(1000, 2000, "1"), pad(1200, 2000, "2")}), "U1\t1.100\t2.000\tT\t0"},
    {"pin 1 right of the centre: rule 2",
     join({pad(1200, 2000, "1"), pad(1000, 2000, "2")}), "U1\t1.100\t2.000\tT\t180"},
    {"pin 1 straight above the centre: rule 3",
     join({pad(1100, 2100, "1"), pad(1100, 1900, "2")}), "U1\t1.100\t2.000\tT\t90"},
    {"pin 1 straight below the centre: rule 4",
     join({pad(1100, 1900, "1"), pad(1100, 2100, "2")}), "U1\t1.100\t2.000\tT\t270"},
    {"pin 1 ten mils off level, in the same 25-mil cell",
     join({pad(1000, 2010, "1"), pad(1200, 2000, "2")}), "U1\t1.100\t2.005\tT\t0"},
    {"pin 1 down and left: rule 5",
     join({pad(1000, 1000, "1"), pad(1200, 1200, "2")}), "U1\t1.100\t1.100\tT\t0"},
    {"pin 1 up and left: rule 6",
     join({pad(1000, 1200, "1"), pad(1200, 1000, "2")}), "U1\t1.100\t1.100\tT\t90"},
    {"pin 1 up and right: rule 7",
     join({pad(1200, 1200, "1"), pad(1000, 1000, "2")}), "U1\t1.100\t1.100\tT\t180"},
    {"pin 1 down and right: rule 8",
     join({pad(1200, 1000, "1"), pad(1000, 1200, "2")}), "U1\t1.100\t1.100\tT\t270"},
    {"legend on the bottom legend layer: mirrored about the board's right edge",
     join({pad(1000, 2000, "1"), pad(1200, 2000, "2"), {"CT", "900 1900 1300 1900 8 3"}}),
     "U1\t2.900\t2.000\tB\t180"},
    {"no pin 1, spans 400 by 100",
     join({pad(1000, 1000, "2"), pad(1400, 1100, "3")}), "U1\t1.200\t1.050\tT\t0"},
    {"no pin 1, spans 100 by 400",
     join({pad(1000, 1000, "2"), pad(1100, 1400, "3")}), "U1\t1.050\t1.200\tT\t90"},
    {"no pin 1, equal spans",
     join({pad(1000, 1000, "2"), pad(1200, 1200, "3")}), "U1\t1.100\t1.100\tT\t?"},
    {"no pin 1: the marker arc left of the centre",
     join({pad(1000, 1000, "2"), pad(1200, 1200, "3"), {"CA", "950 1100 20 15 8 7"}}),
     "U1\t1.100\t1.100\tT\t0"},
    {"a marker in the centre's 25-mil cell is no reference",
     join({pad(1000, 1000, "2"), pad(1200, 1400, "3"), {"CA", "1105 1195 20 15 8 7"}}),
     "U1\t1.100\t1.200\tT\t90"},
    {"no pads and no copper fills: the centre (0, 0)",
     {"CT", "0 0 100 0 8 7"}, "U1\t0.000\t0.000\tT\t?"},
    {"copper fills give the extents of a padless part",
     {"CF", "1000 1000 1400 1100 1"}, "U1\t1.200\t1.050\tT\t0"},
    {"a fill on the bottom fill layer makes the part a bottom one",
     {"CF", "1000 1000 1400 1100 6"}, "U1\t2.800\t1.050\tB\t0"},
    {"parts beyond ten inches keep their last mil",
     join({pad(12345, 2000, "1"), pad(12345, 2000, "2")}), "U1\t12.345\t2.000\tT\t?"},
    {"free primitives inside a block are not the part's",
     join({pad(1000, 2000, "1"), pad(1200, 2000, "2"), {"FT", "900 1900 1300 1900 8 3"},
           {"FP", "5000 5000 60 60 1 28 1 13", "1"}}),
     "U1\t1.100\t2.000\tT\t0"},
};
// clang-format on

TEST(Placement, ComponentLines) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        auto lines = place(board(component("U1", c.primitives)));
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[2], c.line);
    }
}

TEST(Placement, FileLayoutAndNumberFormats) {
    auto text = board(component("U1", join({pad(1000, 2000, "1"), pad(1200, 2000, "2")})));
    PlacementOptions german;
    german.decimalSeparator = ',';
    // TAB-delimited: the locale's separator in the numbers; the header keeps its commas and the
    // corners line its points
    EXPECT_EQ(place(text, german), (Lines{"corners at 0.000, 0.000 x 4.000, 3.000",
                                          "Component ID, x position, y position, Side, Rotation",
                                          "U1\t1,100\t2,000\tT\t0"}));
    // comma-delimited: "." whatever the locale, or the numbers could not be split
    german.commaDelimited = true;
    EXPECT_EQ(place(text, german).back(), "U1,1.100,2.000,T,0");
    // a board with no objects at all has no extents
    EXPECT_EQ(place(crlf({"PCB FILE 4", "ENDPCB"})).front(),
              "corners at 0.000, 0.000 x 0.000, 0.000");
    // outline beyond ten inches: three plain decimals in the corners line
    EXPECT_EQ(place(crlf({"FT", "-50 0 12345 10001 10 7"})).front(),
              "corners at -0.050, 0.000 x 12.345, 10.001");
}

// Without overlay or board-layer tracks the board is where its objects are: the corners
// line and the mirroring of bottom parts take the extents of every object, pads, vias and
// tracks with their sizes, fills and arcs; a text counts by its strokes.
TEST(Placement, BoardWithoutOutlineTracksTakesItsObjectsExtents) {
    // U1 with its designator hidden; B1 with a legend track on the bottom legend layer
    const Lines records =
        join({{"PCB FILE 4", "COMP", "U1", "DIP", "X", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 0 0 0"},
              pad(1000, 2000, "1"),
              pad(1200, 2000, "2"),
              {"ENDCOMP", "COMP", "B1", "SO8", "X", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 0 0 0",
               "CT", "1450 950 1750 950 10 3"},
              pad(1500, 1000, "1"),
              pad(1700, 1000, "2"),
              {"ENDCOMP", "FV", "2500 500 50 28",  // down to y 475
               "FF", "300 2500 400 2600 1",        // a fill
               "FA", "3000 1500 100 1 10 1",       // a quarter out to x 3105
               "FT", "250 2000 250 3000 20 6",     // from x 240, up to y 3010
               "ENDPCB"}});
    EXPECT_EQ(place(crlf(records)), (Lines{"corners at 0.240, 0.475 x 3.105, 3.010",
                                           "Component ID, x position, y position, Side, Rotation",
                                           "U1\t1.100\t2.000\tT\t0", "B1\t1.505\t1.000\tB\t180"}));
    // a text alone: its strokes, from about its start
    const Lines text = place(crlf({"PCB FILE 4", "FS", "1000 1000 100 0 10 7", "AB", "ENDPCB"}));
    EXPECT_TRUE(text.front().starts_with("corners at 0.99")) << text.front();
}

TEST(Placement, RobberPadRule) {
    Lines fills;
    for (int i = 0; i < 10; ++i) {
        int x = 1000 + 100 * i;
        fills.push_back("CF");
        fills.push_back(std::to_string(x) + " 1000 " + std::to_string(x + 51) + " 1049 1");
    }
    // two larger thieving fills far off to the right and above
    for (const char* f : {"3000 2000 3200 2200 1", "3300 2000 3500 2200 1"}) {
        fills.push_back("CF");
        fills.push_back(f);
    }
    auto text = board(component("RP1", fills));
    PlacementOptions opt;
    EXPECT_EQ(place(text, opt).back(), "RP1\t2.250\t1.600\tT\t0");  // every fill counts
    opt.ignoreRobberPads = true;
    EXPECT_EQ(place(text, opt).back(), "RP1\t1.475\t1.024\tT\t0");  // the ten equal ones only

    // the first fill is a large one: the rule keeps the ten that differ from it
    Lines largeFirst = {"CF", "3000 2000 3200 2200 1", "CF", "3300 2000 3500 2200 1"};
    largeFirst.insert(largeFirst.end(), fills.begin(), fills.end() - 4);
    EXPECT_EQ(place(board(component("RP2", largeFirst)), opt).back(), "RP2\t1.475\t1.024\tT\t0");

    // with a pad the fills are left alone
    auto withPad = fills;
    auto p = pad(1500, 1500, "2");
    withPad.insert(withPad.end(), p.begin(), p.end());
    EXPECT_EQ(place(board(component("RP3", withPad)), opt).back(), "RP3\t2.250\t1.600\tT\t0");
}

TEST(Placement, SortKeepsEqualKeysInOrder) {
    auto two = join({pad(1000, 2000, "1"), pad(1200, 2000, "2")});
    Lines records;
    for (const char* d : {"R1", "C10", "C2", "U", "C2A", "C02"}) {
        auto c = component(d, two);
        records.insert(records.end(), c.begin(), c.end());
    }
    PlacementOptions opt;
    opt.sortResults = true;
    opt.commaDelimited = true;
    auto lines = place(board(records), opt);
    Lines designators;
    for (size_t i = 2; i < lines.size(); ++i) {
        designators.push_back(lines[i].substr(0, lines[i].find(',')));
    }
    EXPECT_EQ(designators, (Lines{"C2", "C2A", "C02", "C10", "R1", "U"}));
}

TEST(Placement, BoardRecordsAreReadWholeLine) {
    // a free string "COMPONENT SIDE" and one reading "FT" are strings, not records; a block
    // cut off by the end of the file is finished with what was read; empty lines at the end
    Lines records = {"FS", "100 100 60 0 8 7", "COMPONENT SIDE",
                     "FS", "0 0 60 0 8 7",     "FT",
                     "FS", "0 0 60 0 8 7",     "COMP"};
    auto u1 = component("U1", join({pad(1000, 2000, "1"), pad(1200, 2000, "2")}));
    records.insert(records.end(), u1.begin(), u1.end());
    auto u2 = component("U2", join({pad(1000, 1000, "1"), pad(1000, 1200, "2")}));
    u2.pop_back();  // no ENDCOMP
    records.insert(records.end(), u2.begin(), u2.end());
    auto text = board(records);
    text.resize(text.size() - 8);  // no ENDPCB either
    text += "\r\n\r\n";
    auto lines = place(text);
    EXPECT_EQ(lines, (Lines{"corners at 0.000, 0.000 x 4.000, 3.000",
                            "Component ID, x position, y position, Side, Rotation",
                            "U1\t1.100\t2.000\tT\t0", "U2\t1.000\t1.100\tT\t270"}));
}

TEST(Placement, NeverWritesOverTheBoard) {
    TempDir dir;
    auto text = board(component("U1", pad(1000, 2000, "1")));
    auto path = dir.write("X.UCM", text);
    EXPECT_THROW(writePlacementFile(path, {}), common::IoError);
    EXPECT_EQ(readFile(path), text);
}

// Every sample board gives one line per component block.
TEST(Placement, SampleBoards) {
    auto boards = testing::sampleBoards();
    if (boards.empty()) {
        GTEST_SKIP() << "shared samples absent";
    }
    for (const auto& sample : boards) {
        SCOPED_TRACE(sample);
        TempDir dir;
        auto result = writePlacementFile(sample, {}, dir.file("out.UCM"));
        auto lines = crlfLines(readFile(result.outputPath));
        auto text = readFile(sample);
        size_t blocks = 0;
        for (size_t at = text.find("\nCOMP\r"); at != std::string::npos;
             at = text.find("\nCOMP\r", at + 1)) {
            ++blocks;
        }
        EXPECT_EQ(result.components, blocks);
        EXPECT_EQ(lines.size(), blocks + 2);
        EXPECT_TRUE(result.problems.empty());
    }
}

}  // namespace
}  // namespace padloom::annotate
