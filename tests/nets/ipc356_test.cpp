#include "nets/ipc356.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <tuple>

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::nets {
namespace {

using Lines = std::vector<std::string>;

std::string columns80(std::string s) {
    s.resize(80, ' ');
    return s;
}

TEST(Ipc356, WritesTheHeaderAliasesAndOneRecordPerPadAndVia) {
    testing::TempDir dir;
    const std::string board = dir.write("B.PCB", testing::crlf({"PCB FILE 4",
                                                                "COMP",
                                                                "U1",
                                                                "DIP",
                                                                "X",
                                                                "0 0 60 0 8 7",
                                                                "0 0 60 0 8 7",
                                                                "0 0 2 2 0",
                                                                "CP",
                                                                "1000 2000 60 60 1 28 1 13",
                                                                "1",
                                                                "CP",
                                                                "1200 2000 50 30 2 0 1 1",
                                                                "2",
                                                                "ENDCOMP",
                                                                "FP",
                                                                "1500 2000 60 40 4 0 1 6",
                                                                "0",
                                                                "FV",
                                                                "1100 2000 40 20",
                                                                "FT",
                                                                "1000 2000 1200 2000 10 1",
                                                                "ENDPCB"}));
    NetsOptions options;
    options.netlist = dir.write("B.NET", "(\nA_VERY_LONG_NET_NAME\nU1-1\nU1-2\n)\n");
    const BoardNets nets = findNets(board, options);
    std::vector<std::string> warnings;
    const std::string text = ipc356Text(nets, "B", warnings);
    // clang-format off
    const Lines expected = {
        "C  IPC-D-356A test netlist of the copper of B",
        "P  JOB   B",
        "P  CODE  00",
        "P  UNITS CUST 0",
        "P  TITLE B",
        "P  VER   IPC-D-356A",
        "P  IMAGE PRIMARY",
        "P  NNAME1     A_VERY_LONG_NET_NAME",
        "317NNAME1           U1    -1    D0280PA00X+010000Y+020000X0600Y0000R000S3",
        "327NNAME1           U1    -2          A01X+012000Y+020000X0500Y0300R000S1",
        "317NNAME1           VIA        MD0200PA00X+011000Y+020000X0400Y0000R000S3",
        "327N/C                    -           A02X+015000Y+020000X0600Y0400R000S2",
        "999",
    };
    // clang-format on
    Lines padded;
    for (const std::string& line : expected) {
        padded.push_back(columns80(line));
    }
    EXPECT_EQ(testing::crlfLines(text), padded);
    EXPECT_TRUE(warnings.empty());
}

TEST(Ipc356, CutsWhatIsTooLongForItsColumnsAndSaysSo) {
    testing::TempDir dir;
    // a designator of 10 characters, a pad beyond 100 inches, a net name of 70 characters
    const std::string board = dir.write(
        "B.PCB", testing::crlf({"PCB FILE 4", "COMP", "CONNECTOR1", "DIP", "X", "0 0 60 0 8 7",
                                "0 0 60 0 8 7", "0 0 2 2 0", "CP", "120000 2000 60 60 1 28 1 13",
                                "1", "CP", "120100 2000 60 60 1 28 1 13", "2", "ENDCOMP", "FT",
                                "120000 2000 120100 2000 10 6", "ENDPCB"}));
    NetsOptions options;
    options.netlist = dir.write("B.NET", "(\n" + std::string(70, 'N') + "\nCONNECTOR1-1\n)\n");
    std::vector<std::string> warnings;
    const Lines lines = testing::crlfLines(ipc356Text(findNets(board, options), "B", warnings));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size(), 80u);
    }
    EXPECT_EQ(lines[7], "P  NNAME1     " + std::string(66, 'N'));
    EXPECT_EQ(lines[8].substr(0, 57), "317NNAME1           CONNEC-1    D0280PA00X+999999Y+020000");
    EXPECT_EQ(warnings.size(), 2u);
}

// The test netlist of every sample board against the NC drill file of the same board: every
// record 80 columns, one 317 or 327 per pad and one 317 per via, and the plated holes of the
// 317 records are the drill hits, tool size and place.
TEST(Ipc356, SampleBoardsAgreeWithTheirDrillFiles) {
    const auto boards = testing::sampleBoards();
    if (boards.empty()) {
        GTEST_SKIP() << "no shared samples";
    }
    for (const std::string& sample : boards) {
        SCOPED_TRACE(sample);
        testing::TempDir dir;
        const std::string board = dir.file("S.PCB");
        std::filesystem::copy_file(sample, board);
        const std::string cli = testing::cliPath();
        ASSERT_EQ(testing::runCommand(cli + " ipc356 '" + board + "' 2>/dev/null"), 0);
        ASSERT_EQ(testing::runCommand(cli + " plot '" + board + "' --nc-drill --yes >/dev/null"),
                  0);

        const BoardNets nets = findNets(board, {});
        size_t tests = 0, throughTests = 0;
        std::multiset<std::tuple<long, long, long>> plated;  // hole, x, y in 0.0001 inch
        for (const std::string& line : testing::crlfLines(testing::readFile(dir.file("S.ipc")))) {
            EXPECT_EQ(line.size(), 80u) << line;
            const std::string op = line.substr(0, 3);
            if (op == "317" || op == "327") {
                ++tests;
            }
            if (op == "317") {
                ++throughTests;
                plated.emplace(std::stol(line.substr(33, 4)), std::stol(line.substr(42, 7)),
                               std::stol(line.substr(50, 7)));
            }
        }
        EXPECT_EQ(tests, nets.copper.pads.size() + nets.copper.vias.size());

        // the drill file: tool sizes in the header, then hits of each tool
        std::map<std::string, long> toolSize;
        std::multiset<std::tuple<long, long, long>> hits;
        long current = 0;
        const std::regex tool("T(\\d+)C(\\d+)\\.(\\d{3})"), hit("X(\\d+)Y(\\d+)");
        for (const std::string& line : testing::crlfLines(testing::readFile(dir.file("S.TXT")))) {
            std::smatch m;
            if (std::regex_match(line, m, tool)) {
                toolSize[m[1]] = std::stol(m[2]) * 10000 + std::stol(m[3]) * 10;
            } else if (line.size() > 1 && line[0] == 'T') {
                current = toolSize[line.substr(1)];
            } else if (std::regex_match(line, m, hit)) {
                hits.emplace(current, std::stol(m[1]) * 10, std::stol(m[2]) * 10);
            }
        }
        EXPECT_EQ(plated, hits);
        EXPECT_EQ(throughTests, hits.size());
    }
}

}  // namespace
}  // namespace padloom::nets
