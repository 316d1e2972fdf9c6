#include "nets/board_nets.h"

#include "common/errors.h"
#include "nets/nets_report.h"
#include "support/test_support.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace padloom::nets {
namespace {

using Lines = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// Two four-pin parts, U1 at x = 1000 and U2 at x = 3000, pads 30 mils round (radius 15) at
// y = 1000, 1100, 1200, 1300; tracks 8 wide join pins 1, 2 and 3 across; pin 4 is free.
Lines boardLines(const std::string& sigTrack) {
    Lines l = {"PCB FILE 4"};
    for (const std::string d : {"U1", "U2"}) {
        const int x = d == "U1" ? 1000 : 3000;
        l.insert(l.end(), {"COMP", d, "SIP4", "X", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 2 2 0"});
        for (int pin = 1; pin <= 4; ++pin) {
            l.insert(l.end(), {"CP",
                               std::to_string(x) + " " + std::to_string(900 + 100 * pin) +
                                   " 30 30 1 20 1 13",
                               std::to_string(pin)});
        }
        l.push_back("ENDCOMP");
    }
    l.insert(l.end(), {"FT", "1000 1000 3000 1000 8 6", "FT", sigTrack, "FT",
                       "1000 1200 3000 1200 8 6", "ENDPCB"});
    return l;
}

const std::string kSigTrack = "1000 1100 3000 1100 8 6";

Lines netdef(const std::string& name, const Lines& pins) {
    Lines l = {"NETDEF", name, "0", "("};
    l.insert(l.end(), pins.begin(), pins.end());
    l.insert(l.end(), {")", "{", "1 2 3", "}"});
    return l;
}

Lines withNetdef(Lines board) {
    for (const auto& block : {netdef("GND", {"U1-1", "U2-1"}), netdef("SIG", {"U1-2", "U2-2"}),
                              netdef("VCC", {"U1-3", "U2-3"})}) {
        board.insert(board.end(), block.begin(), block.end());
    }
    return board;
}

struct Fixture {
    testing::TempDir dir;
    std::string board(const Lines& lines) { return dir.write("B.PCB", testing::crlf(lines)); }
};

std::vector<std::string> sortedNames(const BoardNets& nets) {
    std::vector<std::string> names;
    for (size_t i = 0; i < nets.names.size(); ++i) {
        if (nets.copper.islands[i].pads.size() >= 2) {
            names.push_back(nets.names[i]);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(NetNames, ComeFromNetdefElseNetlistElseNumbers) {
    Fixture f;
    // without any netlist: numbered in the order of their first pads
    const BoardNets plain = findNets(f.board(boardLines(kSigTrack)), {});
    EXPECT_FALSE(plain.reference);
    EXPECT_THAT(sortedNames(plain), ElementsAre("N00001", "N00002", "N00003"));

    // NETDEF blocks after the records name them
    const BoardNets named = findNets(f.board(withNetdef(boardLines(kSigTrack))), {});
    ASSERT_TRUE(named.reference);
    EXPECT_EQ(named.reference->nets.size(), 3u);
    EXPECT_THAT(sortedNames(named), ElementsAre("GND", "SIG", "VCC"));
    // the free pins 4 are alone, unnamed
    EXPECT_EQ(named.names[static_cast<size_t>(named.copper.pads[3].island)], "");

    // a netlist file wins over NETDEF; the island no net names is numbered
    NetsOptions options;
    options.netlist = f.dir.write("B.NET",
                                  "[\r\nU1\r\nSIP4\r\n\r\n\r\n\r\n\r\n]\r\n"
                                  "(\r\nGROUND\r\nU1-1\r\nU2-1\r\n)\r\n"
                                  "(\r\nSIGNAL\r\nU1-2\r\nU2-2\r\n)\r\n");
    const BoardNets fromFile = findNets(f.board(withNetdef(boardLines(kSigTrack))), options);
    EXPECT_THAT(sortedNames(fromFile), ElementsAre("GROUND", "N00001", "SIGNAL"));
}

TEST(NetNames, IslandsOfOneNetGetSuffixes) {
    Fixture f;
    // SIG's track stops short of U2-2; tracks round the outside join U2-2 to U2-4
    Lines lines = withNetdef(boardLines("1000 1100 2000 1100 8 6"));
    lines.insert(lines.begin() + 1, {"FT", "3000 1100 3200 1100 8 6", "FT",
                                     "3200 1100 3200 1300 8 6", "FT", "3200 1300 3000 1300 8 6"});
    const BoardNets nets = findNets(f.board(lines), {});
    // one pin of SIG on each island: the island of the earlier pad keeps the name
    EXPECT_EQ(nets.names[static_cast<size_t>(nets.copper.pads[1].island)], "SIG");  // U1-2 alone
    EXPECT_EQ(nets.names[static_cast<size_t>(nets.copper.pads[5].island)], "SIG_2");
    EXPECT_THAT(sortedNames(nets), ElementsAre("GND", "SIG_2", "VCC"));
}

TEST(Netcheck, OwnNetdefReportsNothingAndAMovedTrackEndExactlyItsOpen) {
    Fixture f;
    const BoardNets nets = findNets(f.board(withNetdef(boardLines(kSigTrack))), {});
    // a netlist file written from the board's own NETDEF
    NetsOptions options;
    options.netlist = f.dir.write("OWN.NET", protelNetlistText(*nets.reference));
    const BoardNets again = findNets(f.board(withNetdef(boardLines(kSigTrack))), options);
    const NetDifferences none = compareWithNetlist(again, *again.reference);
    EXPECT_FALSE(none.any()) << differencesText(none);

    // SIG's end at U2-2 moved 20 mils down: 20 mils from the pad's centre, its copper 16
    const BoardNets moved =
        findNets(f.board(withNetdef(boardLines("1000 1100 3000 1080 8 6"))), options);
    const NetDifferences diff = compareWithNetlist(moved, *moved.reference);
    ASSERT_EQ(diff.opens.size(), 1u) << differencesText(diff);
    EXPECT_EQ(diff.opens[0].net, "SIG");
    EXPECT_THAT(diff.opens[0].islands, ElementsAre(ElementsAre("U1-2"), ElementsAre("U2-2")));
    EXPECT_THAT(diff.opens[0].at, ElementsAre(std::pair{1000, 1100}, std::pair{3000, 1100}));
    EXPECT_THAT(diff.shorts, IsEmpty());
    EXPECT_THAT(diff.missing, IsEmpty());
    EXPECT_THAT(diff.extra, IsEmpty());
}

TEST(Netcheck, ReportsMissingPinsExtraPadsAndShortsWithWhereTheyMeet) {
    Fixture f;
    // a netlist with one pin the board lacks: that alone differs
    ReferenceNetlist list{
        {{"GND", {"U1-1", "U2-1"}}, {"SIG", {"U1-2", "U2-2", "U9-1"}}, {"VCC", {"U1-3", "U2-3"}}},
        "N.NET"};
    const BoardNets nets = findNets(f.board(boardLines(kSigTrack)), {});
    NetDifferences diff = compareWithNetlist(nets, list);
    EXPECT_THAT(diff.missing, ElementsAre("U9-1"));
    EXPECT_TRUE(diff.opens.empty() && diff.shorts.empty() && diff.extra.empty());

    // a track from U1-4 to VCC's track: an extra pad; a track from GND to SIG: a short,
    // located where the new track meets SIG's
    Lines lines = boardLines(kSigTrack);
    lines.insert(lines.begin() + 1,
                 {"FT", "1000 1300 1500 1200 8 6", "FT", "2000 1000 2000 1100 8 6"});
    diff = compareWithNetlist(findNets(f.board(lines), {}), list);
    EXPECT_THAT(diff.extra, ElementsAre("U1-4"));
    ASSERT_EQ(diff.shorts.size(), 1u);
    EXPECT_THAT(diff.shorts[0].nets, ElementsAre("GND", "SIG"));
    EXPECT_THAT(diff.shorts[0].pins, UnorderedElementsAre("U1-1", "U1-2", "U2-1", "U2-2"));
    EXPECT_EQ(diff.shorts[0].at.first, 2000);
    EXPECT_TRUE(diff.shorts[0].at.second >= 1000 && diff.shorts[0].at.second <= 1100);

    // a free pad on VCC's track, and one joined to it: no netlist can name them, so they are
    // told apart from the differences and do not count as one
    ReferenceNetlist whole = list;
    whole.nets[1].pins.pop_back();  // no U9-1
    lines = boardLines(kSigTrack);
    lines.insert(lines.begin() + 1, {"FP", "2000 1200 40 40 1 0 1 6", "VCC", "FP",
                                     "2000 1500 40 40 1 0 1 6", "", "FT",
                                     "2000 1200 2000 1500 8 6"});
    diff = compareWithNetlist(findNets(f.board(lines), {}), whole);
    EXPECT_THAT(diff.freePads, ElementsAre("VCC", "@2000,1500"));
    EXPECT_THAT(diff.extra, IsEmpty());
    EXPECT_FALSE(diff.any());
    EXPECT_EQ(differencesText(diff),
              "Free pads joined by copper (no netlist names them; not counted): VCC @2000,1500\n"
              "No differences.\n");
    EXPECT_THAT(differencesJson(diff), ::testing::EndsWith(", \"freePads\": [\"VCC\", "
                                                           "\"@2000,1500\"]}\n"));
}

TEST(Netdef, ReadsBlocksWithOrWithoutTheirConnections) {
    NetdefCollector netdef;
    for (const char* line :
         {"ENDPCB", "NETDEF", "GND",  "2", "(", "U1-1",  "",  "U2-1 ", ")",    "NETDEF", "VCC",
          "0",      "(",      "U1-2", ")", "{", "1 2 3", "}", "(",     "X1-1", ")"}) {
        netdef.line(line);
    }
    const ReferenceNetlist list = netdef.take("B.PCB");
    ASSERT_EQ(list.nets.size(), 2u);
    EXPECT_EQ(list.nets[0].name, "GND");
    EXPECT_THAT(list.nets[0].pins, ElementsAre("U1-1", "U2-1"));
    EXPECT_EQ(list.nets[1].name, "VCC");
    // lines after the last block are no net
    EXPECT_THAT(list.nets[1].pins, ElementsAre("U1-2"));
    EXPECT_EQ(list.source, "B.PCB");
}

TEST(ProtelNetlist, ReadsNetBlocksAndRefusesAnUnclosedOne) {
    Fixture f;
    const ReferenceNetlist list = readProtelNetlist(
        f.dir.write("A.NET",
                    "[\r\nR1\r\nAXIAL0.4\r\n10K\r\n\r\n\r\n\r\n]\r\n(\r\n VCC \r\nR1-1\r\n"
                    "U1-14\r\n)\r\n(\r\nGND\r\nR1-2\r\n)\r\n"));
    ASSERT_EQ(list.nets.size(), 2u);
    EXPECT_EQ(list.nets[0].name, "VCC");
    EXPECT_THAT(list.nets[0].pins, ElementsAre("R1-1", "U1-14"));
    EXPECT_THAT(list.nets[1].pins, ElementsAre("R1-2"));
    try {
        readProtelNetlist(f.dir.write("B.NET", "(\nVCC\nR1-1\n(\nGND\n)\n"));
        FAIL() << "an unclosed net block was read";
    } catch (const common::FormatError& e) {
        EXPECT_THAT(e.what(), ::testing::HasSubstr("line 1: net block not closed"));
    }
    EXPECT_THROW(readProtelNetlist(f.dir.write("C.NET", "nothing here\n")), common::FormatError);
}

}  // namespace
}  // namespace padloom::nets
