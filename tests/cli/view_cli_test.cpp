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

// `info` on a job file tells each file of its set that is not of the job's run: another
// project's, older than the job, or without the attributes a run with X2 writes.
TEST(CliView, InfoTellsSetFilesOfOtherRuns) {
    std::string out;
    testing::TempDir dir;
    const std::string guid = "1b4e28ba-2fa1-11d2-883f-0016d3cca427";
    auto gerber = [&](const std::string& name, const std::string& date, const std::string& id) {
        dir.write(name,
                  testing::crlf({"%FSLAX23Y23*%", "%MOIN*%", "%TF.CreationDate," + date + "*%",
                                 "%TF.ProjectId,demo," + id + ",rev1*%", "%ADD10C,.050*%", "D10*",
                                 "X1000Y500D03*", "M02*"}));
    };
    gerber("same.GTL", "2026-03-01T09:00:00Z", "1B4E28BA-2FA1-11D2-883F-0016D3CCA427");
    gerber("later.GBL", "2026-03-01T10:30:00.25+01:00", guid);
    gerber("other.GTO", "2026-03-01T09:00:00Z", "00000000-0000-0000-0000-000000000000");
    gerber("older.GTS", "2026-03-01T08:59:59Z", guid);
    dir.write("plain.TXT",
              testing::crlf({"M48", "INCH", "T01C0.030", "%", "T01", "X1000Y1000", "M30"}));
    std::string files;
    for (const char* f : {"same.GTL", "later.GBL", "other.GTO", "older.GTS", "plain.TXT"}) {
        files += std::string(files.empty() ? "" : ",") + "{\"Path\": \"" + f + "\"}";
    }
    const std::string made =
        dir.write("set.gbrjob",
                  "{\"Header\": {\"CreationDate\": \"2026-03-01T10:00:00+01:00\"}, "
                  "\"GeneralSpecs\": {\"ProjectId\": {\"Name\": \"demo\", \"GUID\": \"" +
                      guid + "\", \"Revision\": \"rev1\"}}, \"FilesAttributes\": [" + files + "]}");
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " info " + made, &out), 0) << out;
    const std::string lead = made + ": warning: ";
    const std::string said =
        " is not of this job's run (the job file may be left from an "
        "earlier plot): it carries ";
    for (const std::string& stale :
         {"other.GTO" + said +
              "the ProjectId of another project (GUID "
              "00000000-0000-0000-0000-000000000000)",
          "older.GTS" + said +
              "a CreationDate older than the job's (2026-03-01T08:59:59Z before "
              "2026-03-01T10:00:00+01:00)",
          "plain.TXT" + said + "no ProjectId and no CreationDate"}) {
        EXPECT_NE(out.find(lead + stale + "\n"), std::string::npos) << stale << "\n" << out;
    }
    EXPECT_EQ(out.find("same.GTL is not"), std::string::npos) << out;
    EXPECT_EQ(out.find("later.GBL is not"), std::string::npos) << out;
}

}  // namespace
}  // namespace padloom
