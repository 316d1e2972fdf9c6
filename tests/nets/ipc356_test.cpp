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
    const std::string text = ipc356Text(nets, "B", {}, warnings);
    // clang-format off
    const Lines expected = {
        "C  IPC-D-356A test netlist of B; nets from B.NET",
        "P  JOB   B",
        "P  CODE  00",
        "P  UNITS CUST 0",
        "P  TITLE B",
        "P  VER   IPC-D-356A",
        "P  IMAGE PRIMARY",
        "P  NNAME1     A_VERY_LONG_NET_NAME",
        "317NNAME1           U1    -1    D0280PA00X+010000Y+020000X0600Y0000R000S0",
        "327NNAME1           U1    -2          A01X+012000Y+020000X0500Y0300R000S2",
        "317NNAME1           VIA        MD0200PA00X+011000Y+020000X0400Y0000R000S0",
        "327N/C                                A02X+015000Y+020000X0600Y0400R000S1",
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
    const Lines lines = testing::crlfLines(ipc356Text(findNets(board, options), "B", {}, warnings));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size(), 80u);
    }
    EXPECT_EQ(lines[7], "P  NNAME1     " + std::string(66, 'N'));
    EXPECT_EQ(lines[8].substr(0, 57), "317NNAME1           CONNEC-1    D0280PA00X+999999Y+020000");
    EXPECT_EQ(warnings.size(), 2u);
}

