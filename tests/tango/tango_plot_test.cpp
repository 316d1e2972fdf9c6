#include "tango/tango_plot.h"

#include <filesystem>
#include <set>

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::tango {
namespace {

using Lines = std::vector<std::string>;

// A TANGO board BOARD.PCB in a fresh folder, plotted as the window plots it.
struct TangoRun {
    testing::TempDir dir;
    common::ScriptedHost host;
    TangoOptions options;
    std::string board;

    explicit TangoRun(const Lines& lines) { board = dir.write("BOARD.PCB", testing::crlf(lines)); }

    common::Outcome plot(std::initializer_list<int> layers = {}) {
        for (int layer : layers) {
            options.layers[layer] = true;
        }
        host.openAnswers.push_back({board});
        return plotTango(host, options);
    }
    std::string output(const std::string& suffix) const {
        return testing::readFile(dir.file("BOARD.OUT" + suffix));
    }
    Lines outputLines(const std::string& suffix) const {
        return testing::crlfLines(output(suffix));
    }
    // The lines after the aperture definitions, up to and with "M02*".
    Lines body(const std::string& suffix) const {
        Lines lines = outputLines(suffix);
        auto end = std::find(lines.begin(), lines.end(), "G04 End of apeture information*");
        return Lines(end + 1, lines.end());
    }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
};

const Lines kHeaderStart = {"G04 Format statement*", "%FSLAX23Y23*%", "%MOIN*%", "%IPPOS*%",
                            "G04 Apeture information*"};

Lines withHeader(const Lines& definitions, const Lines& body) {
    Lines all = kHeaderStart;
    all.insert(all.end(), definitions.begin(), definitions.end());
    all.push_back("G04 End of apeture information*");
    all.insert(all.end(), body.begin(), body.end());
    return all;
}

TEST(TangoNames, OutputBaseNameReplacesPcbInTheFileNameOnly) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"/jobs/BOARD.PCB", "/jobs/BOARD.OUT"},
        {"/jobs/old.PCB/BOARD.PCB", "/jobs/old.PCB/BOARD.OUT"},
        {"C:\\JOBS.PCB\\A.PCB.PCB", "C:\\JOBS.PCB\\A.OUT.OUT"},
        {"/jobs/board.pcb", "/jobs/board.pcb"},
    };
    // clang-format on
    for (const auto& [path, base] : cases) {
        EXPECT_EQ(outputBaseName(path), base) << path;
    }
    EXPECT_EQ(apertureNameShown("/jobs/old.PCB/BOARD.PCB"), "/jobs/old.PCB/BOARD.APT");
}

TEST(TangoPlot, TopPadOnEveryLayerItBelongsTo) {
    TangoRun run({"PAD SQ 60 80 0 TL 0 0 1000 1000"});
    ASSERT_EQ(run.plot({1, 6, 10, 11, 12, 15, 16}), common::Outcome::Done);
    const Lines definitions = {"%ADD20C,.000*%", "%ADD21C,.006*%", "%ADD22R,.060X.080*%",
                               "%ADD23R,.066X.086*%"};
    EXPECT_EQ(run.outputLines(".GTL"),
              withHeader(definitions, {"D22*", "D02*X1000Y1000*", "D02*X1000Y1000*D03*", "M02*"}));
    EXPECT_EQ(run.body(".GTS"), (Lines{"D23*", "D02*X1000Y1000*", "D02*X1000Y1000*D03*", "M02*"}));
    EXPECT_EQ(run.body(".GTP"), (Lines{"D23*", "D02*X1000Y1000*", "D02*X1000Y1000*D03*", "M02*"}));
    for (const char* suffix : {".GBL", ".GBS", ".GBP", ".GDG"}) {
        EXPECT_EQ(run.outputLines(suffix), withHeader(definitions, {"M02*"})) << suffix;
    }
    EXPECT_EQ(run.host.lines,
              (Lines{run.board, run.dir.file("BOARD.APT"), run.dir.file("BOARD.OUT"), "",
                     "Dimentions are: 1000000 1000000, -1, -1", ".GTL", ".GBL", ".GDG", ".GTS",
                     ".GBS", ".GTP", ".GBP", "Done"}));
}

