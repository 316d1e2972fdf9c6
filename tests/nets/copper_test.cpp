#include "nets/copper.h"

#include <algorithm>

#include "nets/board_nets.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::nets {
namespace {

using Lines = std::vector<std::string>;
using Pins = std::vector<std::string>;

using Pads = std::vector<std::tuple<std::string, int, int, int>>;  // name, x, y, plane code

// A component with hidden texts: round through-hole pads (60 mils, hole 30, Multi Layer), or
// with `surface` square pads on top copper (60 mils).
Lines component(const std::string& designator, const Pads& pads, bool surface = false) {
    Lines l = {"COMP", designator, "DIP", "X", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 2 2 0"};
    for (const auto& [name, x, y, planeCode] : pads) {
        l.push_back("CP");
        l.push_back(std::to_string(x) + " " + std::to_string(y) +
                    (surface ? " 60 60 2 0 " : " 60 60 1 30 ") + std::to_string(planeCode) +
                    (surface ? " 1" : " 13"));
        l.push_back(name);
    }
    l.push_back("ENDCOMP");
    return l;
}

Lines topPads(const std::string& designator, const Pads& pads) {
    return component(designator, pads, true);
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Lines board(const Lines& records) {
    return Lines{"PCB FILE 4"} + records + Lines{"ENDPCB"};
}

// A square pour outline of free 1-mil tracks on top copper, from (lo, lo) to (hi, hi).
Lines pourSquare(int lo, int hi) {
    const std::string a = std::to_string(lo), b = std::to_string(hi);
    return {"FT", a + " " + a + " " + b + " " + a + " 1 1",
            "FT", b + " " + a + " " + b + " " + b + " 1 1",
            "FT", b + " " + b + " " + a + " " + b + " 1 1",
            "FT", a + " " + b + " " + a + " " + a + " 1 1"};
}

// The nets (islands of two pads or more) as sorted pin lists, sorted.
std::vector<Pins> netsOf(const Copper& copper) {
    std::vector<Pins> nets;
    for (const Island& island : copper.islands) {
        if (island.pads.size() < 2) {
            continue;
        }
        Pins pins;
        for (int p : island.pads) {
            pins.push_back(copper.pads[static_cast<size_t>(p)].pin);
        }
        std::sort(pins.begin(), pins.end());
        nets.push_back(pins);
    }
    std::sort(nets.begin(), nets.end());
    return nets;
}

struct RuleCase {
    std::string rule;
    Lines records;
    CopperOptions options;
    std::vector<Pins> nets;
    size_t textShorts = 0;
};

std::ostream& operator<<(std::ostream& os, const RuleCase& c) {
    return os << c.rule;
}

const CopperOptions kPlain;
const CopperOptions kPours{true, false, 6};
const CopperOptions kPoursThermals{true, true, 6};

const Lines kTwoPads = component("U1", {{"1", 1000, 1000, 1}, {"2", 2000, 1000, 1}});

// clang-format off
const RuleCase kRules[] = {
    {"two pads joined by a track",
     kTwoPads + Lines{"FT", "1000 1000 2000 1000 10 6"}, kPlain, {{"U1-1", "U1-2"}}},
    // the pad's edge is at x = 1970; the track's round end reaches 1969
    {"a track ending 1 mil short of a pad is open",
     kTwoPads + Lines{"FT", "1000 1000 1964 1000 10 6"}, kPlain, {}},
    {"a track whose end just touches a pad's edge joins it",
     kTwoPads + Lines{"FT", "1000 1000 1965 1000 10 6"}, kPlain, {{"U1-1", "U1-2"}}},
    {"a track on the other side of the board from a surface pad does not join it",
     component("U1", {{"1", 1000, 1000, 1}}) +
         Lines{"FP", "2000 1000 60 60 2 0 1 1", "T", "FT", "1000 1000 2000 1000 10 6"},
     kPlain, {}},
    // the quarter from the right point (1100, 1100) down to the bottom point (1000, 1000)
    {"an arc closing a net",
     component("U1", {{"1", 1000, 1000, 1}, {"2", 1100, 1100, 1}}) +
         Lines{"FA", "1000 1100 100 8 10 6"}, kPlain, {{"U1-1", "U1-2"}}},
    {"an arc of the opposite quarter misses both pads",
     component("U1", {{"1", 1000, 1000, 1}, {"2", 1100, 1100, 1}}) +
         Lines{"FA", "1000 1100 100 2 10 6"}, kPlain, {}},
    {"a fill joining three tracks",
     component("U1", {{"1", 1000, 1000, 1}, {"2", 1000, 2000, 1}, {"3", 2000, 1500, 1}}) +
         Lines{"FT", "1000 1000 1450 1450 10 6", "FT", "1000 2000 1450 1550 10 6",
               "FT", "2000 1500 1550 1500 10 6", "FF", "1600 1600 1400 1400 6"},
     kPlain, {{"U1-1", "U1-2", "U1-3"}}},
    {"a via joining top and bottom",
     Lines{"FP", "1000 1000 60 60 2 0 1 1", "A", "FP", "2000 1000 60 60 2 0 1 6", "B",
           "FT", "1000 1000 1500 1000 10 1", "FT", "1500 1000 2000 1000 10 6",
           "FV", "1500 1000 40 20"},
     kPlain, {{"A", "B"}}},
    {"tracks meeting on two sides without a via stay apart",
     Lines{"FP", "1000 1000 60 60 2 0 1 1", "A", "FP", "2000 1000 60 60 2 0 1 6", "B",
           "FT", "1000 1000 1500 1000 10 1", "FT", "1500 1000 2000 1000 10 6"},
     kPlain, {}},
    // surface pads, so that no plane joins them: 1 and 2 are tied straight into the pour,
    // 3 sits in its clearance
    {"a pour joining pads of plane code 3 and not a pad inside its clearance",
     pourSquare(500, 2500) +
         topPads("U1", {{"1", 1000, 1000, 3}, {"2", 2000, 2000, 3}, {"3", 1000, 2000, 1}}),
     kPours, {{"U1-1", "U1-2"}}},
    {"without pours the outline is a thin track that touches nothing",
     pourSquare(500, 2500) +
         topPads("U1", {{"1", 1000, 1000, 3}, {"2", 2000, 2000, 3}, {"3", 1000, 2000, 1}}),
     kPlain, {}},
    // the track's clearance crosses the whole pour and cuts it in two
    {"a track across a pour cuts it into two pieces",
     pourSquare(500, 2500) +
         topPads("U1", {{"1", 1000, 1000, 3}, {"2", 1000, 2000, 3}, {"3", 2000, 2000, 3}}) +
         Lines{"FT", "400 1500 2600 1500 20 1"},
     kPours, {{"U1-2", "U1-3"}}},
    {"thermals join a pad of plane code 6 to the pour across its clearance",
     pourSquare(500, 2500) + topPads("U1", {{"1", 1000, 1000, 6}, {"2", 2000, 2000, 3}}),
     kPoursThermals, {{"U1-1", "U1-2"}}},
    {"without thermals a pad of plane code 6 keeps its clearance",
     pourSquare(500, 2500) + topPads("U1", {{"1", 1000, 1000, 6}, {"2", 2000, 2000, 3}}),
     kPours, {}},
    {"pads tied to the ground plane join; a power plane pad does not",
     component("U1", {{"1", 1000, 1000, 2}}) + component("U2", {{"1", 3000, 1000, 3}}) +
         component("U3", {{"1", 5000, 1000, 4}}),
     kPlain, {{"U1-1", "U2-1"}}},
    {"a copper text across two nets joins nothing but is a possible short",
     component("U1", {{"1", 1000, 1000, 1}, {"2", 1000, 2000, 1}}) +
         Lines{"FT", "1000 1000 3000 1000 10 6", "FT", "1000 2000 3000 2000 10 6",
               "FS", "1500 950 1100 0 10 6", "I"},
     kPlain, {}, 1},
};
// clang-format on

class CopperRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CopperRules, JoinsWhatTheCopperJoins) {
    const RuleCase& c = GetParam();
    testing::TempDir dir;
    const std::string path = dir.write("B.PCB", testing::crlf(board(c.records)));
    const Copper copper = traceCopper(path, c.options);
    EXPECT_EQ(netsOf(copper), c.nets);
    EXPECT_EQ(copper.textContacts.size(), c.textShorts);
}

INSTANTIATE_TEST_SUITE_P(Rules, CopperRules, ::testing::ValuesIn(kRules));

}  // namespace
}  // namespace padloom::nets
