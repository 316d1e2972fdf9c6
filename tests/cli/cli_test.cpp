#include <filesystem>

#include "board/aperture_table.h"
#include "common/base_name.h"
#include "convert/pcb_to_apt.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

using testing::TempDir;

std::string cli(const std::string& args) {
    return testing::cliPath() + " " + args;
}

TEST(Cli, ExitStatusOfUsageAndFileErrors) {
    std::string out;
    EXPECT_EQ(testing::runCommand(cli("dump 2>/dev/null"), &out), 2);
    EXPECT_EQ(testing::runCommand(cli("frobnicate 2>/dev/null"), &out), 2);
    EXPECT_EQ(testing::runCommand(cli("dump /nonexistent/board.pcb 2>&1"), &out), 1);
    EXPECT_NE(out.find("/nonexistent/board.pcb"), std::string::npos) << out;
    EXPECT_EQ(testing::runCommand(cli("apt /nonexistent/board.pcb 2>&1"), &out), 1);
    EXPECT_EQ(out, "padloom-cli apt: /nonexistent/board.pcb: no such file\n");
}

TEST(Cli, DumpShowsRecordsAndWarnsAboutShortLines) {
    TempDir dir;
    auto board = dir.write("d.pcb", testing::crlf({"FT", "1 2 3 4 10 6", "FV", "5 6"}));
    std::string out;
    EXPECT_EQ(testing::runCommand(cli("dump " + board + " 2>&1"), &out), 0);
    EXPECT_NE(out.find("1 FT track x1=1 y1=2 x2=3 y2=4 width=10 layer=6"), std::string::npos)
        << out;
    EXPECT_NE(out.find("d.pcb:4: FV record"), std::string::npos) << out;
}

TEST(Cli, AptKeepsAnExistingFileUnlessYes) {
    TempDir dir;
    auto board = dir.write("k.pcb", testing::crlf({"FV", "0 0 50 20"}));
    dir.write("k.APT", "old");
    std::string out;
    EXPECT_EQ(testing::runCommand(cli("apt " + board), &out), 0);
    EXPECT_EQ(testing::readFile(dir.file("k.APT")), "old");
    EXPECT_EQ(testing::runCommand(cli("apt --yes " + board), &out), 0);
    EXPECT_NE(testing::readFile(dir.file("k.APT")), "old");
    EXPECT_EQ(testing::readFile(dir.file("k.TOL")), "T01\t0.020\t1\r\n");
}

// `apt` on every sample board writes an aperture file that reads back entry for entry.
TEST(Cli, AptOnEverySampleReadsBack) {
    auto boards = testing::sampleBoards();
    if (boards.empty()) {
        GTEST_SKIP() << "shared samples absent";
    }
    TempDir dir;
    for (const auto& sample : boards) {
        auto board = (dir.path() / std::filesystem::path(sample).filename()).string();
        std::filesystem::copy_file(sample, board);
        std::string out;
        ASSERT_EQ(testing::runCommand(cli("apt --yes " + board), &out), 0) << out;
        board::ApertureTable table;
        table.load(common::baseName(board) + ".APT");
        auto build = convert::buildApertureList(board, {});
        ASSERT_EQ(table.size(), build.apertures.size()) << board;
        for (size_t i = 0; i < table.size(); ++i) {
            const auto& e = table.entries()[i];
            EXPECT_EQ(e.dcode, static_cast<int>(i) + 10);
            EXPECT_EQ(e.shape, build.apertures[i].shape);
            EXPECT_EQ(e.xSize, build.apertures[i].xSize);
            EXPECT_EQ(e.ySize, build.apertures[i].ySize);
        }
    }
}

}  // namespace
}  // namespace padloom

namespace padloom {
namespace {

TEST(Cli, ConvertersWriteBesideTheirInputs) {
    testing::TempDir dir;
    auto matrix = dir.write("m.MAT", testing::crlf({"B: D11 ROUND 5 X", "A: D10 ROUND 3 X"}));
    std::string out;
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " mat2apt " + matrix, &out), 0) << out;
    EXPECT_EQ(testing::readFile(dir.file("m.APT")),
              testing::crlf({"D10 ROUND 3 X\tA", "D11 ROUND 5 X\tB"}));
    dir.write("m.APT", "old");
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " mat2apt " + matrix, &out), 0);
    EXPECT_EQ(testing::readFile(dir.file("m.APT")), "old") << "kept without --yes";

    auto plot = dir.write("top.gbr", "X1Y1D03*\r\nM02*\r\n");
    auto apertures = dir.write("c.APT", testing::crlf({"D10 ROUND 5"}));
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " rs274x --apt " + apertures +
                                      " --digits 3 --precision 4 --zeros trailing " + plot,
                                  &out),
              0);
    EXPECT_NE(testing::readFile(plot + ".xgerber").find("%FSTAX34Y34*%"), std::string::npos);
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " rs274x --apt " + matrix + " --digits 12 " +
                                  plot + " 2>/dev/null"),
              2);

    auto tol = dir.write("d.TOL", "T01 28\r\n");
    auto drill = dir.write("d.TXT", "M48\r\nT01\r\n%\r\nT01\r\nM30\r\n");
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " xln --tol " + tol + " " + drill, &out), 0);
    EXPECT_EQ(testing::readFile(drill + ".xln"), "M48\r\nT01C0.028\r\n%\r\nT01\r\nM30\r\n");
    EXPECT_EQ(testing::runCommand(
                  testing::cliPath() + " xln --tol /nonexistent.TOL " + drill + " 2>&1", &out),
              1);
    EXPECT_NE(out.find("/nonexistent.TOL"), std::string::npos) << out;
}

}  // namespace
}  // namespace padloom
