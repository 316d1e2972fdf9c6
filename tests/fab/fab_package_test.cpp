#include "fab/fab_package.h"

#include <filesystem>
#include <functional>

#include "common/errors.h"
#include "common/scripted_host.h"
#include "common/text_io.h"
#include "convert/pcb_to_apt.h"
#include "plot/plot_run.h"
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

// A board in a folder of its own, its aperture file made as the plot window makes it.
struct BoardRun {
    TempDir dir;
    common::ScriptedHost host;
    board::RunValues run;

    BoardRun(const std::string& text, const std::string& name) {
        const std::string board = dir.write(name, text);
        host.openAnswers.push_back({board});
        run.reset();
        convert::AptOptions apt;
        apt.plotMode = true;
        EXPECT_EQ(convert::makeAptFile(host, apt, run), common::Outcome::Done);
    }
    // a package of the board with X2 attributes, and changes to its options
    PackageResult package(const std::function<void(PackageOptions&)>& change = {}) {
        PackageOptions options;
        options.plot.x2 = true;
        if (change) {
            change(options);
        }
        return makeFabPackage(host, options, run, dir.file("p.zip"));
    }
    std::string unzipped(const std::string& name) {
        std::string out;
        EXPECT_EQ(testing::runCommand("unzip -p '" + dir.file("p.zip") + "' '" + name + "'", &out),
                  0)
            << name;
        return out;
    }
};

// The demo board, `change` made to its text before the aperture file is made.
struct DemoBoard : BoardRun {
    explicit DemoBoard(const std::function<void(std::string&)>& change = {})
        : BoardRun(demoText(change), "demo.pcb") {}
    static std::string demoText(const std::function<void(std::string&)>& change) {
        std::string text = testing::readFile(testing::sourceDir() + "/examples/demo.pcb");
        if (change) {
            change(text);
        }
        return text;
    }
};

bool hasUnzip() {
    return testing::runCommand("command -v unzip >/dev/null 2>&1") == 0;
}

// The names of the package's files.
std::string names(const PackageResult& result) {
    std::string text;
    for (const auto& f : result.files) {
        text += f.name + " ";
    }
    return text;
}

