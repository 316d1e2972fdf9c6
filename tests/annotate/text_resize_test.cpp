#include "annotate/text_resize.h"

#include <filesystem>

#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::annotate {
namespace {

using common::ScriptedHost;
using testing::TempDir;
using Lines = std::vector<std::string>;

TEST(TextResize, OnlyHeightAndWidthFieldsChangeInPlace) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {" 5000 5040 60 1 8 7", " 5000 5040 24 1 4 7"},
        {"5000 5040 60 1 8 7", "5000 5040 24 1 4 7"},   // as the QFN builder writes it
        {"  5000  5040\t60 1  8  7 9", "  5000  5040\t24 1  4  7 9"},
        {"5000,5040,160,1,12,7 ", "5000,5040,24,1,4,7 "},
        {" -1 -2 x 3 y 4", " -1 -2 24 3 4 4"},
    };
    // clang-format on
    for (const auto& [line, expected] : cases) {
        auto resized = resizedAttributeLine(line, "24", "4");
        ASSERT_TRUE(resized) << line;
        EXPECT_EQ(*resized, expected);
    }
    EXPECT_FALSE(resizedAttributeLine(" 5000 5040 60 1 8", "24", "4"));
    EXPECT_FALSE(resizedAttributeLine("", "24", "4"));
}

TEST(TextResize, SizesMustBeWholeNumbers) {
    // clang-format off
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"24", 24}, {" 24 ", 24}, {"+8", 8}, {"0", 0}, {"", std::nullopt}, {"2 4", std::nullopt},
        {"2.5", std::nullopt}, {"-4", std::nullopt}, {"24mil", std::nullopt}};
    // clang-format on
    for (const auto& [typed, value] : cases) {
        EXPECT_EQ(textSizeValue(typed), value) << '"' << typed << '"';
    }
}

TEST(TextResize, CopiesTheBoardChangingOnlyDesignatorAttributes) {
    TempDir dir;
    const Lines board = {"PCB FILE 4",
                         "FS",
                         "100 100 60 0 8 7",
                         "COMP",  // a string whose text reads COMP starts no header
                         "COMP",
                         "U1",
                         "DIP8",
                         "h=250",
                         " 5000 5000 60 1 8 7",
                         " 5000 5040 60 1 8 7",
                         "4000 4000 1 2 2",
                         "CP",
                         "5000 5000 60 60 1 32 1 13",
                         "COMP",  // a pad named COMP
                         "ENDCOMP",
                         "COMP",
                         "U2",
                         "QFN",
                         "X",
                         "5000 5000 60 1 8 7",
                         "5000 5040 60",  // short: copied and reported
                         "4000 4000 1 2 2",
                         "ENDCOMP",
                         "ENDPCB"};
    auto path = dir.write("r.pcb", testing::crlf(board));
    ScriptedHost host;
    ASSERT_EQ(resizeComponentText(host, path, {" 24 ", "4"}), common::Outcome::Done);
    Lines expected = board;
    expected[9] = " 5000 5040 24 1 4 7";
    EXPECT_EQ(testing::crlfLines(testing::readFile(dir.file("r.NEW"))), expected);
    EXPECT_EQ(host.lines, (Lines{"Change component text to  24  / 4", "(1) 5000 5040 60 1 8 7|",
                                 "(7) 5000 5040 24 1 4 7|", "(1)5000 5040 60|",
                                 path + ":21: fewer than six fields; line copied unchanged",
                                 "1 designator line left unchanged", "Done"}));

    // the resized board reads back with the new sizes and nothing else changed
    board::BoardReader original(path);
    board::BoardReader resized(dir.file("r.NEW"));
    int components = 0;
    while (auto kind = original.next()) {
        ASSERT_EQ(resized.next(), kind);
        if (*kind == board::RecordKind::Component) {
            ++components;
            EXPECT_EQ(resized.component().designatorText.height, components == 1 ? 24 : 60);
            EXPECT_EQ(resized.component().designatorText.width, components == 1 ? 4 : 0)
                << "the short line reads its width as 0";
        }
    }
    EXPECT_FALSE(resized.next());
    EXPECT_EQ(components, 2);
}

