#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

using testing::crlf;
using testing::readFile;
using testing::runCommand;
using testing::TempDir;

std::string cli(const std::string& args) {
    return testing::cliPath() + " " + args;
}

const std::string kBoard = crlf({"PCB FILE 4", "FT",           "0 0 4000 3000 10 11",
                                 "COMP",       "U1",           "SO8",
                                 "X",          "0 0 60 0 8 7", "0 0 60 0 8 7",
                                 "0 0 1 2 0",  "CP",           "1000 2000 60 60 1 0 1 1",
                                 "1",          "CP",           "1200 2000 60 60 1 0 1 1",
                                 "2",          "CT",           "900 1900 1300 1900 8 8",
                                 "ENDCOMP",    "ENDPCB"});

TEST(CliAnnotate, XyWritesBesideTheBoardWithTheWindowsOptions) {
    TempDir dir;
    auto board = dir.write("b.pcb", kBoard);
    std::string out;
    ASSERT_EQ(runCommand(cli("xy --comma --bottom-legend 8 " + board), &out), 0) << out;
    EXPECT_EQ(
        readFile(dir.file("b.UCM")),
        crlf({"corners at 0.000, 0.000 x 4.000, 3.000",
              "Component ID, x position, y position, Side, Rotation", "U1,2.900,2.000,B,180"}));
    ASSERT_EQ(runCommand(cli("xy -o " + dir.file("p.txt") + " " + board), &out), 0) << out;
    EXPECT_EQ(testing::crlfLines(readFile(dir.file("p.txt"))).back(), "U1\t1.100\t2.000\tT\t0");

    EXPECT_EQ(runCommand(cli("xy --top-legend 14 " + board + " 2>/dev/null"), &out), 2);
    auto ucm = dir.write("X.UCM", kBoard);
    EXPECT_EQ(runCommand(cli("xy " + ucm + " 2>&1"), &out), 1);
    EXPECT_NE(out.find("would overwrite the input file"), std::string::npos) << out;
    EXPECT_EQ(readFile(ucm), kBoard);
}

TEST(CliAnnotate, Drc2pcbBothModes) {
    TempDir dir;
    auto report = dir.write(
        "r.drc", crlf({"Clearance Error", "Pad (1000,2000)", "Track (1100,1500 1100,2500)"}));
    auto board = dir.write("b.pcb", kBoard);
    const std::string records =
        crlf({"FA", "1000 2000 50 15 30 12", "FT", "1100 1500 1100 2500 30 12 1", "ENDPCB"});
    std::string out;
    ASSERT_EQ(runCommand(cli("drc2pcb " + report + " -o " + dir.file("e.pcb")), &out), 0) << out;
    EXPECT_EQ(readFile(dir.file("e.pcb")), "PCB FILE 4\r\n" + records);
    ASSERT_EQ(
        runCommand(cli("drc2pcb " + report + " --board " + board + " -o " + dir.file("n.pcb")),
                   &out),
        0)
        << out;
    EXPECT_EQ(readFile(dir.file("n.pcb")), kBoard.substr(0, kBoard.size() - 8) + records);

    EXPECT_EQ(
        runCommand(cli("drc2pcb " + report + " --board " + board + " -o " + board + " 2>&1"), &out),
        1);
    EXPECT_NE(out.find("would overwrite the input file"), std::string::npos) << out;
    EXPECT_EQ(readFile(board), kBoard);
    EXPECT_EQ(runCommand(cli("drc2pcb " + report + " 2>/dev/null"), &out), 2);  // no -o
}

}  // namespace
}  // namespace padloom
