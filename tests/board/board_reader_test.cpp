#include "board/board_reader.h"

#include "common/errors.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::board {
namespace {

using testing::TempDir;

struct ReadAll {
    std::vector<RecordKind> kinds;
    std::vector<CurrentRecord> records;
    std::vector<ComponentHeader> comps;
    std::vector<std::string> problems;
};

ReadAll readAll(const std::string& bytes) {
    TempDir dir;
    auto path = dir.write("b.pcb", bytes);
    ReadAll all;
    BoardReader reader(path, [&](const std::string& m) { all.problems.push_back(m); });
    while (auto kind = reader.next()) {
        all.kinds.push_back(*kind);
        all.records.push_back(reader.record());
        all.comps.push_back(reader.component());
    }
    return all;
}

TEST(NextField, SeparatorVariantsReadTheSame) {
    for (std::string line :
         {"10 20 -30 ", "10,20,-30 ", "10)20)-30 ", "  10\t\t20 ,) -30 ", "10, 20, -30"}) {
        size_t pos = 1;
        EXPECT_EQ(NextField(line, pos), 10) << line;
        EXPECT_EQ(NextField(line, pos), 20) << line;
        EXPECT_EQ(NextField(line, pos), -30) << line;
    }
}

TEST(NextField, MissingAndMalformedFieldsReadAsZero) {
    std::string line = "12 1x2 ";
    size_t pos = 1;
    bool ok = true;
    EXPECT_EQ(NextField(line, pos, &ok), 12);
    EXPECT_TRUE(ok);
    EXPECT_EQ(NextField(line, pos, &ok), 0);
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(NextField(line, pos, &ok), 0);  // past the end
    EXPECT_FALSE(ok);
    ok = true;
    std::string huge = "99999999999 536870912 -536870912 536870911 -536870911 ";
    pos = 1;
    for (int expected : {0, 0, 0, 536870911, -536870911}) {
        ok = true;
        EXPECT_EQ(NextField(huge, pos, &ok), expected);
        EXPECT_EQ(ok, expected != 0);
    }
}

TEST(BoardReader, EveryRecordKindInFileOrder) {
    auto all = readAll(testing::crlf({
        "PCB FILE 4",
        "FP",
        "100 200 60 80 2 28 1 13",
        "1",
        "FV",
        "300 400 50 20",
        "FT",
        "1 2 3 4 10 6",
        "FA",
        "1000 1000 50 15 8 1",
        "FF",
        "301 201 100 100 1",
        "FS",
        "10 20 60 16 8 7",
        "Hello world ",
        "COMP",
        "U1",
        "DIP14",
        "74HC00",
        "5000 5000 60 1 8 7",
        " 5000 5040 60 1 8 7 ",
        "4000 4000 1 2 2",
        "CP",
        "5 6 60 60 1 32 2 13",
        "A1",
        "ENDCOMP",
        "ENDPCB",
    }));
    ASSERT_EQ(all.kinds.size(), 8u);
    EXPECT_TRUE(all.problems.empty());
    const auto& pad = all.records[0];
    EXPECT_EQ(all.kinds[0], RecordKind::Pad);
    EXPECT_EQ(pad.x1, 100);
    EXPECT_EQ(pad.y1, 200);
    EXPECT_EQ(pad.xSize, 60);
    EXPECT_EQ(pad.ySize, 80);
    EXPECT_EQ(pad.shape, 2);
    EXPECT_EQ(pad.holeSize, 28);
    EXPECT_EQ(pad.planeCode, 1);
    EXPECT_EQ(pad.layer, 13);
    EXPECT_EQ(pad.text, "1");
    EXPECT_EQ(pad.padName, 1);
    EXPECT_EQ(pad.width, -1) << "fields a record does not set stay -1";

    const auto& via = all.records[1];
    EXPECT_EQ(all.kinds[1], RecordKind::Via);
    EXPECT_EQ(via.viaSize, 50);
    EXPECT_EQ(via.holeSize, 20);
    EXPECT_EQ(via.layer, 13) << "vias count as the Multi Layer";

    const auto& track = all.records[2];
    EXPECT_EQ(track.x2, 3);
    EXPECT_EQ(track.y2, 4);
    EXPECT_EQ(track.width, 10);
    EXPECT_EQ(track.layer, 6);

    const auto& arc = all.records[3];
    EXPECT_EQ(arc.radius, 50);
    EXPECT_EQ(arc.quadrantMask, 15);
    EXPECT_EQ(arc.width, 8);

    const auto& fill = all.records[4];
    EXPECT_EQ(fill.x1, 301);
    EXPECT_EQ(fill.x2, 100);
    EXPECT_EQ(fill.layer, 1);

    const auto& str = all.records[5];
    EXPECT_EQ(str.ySize, 60);
    EXPECT_EQ(str.rotation, 16);
    EXPECT_EQ(str.text, "Hello world ") << "the text line is taken whole";

    EXPECT_EQ(all.kinds[6], RecordKind::Component);
    const auto& comp = all.comps[6];
    EXPECT_EQ(comp.designator, "U1");
    EXPECT_EQ(comp.pattern, "DIP14");
    EXPECT_EQ(comp.comment, "74HC00");
    EXPECT_EQ(comp.commentText.x, 5000);
    EXPECT_EQ(comp.commentText.layer, 7);
    EXPECT_EQ(comp.designatorText.y, 5040);
    EXPECT_EQ(comp.designatorShown, 1) << "the third of the five flags";
    EXPECT_EQ(comp.commentShown, 2);
    EXPECT_EQ(all.comps[7].designator, "U1") << "the header stays until the next COMP";
    EXPECT_EQ(all.records[7].planeCode, 2);
}

TEST(BoardReader, KeywordWithTrailingBlankIsNoKeyword) {
    auto all = readAll(testing::crlf({"CP ", "100 200 60 60 1 28 1 13", "1", "FV", "1 2 3 4"}));
    ASSERT_EQ(all.kinds.size(), 1u);
    EXPECT_EQ(all.kinds[0], RecordKind::Via);
}

TEST(BoardReader, AcceptsLfAndLoneCrLineEnds) {
    for (std::string sep : {"\n", "\r", "\r\n"}) {
        auto all = readAll("FT" + sep + "1 2 3 4 10 6" + sep + "FV" + sep + "5 6 7 8");
        ASSERT_EQ(all.kinds.size(), 2u);
        EXPECT_EQ(all.records[0].layer, 6);
        EXPECT_EQ(all.records[1].holeSize, 8);
    }
}

TEST(BoardReader, ShortLinesReadAsZeroAndAreReported) {
    auto all = readAll(testing::crlf({"FT", "1 2 3"}) + "FP");
    ASSERT_EQ(all.kinds.size(), 2u);
    EXPECT_EQ(all.records[0].x2, 3);
    EXPECT_EQ(all.records[0].y2, 0);
    EXPECT_EQ(all.records[0].layer, 0);
    EXPECT_EQ(all.records[1].layer, 0) << "a record cut off by the end of the file";
    ASSERT_EQ(all.problems.size(), 3u);
    EXPECT_NE(all.problems[0].find("b.pcb:2:"), std::string::npos) << all.problems[0];
    EXPECT_TRUE(all.problems[2].ends_with(
        "b.pcb:3: the board ends without its \"ENDPCB\" line; the file may be cut short"))
        << all.problems[2];
}

// A board is whole when "ENDPCB" follows its last record (the NETDEF blocks of a board saved
// with its netlist come after it); otherwise the end of the
// file is reported once, on its last line, as where the board may have been cut short (after
// the problem of a record the cut went through).
TEST(BoardReader, BoardWithoutEndLineIsReportedAsCutShort) {
    const struct {
        std::string bytes;
        long reportedAt;  // 0: whole
    } cases[] = {
        {"PCB FILE 4\r\nFT\r\n1 2 3 4 5 6\r\nENDPCB\r\n", 0},
        {"PCB FILE 4\r\nFT\r\n1 2 3 4 5 6\r\nENDPCB", 0},
        {"PCB FILE 4\nFT\n1 2 3 4 5 6\nENDPCB \n\n  \n", 0},
        {"PCB FILE 4\r\nENDPCB\r\n", 0},
        {"PCB FILE 4\r\nFT\r\n1 2 3 4 5 6\r\nENDPCB\r\nNETDEF\r\nGND\r\n0\r\n(\r\nU1-1\r\n)\r\n", 0},
        {"PCB FILE 4\r\nFT\r\n1 2 3 4 5 6\r\n", 3},
        {"PCB FILE 4\r\nFT\r\n1 2 3 4", 3},
        {"PCB FILE 4\r\nCOMP\r\nU1\r\nDIP8\r\nX\r\n0 0 0 0 0 0\r\n0 0 0 0 0 0\r\n"
         "0 0 1 1 0\r\nENDCOMP\r\n",
         9},
        {"PCB FILE 4\r\nENDPCB\r\nFV\r\n1 2 3 4\r\n", 4},
        {"PCB FILE 4\r\n", 1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.write("b.pcb", c.bytes);
        std::vector<std::string> problems;
        BoardReader reader(path, [&](const std::string& m) { problems.push_back(m); });
        while (reader.next()) {
        }
        EXPECT_FALSE(reader.next()) << "the end is reported once";
        EXPECT_EQ(reader.cutShort(), c.reportedAt != 0) << c.bytes;
        if (c.reportedAt == 0) {
            EXPECT_TRUE(problems.empty()) << c.bytes;
        } else {
            ASSERT_FALSE(problems.empty()) << c.bytes;  // after those of a cut record
            EXPECT_EQ(problems.back(), path + ":" + std::to_string(c.reportedAt) + ": " +
                                       std::string(kCutShortProblem));
        }
    }
}

TEST(BoardReader, TextsAreBytes) {
    auto all = readAll(testing::crlf({"FS", "0 0 60 0 8 7",
                                      "10\xb5"
                                      "F \xea"}));
    ASSERT_EQ(all.records.size(), 1u);
    EXPECT_EQ(all.records[0].text,
              "10\xb5"
              "F \xea");
}

TEST(BoardReader, MissingFileThrowsIoError) {
    EXPECT_THROW(BoardReader("/nonexistent/board.pcb"), common::IoError);
}

TEST(BoardReader, ReadsEverySampleBoardWithoutProblems) {
    auto boards = testing::sampleBoards();
    if (boards.empty()) {
        GTEST_SKIP() << "shared samples absent";
    }
    for (const auto& path : boards) {
        std::vector<std::string> problems;
        BoardReader reader(path, [&](const std::string& m) { problems.push_back(m); });
        int count = 0;
        while (reader.next()) {
            ++count;
        }
        EXPECT_GT(count, 10) << path;
        EXPECT_TRUE(problems.empty()) << path << ": " << problems.front();
    }
}

}  // namespace
}  // namespace padloom::board
