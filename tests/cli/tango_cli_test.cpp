#include <filesystem>

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

TEST(CliTango, OutputNamesLayersAndExitStatus) {
    testing::TempDir dir;
    const std::string cli = testing::cliPath() + " tango ";
    auto board = dir.write(
        "BOARD.PCB", testing::crlf({"PAD EL 60 60 32 AL 0 0 100 100", "LINE 10 1 0 0 100 100"}));
    std::string out;
    EXPECT_EQ(testing::runCommand(cli + "--layers GTL,6,gdd --nc-drill " + board, &out), 0) << out;
    for (const char* suffix : {".GTL", ".GBL", ".GDD", ".TXT"}) {
        EXPECT_TRUE(std::filesystem::exists(dir.file(std::string("BOARD.OUT") + suffix))) << suffix;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("BOARD.OUT.GTS")));
    EXPECT_NE(out.find("Dimentions are: 0 0, 100, 100"), std::string::npos) << out;

    EXPECT_EQ(testing::runCommand(cli + "--layers GTL --nc-drill --no-macros --drill-format "
                                        "INCH,2:4,TZ " + board, &out), 0) << out;
    EXPECT_NE(testing::readFile(dir.file("BOARD.OUT.TXT")).find("INCH,TZ\r\n"),
              std::string::npos);
    EXPECT_EQ(testing::runCommand(cli + "--layers GGD " + board + " 2>&1", &out), 2);
    EXPECT_NE(out.find("no plane layers"), std::string::npos) << out;
    EXPECT_EQ(testing::runCommand(cli + "--layers GXX " + board + " 2>/dev/null", &out), 2);

    auto refused = dir.write("BAD.PCB", testing::crlf({"COMP U1 x 0 0 0 0 0 0 0 0 0 1001"}));
    EXPECT_EQ(testing::runCommand(cli + "--all-layers " + refused + " 2>&1 >/dev/null", &out), 1);
    EXPECT_EQ(out, refused +
                       ": line 1: the component number 1001 of U1 is outside 0 to 1000; "
                       "nothing plotted\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("BAD.OUT.GTL")));
}

}  // namespace
}  // namespace padloom
