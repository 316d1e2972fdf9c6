#include "board/aperture_table.h"
#include "plot/gerber_header.h"
#include "plot/layer_file.h"
#include "plot/pour_edges.h"
#include "plot/x2_attributes.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using board::ApertureEntry;
using testing::crlf;
using testing::readFile;
using testing::TempDir;
using Lines = std::vector<std::string>;

struct DefinitionCase {
    ApertureEntry entry;
    int pourEnlargement;
    std::string expected;
};

class ApertureDefinition : public ::testing::TestWithParam<DefinitionCase> {};

TEST_P(ApertureDefinition, WritesTheExactLines) {
    const auto& c = GetParam();
    EXPECT_EQ(apertureDefinition(c.entry, c.pourEnlargement), c.expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(AllShapes, ApertureDefinition, ::testing::Values(
    DefinitionCase{{1, 62, 62, 10}, 6, "%ADD10C,.062*%\r\n"},
    DefinitionCase{{1, 1500, 1500, 11}, 6, "%ADD11C,1.500*%\r\n"},
    DefinitionCase{{2, 60, 80, 20}, 6, "%ADD20R,.060X.080*%\r\n"},
    DefinitionCase{{4, 60, 80, 24}, 6, "%ADD24O,.060X.080*%\r\n"},
    DefinitionCase{{3, 60, 60, 25}, 6, "%ADD25P,.060X8X22.5*%\r\n"},
    DefinitionCase{{7, 62, 62, 21}, 6, "%AMTHERM62*7,0,0,.082,.062,.020,0*%\r\n%ADD21THERM62*%\r\n"},
    DefinitionCase{{8, 60, 60, 22}, 6,
        "%AMTHERM_EXT_ROUND60*1,1,.060,0,0*20,1,0.015,-0.034,0,0.034,0,45*20,1,0.015,-0.034,0,0.034,0,-45*%\r\n"
        "%ADD22THERM_EXT_ROUND60*%\r\n"},
    DefinitionCase{{9, 60, 80, 23}, 6,
        "%AMTHERM_EXT_RECT60x80*21,1,0.060,0.080,0,0,0*20,1,0.015,-0.056,0,0.056,0,53*20,1,0.015,-0.056,0,0.056,0,-53*%\r\n"
        "%ADD23THERM_EXT_RECT60x80*%\r\n"},
    DefinitionCase{{9, 0, 0, 26}, 6,
        "%AMTHERM_EXT_RECT0x0*21,1,0.000,0.000,0,0,0*20,1,0.000,-0.006,0,0.006,0,0*20,1,0.000,-0.006,0,0.006,0,0*%\r\n"
        "%ADD26THERM_EXT_RECT0x0*%\r\n"},
    DefinitionCase{{10, 60, 80, 27}, 6,
        "%AMTHERM_EXT_RRECT60x80*21,1,0.060,0.080,0,0,0*%\r\n%ADD27THERM_EXT_RRECT60x80*%\r\n"},
    DefinitionCase{{6, 67, 67, 28}, 6,
        "%AMMOIRE67*6,0,0,.067,0.007,0.007,5,0,0,0*%\r\n%ADD28MOIRE67*%\r\n"},
    DefinitionCase{{5, 100, 100, 29}, 6,
        "%AMCROSSHAIR100*21,1,0.100,0.005,0,0*21,1,0.005,0.100,0,0*%\r\n%ADD29CROSSHAIR100*%\r\n"}));
// clang-format on

TEST(WriteApts, HeaderPolarityAndTableInOnePass) {
    TempDir dir;
    auto apt = dir.write("a.APT", crlf({"D10\tCIRCULAR   \t62\t62\t0\tMULTI", "junk",
                                        "D11\tRECTANGULAR\t60\t80\t0\tFLASH"}));
    for (int layer : {1, 13, 14}) {
        std::string out = dir.file("l" + std::to_string(layer) + ".gbr");
        board::ApertureTable table;
        {
            LayerFile file(out);
            writeApertureDefinitions(file, layer, apt, 6, table);
            file.out.commit();
        }
        EXPECT_EQ(readFile(out), crlf({"G04 Format statement*", "%FSLAX23Y23*%", "%MOIN*%",
                                       layer == 1 ? "%IPPOS*%" : "%IPNEG*%",
                                       "G04 Apeture information*", "%ADD10C,.062*%",
                                       "%ADD11R,.060X.080*%", "G04 End of apeture information*"}));
        EXPECT_EQ(table.size(), 2u);
        EXPECT_EQ(table.FindAperture(2, 60, 80), 11);
    }
}

std::string plotted(const std::function<void(LayerFile&)>& steps);

// The header of a layer file written in a style, the file's recipes kept in `recipes`.
std::string header(const std::string& apt, int layer, const FileStyle& style,
                   std::shared_ptr<const FlashRecipes>* recipes = nullptr) {
    TempDir dir;
    std::string out = dir.file("h.gbr");
    board::ApertureTable table;
    {
        LayerFile file(out);
        writeApertureDefinitions(file, layer, apt, 6, table, style);
        if (recipes) {
            *recipes = file.recipes;
        }
        file.out.commit();
    }
    return readFile(out);
}

TEST(WriteApts, X2PositivePlanesAndNoMacros) {
    TempDir dir;
    auto apt = dir.write("a.APT", crlf({"D10\tCIRCULAR   \t62\t62\t0\tMULTI",
                                        "D14\tCROSSHAIR  \t100\t100\t0\tMULTI",
                                        "D16\tRELIEF     \t60\t60\t0\tMULTI",
                                        "D19\tREL_E_RRECT\t60\t80\t0\tFLASH",
                                        "D11\tRECTANGULAR\t60\t80\t0\tFLASH"}));
    const Lines start{"G04 Format statement*", "%FSLAX23Y23*%", "%MOIN*%"};
    auto lines = [](const std::string& text) { return testing::crlfLines(text); };
    // with X2 attributes: no image polarity, even on a plane, and linear multi-quadrant
    // interpolation set once the apertures are defined
    const X2Facts facts = x2FactsFor("b.pcb", CopperStack(), "2026-12-08T07:30:00+00:00");
    Lines x2 = lines(header(apt, 13, {&facts, true, false}));
    EXPECT_EQ(std::count_if(x2.begin(), x2.end(),
                            [](const std::string& l) { return l.starts_with("%IP"); }),
              0);
    EXPECT_EQ(Lines(x2.end() - 3, x2.end()),
              (Lines{"G04 End of apeture information*", "G01*", "G75*"}));
    // a positive plane without X2
    EXPECT_EQ(lines(header(apt, 13, {nullptr, true, false}))[3], "%IPPOS*%");
    EXPECT_EQ(lines(header(apt, 13, {}))[3], "%IPNEG*%");
    // without macros: a macro that is a rectangle becomes one; the others get standard
    // apertures numbered from above the file's highest D-code, and recipes
    std::shared_ptr<const FlashRecipes> recipes;
    Lines none = lines(header(apt, 1, {nullptr, false, true}, &recipes));
    Lines expected = start;
    expected.insert(expected.end(), {"%IPPOS*%", "G04 Apeture information*", "%ADD10C,.062*%",
                                     "%ADD19R,.060X.080*%", "%ADD11R,.060X.080*%",
                                     "%ADD20R,.100X.005*%", "%ADD21R,.005X.100*%",
                                     "G04 End of apeture information*"});
    EXPECT_EQ(none, expected);
    ASSERT_TRUE(recipes);
    EXPECT_EQ(recipes->size(), 2u);
    EXPECT_EQ(recipes->at(14).apertures, (std::vector<int>{20, 21}));
    EXPECT_EQ(recipes->at(16).contours.size(), 4u);
    // a flash of a recipe: its apertures, then its regions around the point
    const std::string flashed = plotted([&](LayerFile& f) {
        f.recipes = recipes;
        plotStep(f, 1000, 1000, kFlash, 14);
        plotStep(f, 2000, 2000, kFlash, 16);
    });
    EXPECT_TRUE(flashed.starts_with(crlf({"D20*", "D02*X1000Y1000*", "D02*X1000Y1000*D03*",
                                          "D21*", "D02*X1000Y1000*D03*", "G75*", "G36*",
                                          "X2010Y2039D02*", "G02*X2039Y2010I-10J-39D01*"})))
        << flashed;
    EXPECT_EQ(flashed.find("D16"), std::string::npos);
}

std::string plotted(const std::function<void(LayerFile&)>& steps) {
    TempDir dir;
    std::string path = dir.file("p.gbr");
    {
        LayerFile file(path);
        steps(file);
        file.out.commit();
    }
    return readFile(path);
}

TEST(PlotStep, FirstDrawThenFlash) {
    EXPECT_EQ(plotted([](LayerFile& f) {
                  plotStep(f, 100, 200, kMove, 10);
                  plotStep(f, 300, 200, kDraw, 10);
                  plotStep(f, 500, 600, kFlash, 15);
              }),
              crlf({"D10*", "D02*X100Y200*", "D02*X100Y200*", "D01*X300Y200*", "D15*",
                    "D02*X500Y600*D03*"}));
    EXPECT_EQ(plotted([](LayerFile& f) { plotStep(f, 1, 2, kFlash, 5); }),
              crlf({"D05*", "D02*X1Y2*", "D02*X1Y2*D03*"}));
}

TEST(PlotArc, QuartersMasksAndRadiusZero) {
    EXPECT_EQ(plotted([](LayerFile& f) { plotArc(f, 1000, 1000, 50, 1, 12); }),
              crlf({"", "D12*", "G74*G01X1000Y1050D02*G02X1050Y1000I0J50D01*D02*G01*"}));
    EXPECT_EQ(
        plotted([](LayerFile& f) {
            plotArc(f, 0, 0, 10, 15, 12);
            plotStep(f, 5, 5, kFlash, 12);
        }),
        crlf({"", "D12*", "G74*G01X0Y10D02*G02X10Y0I0J10D01*D02*G01*",
              "G01X-10Y0D02*G02X0Y10I10J0D01*D02*G01*", "G01X0Y-10D02*G02X-10Y0I0J10D01*D02*G01*",
              "G01X10Y0D02*G02X0Y-10I10J0D01*D02*G01*", "D02*X5Y5*", "D02*X5Y5*D03*"}))
        << "the position is unknown after an arc";
    EXPECT_EQ(plotted([](LayerFile& f) {
                  plotArc(f, 0, 0, 0, 0, 12);
                  f.out.line("next");
              }),
              crlf({"", "D12*", "G74*next"}));
    EXPECT_EQ(plotted([](LayerFile& f) { plotArc(f, 0, 0, 0, 2, 12); }),
              crlf({"", "D12*", "G74*G01X-1Y0D02*G02X0Y1I1J0D01*D02*G01*"}));
}

TEST(CurrentSyntax, EveryCoordinateWithItsOperationAndSignedArcs) {
    EXPECT_EQ(plotted([](LayerFile& f) {
                  f.currentSyntax = true;
                  plotStep(f, 100, 200, kMove, 10);
                  plotStep(f, 300, 200, kDraw, 10);
                  plotStep(f, 500, 600, kFlash, 15);
                  f.forgetPosition();
                  plotStep(f, 7, 8, kDraw, 15);  // a draw from nowhere: a dot where it ends
                  plotArc(f, 0, 0, 10, 15, 12);
              }),
              crlf({"D10*", "X100Y200D02*", "X300Y200D01*", "D15*", "X500Y600D03*", "X7Y8D02*",
                    "X7Y8D01*", "D12*", "X0Y10D02*G02*X10Y0I0J-10D01*G01*",
                    "X-10Y0D02*G02*X0Y10I10J0D01*G01*", "X0Y-10D02*G02*X-10Y0I0J10D01*G01*",
                    "X10Y0D02*G02*X0Y-10I-10J0D01*G01*"}));
}

TEST(WriteRegion, ContoursMovedWithArcsInMultiQuadrantMode) {
    // the lower half of a circle closed by its diameter, and a triangle
    const std::vector<Contour> contours{
        {{-50, 0}, {50, 0, Reach::CounterClockwise, 0, 0}, {-50, 0}},
        {{0, 0}, {10, 0}, {0, 10, Reach::Clockwise, 0, 0}}};
    // the older forms are set to multi-quadrant mode and left in linear interpolation
    EXPECT_EQ(plotted([&](LayerFile& f) {
                  f.currentAperture = 12;
                  writeRegion(f, std::span(&contours[0], 1), 1000, 2000);
                  plotStep(f, 5, 5, kDraw, 12);
              }),
              crlf({"G75*", "G36*", "X950Y2000D02*", "G03*X1050Y2000I50J0D01*",
                    "G01*X950Y2000D01*", "G37*", "D02*X5Y5*", "D01*X5Y5*"}));
    EXPECT_EQ(plotted([&](LayerFile& f) {
                  f.currentSyntax = true;
                  writeRegion(f, contours);
              }),
              crlf({"G36*", "X-50Y0D02*", "G03*X50Y0I50J0D01*", "G01*X-50Y0D01*", "X0Y0D02*",
                    "X10Y0D01*", "G02*X0Y10I-10J0D01*", "G37*", "G01*"}));
}

TEST(PourEdgeTable, FindAndDelete) {
    PourEdgeTable table;
    EndRecord other{7, 7, 0, 0, 0, 0};
    EXPECT_EQ(table.find_point(EndRecord{0, 0}, other), -1);
    table.add_fill_entry(0, 0, 100, 0, 0, 0, 0, 0);
    table.add_fill_entry(100, 0, 100, 100, 0, 0, 0, 0);
    auto q = quarterCircle(1, 100, 100, 50);
    table.add_fill_entry(q.a.x, q.a.y, q.b.x, q.b.y, 1, 50, 100, 100);
    EXPECT_EQ(table.find_point(EndRecord{100, 0}, other), 0) << "the earlier of two pieces";
    EXPECT_EQ(other, (EndRecord{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(table.find_point(EndRecord{150, 100}, other), 2) << "end B of a quarter circle";
    EXPECT_EQ(other, (EndRecord{100, 150, 1, 50, 100, 100}));
    other = EndRecord{9, 9};
    EXPECT_EQ(table.find_point(EndRecord{1, 1}, other), -1);
    EXPECT_EQ(other, (EndRecord{9, 9})) << "unchanged when nothing touches the point";
    table.delete_fill_entry(0);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].a, (EndRecord{100, 0}));
    EXPECT_EQ(table[1].a.kind, 1);
    table.delete_fill_entry(5);
    EXPECT_EQ(table.size(), 2u);
}

TEST(PourEdgeTable, QuarterCircleEnds) {
    EXPECT_EQ(quarterCircle(2, 0, 0, 5).a, (EndRecord{-5, 0, 2, 5, 0, 0}));
    EXPECT_EQ(quarterCircle(4, 0, 0, 5).b, (EndRecord{-5, 0, 4, 5, 0, 0}));
    EXPECT_EQ(quarterCircle(8, 0, 0, 5).b, (EndRecord{0, -5, 8, 5, 0, 0}));
}

// An aperture file with every kind of aperture, flashed once each, loads in gerbv cleanly.
TEST(GerbvConformance, EveryApertureKindLoadsInEveryStyle) {
    if (testing::runCommand("command -v gerbv >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "gerbv not installed";
    }
    TempDir dir;
    auto apt = dir.write("all.APT", crlf({
                                        "D10\tCIRCULAR   \t3\t3\t0\tMULTI",
                                        "D11\tRECTANGULAR\t60\t80\t0\tFLASH",
                                        "D12\tOCTAGONAL  \t60\t60\t0\tMULTI",
                                        "D13\tROUNDRECT  \t60\t80\t0\tFLASH",
                                        "D14\tCROSSHAIR  \t100\t100\t0\tMULTI",
                                        "D15\tMOIRE      \t200\t200\t0\tMULTI",
                                        "D16\tRELIEF     \t62\t62\t0\tMULTI",
                                        "D17\tREL_E_RND  \t60\t60\t0\tMULTI",
                                        "D18\tREL_E_RECT \t60\t80\t0\tFLASH",
                                        "D19\tREL_E_RRECT\t60\t80\t0\tFLASH",
                                        "D20\tRELIEF     \t62\t62\t0\tMULTI",
                                    }));
    // as written, without macros, and without macros in the current syntax
    const X2Facts facts = x2FactsFor("all.pcb", CopperStack(), "2026-12-08T07:30:00+00:00");
    const FileStyle styles[] = {{}, {nullptr, false, true}, {&facts, false, true}};
    std::string files;
    for (size_t i = 0; i < std::size(styles); ++i) {
        std::string out = dir.file("all" + std::to_string(i) + ".gbr");
        LayerFile file(out);
        board::ApertureTable table;
        writeApertureDefinitions(file, 1, apt, 6, table, styles[i]);
        for (int d = 10; d <= 20; ++d) {
            plotStep(file, 300 * (d - 9), 500, kFlash, d);
        }
        plotStep(file, 100, 100, kMove, 10);
        plotStep(file, 900, 100, kDraw, 10);
        plotArc(file, 500, 1000, 200, 15, 10);
        file.out.line("M02*");
        file.out.commit();
        files += " " + out;
    }
    std::string report;
    int status = testing::runCommand("/usr/bin/python3 " + testing::sourceDir() +
                                         "/tests/conformance/gerbv_check.py" + files + " 2>&1",
                                     &report);
    EXPECT_EQ(status, 0) << report;
}

}  // namespace
}  // namespace padloom::plot