TEST(TangoPlot, AllLayerPadsAndViasByLayer) {
    // an "AL" pad with a hole, one without, a via and a "BL" pad
    TangoRun run({"PAD EL 60 60 32 AL 0 0 100 100", "PAD EL 60 60 0 AL 0 0 200 200",
                  "VIA 0 40 20 0 300 300", "PAD SQ 70 70 0 BL 0 0 400 400"});
    run.options.sizes = {10, -4, 25};
    ASSERT_EQ(run.plot({2, 6, 10, 12, 13, 14, 15, 16}), common::Outcome::Done);
    // D20 guide 25, D21 pen, D22 60, D23 70 mask, D24 56 paste, D25 40, D26 50, D27 36,
    // D28 70 x 70, D29 80 x 80, D30 66 x 66
    EXPECT_EQ(run.body(".GM1"), (Lines{"D22*", "D02*X100Y100*", "D02*X100Y100*D03*",
                                       "D02*X200Y200*D03*", "D25*", "D02*X300Y300*D03*", "M02*"}));
    EXPECT_EQ(run.body(".GDG"), (Lines{"D20*", "D02*X100Y100*", "D02*X100Y100*D03*", "D22*",
                                       "D02*X200Y200*D03*", "D20*", "D02*X300Y300*D03*", "M02*"}));
    EXPECT_EQ(run.body(".GBS"),
              (Lines{"D23*", "D02*X100Y100*", "D02*X100Y100*D03*", "D02*X200Y200*D03*", "D26*",
                     "D02*X300Y300*D03*", "D29*", "D02*X400Y400*D03*", "M02*"}));
    EXPECT_EQ(run.body(".GBP"), (Lines{"D30*", "D02*X400Y400*", "D02*X400Y400*D03*", "M02*"}));
    EXPECT_EQ(run.body(".GTP"), (Lines{"M02*"}));
    // the planes are not written: nothing of the all-layer pads lands on a plane file
    EXPECT_FALSE(run.files().count("BOARD.OUT.GGD"));
    EXPECT_FALSE(run.files().count("BOARD.OUT.GPW"));
    EXPECT_NE(std::find(run.host.lines.begin(), run.host.lines.end(),
                        ".GGD not written: a TANGO board has no plane layers"),
              run.host.lines.end());
}

TEST(TangoPlot, DrillGuideSize) {
    TangoRun run({"VIA 0 40 20 0 300 300"});
    run.options.sizes.drillGuide = 1250;
    ASSERT_EQ(run.plot({17}), common::Outcome::Done);
    EXPECT_EQ(run.outputLines(".GBD")[5], "%ADD20C,1.250*%");
}

TEST(TangoPlot, LinesPolygonsAndThePointAfterAPad) {
    TangoRun run({"LINE 10 0 0 0 100 0", "LINE 10 0 100 0 200 50", "POLY 12 0", "PNT 0 0",
                  "PNT 100 0", "PAD SQ 60 80 0 TL 0 0 500 500", "PNT 100 100", "PNT 0 0",
                  "LINE 10 1 0 0 9 9", "PNT 7 7"});
    ASSERT_EQ(run.plot({1}), common::Outcome::Done);
    EXPECT_EQ(run.body(".GTL"),
              (Lines{"D22*", "D02*X0Y0*", "D02*X0Y0*", "D01*X100Y0*",  // a line always moves
                     "D02*X100Y0*", "D01*X200Y50*",                    //
                     "D23*", "D02*X0Y0*", "D01*X100Y0*",               // the POLY's points
                     "D24*", "D02*X500Y500*D03*",                      // the pad
                     "D23*", "D02*X100Y0*", "D01*X100Y100*",           // back to the point
                     "D01*X0Y0*", "M02*"}));
}