TEST(FabPackage, DemoBoardZipHoldsTheFabSetAndItsReadme) {
    DemoBoard demo;
    const PackageResult result = demo.package();
    EXPECT_FALSE(result.hasErrors);
    EXPECT_EQ(result.problems, std::vector<std::string>{});

    // the plot run's names beside the board, the names fab software recognises in the zip
    EXPECT_EQ(names(result),
              "demo.GTL demo.GBL demo.GTO demo.GBO demo.GD1 demo.GTS demo.GBS demo.GP1 demo.GP2 "
              "demo.GTP demo.GBP demo.GKO demo-PTH.TXT demo.csv demo.UCM demo-CPL.csv demo.ipc "
              "demo.gbrjob README.md ");
    EXPECT_TRUE(common::fileExists(demo.dir.file("demo.GBD")));
    EXPECT_EQ(result.jobFile, demo.dir.file("demo.gbrjob"));
    if (!hasUnzip()) {
        GTEST_SKIP() << "unzip not installed";
    }
    const std::string zip = demo.dir.file("p.zip");
    std::string out;
    ASSERT_EQ(testing::runCommand("unzip -tq '" + zip + "'", &out), 0) << out;
    EXPECT_EQ(demo.unzipped("README.md"), result.readme);
    EXPECT_EQ(demo.unzipped("demo.GTL"), testing::readFile(demo.dir.file("demo.GTL")));
    // every entry a plain file of mode 0644, the texts made in memory too
    ASSERT_EQ(testing::runCommand("unzip -Z '" + zip + "'", &out), 0);
    size_t entries = 0;
    for (size_t at = out.find("\n-"); at != std::string::npos; at = out.find("\n-", at + 1)) {
        EXPECT_EQ(out.substr(at + 1, 10), "-rw-r--r--") << out;
        ++entries;
    }
    EXPECT_EQ(entries, 19u);
    // the job file names the files as the zip does, with the functions the files give, and
    // the board's size along the centre of the outline's lines
    const std::string job = demo.unzipped("demo.gbrjob");
    EXPECT_NE(job.find("{\"Path\": \"demo.GP2\", \"FileFunction\": \"Copper,L3,Inr,Plane\", "
                       "\"FilePolarity\": \"Positive\"}"),
              std::string::npos)
        << job;
    EXPECT_NE(job.find("{\"Path\": \"demo-PTH.TXT\", \"FileFunction\": \"Plated,1,4,PTH\""),
              std::string::npos);
    EXPECT_NE(job.find("\"Size\": {\"X\": 50.8, \"Y\": 38.1}"), std::string::npos) << job;
    EXPECT_EQ(job.find("BoardThickness"), std::string::npos);
    EXPECT_NE(testing::readFile(demo.dir.file("demo.gbrjob"))
                  .find("\"Size\": {\"X\": 50.8, \"Y\": 38.1}"),
              std::string::npos);

    // the outline file draws the outline's pieces with its 10-mil pen, nothing else
    std::string outline = view::describeLayer(view::readLayerFile(demo.dir.file("demo.GBD")));
    EXPECT_NE(outline.find("size:       2.0100 x 1.5100 in (51.054 x 38.354 mm)"),
              std::string::npos);
    EXPECT_NE(outline.find("D43 C,0.01: 0 flashes, 8 draws"), std::string::npos) << outline;
    const std::string& readme = result.readme;
    for (const char* line : {
             "    Board size:    2.0000 x 1.5000 in (50.800 x 38.100 mm), the extent of the "
             "board outline along the centre of its lines\r\n",
             "    Outline:       the board layer (11), one closed loop\r\n",
             "    Copper layers: 4\r\n",
             "absolute; every hole plated\r\n",
             // the stack from the top down
             "    demo.GTP               Top paste mask       Paste,Top             Positive\r\n"
             "    demo.GTO               Top legend           Legend,Top            Positive\r\n",
             "    demo.GTL               Top copper           Copper,L1,Top         Positive\r\n"
             "    demo.GP1               Ground plane         Copper,L2,Inr,Plane   Positive\r\n"
             "    demo.GP2               Power plane          Copper,L3,Inr,Plane   Positive\r\n"
             "    demo.GBL               Bottom copper        Copper,L4,Bot         Positive\r\n",
             "    demo.csv               Bill of materials\r\n",
             "## Drill table\r\n\r\n"
             "    File          Tool  Diameter                  Holes  Plating\r\n"
             "    demo-PTH.TXT  T01   0.0200 in (0.508 mm)          3  plated\r\n"
             "    demo-PTH.TXT  T02   0.0320 in (0.813 mm)          8  plated\r\n"
             "    demo-PTH.TXT  T03   0.0400 in (1.016 mm)          2  plated\r\n"
             "    demo-PTH.TXT  T04   0.1100 in (2.794 mm)          2  plated\r\n"
             "    Total                                            15\r\n",
             "## Test netlist (demo.ipc)\r\n\r\n"
             "    Nets from:     the copper: the board carries no netlist and none was given, so "
             "the nets are the copper's\r\n",
             "    Board thickness:    to be chosen when ordering\r\n",
             "    Legend colour:      to be chosen when ordering\r\n",
         }) {
        EXPECT_NE(readme.find(line), std::string::npos) << line << readme;
    }
    EXPECT_EQ(readme.find("No board outline"), std::string::npos);
}

TEST(FabPackage, PlacementSidesFollowTheOverlays) {
    // R1's legend gains a line on the bottom overlay: the part is on the bottom, although the
    // X/Y tool's own bottom legend layer is a mid layer
    DemoBoard demo([](std::string& text) {
        const size_t r1 = text.find("\nR1\r\n");
        ASSERT_NE(r1, std::string::npos);
        text.insert(text.find("ENDCOMP", r1), "CT\r\n1900 1700 2200 1700 8 8\r\n");
    });
    demo.package([](PackageOptions& o) {
        ASSERT_EQ(o.placement.bottomLegendLayer, 3);
        o.plot.x2 = false;
    });
    std::string bottom;
    for (const std::string& line :
         testing::crlfLines(testing::readFile(demo.dir.file("demo.UCM")))) {
        if (line.find("\tB\t") != std::string::npos) {
            bottom += line.substr(0, line.find('\t')) + " ";
        }
    }
    EXPECT_EQ(bottom, "R1 ");
}

