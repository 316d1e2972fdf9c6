#include "plot/bom.h"

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using Lines = std::vector<std::string>;

// A component header with its designator and comment.
Lines comp(const std::string& designator, const std::string& comment) {
    return {"COMP",      designator,     "0805",
            comment,     "0 0 60 0 8 7", "0 0 60 0 8 7",
            "0 0 1 1 1", "CP",           "0 0 60 60 1 28 1 13",
            "1",         "ENDCOMP"};
}

Lines bom(const std::vector<Lines>& components, const PlotOptions& options = {}) {
    testing::TempDir dir;
    Lines board = {"PCB FILE 4"};
    for (const auto& c : components) {
        board.insert(board.end(), c.begin(), c.end());
    }
    board.push_back("ENDPCB");
    board::RunValues rv;
    rv.boardFile = dir.write("B.PCB", testing::crlf(board));
    rv.baseName = dir.file("B");
    rv.aptFile = dir.file("B.APT");
    common::ScriptedHost host;
    writeBillOfMaterials(host, options, rv);
    EXPECT_EQ(host.lines, (Lines{"BOM"})) << "no aperture lookups, no messages";
    return testing::crlfLines(testing::readFile(dir.file("B.csv")));
}

TEST(Bom, GroupsWithoutRegardToCase) {
    EXPECT_EQ(bom({comp("R2", "10k"), comp("C1", "100n"), comp("R10", "10K"), comp("R1", "10k"),
                   comp("U1", "LM358"), comp("U2", "lm358")}),
              (Lines{"\"100n\",1,\"C1\"", "\"10k\",3,\"R1,R10,R2\"", "\"LM358\",2,\"U1,U2\""}));
}

TEST(Bom, EmptyCommentsDuplicatesAndNoComponents) {
    EXPECT_EQ(bom({comp("X1", ""), comp("R5", "1K"), comp("R5", "1K")}),
              (Lines{"\"\",1,\"X1\"", "\"1K\",2,\"R5,R5\""}));
    EXPECT_TRUE(bom({}).empty());
}

TEST(Bom, QuotesInTextsAreDoubled) {
    EXPECT_EQ(bom({comp("J1", "Header 0.1\" 2x5"), comp("J\"2", "Header 0.1\" 2x5")}),
              (Lines{"\"Header 0.1\"\" 2x5\",2,\"J\"\"2,J1\""}));
}

TEST(Bom, OrderFromTheGivenComparison) {
    PlotOptions options;
    options.compareText = [](std::string_view a, std::string_view b) {
        return a.size() != b.size() ? (a.size() < b.size() ? -1 : 1) : a.compare(b);
    };
    EXPECT_EQ(bom({comp("R10", "100K"), comp("R2", "1K"), comp("R1", "100K")}, options),
              (Lines{"\"1K\",1,\"R2\"", "\"100K\",2,\"R1,R10\""}));
}

TEST(Bom, AsciiComparison) {
    EXPECT_EQ(compareIgnoringAsciiCase("abc", "ABC"), 0);
    EXPECT_LT(compareIgnoringAsciiCase("R1", "r10"), 0);
    EXPECT_LT(compareIgnoringAsciiCase("R10", "R2"), 0);
    EXPECT_LT(compareIgnoringAsciiCase("Z", "_"), 0) << "letters compare as capitals";
    EXPECT_GT(compareIgnoringAsciiCase("\xB5"
                                       "F",
                                       "ZF"),
              0)
        << "other bytes as they are";
}

}  // namespace
}  // namespace padloom::plot
