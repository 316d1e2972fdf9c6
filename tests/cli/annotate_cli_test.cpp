#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

using testing::crlf;
using testing::readFile;
using testing::runCommand;

std::string cli(const std::string& args) {
    return testing::cliPath() + " " + args;
}

// A part on the bottom (its legend on layer 8) of a board 4000 mils wide.
const std::string kBoard = crlf({"PCB FILE 4", "FT",           "0 0 4000 3000 10 11",
                                 "COMP",       "U1",           "SO8",
                                 "X",          "0 0 60 0 8 7", "0 0 60 0 8 7",
                                 "0 0 1 2 0",  "CP",           "1000 2000 60 60 1 0 1 1",
                                 "1",          "CP",           "1200 2000 60 60 1 0 1 1",
                                 "2",          "CT",           "900 1900 1300 1900 8 8",
                                 "ENDCOMP",    "ENDPCB"});

TEST(CliAnnotate, XyAndDrc2pcb) {
    testing::TempDir dir;
    auto board = dir.write("b.pcb", kBoard);
    std::string out;
    ASSERT_EQ(runCommand(cli("xy --comma --bottom-legend 8 " + board), &out), 0) << out;
    EXPECT_EQ(testing::crlfLines(readFile(dir.file("b.UCM"))).back(), "U1,2.900,2.000,B,180");
    EXPECT_EQ(runCommand(cli("xy --top-legend 14 " + board + " 2>/dev/null"), &out), 2);

    auto report = dir.write("r.drc", crlf({"Clearance Error", "Pad (1000,2000)", "(1,2 3,4)"}));
    ASSERT_EQ(
        runCommand(cli("drc2pcb " + report + " --board " + board + " -o " + dir.file("n.pcb")),
                   &out),
        0)
        << out;
    EXPECT_EQ(readFile(dir.file("n.pcb")),
              kBoard.substr(0, kBoard.size() - 8) +
                  crlf({"FA", "1000 2000 50 15 30 12", "FT", "1 2 3 4 30 12 1", "ENDPCB"}));
    EXPECT_EQ(runCommand(cli("drc2pcb " + report + " 2>/dev/null"), &out), 2);  // no -o
}

TEST(CliAnnotate, OutputsNeverReplaceInputs) {
    testing::TempDir dir;
    auto ucm = dir.write("X.UCM", kBoard);
    std::string out;
    EXPECT_EQ(runCommand(cli("xy " + ucm + " 2>&1"), &out), 1);
    EXPECT_NE(out.find("would overwrite the input file"), std::string::npos) << out;
    auto report = dir.write("r.drc", "Clearance Error\r\n");
    EXPECT_EQ(
        runCommand(cli("drc2pcb " + report + " --board " + ucm + " -o " + ucm + " 2>&1"), &out), 1);
    EXPECT_NE(out.find("would overwrite the input file"), std::string::npos) << out;
    EXPECT_EQ(readFile(ucm), kBoard);
}

}  // namespace
}  // namespace padloom