TEST(TextResize, BoardWithoutComponentsIsCopiedIdentically) {
    TempDir dir;
    const std::string bytes = testing::crlf({"PCB FILE 4", "FT", "0 0 10 10 8 1", "ENDPCB"});
    auto path = dir.write("plain.pcb", bytes);
    ScriptedHost host;
    ASSERT_EQ(resizeComponentText(host, path, {}), common::Outcome::Done);
    EXPECT_EQ(testing::readFile(dir.file("plain.NEW")), bytes);
}

TEST(TextResize, RefusesBadSizesAndWritingOverTheBoard) {
    TempDir dir;
    const std::string bytes = testing::crlf(
        {"COMP", "U1", "P", "C", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 1 0", "ENDCOMP"});
    auto path = dir.write("b.pcb", bytes);
    ScriptedHost host;
    EXPECT_EQ(resizeComponentText(host, path, {"2 4", "4"}), common::Outcome::Refused);
    EXPECT_EQ(host.transcript.back().rfind("error|", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.NEW")));

    ScriptedHost early;  // from the window: checked before the file dialog
    EXPECT_EQ(changeComponentTextSize(early, {"24", ""}), common::Outcome::Refused);
    ASSERT_EQ(early.transcript.size(), 1u);
    EXPECT_EQ(early.transcript[0].rfind("error|", 0), 0u);

    auto named = dir.write("b.NEW", bytes);
    ScriptedHost same;
    EXPECT_EQ(resizeComponentText(same, named, {}), common::Outcome::Refused);
    EXPECT_EQ(testing::readFile(named), bytes);

    ScriptedHost missing;
    missing.openAnswers.push_back({dir.file("none.pcb")});
    EXPECT_EQ(changeComponentTextSize(missing, {}), common::Outcome::Refused);
    EXPECT_EQ(missing.transcript, (Lines{"open|1|", "plain|Invalid file name!"}));
}

}  // namespace
}  // namespace padloom::annotate

namespace padloom::annotate {
namespace {

bool sameRecord(const board::CurrentRecord& a, const board::CurrentRecord& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 && a.layer == b.layer &&
           a.xSize == b.xSize && a.ySize == b.ySize && a.width == b.width &&
           a.holeSize == b.holeSize && a.shape == b.shape && a.rotation == b.rotation &&
           a.text == b.text;
}

// Every sample board, resized, reads back record for record with only the designator text
// height and width changed.
TEST(TextResize, SampleBoardsReadBack) {
    auto boards = testing::sampleBoards();
    if (boards.empty()) {
        GTEST_SKIP() << "shared samples absent";
    }
    TempDir dir;
    for (const auto& sample : boards) {
        auto path = (dir.path() / std::filesystem::path(sample).filename()).string();
        std::filesystem::copy_file(sample, path);
        ScriptedHost host;
        ASSERT_EQ(resizeComponentText(host, path, {"40", "6"}), common::Outcome::Done);
        board::BoardReader original(path);
        board::BoardReader resized(common::withExtension(path, ".NEW"));
        int components = 0;
        while (auto kind = original.next()) {
            ASSERT_EQ(resized.next(), kind) << sample << ":" << original.recordLine();
            ASSERT_EQ(resized.recordLine(), original.recordLine());
            if (*kind != board::RecordKind::Component) {
                EXPECT_TRUE(sameRecord(original.record(), resized.record()))
                    << sample << ":" << original.recordLine();
                continue;
            }
            ++components;
            const auto& o = original.component();
            const auto& r = resized.component();
            EXPECT_EQ(r.designatorText.height, 40);
            EXPECT_EQ(r.designatorText.width, 6);
            EXPECT_EQ(r.designatorText.x, o.designatorText.x);
            EXPECT_EQ(r.designatorText.y, o.designatorText.y);
            EXPECT_EQ(r.designatorText.rotation, o.designatorText.rotation);
            EXPECT_EQ(r.designatorText.layer, o.designatorText.layer);
            EXPECT_EQ(r.commentText.height, o.commentText.height);
            EXPECT_EQ(r.designator, o.designator);
        }
        EXPECT_FALSE(resized.next());
        EXPECT_GT(components, 0) << sample;
    }
}

}  // namespace
}  // namespace padloom::annotate
