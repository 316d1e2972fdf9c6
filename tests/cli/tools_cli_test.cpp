#include "support/test_support.h"
#include "tools/component_library.h"
#include "tools/library_test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

using testing::TempDir;

std::string cli(const std::string& args) {
    return testing::cliPath() + " " + args;
}

TEST(CliQfn, WritesTheFootprintOrSaysWhatIsMissing) {
    TempDir dir;
    const std::string sizes =
        " --pad-y 0.8 --num-x 2 --num-y 2 --pitch 0.5 --x-spacing 2.54"
        " --y-spacing 2.54 --metric";
    std::string out;
    EXPECT_EQ(
        testing::runCommand(cli("qfn -o " + dir.file("q.pcb") + " --pad-x 0.3" + sizes), &out), 0);
    auto lines = testing::crlfLines(testing::readFile(dir.file("q.pcb")));
    ASSERT_EQ(lines.size(), 8u + 8 * 3 + 2);
    EXPECT_EQ(lines[9], "5990 5950 12 31 4 0 1 1");  // 0.5 mm pitch is 20 mils, 2.54 mm 100
    EXPECT_EQ(testing::runCommand(
                  cli("qfn -o " + dir.file("r.pcb") + " --pad-x In" + sizes + " 2>&1"), &out),
              1);
    EXPECT_EQ(out, "padloom-cli qfn: Not all parameters are entered\n");
    EXPECT_EQ(testing::runCommand(
                  cli("qfn -o " + dir.file("r.pcb") + " --pad-x -0.3" + sizes + " 2>&1"), &out),
              1);
    EXPECT_EQ(out, "padloom-cli qfn: --pad-x must be 0 or more\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("r.pcb")));
    EXPECT_EQ(testing::runCommand(cli("qfn -o " + dir.file("r.pcb") + sizes + " 2>/dev/null")), 2);
}

struct NetlibFiles {
    TempDir dir;
    std::string dip = testing::componentData(3, 'd');
    std::string axial = testing::componentData(2, 'a');
    std::string main = dir.write(
        "MAIN.LIB", testing::handLibrary({{"DIP14", dip}, {"AXIAL0.4", axial}, {"SO8", dip}}));
    std::string other =
        dir.write("OTHER.LIB", testing::handLibrary({{"DIP14", testing::componentData(1, 'o')}}));
    std::string net = dir.write(
        "BOARD.NET",
        testing::netlistText({{"U1", "DIP14"}, {"R1", "AXIAL0.4"}, {"U2", "DIP14"}, {"Y1", "XT"}}));
    std::string libs = " --lib " + main + " --lib " + other + " ";
};

// The library netlib writes reads back with the same component data, byte for byte.
TEST(CliNetlib, AutoTakesThePreselectedPackages) {
    NetlibFiles f;
    std::string out;
    EXPECT_EQ(
        testing::runCommand(
            cli("netlib" + f.libs + f.net + " -o " + f.dir.file("OUT") + " --auto 2>&1"), &out),
        0)
        << out;
    EXPECT_NE(out.find("4 components loaded"), std::string::npos) << out;
    EXPECT_NE(out.find("XT (Y1): no package matches; skipped"), std::string::npos) << out;
    EXPECT_NE(out.find("Package\tRef Designator(s)\nXT\tY1\n"), std::string::npos) << out;
    auto lib = tools::readLibraryDirectory(f.dir.file("OUT.lib"));
    ASSERT_EQ(lib.components.size(), 2u);
    EXPECT_EQ(lib.components[0].name, "DIP14");
    EXPECT_EQ(tools::readComponentData(lib.components[0]), f.dip);
    EXPECT_EQ(tools::readComponentData(lib.components[1]), f.axial);
}

TEST(CliNetlib, MapChoosesLibrariesAndSkips) {
    NetlibFiles f;
    auto map = f.dir.write("pkg.map",
                           "# footprint=library@component\nDIP14=OTHER.LIB@DIP14\n"
                           "axial0.4=-\nXT=so8\n");
    std::string out;
    EXPECT_EQ(testing::runCommand(cli("netlib" + f.libs + f.net + " -o " + f.dir.file("M.lib") +
                                      " --map " + map + " 2>&1"),
                                  &out),
              0)
        << out;
    auto lib = tools::readLibraryDirectory(f.dir.file("M.lib"));
    ASSERT_EQ(lib.components.size(), 2u);
    EXPECT_EQ(tools::readComponentData(lib.components[0]), testing::componentData(1, 'o'));
    EXPECT_EQ(lib.components[1].name, "SO8");
    EXPECT_NE(out.find("AXIAL0.4\tR1\n"), std::string::npos) << out;

    auto bad = f.dir.write("bad.map", "DIP14\n");
    EXPECT_EQ(testing::runCommand(cli("netlib" + f.libs + f.net + " -o " + f.dir.file("B.lib") +
                                      " --map " + bad + " 2>&1"),
                                  &out),
              1);
    EXPECT_NE(out.find("bad.map: line 1:"), std::string::npos) << out;
    EXPECT_EQ(testing::runCommand(
                  cli("netlib" + f.libs + f.net + " -o " + f.dir.file("B.lib") + " 2>/dev/null")),
              2);
    EXPECT_EQ(testing::runCommand(
                  cli("netlib" + f.libs + f.net + " -o " + f.main + " --auto" + " 2>&1"), &out),
              1);
    EXPECT_NE(out.find("would overwrite the input file"), std::string::npos) << out;
}

}  // namespace
}  // namespace padloom
