#include "fab/fab_package.h"

#include <filesystem>
#include <functional>

#include "common/errors.h"
#include "common/scripted_host.h"
#include "common/text_io.h"
#include "convert/pcb_to_apt.h"
#include "support/test_support.h"
#include "view/layer_summary.h"
#include <gtest/gtest.h>

namespace padloom::fab {
namespace {

using testing::TempDir;

// The extensions of the plot layers a board's fab set holds.
std::string chosen(const std::string& board) {
    auto layers = fabLayers(board);
    std::string text;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        if (layers[layer]) {
            text += std::string(plot::layerExtension(layer)).substr(1) + " ";
        }
    }
    return text;
}

struct LayerCase {
    const char* name;
    std::vector<std::string> records;
    std::string layers;
};

class FabLayers : public ::testing::TestWithParam<LayerCase> {};

TEST_P(FabLayers, FollowWhatTheBoardUses) {
    TempDir dir;
    EXPECT_EQ(chosen(dir.write("b.pcb", testing::crlf(GetParam().records))), GetParam().layers);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fab, FabLayers, ::testing::Values(
    // a through-hole pad, no planes: two copper layers; nothing on the bottom legend
    LayerCase{"TwoLayers", {"FP", "1000 1000 60 60 1 28 1 13", "1"},
              "GTL GBL GTO GDD GTS GBS GBD "},
    // a pad connected to the ground plane brings the ground plane, and only it
    LayerCase{"GroundConnection", {"FP", "1000 1000 60 60 1 28 3 13", "1"},
              "GTL GBL GTO GDD GTS GBS GGD GBD "},
    LayerCase{"PowerRelief", {"FP", "1000 1000 60 60 1 28 4 13", "1"},
              "GTL GBL GTO GDD GTS GBS GPW GBD "},
    // a track on mid layer 2 and a string on the bottom overlay
    LayerCase{"MidAndBottomLegend", {"FT", "0 0 100 0 10 3", "FS", "0 0 60 0 8 8", "X"},
              "GTL GM2 GBL GTO GBO GDD GTS GBS GBD "},
    // surface pads bring the paste mask of their side
    LayerCase{"SurfacePads", {"FP", "0 0 60 80 2 0 1 1", "1", "FP", "0 0 60 80 2 0 1 6", "2"},
              "GTL GBL GTO GDD GTS GBS GTP GBP GBD "}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// The demo board in a folder of its own, its aperture file made as the plot window makes it.
struct DemoBoard {
    TempDir dir;
    common::ScriptedHost host;
    board::RunValues run;

    // `change` edits the board's text before the aperture file is made
    explicit DemoBoard(const std::function<void(std::string&)>& change = {}) {
        std::string text = testing::readFile(testing::sourceDir() + "/examples/demo.pcb");
        if (change) {
            change(text);
        }
        const std::string board = dir.write("demo.pcb", text);
        host.openAnswers.push_back({board});
        run.reset();
        convert::AptOptions apt;
        apt.plotMode = true;
        EXPECT_EQ(convert::makeAptFile(host, apt, run), common::Outcome::Done);
    }
};

TEST(FabPackage, DemoBoardZipHoldsTheFabSetAndItsReadme) {
    DemoBoard demo;
    auto& [dir, host, run] = demo;
    const std::string zip = dir.file("demo.zip");
    plot::PlotOptions options;
    options.x2 = true;
    PackageResult result = makeFabPackage(host, options, {}, run, zip);
    EXPECT_FALSE(result.hasErrors);
    EXPECT_EQ(result.problems, std::vector<std::string>{});

    // the plot run's names beside the board, the names fab software recognises in the zip
    std::string names;
    for (const auto& f : result.files) {
        names += f.name + " ";
    }
    EXPECT_EQ(
        names,
        "demo.GTL demo.GBL demo.GTO demo.GBO demo.GD1 demo.GTS demo.GBS demo.GP1 demo.GP2 "
        "demo.GTP demo.GBP demo.GKO demo.TXT demo.csv demo.UCM demo-CPL.csv demo.ipc demo.gbrjob "
        "README.md ");
    EXPECT_TRUE(common::fileExists(dir.file("demo.GBD")));
    if (testing::runCommand("command -v unzip >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "unzip not installed";
    }
    std::string out;
    ASSERT_EQ(testing::runCommand("unzip -tq '" + zip + "'", &out), 0) << out;
    ASSERT_EQ(testing::runCommand("unzip -p '" + zip + "' README.md", &out), 0);
    EXPECT_EQ(out, result.readme);
    ASSERT_EQ(testing::runCommand("unzip -p '" + zip + "' demo.GTL", &out), 0);
    EXPECT_EQ(out, testing::readFile(dir.file("demo.GTL")));
    // every entry a plain file of mode 0644, the texts made in memory too
    ASSERT_EQ(testing::runCommand("unzip -Z '" + zip + "'", &out), 0);
    size_t entries = 0;
    for (size_t at = out.find("\n-"); at != std::string::npos; at = out.find("\n-", at + 1)) {
        EXPECT_EQ(out.substr(at + 1, 10), "-rw-r--r--") << out;
        ++entries;
    }
    EXPECT_EQ(entries, 19u);
    // the job file names the files as the zip does, with the functions the files give
    ASSERT_EQ(testing::runCommand("unzip -p '" + zip + "' demo.gbrjob", &out), 0);
    EXPECT_NE(out.find("{\"Path\": \"demo.GP2\", \"FileFunction\": \"Copper,L3,Inr,Plane\", "
                       "\"FilePolarity\": \"Positive\"}"),
              std::string::npos)
        << out;
    // the board's size along the centre of the outline's lines, as the plot run's job file
    // gives it too
    EXPECT_NE(out.find("\"Size\": {\"X\": 50.8, \"Y\": 38.1}"), std::string::npos) << out;
    EXPECT_NE(
        testing::readFile(dir.file("demo.gbrjob")).find("\"Size\": {\"X\": 50.8, \"Y\": 38.1}"),
        std::string::npos);
    EXPECT_EQ(view::readLayerFile(dir.file("demo.GPW")).fileFunction, "Copper,L3,Inr,Plane");

    // the README's board size is what `info` tells of the outline less its 10-mil pen, and its
    // drill table what `info` tells of the drill file
    std::string outline = view::describeLayer(view::readLayerFile(dir.file("demo.GBD")));
    EXPECT_NE(outline.find("size:       2.0100 x 1.5100 in (51.054 x 38.354 mm)"),
              std::string::npos);
    EXPECT_NE(outline.find("D43 C,0.01: 0 flashes, 8 draws"), std::string::npos) << outline;
    EXPECT_NE(result.readme.find("    Board size:    2.0000 x 1.5000 in (50.800 x 38.100 mm), "
                                 "the extent of the board outline along the centre of its "
                                 "lines\r\n"),
              std::string::npos)
        << result.readme;
    EXPECT_NE(result.readme.find("    Copper layers: 4\r\n"), std::string::npos);
    EXPECT_NE(result.readme.find("    demo.GP1               Ground plane         "
                                 "Copper,L2,Inr,Plane\r\n"),
              std::string::npos);
    EXPECT_NE(result.readme.find("    demo.csv               Bill of materials\r\n"),
              std::string::npos);
    EXPECT_NE(result.readme.find("    Drill file:    Excellon, inch, 2.3, leading zeros kept (LZ), "
                                 "absolute, plated holes\r\n"),
              std::string::npos);
    EXPECT_NE(result.readme.find("## Drill table (demo.TXT)\r\n\r\n"
                                 "    Tool  Diameter                  Holes\r\n"
                                 "    T01   0.0200 in (0.508 mm)          3\r\n"
                                 "    T02   0.0320 in (0.813 mm)          8\r\n"
                                 "    T03   0.0400 in (1.016 mm)          2\r\n"
                                 "    T04   0.1100 in (2.794 mm)          2\r\n"
                                 "    Total                              15\r\n"),
              std::string::npos)
        << result.readme;
}

TEST(FabPackage, PlacementSidesFollowTheOverlays) {
    // R1's legend gains a line on the bottom overlay: the part is on the bottom, although the
    // X/Y tool's own bottom legend layer is a mid layer
    DemoBoard demo([](std::string& text) {
        const size_t r1 = text.find("\nR1\r\n");
        ASSERT_NE(r1, std::string::npos);
        text.insert(text.find("ENDCOMP", r1), "CT\r\n1900 1700 2200 1700 8 8\r\n");
    });
    auto& [dir, host, run] = demo;
    annotate::PlacementOptions placement;
    ASSERT_EQ(placement.bottomLegendLayer, 3);
    makeFabPackage(host, {}, placement, run, dir.file("demo.zip"));
    std::string bottom;
    for (const std::string& line : testing::crlfLines(testing::readFile(dir.file("demo.UCM")))) {
        if (line.find("\tB\t") != std::string::npos) {
            bottom += line.substr(0, line.find('\t')) + " ";
        }
    }
    EXPECT_EQ(bottom, "R1 ");
}

TEST(FabPackage, WithoutX2NoJobFileAndTheSameNames) {
    DemoBoard demo;
    auto& [dir, host, run] = demo;
    PackageResult result = makeFabPackage(host, {}, {}, run, dir.file("demo.zip"));
    ASSERT_EQ(result.files.size(), 18u);
    EXPECT_EQ(result.files[11].name, "demo.GKO");
    EXPECT_EQ(result.files[11].function, "Profile,NP");  // the README still says what it is
    EXPECT_EQ(result.files.back().name, "README.md");
    EXPECT_EQ(view::readLayerFile(dir.file("demo.GBD")).fileFunction, "");
    EXPECT_FALSE(common::fileExists(dir.file("demo.gbrjob")));
}

TEST(FabPackage, ReadmeFileTableFitsLongNames) {
    const std::string stem = "a-board-with-a-long-name";
    const std::string readme = packageReadme("/x/" + stem + ".pcb",
                                             {{"", stem + ".GTL", "Top copper", "Copper,L1,Top"},
                                              {"", stem + ".gbrjob", "Gerber job file", ""},
                                              {"", "README.md", "This file", ""}},
                                             {}, false);
    const std::string pad(
        stem.size() + std::string(".gbrjob ").size() - std::string("README.md").size(), ' ');
    EXPECT_NE(readme.find("    " + stem +
                          ".GTL    Top copper           Copper,L1,Top\r\n"
                          "    " +
                          stem +
                          ".gbrjob Gerber job file\r\n"
                          "    README.md" +
                          pad + "This file\r\n"),
              std::string::npos)
        << readme;
}

TEST(FabPackage, AFailedZipLeavesTheOldOneAndNothingElse) {
    TempDir dir;
    const std::string zip = dir.write("old.zip", "old");
    const std::string present = dir.write("a.GTL", "G04*\r\nM02*\r\n");
    EXPECT_THROW(writeZip(zip,
                          {{present, "a.GTL", "Top copper", ""},
                           {dir.file("missing.GBL"), "missing.GBL", "Bottom copper", ""}},
                          {{"README.md", "x"}}),
                 common::IoError);
    EXPECT_EQ(testing::readFile(zip), "old");
    size_t count = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++count;
    }
    EXPECT_EQ(count, 2u);  // no temporary file left behind
}

TEST(FabPackage, NeverWritesOverItsInputs) {
    TempDir dir;
    board::RunValues run;
    run.boardFile = dir.write("b.pcb", "");
    run.aptFile = dir.file("b.APT");
    run.baseName = dir.file("b");
    run.aptMade = true;
    common::ScriptedHost host;
    EXPECT_THROW(makeFabPackage(host, {}, {}, run, run.boardFile), common::IoError);
    EXPECT_EQ(testing::readFile(run.boardFile), "");
    // nor starts work for a zip it could not write
    EXPECT_THROW(makeFabPackage(host, {}, {}, run, dir.file("none/x.zip")), common::IoError);
    EXPECT_THROW(makeFabPackage(host, {}, {}, run, dir.path().string()), common::IoError);
}

}  // namespace
}  // namespace padloom::fab