TEST(TangoPlot, ArcWriter) {
    testing::TempDir dir;
    {
        plot::LayerFile file(dir.file("a.gbr"));
        file.out.line("X");
        writeTangoArc(file, 1000, 1000, 100, 0, 90, 21);
        file.out.write("|");
        writeTangoArc(file, 0, 0, 0, 180, 90, 21);  // radius 0 is drawn as 1
        file.out.write("|");
        EXPECT_FALSE(writeTangoArc(file, 0, 0, 50, 30, 0, 21));  // would be a full ring
        writeTangoArc(file, 0, 0, 100, 90, -90, 22);             // drawn from 0 to 90
        file.out.commit();
        EXPECT_EQ(file.currentAperture, 22);
    }
    EXPECT_EQ(testing::readFile(dir.file("a.gbr")),
              "X\r\n\r\nD21*\r\nG75*X1100Y1000D02*\r\nG03X1000Y1100I-100J0D01*D02*G01*|\r\n"
              "D21*\r\nG75*X-1Y0D02*\r\nG03X0Y-1I1J0D01*D02*G01*|\r\n"
              "D22*\r\nG75*X100Y0D02*\r\nG03X0Y100I-100J0D01*D02*G01*");
}

TEST(TangoPlot, WithX2TheOutlineFileDrawsTheBoardOutlineLayer) {
    // the outline as lines, a polyline and an arc of the board-outline layer (14); a text on
    // it and a line of the legend's own layer (8) stay off the outline file
    const Lines outline = {"LINE 10 14 0 0 2000 0", "ARC 500 270 180 10 14 2000 500",
                           "POLY 10 14", "PNT 2000 1000", "PNT 0 1000", "PNT 0 0",
                           "TEXT T 60 0 8 14 10 10", "LINE 8 8 100 100 200 100",
                           "PAD EL 60 60 32 AL 1 0 1000 500"};
    TangoRun run(outline);
    run.options.x2 = true;
    run.options.creationDate = "2026-12-08T07:30:00+00:00";
    ASSERT_EQ(run.plot({7, 17}), common::Outcome::Done);
    const Lines drawn = run.body(".GBD");
    EXPECT_EQ(drawn, (Lines{"G01*", "G75*", "D22*", "X0Y0D02*", "X2000Y0D01*",
                            "X2000Y0D02*G03*X2000Y1000I0J500D01*G01*", "X2000Y1000D02*",
                            "X0Y1000D01*", "X0Y0D01*", "M02*"}));
    // the legend keeps the outline, the text and its own line
    const std::string legend = run.output(".GTO");
    EXPECT_NE(legend.find("X0Y0D02*"), std::string::npos);
    EXPECT_NE(legend.find("X100Y100D02*"), std::string::npos);
    // the board's size is the drawn outline's, along the centre of its lines: the arc's
    // rightmost point, 500 right of its centre, is the outline's
    EXPECT_NE(run.output(".gbrjob").find("\"Size\": {\"X\": 63.5, \"Y\": 25.4}"),
              std::string::npos)
        << run.output(".gbrjob");

    // without the outline file, or without X2, the outline file has no outline and the job
    // file no size
    TangoRun noProfile(outline);
    noProfile.options.x2 = true;
    ASSERT_EQ(noProfile.plot({7}), common::Outcome::Done);
    EXPECT_EQ(noProfile.output(".gbrjob").find("\"Size\""), std::string::npos);
    TangoRun plain(outline);
    ASSERT_EQ(plain.plot({17}), common::Outcome::Done);
    EXPECT_EQ(plain.body(".GBD"), (Lines{"M02*"}));
}

TEST(TangoPlot, TrigonometryIsExactAtRightAnglesAndSnapped) {
    // clang-format off
    const std::tuple<int, int, int> cases[] = {
        {0, 100, 0}, {90, 0, 100}, {180, -100, 0}, {270, 0, -100}, {-90, 0, -100},
        {450, 0, 100}, {30, 86, 50}, {150, -86, 50}, {210, -86, -50}, {45, 70, 70},
        {60, 50, 86}, {-30, 86, -50},
    };
    // clang-format on
    for (auto [degrees, x, y] : cases) {
        EXPECT_EQ(polarOffset(100, degrees), std::make_pair(x, y)) << degrees;
    }
}