TEST(FabPackage, WithoutX2NoJobFileAndTheSameNames) {
    DemoBoard demo;
    const PackageResult result = demo.package([](PackageOptions& o) { o.plot.x2 = false; });
    ASSERT_EQ(result.files.size(), 18u);
    EXPECT_EQ(result.files[11].name, "demo.GKO");
    EXPECT_EQ(result.files[11].function, "Profile,NP");  // the README still says what it is
    EXPECT_EQ(result.files.back().name, "README.md");
    EXPECT_EQ(result.jobFile, "");
    EXPECT_EQ(view::readLayerFile(demo.dir.file("demo.GBD")).fileFunction, "");
    EXPECT_FALSE(common::fileExists(demo.dir.file("demo.gbrjob")));
}

// A board whose edge is on the keep-out layer, with a keep-out zone inside it, two mounting
// holes (a pad no larger than its hole, and one without copper), a connector and a via.
const std::vector<std::string> kKeepOutBoard = {
    "PCB FILE 4", "COMP", "J1", "SIP2", "X", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 2 2 0", "CP",
    "500 500 60 60 1 28 1 13", "1", "CP", "700 500 60 60 1 28 1 13", "2", "ENDCOMP", "FT",
    "500 500 700 500 10 1", "FP", "200 200 125 125 1 125 1 13", "0", "FP",
    "1800 800 0 0 1 125 1 13", "0", "FV", "1000 500 40 20",
    // the edge, and the zone
    "FT", "0 0 2000 0 10 12", "FT", "2000 0 2000 1000 10 12", "FT", "2000 1000 0 1000 10 12", "FT",
    "0 1000 0 0 10 12", "FT", "1200 200 1500 200 10 12", "FT", "1500 200 1500 400 10 12", "FT",
    "1500 400 1200 400 10 12", "FT", "1200 400 1200 200 10 12", "ENDPCB"};

// The hits of a drill file: hole size in thousandths and place, one entry per hit.
std::multiset<std::string> hitsOf(const std::string& path) {
    std::multiset<std::string> hits;
    std::map<std::string, std::string> size;
    std::string tool;
    for (const std::string& line : testing::crlfLines(testing::readFile(path))) {
        if (line.size() > 4 && line[0] == 'T' && line.find('C') != std::string::npos) {
            size[line.substr(0, line.find('C'))] = line.substr(line.find('C') + 1);
        } else if (line.size() > 1 && line[0] == 'T') {
            tool = line;
        } else if (line[0] == 'X') {
            hits.insert(size[tool] + "@" + line);
        }
    }
    return hits;
}

