#include "board/aperture_table.h"

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::board {
namespace {

TEST(ParseAptLine, ReadsTheBuilderForm) {
    auto line = ParseAptLine("D14\tRECTANGULAR\t60\t100\t0\tFLASH");
    EXPECT_EQ(line.dcode, 14);
    EXPECT_EQ(line.name, "RECTANGULAR");
    EXPECT_EQ(line.xSize, 60);
    EXPECT_EQ(line.ySize, 100);
    auto padded = ParseAptLine("D10\tCIRCULAR   \t3\t3\t0\tMULTI");
    EXPECT_EQ(padded.name, "CIRCULAR");
    EXPECT_EQ(padded.ySize, 3);
}

TEST(ParseAptLine, LowerCaseNamesAndOddCharacters) {
    auto line = ParseAptLine("D15 circular 62 62");
    EXPECT_EQ(line.dcode, 15);
    EXPECT_EQ(line.name, "CIRCULAR");
    EXPECT_EQ(line.ySize, 62) << "a y size at the very end of the line";
    EXPECT_EQ(ParseAptLine("D1x5 CIRCULAR 6.5 7").dcode, 105) << "a non-digit counts as 0";
    EXPECT_EQ(ParseAptLine("D1x5 CIRCULAR 6.5 7").xSize, 605);
}

TEST(ParseAptLine, ShortLinesStopAtTheirEnd) {
    for (std::string text : {"", "D", "D12", "D12 ", "D12 CIRCULAR", "D12 CIRCULAR 5"}) {
        auto line = ParseAptLine(text);
        EXPECT_GE(line.dcode, 0);
        EXPECT_EQ(line.ySize, 0) << text;
    }
}

TEST(ApertureTable, UnknownNamesTakeNoEntryAndFirstMatchWins) {
    testing::TempDir dir;
    auto path = dir.write("a.apt", testing::crlf({
                                       "D10\tCIRCULAR   \t3\t3\t0\tMULTI",
                                       "",
                                       "; a comment",
                                       "D11\tCIRCLE\t5\t5",
                                       "D12\tcircular\t62\t62",
                                       "D13\tCIRCULAR\t62\t62",
                                       "D14\tRECTANGULAR\t62\t62",
                                   }));
    ApertureTable table;
    table.load(path);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table.entries()[1].dcode, 12);
    EXPECT_EQ(table.FindAperture(kCircular, 62, 62), 12);
    EXPECT_EQ(table.FindAperture(kRectangular, 62, 62), 14);
    EXPECT_EQ(table.FindAperture(kCircular, 5, 5), kNotFound);
    EXPECT_EQ(table.FindAperture(kCircular, 62, 63), kNotFound) << "no nearest size";
}

TEST(ApertureTable, ThousandAndOneEntriesAndBeyond) {
    ApertureTable table;
    for (int i = 0; i < 1500; ++i) {
        table.addLine(ParseAptLine("D" + std::to_string(10 + i) + "\tCIRCULAR\t" +
                                   std::to_string(i) + "\t" + std::to_string(i)));
    }
    EXPECT_EQ(table.FindAperture(kCircular, 0, 0), 10);
    EXPECT_EQ(table.FindAperture(kCircular, 1000, 1000), 1010) << "the 1001st entry";
    EXPECT_EQ(table.FindAperture(kCircular, 1499, 1499), 1509) << "beyond the classic table";
}

TEST(Resolution, PadViaAndEnlargements) {
    ApertureTable table;
    int d = 10;
    for (auto [shape, x, y] : std::vector<std::tuple<int, int, int>>{
             {1, 60, 60}, {1, 66, 66}, {7, 60, 60}, {8, 60, 60}, {1, 50, 50}, {1, 56, 56}}) {
        table.add({shape, x, y, d++});
    }
    CurrentRecord pad;
    pad.shape = 1;
    pad.xSize = pad.ySize = 60;
    pad.planeCode = 2;
    Enlargements e;
    auto a = resolvePad(table, pad, e);
    EXPECT_EQ(a.pad, 10);
    EXPECT_EQ(a.solderMask, 11);
    EXPECT_EQ(a.paste, 10) << "paste enlargement 0";
    EXPECT_EQ(a.planeClearance, 11);
    EXPECT_EQ(a.pourClearance, 11) << "one entry serves plane and pour";
    EXPECT_EQ(a.groundRelief, 12);
    EXPECT_EQ(a.powerRelief, kNotFound);
    EXPECT_EQ(a.outerRelief, 13);

    pad.planeCode = 3;
    EXPECT_EQ(resolvePad(table, pad, e).groundRelief, 0) << "direct connection";
    pad.planeCode = 5;
    EXPECT_EQ(resolvePad(table, pad, e).powerRelief, 0);
    pad.shape = 3;
    EXPECT_EQ(resolvePad(table, pad, e).outerRelief, kNotFound) << "octagons have no relief";

    CurrentRecord via;
    via.viaSize = 50;
    auto v = resolveVia(table, via, e);
    EXPECT_EQ(v.pad, 14);
    EXPECT_EQ(v.solderMask, 15);
}

TEST(Resolution, NegativeEnlargementClampsAtZero) {
    EXPECT_EQ(enlarged(10, -4), 6);
    EXPECT_EQ(enlarged(3, -4), 0);
    EXPECT_EQ(enlarged(0, 0), 0);
}

}  // namespace
}  // namespace padloom::board
