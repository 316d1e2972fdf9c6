#include <filesystem>

#include "annotate/height_file.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

using testing::TempDir;

std::string cli(const std::string& args) {
    return testing::cliPath() + " " + args;
}

const std::vector<std::string> kBoard = {
    "COMP", "U1", "DIP8", "h=300", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 1 0", "ENDCOMP",
    "COMP", "U2", "SO8",  "",      "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 1 0", "ENDCOMP",
    "COMP", "U3", "TO92", "",      "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 1 0", "ENDCOMP"};

// Heights: the file first, then --height, then the h= comment, then (with --ask) the terminal;
// without --ask nothing waits on input.
TEST(CliDxf, HeightsFromFileOptionCommentAndTerminal) {
    TempDir dir;
    auto board = dir.write("h.pcb", testing::crlf(kBoard));
    {
        annotate::HeightFile heights(dir.file("h.DAT"));
        heights.append("TO92", 90);
    }
    std::string out;
    ASSERT_EQ(
        testing::runCommand(
            cli("dxf " + board + " --height SO8=60 --height TO92=1 " + "</dev/null 2>&1"), &out),
        0)
        << out;
    annotate::HeightFile heights(dir.file("h.DAT"));
    EXPECT_EQ(heights.lookup("TO92"), 90) << "the file wins";
    EXPECT_EQ(heights.lookup("SO8"), 60);
    EXPECT_EQ(heights.lookup("DIP8"), 300);
    EXPECT_EQ(heights.records().size(), 3u);

    auto other = dir.write("a.pcb", testing::crlf(kBoard));
    ASSERT_EQ(testing::runCommand("printf '45\\n\\n' | " + cli("dxf --ask " + other), &out), 0)
        << out;
    annotate::HeightFile asked(dir.file("a.DAT"));
    EXPECT_EQ(asked.lookup("DIP8"), 300) << "the comment's proposal needs no question";
    EXPECT_EQ(asked.lookup("SO8"), 45);
    EXPECT_EQ(asked.lookup("TO92"), -1) << "an empty answer is no height";
    EXPECT_NE(out.find("Component height entry: height for SO8 [] "), std::string::npos) << out;

    EXPECT_EQ(testing::runCommand(cli("dxf " + other + " --height SO8 2>/dev/null"), &out), 2);
    EXPECT_EQ(testing::runCommand(cli("dxf " + dir.file("none.pcb") + " 2>&1"), &out), 1);
    EXPECT_NE(out.find("none.pcb"), std::string::npos) << out;
}

TEST(CliResizeText, WritesTheNewBoardAndRejectsBadSizes) {
    TempDir dir;
    auto board = dir.write("r.pcb", testing::crlf(kBoard));
    std::string out;
    ASSERT_EQ(testing::runCommand(cli("resize-text " + board + " --height 30 --width 5"), &out), 0)
        << out;
    auto lines = testing::crlfLines(testing::readFile(dir.file("r.NEW")));
    ASSERT_EQ(lines.size(), kBoard.size());
    EXPECT_EQ(lines[5], "0 0 30 0 5 7");
    EXPECT_EQ(lines[4], "0 0 60 0 8 7");
    EXPECT_EQ(testing::runCommand(cli("resize-text " + board + " --height 2.5 2>&1"), &out), 2);
    EXPECT_NE(out.find("--height"), std::string::npos) << out;
}

}  // namespace
}  // namespace padloom
