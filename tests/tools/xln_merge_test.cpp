#include "tools/xln_merge.h"

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::tools {
namespace {

using testing::crlf;
using testing::readFile;
using testing::TempDir;

TEST(Xln, ToolTableLines) {
    // clang-format off
    const std::vector<std::tuple<std::string, int, int>> cases = {
        {"T01 28", 1, 28},
        {"T12 150", 12, 150},
        {"T1 28", 1, 28},          // one-digit tool number: the size is still 28
        {"T3\t1250", 3, 1250},
        // decimal inches, as the aperture tool writes its tables
        {"T01\t0.025\t18", 1, 25},
        {"T02 .028", 2, 28},
        {"T03\t1.250\t2", 3, 1250},
        {"T04 0.0285", 4, 28},    // whole mils, halves to the even neighbour
        {"T08 0.0275", 8, 28},
        {"T09 0.02851", 9, 29},
        {"T06 0.", 6, 0},
        {"T05", 5, 0},
        {"T07 28x", 7, 28},
    };
    // clang-format on
    for (const auto& [line, tool, diameter] : cases) {
        auto parsed = parseToolLine(line);
        ASSERT_TRUE(parsed) << line;
        EXPECT_EQ(parsed->tool, tool) << line;
        EXPECT_EQ(parsed->diameter, diameter) << line;
    }
    EXPECT_FALSE(parseToolLine("M48"));
    EXPECT_FALSE(parseToolLine(""));
}

struct XlnRun {
    TempDir dir;
    common::ScriptedHost host;
    ToolTable table;

    void load(const std::string& name, const std::string& bytes) {
        host.openAnswers.push_back({dir.write(name, bytes)});
        ASSERT_EQ(loadToolTable(host, table), common::Outcome::Done);
    }
    std::string merge(const std::string& name, const std::string& bytes) {
        host.openAnswers.push_back({dir.write(name, bytes)});
        EXPECT_EQ(mergeDrillFile(host, table), common::Outcome::Done);
        return readFile(dir.file(name + ".xln"));
    }
};

TEST(Xln, HeaderToolLinesGetTheirSizes) {
    XlnRun r;
    r.load("B.TOL", crlf({"T01 28", "T03 1250", "T200 5", "junk"}));
    EXPECT_EQ(r.host.lines, (std::vector<std::string>{"T1 = 28", "T3 = 1250"}));
    r.host.lines.clear();
    EXPECT_EQ(r.merge("B.TXT", crlf({"M48", "M72", "  T01 ", "T02", "T03", "T04C0.032", "%", "T01 ",
                                     "X01500Y02000", "T00", "M30"})),
              crlf({"M48", "M72", "T01C0.028", "T02", "T03C1.250", "T04C0.032", "%", "T01 ",
                    "X01500Y02000", "T00", "M30"}));
    EXPECT_EQ(r.host.lines, (std::vector<std::string>{"T01C0.028", "T02", "T03C1.250", "T04C0.032",
                                                      "Created: B.TXT.xln", "Done"}));
    EXPECT_EQ(r.host.transcript.back(), "plain|Done");
}

TEST(Xln, WithoutAPercentLineEveryLineIsHeader) {
    XlnRun r;
    r.load("B.TOL", crlf({"T1 28"}));
    EXPECT_EQ(r.merge("n.txt", crlf({" T01", "X1Y1 ", "T01"})),
              crlf({"T01C0.028", "X1Y1", "T01C0.028"}));
}

TEST(Xln, ASecondTableReplacesTheFirst) {
    XlnRun r;
    r.load("a.tol", crlf({"T01 28", "T02 40"}));
    r.load("b.tol", crlf({"T02 50"}));
    EXPECT_EQ(r.merge("d.txt", crlf({"T01", "T02", "%"})), crlf({"T01", "T02C0.050", "%"}));
}

// The tool table the aperture tool writes beside a board sizes every tool.
TEST(Xln, TheApertureToolsTableInDecimalInches) {
    XlnRun r;
    r.load("P.TOL", crlf({"T01\t0.025\t18", "T02\t0.040\t3"}));
    EXPECT_EQ(r.host.lines, (std::vector<std::string>{"T1 = 25", "T2 = 40"}));
    EXPECT_EQ(r.merge("d.txt", crlf({"T01", "T02", "%"})), crlf({"T01C0.025", "T02C0.040", "%"}));
}

TEST(Xln, ATableWithoutSizesSaysSo) {
    XlnRun r;
    r.load("P.TOL", crlf({"T01 none"}));
    ASSERT_EQ(r.host.lines.size(), 2u);
    EXPECT_EQ(r.host.lines[0], "T1 = 0");
    EXPECT_NE(r.host.lines[1].find("No diameters found"), std::string::npos);
    EXPECT_EQ(r.merge("d.txt", crlf({"T01", "%"})), crlf({"T01", "%"}));
}

TEST(Xln, CancelledDialogsChangeNothing) {
    XlnRun r;
    r.load("a.tol", crlf({"T01 28"}));
    EXPECT_EQ(loadToolTable(r.host, r.table), common::Outcome::Cancelled);
    EXPECT_EQ(r.table.diameter(1), 28);
    EXPECT_EQ(mergeDrillFile(r.host, r.table), common::Outcome::Cancelled);
}

}  // namespace
}  // namespace padloom::tools