TEST(TangoPlot, TextsMirroredOnBottomCopperWithTheirOwnSelections) {
    // "L" at 67 mils plots at 60 (s = 10)
    TangoRun run({"TEXT L 67 0 8 0 1000 2000", "TEXT L 67 0 8 1 1000 2000", "LINE 10 0 0 0 1 1",
                  "TEXT L 67 0 8 0 1000 2000", "TEXT L 67 0 8 0 1000 2000"});
    ASSERT_EQ(run.plot({1, 6}), common::Outcome::Done);
    const std::string upright =
        "D02*X1000Y2000*D01*X1000Y2000*X1000Y2060*D02*X1000Y2000*D01*X1000Y2060*D02*X1040Y2000*"
        "D01*X1000Y2000*X1000Y2000*D02*";
    const std::string mirrored =
        "D02*X1000Y2000*D01*X1000Y2000*X1000Y2060*D02*X1000Y2000*D01*X1000Y2060*D02*X960Y2000*"
        "D01*X1000Y2000*X1000Y2000*D02*";
    EXPECT_EQ(run.body(".GTL"), (Lines{"D22*" + upright, "D23*", "D02*X0Y0*", "D02*X0Y0*",
                                       "D01*X1Y1*", "D22*" + upright, upright, "M02*"}));
    EXPECT_EQ(run.body(".GBL"), (Lines{"D22*" + mirrored, "M02*"}));
}

// An empty text (a ".REFDES" of a component without a name, or "") draws nothing but selects
// its aperture all the same, on the line of whatever is written next.
TEST(TangoPlot, EmptyTextsStillSelectTheirAperture) {
    TangoRun run({"TEXT \"\" 60 0 8 0 1000 2000", "LINE 10 0 0 0 1 1",
                  "TEXT .REFDES 60 0 8 0 0 0 0 0 0 0 5", "COMP \"\" DIP8 0 0 0 0 0 0 0 0 0 5"});
    ASSERT_EQ(run.plot({1}), common::Outcome::Done);
    EXPECT_EQ(run.body(".GTL"),
              (Lines{"D22*D23*", "D02*X0Y0*", "D02*X0Y0*", "D01*X1Y1*", "D22*M02*"}));
}

TEST(TangoPlot, DesignatorsAndHiddenTexts) {
    const Lines designator = {"TEXT .REFDES 60 0 8 8 100 200 0 0 0 0 3",
                              "TEXT .PATTERN 60 0 8 8 100 400 0 0 0 0 3",
                              "COMP U3 DIP8 0 0 0 0 0 0 0 0 0 3"};
    TangoRun byNumber(designator);
    TangoRun literal({"TEXT U3 60 0 8 8 100 200 0 0 0 0 0"});
    ASSERT_EQ(byNumber.plot({7}), common::Outcome::Done);
    ASSERT_EQ(literal.plot({7}), common::Outcome::Done);
    EXPECT_EQ(byNumber.output(".GTO"), literal.output(".GTO"));
    EXPECT_EQ(byNumber.body(".GTO").size(), 3u);  // two characters and "M02*"
}

TEST(TangoPlot, EmptyLayersHoldHeaderAndEnd) {
    TangoRun run(
        {"PAD SQ 60 80 0 TL 0 0 1000 1000", "LINE 10 8 0 0 100 100", "TEXT A 60 0 8 14 0 0"});
    ASSERT_EQ(run.plot({8, 17}), common::Outcome::Done);
    for (const char* suffix : {".GBO", ".GBD"}) {
        EXPECT_EQ(run.body(suffix), (Lines{"M02*"})) << suffix;
        const Lines lines = run.outputLines(suffix);
        EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5), kHeaderStart);
    }
}

