#include "plot/nc_drill.h"

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using testing::crlf;
using Lines = std::vector<std::string>;

struct Drill {
    testing::TempDir dir;
    board::RunValues rv;
    common::ScriptedHost host;
    PlotOptions options;

    Drill(const Lines& board, std::vector<board::DrillTallyEntry> tally) {
        rv.boardFile = dir.write("B.PCB", crlf(board));
        rv.aptFile = dir.file("B.APT");
        rv.baseName = dir.file("B");
        rv.drillTally = std::move(tally);
        rv.aptMade = true;
    }
    Lines run() {
        createNcDrillFile(host, options, rv);
        return testing::crlfLines(testing::readFile(dir.file("B.TXT")));
    }
};

TEST(NcDrill, MinimalFileForOneVia) {
    Drill drill({"PCB FILE 4", "FV", "1500 2000 60 32", "ENDPCB"}, {{32, 1}});
    EXPECT_EQ(drill.run(), (Lines{"M48", ";FILE_FORMAT=2:3", "INCH,LZ", "M72", "T01C0.032", "%",
                                  "T01", "X01500Y02000", "T00", "M30"}));
    EXPECT_EQ(drill.host.lines, (Lines{"NC Drill"}));
}

TEST(NcDrill, NothingDrilled) {
    // a pad with a hole on the top layer, a Multi Layer pad without a hole, a string that
    // looks like a keyword
    Drill drill({"FP", "100 100 60 60 1 28 1 1", "1", "FP", "200 200 60 60 1 0 1 13", "1", "FS",
                 "0 0 60 0 8 7", "FV"},
                {});
    EXPECT_EQ(drill.run(), (Lines{"M48", ";FILE_FORMAT=2:3", "INCH,LZ", "M72", "%", "T00", "M30"}));
}

TEST(NcDrill, ToolsOrderAndBothForms) {
    const Lines board = {"FV", "950 300 60 40", "FP", "123456 5 60 60 1 28 1 13",  "1",
                         "FV", "950 200 60 40", "FP", "400 400 80 80 1 1250 1 13", "1"};
    Drill drill(board, {{28, 1}, {40, 2}, {1250, 1}});
    EXPECT_EQ(drill.run(),
              (Lines{"M48", ";FILE_FORMAT=2:3", "INCH,LZ", "M72", "T01C0.028", "T02C0.040",
                     "T03C1.250", "%", "T01", "X123456Y00005", "T02", "X00950Y00200",
                     "X00950Y00300", "T03", "X00400Y00400", "T00", "M30"}));
    drill.options.drillFormat24 = true;
    auto lines = drill.run();
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
              (Lines{"M48", ";FILE_FORMAT=2:4", "INCH,LZ", "M72"}));
    EXPECT_EQ(lines[9], "X1234560Y000050");
    EXPECT_EQ(lines[11], "X009500Y002000");
}

