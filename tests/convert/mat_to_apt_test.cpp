#include "convert/mat_to_apt.h"

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::convert {
namespace {

using testing::crlf;
using testing::readFile;
using testing::TempDir;

// One line of the matrix in, the aperture file line out ("" = the line is skipped).
TEST(MatToApt, LineRules) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"CIRC10: D12 CIRCLE 10 X", "D12 CIRCLE 10 X\tCIRC10"},
        {"PAD : D12 ROUND 10 X", "D12 ROUND 10 X\tPAD "},  // split at the D-code's "D"
        {"DRILL: D30 ROUND 28 Y", "D30 ROUND 28 Y\tDRILL"},
        {": D15 SQUARE 50 Y", "D15 SQUARE 50 Y\t"},
        {"A: D7,x", "D7,x\tA"},
        {"A: D7)x", "D7)x\tA"},
        {"X : D12", ""},          // the D-code runs to the end of the line
        {"X : D12 ", ""},         // its separator is the last character
        {"X : D0 ROUND", ""},     // D-codes start at 1
        {"X : D1A ROUND", ""},    // not a number
        {"X : D ROUND", ""},      // no digits
        {"X D12 ROUND 10 X", ""}, // no ":"
        {"X D12 ROUND 10 X:", ""},  // ":" is the last character
        {"X : ROUND 10 X", ""},   // no "D" after the ":"
        {"", ""},
    };
    // clang-format on
    for (const auto& [in, out] : cases) {
        auto parsed = parseMatLine(in);
        EXPECT_EQ(parsed ? aptLineOfMat(in, *parsed) : "", out) << in;
    }
}

struct MatRun {
    TempDir dir;
    common::ScriptedHost host;
    common::Outcome outcome = common::Outcome::Cancelled;

    void run(const std::string& name, const std::string& bytes, MatToAptOptions opt = {}) {
        host.openAnswers.push_back({dir.write(name, bytes)});
        outcome = matToApt(host, opt);
    }
};

TEST(MatToApt, FirstLineOfEachDcodeSortedByDcode) {
    MatRun r;
    r.run("m.mat", crlf({"A: D20 ROUND 20 X", "B: D11 ROUND 11 X", "", "C: D15 ROUND 15 X",
                         "D: D11 ROUND 99 X", "E: D12"}));
    EXPECT_EQ(r.outcome, common::Outcome::Done);
    EXPECT_EQ(readFile(r.dir.file("m.APT")),
              crlf({"D11 ROUND 11 X\tB", "D15 ROUND 15 X\tC", "D20 ROUND 20 X\tA"}));
    EXPECT_EQ(
        r.host.transcript,
        (std::vector<std::string>{"open|3|", "status|pass 1.  Reading MAT file.", "status|Ready"}));
}

// A matrix without an aperture line (or an empty file) is refused, and an aperture file the
// user agreed to replace stays as it was.
TEST(MatToApt, NoUsableLineIsRefusedAndWritesNothing) {
    for (const std::string& bytes : {crlf({"nothing here", "X : D12"}), std::string()}) {
        MatRun r;
        r.dir.write("n.APT", "good");
        r.host.yesNoAnswers.push_back(true);
        EXPECT_THROW(r.run("n.MAT", bytes, {true}), common::FormatError);
        EXPECT_EQ(readFile(r.dir.file("n.APT")), "good");
        EXPECT_TRUE(r.host.viewed.empty());
    }
}

TEST(MatToApt, AsksBeforeReplacingAndKeepsTheFileOnNo) {
    MatRun r;
    r.dir.write("k.APT", "old");
    r.run("k.mat", crlf({"A: D10 ROUND 5 X"}));
    EXPECT_EQ(r.outcome, common::Outcome::Cancelled);
    EXPECT_EQ(readFile(r.dir.file("k.APT")), "old");
    EXPECT_EQ(r.host.transcript[2],
              "yesno|File " + r.dir.file("k.APT") + " exisits!  Replace this file?");
    r.host.yesNoAnswers.push_back(true);
    r.run("k.mat", crlf({"A: D10 ROUND 5 X"}));
    EXPECT_EQ(readFile(r.dir.file("k.APT")), crlf({"D10 ROUND 5 X\tA"}));
}

TEST(MatToApt, RefusesToWriteOverTheMatrix) {
    MatRun r;
    const std::string matrix = crlf({"A: D10 ROUND 5 X"});
    EXPECT_THROW(r.run("X.APT", matrix), common::IoError);
    EXPECT_EQ(readFile(r.dir.file("X.APT")), matrix);
    EXPECT_EQ(r.host.transcript.back(), "status|Ready");
}

TEST(MatToApt, MoreDcodesThanTheListHoldsStopsAtThatLine) {
    std::string matrix;
    for (int d = 1; d <= 4097; ++d) {
        matrix += "A: D" + std::to_string(d) + " ROUND 5 X\r\n";
    }
    MatRun r;
    r.dir.write("big.APT", "old");
    r.host.yesNoAnswers.push_back(true);
    r.run("big.mat", "C: D1 again X\r\n" + matrix);
    EXPECT_EQ(r.outcome, common::Outcome::Refused);
    EXPECT_EQ(readFile(r.dir.file("big.APT")), "old");
    ASSERT_GE(r.host.transcript.size(), 4u);
    EXPECT_EQ(r.host.transcript[3].rfind("error|" + r.dir.file("big.mat") + ":4098: D4097 ", 0), 0u)
        << r.host.transcript[3];

    MatRun fits;  // exactly 4096 is fine
    fits.run("fits.mat", matrix.substr(0, matrix.rfind("A: D4097")));
    EXPECT_EQ(fits.outcome, common::Outcome::Done);
    EXPECT_EQ(testing::crlfLines(readFile(fits.dir.file("fits.APT"))).size(), 4096u);
}

}  // namespace
}  // namespace padloom::convert