TEST(FabPackage, KeepOutEdgeMountingHolesAndOrderChoices) {
    // the plain plot of the same board, for its top copper and its drill file
    BoardRun plain(testing::crlf(kKeepOutBoard), "ko.pcb");
    plot::PlotOptions plotOptions;
    plotOptions.layers[1] = true;
    plotOptions.ncDrill = true;
    plot::plotBoard(plain.host, plotOptions, plain.run);

    BoardRun b(testing::crlf(kKeepOutBoard), "ko.pcb");
    const PackageResult result = b.package([](PackageOptions& o) {
        o.order.thickness = 1.6;
        o.order.finish = "ENIG";
        o.order.maskColour = "black\r\nred";  // one line in the README
    });
    EXPECT_FALSE(result.hasErrors) << result.readme;
    EXPECT_EQ(names(result),
              "ko.GTL ko.GBL ko.GTO ko.GD1 ko.GTS ko.GBS ko.GKO ko-PTH.TXT ko-NPTH.TXT ko.csv "
              "ko.UCM ko-CPL.csv ko.ipc ko.gbrjob README.md ");

    // the outline file draws the edge, and only it; the copper is the plain plot's
    const view::LayerImage outline = view::readLayerFile(b.dir.file("ko.GBD"));
    const size_t drawn = std::count_if(
        outline.objects.begin(), outline.objects.end(),
        [](const view::GraphicObject& o) { return o.from.x != o.to.x || o.from.y != o.to.y; });
    EXPECT_EQ(drawn, 4u);
    EXPECT_DOUBLE_EQ(outline.extent.width(), 2.010);
    EXPECT_DOUBLE_EQ(outline.extent.height(), 1.010);
    const view::Box top = view::readLayerFile(b.dir.file("ko.GTL")).extent;
    const view::Box plainTop = view::readLayerFile(plain.dir.file("ko.GTL")).extent;
    EXPECT_EQ(std::tie(top.x0, top.y0, top.x1, top.y1),
              std::tie(plainTop.x0, plainTop.y0, plainTop.x1, plainTop.y1));

    // the holes in two files, adding up to the plain drill file's
    std::multiset<std::string> both = hitsOf(b.dir.file("ko-PTH.TXT"));
    const std::multiset<std::string> nonPlated = hitsOf(b.dir.file("ko-NPTH.TXT"));
    EXPECT_EQ(nonPlated, (std::multiset<std::string>{"0.125@X00200Y00200", "0.125@X01800Y00800"}));
    both.insert(nonPlated.begin(), nonPlated.end());
    EXPECT_EQ(both, hitsOf(plain.dir.file("ko.TXT")));
    EXPECT_EQ(view::readLayerFile(b.dir.file("ko-PTH.TXT")).fileFunction, "Plated,1,2,PTH");
    EXPECT_EQ(view::readLayerFile(b.dir.file("ko-NPTH.TXT")).fileFunction, "NonPlated,1,2,NPTH");
    // the plot run's own drill file holds both
    EXPECT_EQ(view::readLayerFile(b.dir.file("ko.TXT")).fileFunction, "MixedPlating,1,2");

    // the test netlist calls the mounting holes non-plated
    std::string holes;
    for (const std::string& line : testing::crlfLines(testing::readFile(b.dir.file("ko.ipc")))) {
        if (line.find("D1250") != std::string::npos) {
            holes += line.substr(0, 3) + line.substr(37, 1) + " ";
        }
    }
    EXPECT_EQ(holes, "367U 367U ");

    const std::string& readme = result.readme;
    for (const char* line : {
             "    Board size:    2.0000 x 1.0000 in (50.800 x 25.400 mm), the extent of the "
             "board outline along the centre of its lines\r\n",
             "    Outline:       the keep-out layer (12), one closed loop\r\n",
             "absolute; plated and non-plated holes in files of their own\r\n",
             "    ko-NPTH.TXT  T03   0.1250 in (3.175 mm)          2  non-plated\r\n",
             "    ko-NPTH.TXT            Non-plated holes     NonPlated,1,2,NPTH    Positive\r\n",
             "    Board thickness:    1.60 mm\r\n",
             "    Copper weight:      to be chosen when ordering\r\n",
             "    Surface finish:     ENIG\r\n",
             "    Solder mask colour: black  red\r\n",
         }) {
        EXPECT_NE(readme.find(line), std::string::npos) << line << readme;
    }
    if (!hasUnzip()) {
        GTEST_SKIP() << "unzip not installed";
    }
    const std::string job = b.unzipped("ko.gbrjob");
    for (const char* entry :
         {"\"Size\": {\"X\": 50.8, \"Y\": 25.4},\r\n    \"BoardThickness\": 1.6,",
          "{\"Path\": \"ko-PTH.TXT\", \"FileFunction\": \"Plated,1,2,PTH\"",
          "{\"Path\": \"ko-NPTH.TXT\", \"FileFunction\": \"NonPlated,1,2,NPTH\"",
          "{\"Path\": \"ko.GKO\", \"FileFunction\": \"Profile,NP\""}) {
        EXPECT_NE(job.find(entry), std::string::npos) << entry << job;
    }
}

TEST(FabPackage, NoOutlineIsSaidAndNoProfileWritten) {
    std::vector<std::string> lines = kKeepOutBoard;
    lines.erase(lines.begin() + 22, lines.end() - 1);  // the keep-out lines
    BoardRun b(testing::crlf(lines), "none.pcb");
    const PackageResult result = b.package();
    EXPECT_EQ(names(result).find(".GKO"), std::string::npos) << names(result);
    EXPECT_FALSE(common::fileExists(b.dir.file("none.GBD")));
    const std::string warning =
        "No board outline: neither the board layer (11) nor the keep-out layer (12) has lines; "
        "no outline file is made, and the board house must be told the board's shape and size";
    EXPECT_NE(std::find(b.host.transcript.begin(), b.host.transcript.end(), "warn|" + warning),
              b.host.transcript.end());
    EXPECT_EQ(result.readme.substr(0, 29 + warning.size() + 1),
              "# Fab package of none.pcb\r\n\r\n" + warning + ".");
    EXPECT_NE(result.readme.find("    Board size:    not given: there is no board outline\r\n"),
              std::string::npos);
    // the job file has no size, and the viewer reading it says why
    const view::LayerImage job = view::readLayerFile(result.jobFile);
    EXPECT_EQ(testing::readFile(result.jobFile).find("Size"), std::string::npos);
    ASSERT_FALSE(job.problems.empty());
    EXPECT_EQ(job.problems.back().message.substr(0, 18), "No board outline: ");

    // asked for none, the same on a board that has one
    BoardRun withEdge(testing::crlf(kKeepOutBoard), "edge.pcb");
    const PackageResult none =
        withEdge.package([](PackageOptions& o) { o.outline = plot::OutlineSource::None; });
    EXPECT_EQ(names(none).find(".GKO"), std::string::npos);
    EXPECT_NE(none.readme.find("No board outline: none was asked for;"), std::string::npos);
}