// The test netlist of every sample board against the NC drill file of the same board: every
// record 80 columns, one 317, 327 or 367 per pad and one 317 per via, and the holes of the 317
// and 367 records are the drill hits, tool size and place.
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
        std::multiset<std::tuple<long, long, long>> drilled;  // hole, x, y in 0.0001 inch
        for (const std::string& line : testing::crlfLines(testing::readFile(dir.file("S.ipc")))) {
            EXPECT_EQ(line.size(), 80u) << line;
            const std::string op = line.substr(0, 3);
            if (op == "317" || op == "327" || op == "367") {
                ++tests;
            }
            if (op == "317" || op == "367") {
                ++throughTests;
                drilled.emplace(std::stol(line.substr(33, 4)), std::stol(line.substr(42, 7)),
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
        EXPECT_EQ(drilled, hits);
        EXPECT_EQ(throughTests, hits.size());
    }
}

// A component of `pads` pads ("x y xSize ySize shape hole planeCode layer" each, named 1, 2...).
Lines component(const std::string& designator, const Lines& pads) {
    Lines l = {"COMP", designator, "DIP", "X", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 2 2 0"};
    for (size_t i = 0; i < pads.size(); ++i) {
        l.insert(l.end(), {"CP", pads[i], std::to_string(i + 1)});
    }
    l.push_back("ENDCOMP");
    return l;
}

Lines boardOf(const std::vector<Lines>& parts) {
    Lines l = {"PCB FILE 4"};
    for (const Lines& p : parts) {
        l.insert(l.end(), p.begin(), p.end());
    }
    l.push_back("ENDPCB");
    return l;
}

// The pin of a test record ("U1-2", "VIA"), a free pad without a name by "@" and its x in mils.
std::string pinOf(const std::string& line) {
    std::string pin = line.substr(20, 6) + line.substr(26, 5);
    pin.erase(std::remove(pin.begin(), pin.end(), ' '), pin.end());
    return pin.empty() || pin == "VIA"
               ? pin + "@" + std::to_string(std::stol(line.substr(42, 7)) / 10)
               : pin;
}

// The fields of each test record that say how it is reached: operation, column 27, hole,
// access and mask, by pin.
std::map<std::string, std::string> reach(const std::string& text) {
    std::map<std::string, std::string> by;
    for (const std::string& line : testing::crlfLines(text)) {
        EXPECT_EQ(line.size(), 80u) << line;
        if (line[0] == '3') {
            by[pinOf(line)] = line.substr(0, 3) + "|" + line.substr(26, 1) + "|" +
                              line.substr(32, 6) + "|" + line.substr(38, 3) + "|" +
                              line.substr(71, 2);
        }
    }
    return by;
}

struct SidesCase {
    const char* name;
    Lines extra;  // more records
    std::string bottomAccess;
    std::map<std::string, std::string> extraReach = {};
};

class Ipc356Sides : public ::testing::TestWithParam<SidesCase> {};

// Through pads are reached from both sides and open on both; a surface pad from its side, the
// mask covering the other; a mounting hole (a pad no larger than its hole) is a non-plated
// hole. The bottom is layer n of n copper layers; the command counts them as a plot does.
TEST_P(Ipc356Sides, AccessAndMaskOfEachKindOfPad) {
    testing::TempDir dir;
    const std::string board = dir.write(
        "B.PCB", testing::crlf(boardOf(
                     {component("U1", {"1000 1000 60 60 1 28 1 13", "1200 1000 50 30 2 0 1 1",
                                       "1400 1000 50 30 2 0 1 6", "1600 1000 110 110 1 125 1 13",
                                       "1800 1000 0 0 1 125 1 13"}),
                      {"FV", "2000 1000 40 20"},
                      GetParam().extra})));
    ASSERT_EQ(testing::runCommand(testing::cliPath() + " ipc356 '" + board + "' >/dev/null"), 0);
    const std::string n = GetParam().bottomAccess;
    std::map<std::string, std::string> expected{
        {"U1-1", "317|-|D0280P|A00|S0"},       {"U1-2", "327|-|      |A01|S2"},
        {"U1-3", "327|-|      |" + n + "|S1"}, {"U1-4", "367|-|D1250U|A00|S0"},
        {"U1-5", "367|-|D1250U|A00|S0"},       {"VIA@2000", "317| |D0200P|A00|S0"},
    };
    expected.insert(GetParam().extraReach.begin(), GetParam().extraReach.end());
    EXPECT_EQ(reach(testing::readFile(dir.file("B.ipc"))), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ipc356, Ipc356Sides,
    ::testing::Values(
        SidesCase{"TwoLayers", {}, "A02"},
        SidesCase{"ThreeLayers", {"FT", "0 0 100 0 10 2"}, "A03"},
        // a plane the pads connect to is a copper layer of the set too
        SidesCase{"FourWithPlanes",
                  {"FP", "3000 3000 60 60 1 28 3 13", "0", "FP", "3200 3000 60 60 1 28 5 13", "0"},
                  "A04",
                  // free pads without a name: no "-" in column 27
                  {{"@3000", "317| |D0280P|A00|S0"}, {"@3200", "317| |D0280P|A00|S0"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// With the design's netlist, the nets are its nets: a pin keeps its net's name on every piece
// of an open net, a via takes the net of the pins on its copper (the first by name where they
// are of several), a free pad joined to a net takes its name, and lone copper is N/C.
TEST(Ipc356, NetsOfTheDesignLastOverOpensAndShorts) {
    testing::TempDir dir;
    Lines records = boardOf(
        {component("U1", {"1000 1000 60 60 1 28 1 13", "1000 1200 60 60 1 28 1 13",
                          "1000 1400 60 60 1 28 1 13"}),
         component("U2", {"3000 1000 60 60 1 28 1 13", "3000 1200 60 60 1 28 1 13",
                          "3000 1400 60 60 1 28 1 13"}),
         // GND joined, with a via and a free pad on it
         {"FT", "1000 1000 3000 1000 10 1", "FV", "2000 1000 40 20", "FP",
          "2500 1000 60 60 1 28 1 13", "0"},
         // SIG stops short of U2-2: an open
         {"FT", "1000 1200 2000 1200 10 1", "FV", "1500 1200 40 20"},
         // VCC shorted to GND beside U1, with a via on it
         {"FT", "1000 1400 3000 1400 10 1", "FT", "1000 1400 800 1400 10 6", "FT",
          "800 1400 800 1000 10 6", "FT", "800 1000 1000 1000 10 6", "FV", "2000 1400 40 20"},
         // a via on nothing
         {"FV", "5000 5000 40 20"}});
    for (const auto& [name, pins] : std::vector<std::pair<std::string, Lines>>{
             {"VCC", {"U1-3", "U2-3"}}, {"SIG", {"U1-2", "U2-2"}}, {"GND", {"U1-1", "U2-1"}}}) {
        records.insert(records.end(), {"NETDEF", name, "0", "("});
        records.insert(records.end(), pins.begin(), pins.end());
        records.insert(records.end(), {")", "{", "}"});
    }
    const std::string board = dir.write("B.PCB", testing::crlf(records));
    const BoardNets nets = findNets(board, {});
    std::vector<std::string> warnings;
    std::map<std::string, std::vector<std::string>> netOf;  // net -> pins, by board order
    for (const std::string& line : testing::crlfLines(ipc356Text(nets, "B", {}, warnings))) {
        if (line[0] == '3') {
            std::string net = line.substr(3, 14);
            net.erase(net.find_last_not_of(' ') + 1);
            netOf[net].push_back(pinOf(line));
        }
    }
    EXPECT_EQ(netOf, (std::map<std::string, std::vector<std::string>>{
                         {"GND", {"U1-1", "U2-1", "VIA@2000", "@2500", "VIA@2000"}},
                         {"N/C", {"VIA@5000"}},
                         {"SIG", {"U1-2", "U2-2", "VIA@1500"}},
                         {"VCC", {"U1-3", "U2-3"}}}))
        << testing::readFile(board);
    const NetSource source = netSource(nets, board);
    EXPECT_EQ(source.source, "the netlist in the board (its NETDEF blocks)");
    ASSERT_GE(source.check.size(), 2u);
    EXPECT_EQ(source.check[0], "open: SIG is in 2 pieces of copper: U1-2 | U2-2");
    EXPECT_EQ(source.check[1].substr(0, 36), "short: VCC and GND are joined by cop");
    EXPECT_EQ(netSource(findNets(board, {}), "other.pcb").source, "the netlist B.PCB");
}

// Names and fields that are not ASCII are written in ASCII in their columns, long ones through
// an alias; two names that would then read the same are told apart.
TEST(Ipc356, StaysAsciiInItsColumns) {
    testing::TempDir dir;
    const std::string board = dir.write(
        "B.PCB", testing::crlf(boardOf(
                     {component("R\xE9", {"1000 1000 60 60 1 28 1 13", "1200 1000 60 60 1 28 1 13",
                                          "1400 1000 60 60 1 28 1 13"})})));
    NetsOptions options;
    options.netlist = dir.write("B.NET",
                                "(\nA\xC3\x9CX\nR\xE9-1\n)\n(\nA\xC3\xA4X\nR\xE9-2\n)\n"
                                "(\nSIGNAL_\xC3\xA9_WITH_A_LONG_NAME\nR\xE9-3\n)\n");
    std::vector<std::string> warnings;
    const std::string text = ipc356Text(findNets(board, options), "B\xE9", {}, warnings);
    for (const std::string& line : testing::crlfLines(text)) {
        EXPECT_EQ(line.size(), 80u) << line;
        EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) {
            return c >= 0x20 && c < 0x7f;
        })) << line;
    }
    EXPECT_NE(text.find("P  JOB   B_ "), std::string::npos);
    EXPECT_NE(text.find("P  NNAME1     SIGNAL___WITH_A_LONG_NAME "), std::string::npos) << text;
    EXPECT_NE(text.find("317A_X              R_    -1 "), std::string::npos) << text;
    EXPECT_NE(text.find("317A_X_2            R_    -2 "), std::string::npos) << text;
    EXPECT_NE(text.find("317NNAME1           R_    -3 "), std::string::npos) << text;
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(asciiText("\xC3\xA9\xE9\xC3"), "___");  // UTF-8, then Latin-1 bytes
}

}  // namespace
}  // namespace padloom::nets
