#include <filesystem>

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

// Width and height from a PNG file's header; 0 x 0 when it is not a PNG.
std::pair<int, int> pngSize(const std::string& path) {
    const std::string bytes = testing::readFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
        return {0, 0};
    }
    auto big = [&](size_t at) {
        int v = 0;
        for (size_t i = at; i < at + 4; ++i) {
            v = v * 256 + static_cast<unsigned char>(bytes[i]);
        }
        return v;
    };
    return {big(16), big(20)};
}

// `info` and `render` end to end: what they print, their exit status, and that a failed
// render neither writes nor spoils a picture.
TEST(CliView, InfoAndRenderExitStatusAndOutputs) {
    std::string out;
    if (testing::runCommand(testing::cliPath() + " --help", &out) != 0 ||
        out.find("render") == std::string::npos) {
        GTEST_SKIP() << "padloom-cli built without render and info";
    }
    testing::TempDir dir;
    const std::string cli = testing::cliPath();
    const std::string good =
        dir.write("good.GTL", testing::crlf({"%FSLAX23Y23*%", "%MOIN*%", "%ADD10C,.050*%", "D10*",
                                             "X1000Y500D03*", "M02*"}));
    const std::string bad = dir.write(
        "bad.GTL", testing::crlf({"%FSLAX23Y23*%", "%MOIN*%", "D11*", "X1000Y500D03*", "M02*"}));

    EXPECT_EQ(testing::runCommand(cli + " info " + good, &out), 0) << out;
    EXPECT_NE(out.find("objects:    1 flash, 0 lines, 0 arcs, 0 regions"), std::string::npos)
        << out;
    EXPECT_EQ(testing::runCommand(cli + " info --json " + good, &out), 0);
    EXPECT_EQ(out.rfind("{\"files\": [", 0), 0u) << out;
    EXPECT_EQ(testing::runCommand(cli + " info " + good + " " + bad, &out), 1);
    EXPECT_NE(out.find(bad + ":3: error: aperture D11 is not defined"), std::string::npos) << out;
    EXPECT_EQ(testing::runCommand(cli + " info " + dir.file("none.GTL") + " 2>&1", &out), 1);
    EXPECT_NE(out.find("none.GTL"), std::string::npos) << out;

    // one inch by half an inch at 100 dots per inch
    const std::string png = dir.file("good.png");
    EXPECT_EQ(testing::runCommand(cli + " render " + good + " -o " + png +
                                  " --dpi 100 --window 0.5,0.25,1.5,0.75"),
              0);
    EXPECT_EQ(pngSize(png), std::make_pair(100, 50));
    const std::string before = testing::readFile(png);

    // refusals leave the earlier picture and the input as they were
    struct Refusal {
        std::string args;
        int status;
    };
    const Refusal refusals[] = {
        {bad + " -o " + png, 1},                                        // draws nothing
        {good + " -o " + png + " --dpi 0", 2},                          // no resolution
        {good + " -o " + png + " --window 1,1,0,2", 2},                 // an empty window
        {good + " -o " + png + " --dpi 100000 --window 0,0,10,10", 1},  // far too large a picture
        {good + " -o " + good, 1},                                      // would replace its input
        {good + " -o " + dir.file("no/such/folder.png"), 1},
    };
    for (const Refusal& r : refusals) {
        EXPECT_EQ(testing::runCommand(cli + " render " + r.args + " 2>&1", &out), r.status)
            << r.args << "\n"
            << out;
        EXPECT_FALSE(out.empty()) << r.args;
    }
    EXPECT_TRUE(testing::readFile(png) == before);
    EXPECT_EQ(testing::readFile(good).rfind("%FSLAX23Y23*%", 0), 0u);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "good.GTL" || name == "bad.GTL" || name == "good.png") << name;
    }
}

}  // namespace
}  // namespace padloom