TEST(FabPackage, TestNetlistKeepsTheDesignsNetsOverAnOpen) {
    std::vector<std::string> whole = kKeepOutBoard;
    whole.insert(whole.end() - 1, {"NETDEF", "SIG", "0", "(", "J1-1", "J1-2", ")", "{", "}"});
    BoardRun joined(testing::crlf(whole), "whole.pcb");
    EXPECT_NE(joined.package().readme.find("    Netlist check: copper matches the netlist\r\n"),
              std::string::npos);

    // SIG's track ends 20 mils beside J1-2, clear of its 30-mil pad: an open
    std::vector<std::string> lines = kKeepOutBoard;
    lines[9] = "500 500 30 30 1 20 1 13";
    lines[12] = "700 500 30 30 1 20 1 13";
    lines[16] = "500 500 700 520 8 1";
    lines.insert(lines.end() - 1, {"NETDEF", "SIG", "0", "(", "J1-1", "J1-2", ")", "{", "}"});
    BoardRun b(testing::crlf(lines), "open.pcb");
    const PackageResult result = b.package();
    std::string sig;
    for (const std::string& line : testing::crlfLines(testing::readFile(b.dir.file("open.ipc")))) {
        if (line.substr(20, 2) == "J1") {
            sig += line.substr(3, 14) + "|";
        }
    }
    EXPECT_EQ(sig, "SIG           |SIG           |");
    EXPECT_NE(
        result.readme.find("    Nets from:     the netlist in the board (its NETDEF blocks)\r\n"
                           "    Netlist check: open: SIG is in 2 pieces of copper: J1-1 | "
                           "J1-2\r\n"),
        std::string::npos)
        << result.readme;
}

TEST(FabPackage, ReadmeFileTableFitsLongNames) {
    const std::string stem = "a-board-with-a-long-name";
    ReadmeFacts facts;
    facts.boardPath = "/x/" + stem + ".pcb";
    facts.files = {{"", stem + ".GTL", "Top copper", "Copper,L1,Top", "Positive"},
                   {"", stem + ".gbrjob", "Gerber job file", "", ""},
                   {"", "README.md", "This file", "", ""}};
    const std::string readme = packageReadme(facts);
    const std::string pad(
        stem.size() + std::string(".gbrjob ").size() - std::string("README.md").size(), ' ');
    EXPECT_NE(readme.find("    " + stem +
                          ".GTL    Top copper           Copper,L1,Top         "
                          "Positive\r\n"),
              std::string::npos)
        << readme;
    EXPECT_NE(readme.find("    " + stem + ".gbrjob Gerber job file\r\n    README.md" + pad +
                          "This file\r\n"),
              std::string::npos)
        << readme;
}

TEST(FabPackage, AFailedZipLeavesTheOldOneAndNothingElse) {
    TempDir dir;
    const std::string zip = dir.write("old.zip", "old");
    const std::string present = dir.write("a.GTL", "G04*\r\nM02*\r\n");
    EXPECT_THROW(writeZip(zip,
                          {{present, "a.GTL", "Top copper", "", ""},
                           {dir.file("missing.GBL"), "missing.GBL", "Bottom copper", "", ""}},
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
    PackageOptions options;
    EXPECT_THROW(makeFabPackage(host, options, run, run.boardFile), common::IoError);
    EXPECT_EQ(testing::readFile(run.boardFile), "");
    options.netlist = dir.write("b.NET", "x");
    EXPECT_THROW(makeFabPackage(host, options, run, options.netlist), common::IoError);
    EXPECT_EQ(testing::readFile(options.netlist), "x");
    // nor starts work for a zip it could not write
    EXPECT_THROW(makeFabPackage(host, options, run, dir.file("none/x.zip")), common::IoError);
    EXPECT_THROW(makeFabPackage(host, options, run, dir.path().string()), common::IoError);
}

}  // namespace
}  // namespace padloom::fab