TEST(TangoPlot, DrillFileAndItsMessages) {
    TangoRun run({"VIA 0 60 40 0 500 500", "PAD EL 60 60 28 AL 0 0 900 100",
                  "VIA 0 60 40 0 500 500", "PAD EL 60 60 0 AL 0 0 100 100",
                  "PAD EL 60 60 28 TL 0 0 300 300"});
    run.options.ncDrill = true;
    ASSERT_EQ(run.plot(), common::Outcome::Done);
    const Lines& memo = run.host.lines;
    EXPECT_EQ(Lines(memo.begin() + 5, memo.end()),
              (Lines{"NC Drill", "WARNING: Multiple drill hits at 500x500", "0", "28", "40", "40",
                     "Done"}));
    EXPECT_EQ(run.host.beeps, 1);
    EXPECT_EQ(run.outputLines(".TXT"),
              (Lines{"M48", ";FILE_FORMAT=2:3", "INCH,LZ", "M72", "T01C0.028", "T02C0.040", "%",
                     "T01", "X00900Y00100", "T02", "X00500Y00500", "X00500Y00500", "T00", "M30"}));
}

TEST(TangoPlot, DrillDrawingMarksInOrderOfFirstAppearance) {
    TangoRun run({"LINE 10 14 0 0 2000 1000", "VIA 0 60 40 0 100 100",
                  "PAD EL 60 60 28 AL 0 0 200 200", "VIA 0 60 40 0 300 300"});
    ASSERT_EQ(run.plot({9}), common::Outcome::Done);
    const std::string gdd = run.output(".GDD");
    // the pen is D21, the 6-mil circle; 40 mils is the first size (a plain square), 28 the
    // second (a square with the second figure)
    EXPECT_NE(gdd.find("G04 End of apeture information*\r\nD21*D02*X60Y140*"), std::string::npos);
    const size_t first = gdd.find("D02*X60Y140*");
    const size_t third = gdd.find("D02*X260Y340*");
    const size_t second = gdd.find("D02*X160Y240*");
    EXPECT_LT(first, third);
    EXPECT_LT(third, second);
    EXPECT_NE(gdd.find("X200Y240*D01*X200Y200*D02*"), std::string::npos);  // figure of tool 2
    // no board outline: the line on layer 14 is not drawn, only the dimensions
    EXPECT_EQ(gdd.find("X0Y0*D01*X2000Y1000*"), std::string::npos);
    EXPECT_NE(gdd.find("D02*X0Y1125*D01*X2000Y1125*D02*"), std::string::npos);
    EXPECT_TRUE(gdd.ends_with("M02*\r\n"));
}

TEST(TangoPlot, CancelledDialogAndRefusedBoardWriteNothing) {
    TangoRun run({"COMP U1 x 0 0 0 0 0 0 0 0 0 5000"});
    EXPECT_EQ(plotTango(run.host, run.options), common::Outcome::Cancelled);
    EXPECT_TRUE(run.host.lines.empty());
    run.options.ncDrill = true;
    EXPECT_EQ(run.plot({1, 9}), common::Outcome::Refused);
    EXPECT_EQ(run.files(), (std::set<std::string>{"BOARD.PCB"}));
    EXPECT_NE(run.host.lines.back().find("line 1: the component number 5000"), std::string::npos);
}

TEST(TangoPlot, ExampleBoardPlotsEveryOfferedLayerCleanly) {
    const std::string example = testing::sourceDir() + "/examples/tango/DEMO.PCB";
    TangoRun run(testing::crlfLines(testing::readFile(example)));
    run.options.ncDrill = true;
    ASSERT_EQ(run.plot({1, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17}), common::Outcome::Done);
    for (const auto& line : run.host.lines) {
        EXPECT_EQ(line.find("Error"), std::string::npos) << line;
        EXPECT_EQ(line.find("line "), std::string::npos) << line;
    }
    EXPECT_EQ(run.host.lines.back(), "Done");
    EXPECT_EQ(run.files().size(), 13u);  // the board, 11 layer files and the drill file
}

}  // namespace
}  // namespace padloom::tango