TEST(NcDrill, FormatsInExcellonTerms) {
    struct Case {
        const char* text;
        std::optional<DrillFormat> format;
        const char* written;
    };
    using U = DrillUnits;
    using Z = DrillZeros;
    // clang-format off
    const Case cases[] = {
        {"2.3", DrillFormat{U::Inch, 2, 3, Z::Leading}, "INCH,2:3,LZ"},
        {"2.4", DrillFormat{U::Inch, 2, 4, Z::Leading}, "INCH,2:4,LZ"},
        {"INCH,2:4,TZ", DrillFormat{U::Inch, 2, 4, Z::Trailing}, "INCH,2:4,TZ"},
        {"metric 3:3 lz", DrillFormat{U::Metric, 3, 3, Z::Leading}, "METRIC,3:3,LZ"},
        {" METRIC, 3:3 ,TZ", DrillFormat{U::Metric, 3, 3, Z::Trailing}, "METRIC,3:3,TZ"},
        {"METRIC,2:4,LZ", std::nullopt, ""}, {"INCH,2:4", std::nullopt, ""},
        {"INCH,2:4,KZ", std::nullopt, ""}, {"2.5", std::nullopt, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(parseDrillFormat(c.text), c.format) << c.text;
        if (c.format) {
            EXPECT_EQ(drillFormatText(*c.format), c.written);
        }
    }
    // every digit of the format, in thousandths or ten-thousandths of an inch or micrometres
    // (a mil is 25.4 of them, halves away from zero)
    const DrillFormat metric{U::Metric, 3, 3, Z::Trailing};
    EXPECT_EQ(drillCoordinate(1500, metric), "038100");
    EXPECT_EQ(drillCoordinate(-5, metric), "-000127");
    EXPECT_EQ(drillCoordinate(50000, metric), "1270000");
    EXPECT_EQ(drillCoordinate(950, DrillFormat{U::Inch, 2, 4, Z::Trailing}), "009500");
}

TEST(NcDrill, MetricFileWithTrailingZerosKept) {
    Drill drill({"FV", "1500 2000 60 32", "FV", "-5 100 60 125"}, {{32, 1}, {125, 1}});
    drill.options.drillFormat = DrillFormat{DrillUnits::Metric, 3, 3, DrillZeros::Trailing};
    EXPECT_EQ(drill.run(), (Lines{"M48", ";FILE_FORMAT=3:3", "METRIC,TZ", "M71", "T01C0.813",
                                  "T02C3.175", "%", "T01", "X038100Y050800", "T02",
                                  "X-000127Y002540", "T00", "M30"}));
    // the plot's own 2,4 form in Excellon's terms gives its bytes
    Drill inch({"FV", "1500 2000 60 32"}, {{32, 1}});
    inch.options.drillFormat24 = true;
    const Lines own = inch.run();
    inch.options.drillFormat24 = false;
    inch.options.drillFormat = parseDrillFormat("INCH,2:4,LZ");
    EXPECT_EQ(inch.run(), own);
}

TEST(NcDrill, ThreeViasAtOnePlace) {
    Drill drill({"FV", "700 800 60 32", "FV", "700 800 60 32", "FV", "700 800 50 32"}, {{32, 3}});
    auto lines = drill.run();
    EXPECT_EQ(Lines(lines.begin() + 6, lines.end() - 2),
              (Lines{"T01", "X00700Y00800", "X00700Y00800", "X00700Y00800"}));
    EXPECT_EQ(drill.host.lines, (Lines{"NC Drill", "WARNING: Multiple drill hits at 700x800",
                                       "WARNING: Multiple drill hits at 700x800"}));
    EXPECT_EQ(drill.host.beeps, 2);
}

TEST(NcDrill, ToolNumbersFromOneHundredUp) {
    Lines board;
    std::vector<board::DrillTallyEntry> tally;
    for (int size = 1; size <= 100; ++size) {
        board.push_back("FV");
        board.push_back("0 " + std::to_string(size) + " 200 " + std::to_string(size));
        tally.push_back({size, 1});
    }
    Drill drill(board, tally);
    auto lines = drill.run();
    EXPECT_EQ(lines[103], "T100C0.100");
    EXPECT_EQ(lines[lines.size() - 4], "T100");
    EXPECT_EQ(lines[lines.size() - 3], "X00000Y00100");
}

TEST(NcDrill, HoleSizeMissingFromTheTally) {
    Drill drill({"FV", "10 10 60 32", "FV", "20 20 60 35"}, {{32, 1}});
    EXPECT_EQ(drill.run(), (Lines{"M48", ";FILE_FORMAT=2:3", "INCH,LZ", "M72", "T01C0.032", "%",
                                  "T01", "X00010Y00010", "T00", "M30"}));
    EXPECT_EQ(drill.host.lines,
              (Lines{"NC Drill",
                     "Error: no drill tool for the hole size 35 at 20,20: it is not in the drill "
                     "tally; not drilled"}));
}

}  // namespace
}  // namespace padloom::plot
