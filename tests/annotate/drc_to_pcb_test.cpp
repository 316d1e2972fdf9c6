#include "annotate/drc_to_pcb.h"

#include <filesystem>

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::annotate {
namespace {

using testing::crlf;
using testing::readFile;
using testing::TempDir;

using Lines = std::vector<std::string>;

// clang-format off
const std::string kReport = crlf({
    "Protel Autotrax Design Rule Check",
    "Clearance Error",
    "   Pad (1000,2000) Multi Layer",
    "   Track (1100,1500 1100,2500) Top Layer",
    "Clearance Error",
    "   Via (3000,3000)",
    "   Track (2900,2800 3200,2800) Bottom Layer",
    "Width Error (500,500)",
    "Clearance Error",
    "   Arc (-40,+60)",
    "   Pad (4000,4000)",
    "End of report"});
const std::string kRecords = crlf({
    "FA", "1000 2000 50 15 30 12",
    "FT", "1100 1500 1100 2500 30 12 1",
    "FA", "3000 3000 50 15 30 12",
    "FT", "2900 2800 3200 2800 30 12 1",
    "FA", "-40 +60 50 15 30 12",
    "FA", "4000 4000 50 15 30 12"});
// clang-format on

TEST(DrcToPcb, ObjectLines) {
    struct Case {
        const char* line;
        const char* record;  // "" when the line is left out
    };
    // clang-format off
    const Case cases[] = {
        {"Pad (1000,2000) Multi Layer", "FA\r\n1000 2000 50 15 30 12\r\n"},
        {"Track (1100,1500 1100,2500) Top Layer", "FT\r\n1100 1500 1100 2500 30 12 1\r\n"},
        {"(1100,1500   1100,2500)", "FT\r\n1100 1500 1100 2500 30 12 1\r\n"},
        {"( 7 , 8 )", "FA\r\n7 8 50 15 30 12\r\n"},
        {"(10.5,2000)", ""},
        {"(1000,)", ""},
        {"(1000,2000", ""},
        {"1000,2000)", ""},
        {"Pad", ""},
        {"(1100,1500 1100,25x0)", ""},
        {"(1100,1500)(1100,2500)", ""},
        {"(1100,1500 1100,2500", ""},
        {"(99999999999,1)", ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        auto record = highlightRecord(c.line);
        EXPECT_EQ(record.value_or(""), c.record) << c.line;
    }
}

TEST(DrcToPcb, ErrorBoardThreeErrorsSixRecords) {
    TempDir dir;
    auto report = dir.write("r.drc", kReport);
    common::ScriptedHost host;
    host.openAnswers.push_back({report});
    host.saveAnswers.push_back(dir.file("error.pcb"));
    EXPECT_EQ(drcToPcb(host, DrcMode::ErrorBoard), common::Outcome::Done);
    EXPECT_EQ(readFile(dir.file("error.pcb")), "PCB FILE 4\r\n" + kRecords + "ENDPCB\r\n");
    EXPECT_EQ(host.transcript, (Lines{"open|1|Select DRC file", "save|1|", "plain|Done"}));
}

TEST(DrcToPcb, UnreadableObjectLinesAreLeftOutAndCounted) {
    TempDir dir;
    auto report = dir.write("bad.drc", crlf({"Clearance Error", "Pad (1000,2000)",
                                             "Track (a,b c,d)", "Clearance Error", "Via (5,6)"}));
    common::ScriptedHost host;
    host.openAnswers.push_back({report});
    host.saveAnswers.push_back(dir.file("out.pcb"));
    EXPECT_EQ(drcToPcb(host, DrcMode::ErrorBoard), common::Outcome::Done);
    EXPECT_EQ(readFile(dir.file("out.pcb")), crlf({"PCB FILE 4", "FA", "1000 2000 50 15 30 12",
                                                   "FA", "5 6 50 15 30 12", "ENDPCB"}));
    EXPECT_EQ(host.transcript.back(), "plain|Done\n\n2 object lines were left out:\n" + report +
                                          ":3: x or y is not a whole number: Track (a,b c,d)\n" +
                                          report +
                                          ":4: the report ends before the error's two objects");
}

TEST(DrcToPcb, HighlightedCopyInsertsBeforeTheLastEndpcb) {
    const std::string records = "FA\r\n1 2 50 15 30 12\r\nFA\r\n3 4 50 15 30 12\r\n";
    const std::string body = "PCB FILE 4\r\nFV\r\n0 0 50 20\r\n";
    struct Case {
        const char* what;
        std::string board;
        std::string expected;
    };
    const Case cases[] = {
        {"CR LF", body + "ENDPCB\r\n", body + records + "ENDPCB\r\n"},
        {"LF", "PCB FILE 4\nENDPCB\n", "PCB FILE 4\n" + records + "ENDPCB\r\n"},
        {"lone CR", "PCB FILE 4\rENDPCB\r", "PCB FILE 4\r" + records + "ENDPCB\r\n"},
        {"no line end", body + "ENDPCB", body + records + "ENDPCB\r\n"},
        {"lines after it are kept", body + "ENDPCB\r\n\r\n", body + records + "ENDPCB\r\n\r\n"},
        {"the last of two", body + "ENDPCB\r\nFV\r\n5 5 50 20\r\nENDPCB\r\n",
         body + "ENDPCB\r\nFV\r\n5 5 50 20\r\n" + records + "ENDPCB\r\n"},
        {"a longer line is not it", body + "ENDPCBX\r\n",
         body + "ENDPCBX\r\n" + records + "ENDPCB\r\n"},
        {"none: appended", body, body + records + "ENDPCB\r\n"},
        {"none and no last line end", "PCB FILE 4", "PCB FILE 4\r\n" + records + "ENDPCB\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        auto report = dir.write("r.drc", crlf({"Clearance Error", "(1,2)", "(3,4)"}));
        auto board = dir.write("b.pcb", c.board);
        common::ScriptedHost host;
        host.openAnswers.push_back({report});
        host.openAnswers.push_back({board});
        host.saveAnswers.push_back(dir.file("new.pcb"));
        EXPECT_EQ(drcToPcb(host, DrcMode::HighlightedCopy), common::Outcome::Done);
        EXPECT_EQ(readFile(dir.file("new.pcb")), c.expected);
        EXPECT_EQ(readFile(board), c.board);
        EXPECT_EQ(host.transcript, (Lines{"open|1|Select DRC file", "open|2|Select PCB file",
                                          "save|1|", "plain|Done"}));
    }
    // an empty file is no board: refused, nothing written
    TempDir dir;
    auto report = dir.write("r.drc", crlf({"Clearance Error", "(1,2)", "(3,4)"}));
    auto empty = dir.write("b.pcb", "");
    EXPECT_THROW(writeHighlightedBoard(readDrcReport(report), report, empty, dir.file("new.pcb")),
                 common::FormatError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.pcb")));
}

TEST(DrcToPcb, CancelledDialogsAndRefusedOutputsWriteNothing) {
    TempDir dir;
    auto report = dir.write("r.drc", kReport);
    auto board = dir.write("b.pcb", crlf({"PCB FILE 4", "ENDPCB"}));
    for (int cancelAt = 0; cancelAt < 3; ++cancelAt) {
        common::ScriptedHost host;
        if (cancelAt > 0) {
            host.openAnswers.push_back({report});
        }
        if (cancelAt > 1) {
            host.openAnswers.push_back({board});
        }
        EXPECT_EQ(drcToPcb(host, DrcMode::HighlightedCopy), common::Outcome::Cancelled);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    for (const std::string& output : {report, board}) {
        common::ScriptedHost host;
        host.openAnswers.push_back({report});
        host.openAnswers.push_back({board});
        host.saveAnswers.push_back(output);
        EXPECT_THROW(drcToPcb(host, DrcMode::HighlightedCopy), common::IoError) << output;
    }
    EXPECT_THROW(writeErrorBoard(readDrcReport(report), report, report), common::IoError);
    EXPECT_EQ(readFile(report), kReport);
    EXPECT_EQ(readFile(board), crlf({"PCB FILE 4", "ENDPCB"}));
}

}  // namespace
}  // namespace padloom::annotate
