#include "fab/assembly_files.h"

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::fab {
namespace {

using Lines = std::vector<std::string>;
using testing::crlf;

FabProfile shipped(const std::string& name) {
    return loadProfile(name, {testing::sourceDir() + "/data/fab", ""});
}

annotate::PlacedPart part(std::string designator, long long x, long long y, char side, int rotation,
                          std::string comment = "10K", std::string pattern = "0805") {
    annotate::PlacedPart p;
    p.designator = std::move(designator);
    p.x = x;
    p.y = y;
    p.side = side;
    p.rotation = rotation;
    p.comment = std::move(comment);
    p.pattern = std::move(pattern);
    return p;
}

TEST(AssemblyFiles, NumberFormats) {
    // clang-format off
    const std::pair<long long, const char*> mm[] = {
        {0, "0.0000"}, {1, "0.0254"}, {1000, "25.4000"}, {-1, "-0.0254"}, {-1000, "-25.4000"},
        {12345, "313.5630"}};
    // clang-format on
    for (const auto& [mils, text] : mm) {
        EXPECT_EQ(millimetresOfMils(mils), text);
    }
    EXPECT_EQ(csvField("R1"), "R1");
    EXPECT_EQ(csvField("R1,R2"), "\"R1,R2\"");
    EXPECT_EQ(csvField("2\" x 3"), "\"2\"\" x 3\"");
}

// JLCPCB's CPL and BOM: its columns, mm, counter-clockwise angles, designators in capitals
// in both, R2 before R10, rows of at most 200 designators.
TEST(AssemblyFiles, JlcpcbColumns) {
    std::vector<annotate::PlacedPart> parts = {
        part("r10", 1000, 2000, 'T', 0),
        part("R2", 1500, 2000, 'B', 90),  // pin 1 above the centre: 270 counter-clockwise
        part("C1", 3000, 500, 'T', 180, "100n", "0603"),
        part("U1", 2000, 1000, 'T', -1, "NE555", "DIP8"),
        part("J1", 100, 100, 'B', 270, "Header, 2 pins", "HDR2"),
    };
    const AssemblyFiles files = assemblyFiles(parts, shipped("jlcpcb"));
    EXPECT_EQ(files.cpl,
              crlf({"Designator,Mid X,Mid Y,Layer,Rotation", "C1,76.2000,12.7000,Top,180",
                    "J1,2.5400,2.5400,Bottom,90", "R2,38.1000,50.8000,Bottom,270",
                    "R10,25.4000,50.8000,Top,0", "U1,50.8000,25.4000,Top,0"}));
    EXPECT_EQ(files.bom,
              crlf({"Comment,Designator,Footprint", "100n,C1,0603", "10K,\"R2,R10\",0805",
                    "\"Header, 2 pins\",J1,HDR2", "NE555,U1,DIP8"}));
    EXPECT_EQ(files.notes,
              Lines{"U1: rotation not known (no pin 1, no marker, as wide as tall); written as 0"});

    // a designator given twice, once only by case, and long rows split
    FabProfile p = shipped("jlcpcb");
    p.bom.maxDesignators = 2;
    const AssemblyFiles twice = assemblyFiles({part("R1", 0, 0, 'T', 0), part("r1", 0, 0, 'T', 0),
                                               part("R3", 0, 0, 'T', 0), part("R4", 0, 0, 'T', 0)},
                                              p);
    EXPECT_EQ(twice.bom,
              crlf({"Comment,Designator,Footprint", "10K,\"R1,R1\",0805", "10K,\"R3,R4\",0805"}));
    EXPECT_EQ(twice.notes, Lines{"designator R1 names 2 parts: the assembler cannot tell them "
                                 "apart (once written in capitals, as the board house asks)"});
}

// The generic CPL: a header with its units, clockwise angles where a profile asks, inches.
TEST(AssemblyFiles, GenericAndOwnConventions) {
    const std::vector<annotate::PlacedPart> parts = {part("u1", 1234, 567, 'B', 90, "X", "SO8")};
    FabProfile p = shipped("generic");
    EXPECT_EQ(assemblyFiles(parts, p).cpl,
              crlf({"Designator,X (mm),Y (mm),Side,Rotation,Comment,Footprint",
                    "u1,31.3436,14.4018,Bottom,270,X,SO8"}));
    p.cpl.counterClockwise = false;
    p.cpl.inches = true;
    p.cpl.bottomWord = "B";
    EXPECT_EQ(assemblyFiles(parts, p).cpl,
              crlf({"Designator,X (mm),Y (mm),Side,Rotation,Comment,Footprint",
                    "u1,1.234,0.567,B,90,X,SO8"}));
}

// The parts are those of the X/Y file: top centres equal to its own, bottom ones its centres
// before mirroring, rotations in the top view.
TEST(AssemblyFiles, PartsAreTheXyFilesUnmirrored) {
    testing::TempDir dir;
    const std::string board = dir.write(
        "b.pcb", crlf({"PCB FILE 4", "FT", "0 0 4000 0 10 11", "FT", "4000 0 4000 3000 10 11",
                       "COMP", "U1", "SO8", "NE555", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 2 0",
                       "CP", "1000 2000 60 60 1 28 1 1", "1", "CP", "1200 2000 60 60 1 28 1 1", "2",
                       "CT", "900 1900 1300 1900 8 7", "ENDCOMP",
                       // a bottom part, pin 1 left of the centre seen from the top
                       "COMP", "U2", "SO8", "LM358", "0 0 60 0 8 8", "0 0 60 0 8 8", "0 0 1 2 0",
                       "CP", "3000 1000 60 60 1 28 1 6", "1", "CP", "3400 1000 60 60 1 28 1 6", "2",
                       "CT", "2900 900 3500 900 8 8", "ENDCOMP", "ENDPCB"}));
    annotate::PlacementOptions options;
    options.topLegendLayer = 7;
    options.bottomLegendLayer = 8;
    options.commaDelimited = true;
    std::vector<std::string> problems;
    const std::vector<annotate::PlacedPart> parts = annotate::placedParts(board, options, problems);
    EXPECT_TRUE(problems.empty());
    const Lines xy = testing::crlfLines(
        testing::readFile(annotate::writePlacementFile(board, options).outputPath));
    ASSERT_EQ(parts.size(), 2u);
    ASSERT_EQ(xy.size(), 4u);
    EXPECT_EQ(xy[2], "U1,1.100,2.000,T,0");
    EXPECT_EQ(parts[0].x, 1100);
    EXPECT_EQ(parts[0].y, 2000);
    EXPECT_EQ(parts[0].rotation, 0);
    EXPECT_EQ(parts[0].comment, "NE555");
    EXPECT_EQ(parts[0].pattern, "SO8");
    // the X/Y file mirrors the bottom part about the board's right edge (4000): 4000 - 3200
    EXPECT_EQ(xy[3], "U2,0.800,1.000,B,180");
    EXPECT_EQ(parts[1].x, 3200);
    EXPECT_EQ(parts[1].y, 1000);
    EXPECT_EQ(parts[1].side, 'B');
    EXPECT_EQ(parts[1].rotation, 0);
}

}  // namespace
}  // namespace padloom::fab
