#include <cmath>
#include <random>

#include "common/errors.h"
#include "support/test_support.h"
#include "view/aperture_shapes.h"
#include "view/layer_image.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

constexpr double kEps = 1e-9;

const std::string kHeader =
    "G04 Format statement*\r\n%FSLAX23Y23*%\r\n%MOIN*%\r\n%IPPOS*%\r\n"
    "%ADD10C,.010*%\r\n%ADD11R,.060X.080*%\r\n";

LayerImage read(const std::string& body, const std::string& header = kHeader) {
    return readLayerBytes("t.GTL", header + body);
}

std::string problems(const LayerImage& image) {
    std::string text;
    for (const auto& p : image.problems) {
        text += image.describe(p) + "\n";
    }
    return text;
}

// The modal styles this program's writers use, each read to the objects it means.
struct StyleCase {
    const char* name;
    std::string body;
    std::vector<ObjectKind> kinds;
    Point lastFrom;
    Point lastTo;
};

class WriterStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(WriterStyles, ReadAsMeant) {
    const StyleCase& c = GetParam();
    LayerImage image = read(c.body + "M02*\r\n");
    EXPECT_EQ(problems(image), "");
    ASSERT_EQ(image.objects.size(), c.kinds.size());
    for (size_t i = 0; i < c.kinds.size(); ++i) {
        EXPECT_EQ(image.objects[i].kind, c.kinds[i]) << i;
    }
    const GraphicObject& last = image.objects.back();
    EXPECT_NEAR(last.from.x, c.lastFrom.x, kEps);
    EXPECT_NEAR(last.from.y, c.lastFrom.y, kEps);
    if (last.kind == ObjectKind::Line) {
        EXPECT_NEAR(last.to.x, c.lastTo.x, kEps);
        EXPECT_NEAR(last.to.y, c.lastTo.y, kEps);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Gerber, WriterStyles, ::testing::Values(
    // plot step: the operation stands alone and the coordinates that follow repeat it; a lone
    // D01 draws at the current point, a lone D03 flashes there
    StyleCase{"PlotStep", "D10*\r\nD02*X100Y200*\r\nD01*X300Y200*\r\nD11*\r\nD02*X500Y600*D03*\r\n",
              {ObjectKind::Line, ObjectKind::Line, ObjectKind::Flash}, {0.5, 0.6}, {}},
    StyleCase{"OperationAfter", "D10*\r\nX100Y200D02*\r\nX300D01*\r\nY400D01*\r\n",
              {ObjectKind::Line, ObjectKind::Line}, {0.3, 0.2}, {0.3, 0.4}},
    StyleCase{"SelectWithG54", "G54D11*\r\nX1000Y1000D03*\r\nX2000D03*\r\n",
              {ObjectKind::Flash, ObjectKind::Flash}, {2.0, 1.0}, {}},
    StyleCase{"ModalWithoutOperation", "D10*\r\nX0Y0D02*\r\nX100Y0D01*\r\nX100Y100*\r\n",
              {ObjectKind::Line, ObjectKind::Line}, {0.1, 0.0}, {0.1, 0.1}},
    StyleCase{"FillRegion", "D10*\r\nG36*D02*X100Y100*\r\nD01*X200Y100*\r\nX200Y200*\r\nX100Y200*\r\n"
                            "X100Y100*\r\nD02*X100Y200*\r\nG37*\r\n",
              {ObjectKind::Region}, {0, 0}, {}},
    StyleCase{"ArcAndBack", "D10*\r\nG74*G01X1000Y1050D02*G02X1050Y1000I0J50D01*D02*G01*\r\nD10*X0Y0D01*\r\n",
              {ObjectKind::Arc, ObjectKind::Line}, {1.05, 1.0}, {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(GerberReader, SingleQuadrantArcsFindTheirCentreFromUnsignedOffsets) {
    // the four quarter arcs the plotter writes around (1000, 1000) with radius 50
    LayerImage image = read(
        "D10*\r\nG74*G01X1000Y1050D02*G02X1050Y1000I0J50D01*D02*G01*"
        "G01X950Y1000D02*G02X1000Y1050I50J0D01*D02*G01*"
        "G01X1000Y950D02*G02X950Y1000I0J50D01*D02*G01*"
        "G01X1050Y1000D02*G02X1000Y950I50J0D01*D02*G01*\r\nM02*\r\n");
    EXPECT_EQ(problems(image), "");
    ASSERT_EQ(image.count(ObjectKind::Arc), 4);
    for (const GraphicObject& o : image.objects) {
        EXPECT_NEAR(o.arc.centre.x, 1.0, kEps);
        EXPECT_NEAR(o.arc.centre.y, 1.0, kEps);
        EXPECT_NEAR(o.arc.radius, 0.05, kEps);
        EXPECT_NEAR(o.arc.sweepDegrees, -90.0, 1e-6);
    }
    EXPECT_NEAR(image.extent.x0, 0.945, kEps);
    EXPECT_NEAR(image.extent.y1, 1.055, kEps);
}

TEST(GerberReader, MultiQuadrantArcsUseSignedOffsetsAndCloseFullCircles) {
    LayerImage image = read(
        "D10*\r\nG75*X1100Y1000D02*\r\nG03X1000Y1100I-100J0D01*D02*G01*\r\n"
        "G75*X1100Y1000D02*G03X1100Y1000I-100J0D01*\r\nM02*\r\n");
    EXPECT_EQ(problems(image), "");
    ASSERT_EQ(image.count(ObjectKind::Arc), 2);
    EXPECT_NEAR(image.objects[0].arc.sweepDegrees, 90.0, 1e-6);
    EXPECT_NEAR(image.objects[1].arc.sweepDegrees, 360.0, 1e-6);
    EXPECT_NEAR(image.extent.x0, 0.895, kEps);
}

TEST(GerberReader, PourBlocksSwitchPolarityAndNameLayers) {
    LayerImage image = read(
        "%LNCopper_pours*\r\nLPD*%\r\nD10*\r\nG36*\r\nX1000Y1000D02*\r\nX2000Y1000D01*\r\n"
        "X2000Y2000D01*\r\nX1000Y1000D01*\r\nD02*G37*\r\n"
        "%LNCopper_pour_cutouts*\r\nLPC*%\r\nD11*\r\nD02*X1500Y1500*D03*\r\n"
        "%LNPads_and_tracks*\r\nLPD*%\r\nD02*X1500Y1500*D03*\r\nM02*\r\n");
    EXPECT_EQ(problems(image), "");
    EXPECT_EQ(image.layerNames,
              (std::vector<std::string>{"Copper_pours", "Copper_pour_cutouts", "Pads_and_tracks"}));
    ASSERT_EQ(image.objects.size(), 3u);
    EXPECT_EQ(image.objects[0].kind, ObjectKind::Region);
    EXPECT_FALSE(image.objects[0].clear);
    EXPECT_TRUE(image.objects[1].clear);
    EXPECT_FALSE(image.objects[2].clear);
    EXPECT_EQ(image.contours[0].segments.size(), 3u);
}

TEST(GerberReader, FormatsUnitsAndImagePolarity) {
    // trailing zeros omitted, incremental, millimetres, negative
    LayerImage image =
        readLayerBytes("t.gbx",
                       "%FSTIX34Y34*%\r\n%MOMM*%\r\n%IPNEG*%\r\n%ADD10C,0.254*%\r\nD10*\r\n"
                       "X254Y127D03*\r\nX254D03*\r\nM02*\r\n");
    EXPECT_EQ(problems(image), "");
    EXPECT_TRUE(image.negative);
    EXPECT_EQ(image.units, Units::Millimetre);
    ASSERT_EQ(image.objects.size(), 2u);
    // "254" with trailing zeros omitted in 3.4 is 254.0000 mm
    EXPECT_NEAR(image.objects[0].from.x, 254.0 / 25.4, kEps);
    EXPECT_NEAR(image.objects[0].from.y, 127.0 / 25.4, kEps);
    EXPECT_NEAR(image.objects[1].from.x, 508.0 / 25.4, kEps);
    EXPECT_NEAR(image.apertures[0].width, 0.01, kEps);
    EXPECT_NE(image.coordinateFormat.find("trailing zeros omitted"), std::string::npos);
}

TEST(GerberReader, ProblemsCarryTheirLineAndReadingGoesOn) {
    LayerImage image = readLayerBytes("bad.GTL",
                                      "%FSLAX23Y23*%\r\n"       // 1
                                      "%MOIN*%\r\n"             // 2
                                      "%ADD10C,.010*%\r\n"      // 3
                                      "D13*\r\n"                // 4: not defined
                                      "X100Y100D03*\r\n"        // 5: no aperture
                                      "D10*\r\n"                // 6
                                      "X200Y200D03*\r\n"        // 7: flashed
                                      "%ADD11Q,.3*%\r\n"        // 8: unknown macro
                                      "%ADD12C,.1X.2X.3*%\r\n"  // 9: too many values
                                      "G36*\r\nX0Y0D02*\r\nX1D03*\r\nG37*\r\n"  // 10-13
                                      "G99*\r\n"                                // 14
                                      "X200Yabc D01*\r\n"                       // 15
                                      "\x01\xff*\r\n");                         // 16: junk; no M02
    EXPECT_EQ(problems(image),
              "bad.GTL:4: error: aperture D13 is not defined\n"
              "bad.GTL:5: error: flash without a defined aperture\n"
              "bad.GTL:8: error: aperture D11 uses the macro Q, which is not defined before it\n"
              "bad.GTL:9: error: aperture D12: a circle aperture takes a diameter and an optional "
              "hole\n"
              "bad.GTL:12: error: flash (D03) inside a region ignored\n"
              "bad.GTL:14: warning: unknown code G99 ignored\n"
              "bad.GTL:15: error: Y without a number in \"X200Yabc D01\"; statement ignored\n"
              "bad.GTL:16: error: unknown code \"?\" in \"??\"; statement ignored\n"
              "bad.GTL:16: error: no end of file (M02)\n");
    EXPECT_EQ(image.count(ObjectKind::Flash), 1);
    EXPECT_TRUE(image.hasErrors());
}

// A parameter block over several lines: each command is reported on the line it starts on,
// and the list is in line order though the block's commands are checked when it ends.
TEST(GerberReader, BlockProblemsNameTheLineOfTheirCommand) {
    LayerImage image = readLayerBytes("b.GTL",
                                      "%FSLAX23Y23*MOIN*\r\n"  // 1
                                      "XYZ*\r\n"               // 2
                                      "QQ\r\n");               // 3: no "*", no "%"
    EXPECT_EQ(problems(image),
              "b.GTL:1: error: parameter block not closed by \"%\"\n"
              "b.GTL:1: error: no end of file (M02)\n"
              "b.GTL:2: warning: unknown parameter \"XYZ\" ignored\n"
              "b.GTL:3: error: \"QQ\" in a parameter block does not end with \"*\"\n"
              "b.GTL:3: warning: unknown parameter \"QQ\" ignored\n");
}

TEST(GerberReader, MissingFormatAndUnitsAreReported) {
    LayerImage image =
        readLayerBytes("n.gbr", "%ADD10C,.010*%\r\nD10*\r\nX100Y100D03*\r\nM02*\r\n");
    EXPECT_EQ(problems(image),
              "n.gbr:1: warning: no units given (%MO); inches assumed\n"
              "n.gbr:3: error: coordinates before any format statement (%FS); read as 2.3 with "
              "leading zeros omitted\n");
    ASSERT_EQ(image.objects.size(), 1u);
    EXPECT_NEAR(image.objects[0].from.x, 0.1, kEps);
}

// Every macro primitive, evaluated with parameters, gives the shape it describes.
struct MacroCase {
    const char* name;
    std::string macro;   // statements, "*"-separated, without %AM
    std::string params;  // "X"-separated
    Box extent;
    size_t pieces;
};

class MacroPrimitives : public ::testing::TestWithParam<MacroCase> {};

TEST_P(MacroPrimitives, GiveTheirShape) {
    const MacroCase& c = GetParam();
    LayerImage image = read("D20*\r\nX0Y0D03*\r\nM02*\r\n",
                            "%FSLAX23Y23*%\r\n%MOIN*%\r\n%AMM*" + c.macro + "*%\r\n%ADD20M" +
                                (c.params.empty() ? "" : "," + c.params) + "*%\r\n");
    EXPECT_EQ(problems(image), "");
    ASSERT_EQ(image.apertures.size(), 1u);
    const Aperture& a = image.apertures[0];
    EXPECT_EQ(a.pieces.size(), c.pieces);
    EXPECT_NEAR(a.extent.x0, c.extent.x0, 1e-6);
    EXPECT_NEAR(a.extent.y0, c.extent.y0, 1e-6);
    EXPECT_NEAR(a.extent.x1, c.extent.x1, 1e-6);
    EXPECT_NEAR(a.extent.y1, c.extent.y1, 1e-6);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Gerber, MacroPrimitives, ::testing::Values(
    MacroCase{"Circle", "1,1,$1,0.1,0", "0.2", {0.0, -0.1, 0.2, 0.1}, 1},
    MacroCase{"CircleRotated", "1,1,0.2,0.1,0,90", "", {-0.1, 0.0, 0.1, 0.2}, 1},
    MacroCase{"VectorLine", "20,1,0.1,0,0,1,0,0", "", {0.0, -0.05, 1.0, 0.05}, 1},
    MacroCase{"CentreLine", "21,1,$1,$2,0,0,0", "0.4X0.2", {-0.2, -0.1, 0.2, 0.1}, 1},
    MacroCase{"CentreLineTurned", "21,1,0.4,0.2,0,0,90", "", {-0.1, -0.2, 0.1, 0.2}, 1},
    MacroCase{"CrosshairWithoutRotation", "21,1,0.300,0.015,0,0*21,1,0.015,0.300,0,0", "",
              {-0.15, -0.15, 0.15, 0.15}, 2},
    MacroCase{"LowerLeftLine", "22,1,0.4,0.2,0,0,0", "", {0.0, 0.0, 0.4, 0.2}, 1},
    MacroCase{"Outline", "4,1,3,0,0,1,0,1,1,0,0,0", "", {0.0, 0.0, 1.0, 1.0}, 1},
    MacroCase{"Polygon", "5,1,4,0,0,0.2,0", "", {-0.1, -0.1, 0.1, 0.1}, 1},
    MacroCase{"Moire", "6,0,0,.600,.060,.060,5,0,0,0", "", {-0.3, -0.3, 0.3, 0.3}, 3},
    MacroCase{"Thermal", "7,0,0,.082,.062,.020,0", "", {-0.041, -0.041, 0.041, 0.041}, 1},
    MacroCase{"Variables", "0 a comment*$3=$1x2+($2-0.1)/2*1,1,$3,0,0", "0.1X0.3",
              {-0.15, -0.15, 0.15, 0.15}, 1},
    // the exposure-off circle erases from the macro only; the extent is that of the dark part
    MacroCase{"ClearPrimitive", "1,1,0.2,0,0*1,0,0.1,0,0", "", {-0.1, -0.1, 0.1, 0.1}, 2},
    MacroCase{"ReliefAsWritten",
              "1,1,.060,0,0*20,1,.015,-.034,0,.034,0,45*20,1,.015,-.034,0,.034,0,-45", "",
              {-0.03, -0.03, 0.03, 0.03}, 3}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(GerberReader, BadMacrosAreReportedNotFatal) {
    LayerImage image = read("D20*\r\nX0Y0D03*\r\nM02*\r\n",
                            "%FSLAX23Y23*%\r\n%MOIN*%\r\n%AMM*1,1,$1+*9,1,2*4,1,5,0,0*%\r\n"
                            "%ADD20M,0.1*%\r\n");
    EXPECT_NE(problems(image).find("bad expression \"$1+\""), std::string::npos);
    EXPECT_NE(problems(image).find("unknown primitive 9"), std::string::npos);
    EXPECT_NE(problems(image).find("does not hold the points it announces"), std::string::npos);
    EXPECT_EQ(image.count(ObjectKind::Flash), 1);
}

TEST(GerberReader, MacroExpressions) {
    std::vector<double> vars{0, 2, 3};
    double v = 0;
    std::string error;
    ASSERT_TRUE(evaluateMacroExpression("$1x$2+1", vars, v, error));
    EXPECT_DOUBLE_EQ(v, 7);
    ASSERT_TRUE(evaluateMacroExpression("-($1+$2)/2", vars, v, error));
    EXPECT_DOUBLE_EQ(v, -2.5);
    ASSERT_TRUE(evaluateMacroExpression("$9", vars, v, error));
    EXPECT_DOUBLE_EQ(v, 0);
    EXPECT_FALSE(evaluateMacroExpression("1/0", vars, v, error));
    EXPECT_FALSE(evaluateMacroExpression("((1", vars, v, error));
    EXPECT_FALSE(evaluateMacroExpression("", vars, v, error));
}

// Whatever the bytes, reading ends with problems, never a crash or a hang.
TEST(GerberReader, DamagedFilesNeverCrash) {
    const std::string good =
        kHeader +
        "%AMT*7,0,0,$1,$2,$3,0*%\r\n%ADD12T,.082X.062X.020*%\r\n%LNX*LPC*%\r\nD10*\r\n"
        "G74*G01X1000Y1050D02*G02X1050Y1000I0J50D01*\r\nG36*X0Y0D02*X100Y0D01*X0Y100D01*G37*\r\n"
        "D12*X10Y10D03*\r\nM02*\r\n";
    std::mt19937 random(14);
    for (int round = 0; round < 400; ++round) {
        std::string bytes = good;
        if (round % 2 == 0) {
            bytes.resize(random() % bytes.size());
        }
        for (int k = 0; k < 1 + round % 5; ++k) {
            bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
        }
        try {
            LayerImage image = readLayerBytes("fuzz.gbr", bytes);
            EXPECT_LE(image.problems.size(), 202u);
        } catch (const common::FormatError&) {
            // bytes that do not read as text at all: refused as no Gerber file
        }
    }
}

}  // namespace
}  // namespace padloom::view
