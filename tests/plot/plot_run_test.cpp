#include "plot/plot_run.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "common/scripted_host.h"
#include "convert/pcb_to_apt.h"
#include "plot/unticked_layers.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using Lines = std::vector<std::string>;

std::set<std::string> filesIn(const testing::TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The plot run as the window makes it: the aperture builder in plot mode, then the plot.
struct Board {
    testing::TempDir dir;
    board::RunValues rv;
    common::ScriptedHost host;
    PlotOptions options;
    std::string board;

    // a whole board: the records, then the "ENDPCB" line
    explicit Board(Lines lines) {
        lines.push_back("ENDPCB");
        board = dir.write("B.PCB", testing::crlf(lines));
    }

    void plot() {
        rv.reset();
        convert::AptOptions apt;
        apt.plotMode = true;
        apt.fillApertures = options.fillMode == FillMode::Flash;
        host.openAnswers.push_back({board});
        ASSERT_EQ(convert::makeAptFile(host, apt, rv), common::Outcome::Done);
        host.lines.clear();
        plotBoard(host, options, rv);
    }
};

TEST(PlotRun, NothingTicked) {
    Board run({"FT", "100 200 300 400 10 1"});
    run.plot();
    const std::string base = run.dir.file("B");
    EXPECT_EQ(run.host.lines, (Lines{base + ".PCB", base + ".APT", base,
                                     "Dimentions are: 100 200, 300, 400", "Done"}));
    EXPECT_EQ(filesIn(run.dir), (std::set<std::string>{"B.PCB", "B.APT", "B.TOL"}));
}

TEST(PlotRun, BoardWithoutTracksReportsTheResetExtents) {
    Board run({"FV", "100 100 60 28"});
    run.options.layers[9] = true;
    run.plot();
    EXPECT_EQ(run.host.lines[3], "Dimentions are: 1000000 1000000, -1, -1");
}

TEST(PlotRun, LayersInPlotLayerOrderThenDrillAndBom) {
    Board run({"COMP", "R1", "0805", "10K", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 1 1", "CP",
               "0 0 60 60 1 28 2 13", "1", "ENDCOMP", "FT", "0 0 1000 0 10 11"});
    for (int layer : {17, 13, 1, 9}) {
        run.options.layers[layer] = true;
    }
    run.options.ncDrill = true;
    run.options.bom = true;
    run.plot();
    EXPECT_EQ(Lines(run.host.lines.begin() + 4, run.host.lines.end()),
              (Lines{".GTL", ".GDD", ".GGD", ".GBD", "NC Drill", "BOM",
                     "The board has objects on layers that are not ticked, so they are not "
                     "plotted: Bottom copper (.GBL), Top solder mask (.GTS), Bottom solder mask "
                     "(.GBS)",
                     "Done"}));
    EXPECT_EQ(std::count_if(
                  run.host.transcript.begin(), run.host.transcript.end(),
                  [](const std::string& t) { return t.starts_with("warn|The board has objects"); }),
              1);  // a warning: on standard error on the command line
    EXPECT_EQ(filesIn(run.dir), (std::set<std::string>{"B.PCB", "B.APT", "B.TOL", "B.GTL", "B.GDD",
                                                       "B.GGD", "B.GBD", "B.TXT", "B.csv"}));
}

// The copper, plane and mask layers a board has objects for, left unticked, are named.
TEST(PlotRun, UntickedLayersWithObjectsAreNamed) {
    struct Case {
        const char* what;
        Lines records;
        std::vector<int> ticked;
        std::vector<int> named;
    };
    const Lines fourLayers = {"FP", "100 100 60 60 1 28 2 13", "1",  // to the ground plane
                              "FP", "300 100 60 60 1 28 4 13", "2",  // to the power plane
                              "FT", "100 100 300 100 10 1"};
    // clang-format off
    const Case cases[] = {
        {"planes left out of a four-layer board", fourLayers, {1, 6, 11, 12}, {13, 14}},
        {"every layer it has ticked", fourLayers, {1, 6, 11, 12, 13, 14}, {}},
        {"mask openings of through-hole pads", fourLayers, {1, 6, 13, 14}, {11, 12}},
        {"a mid layer with a track", {"FT", "0 0 100 0 10 3"}, {1, 6}, {3}},
        {"surface pads: their copper, mask and paste", {"FP", "0 0 60 60 2 0 1 1", "1"},
         {7}, {1, 11, 15}},
        {"a track on the bottom only", {"FT", "0 0 100 0 10 6"}, {1}, {6}},
        {"no layer file ticked: a run for the drill file alone", fourLayers, {}, {}},
        {"nothing but legend", {"FT", "0 0 100 0 10 7"}, {7}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Board run(c.records);
        run.rv.boardFile = run.board;
        for (int p : c.ticked) {
            run.options.layers[static_cast<size_t>(p)] = true;
        }
        EXPECT_EQ(untickedLayersWithObjects(run.options, run.rv), c.named);
    }
    EXPECT_EQ(untickedLayersWarning({13, 14}),
              "The board has objects on layers that are not ticked, so they are not plotted: "
              "Ground plane (.GGD), Power plane (.GPW)");
    EXPECT_EQ(untickedLayersWarning({}), "");
}

TEST(PlotRun, ExampleBoardOnEveryLayerWithoutMissingApertures) {
    auto example = testing::readFile(testing::sourceDir() + "/examples/demo.pcb");
    for (FillMode mode : {FillMode::Polygon, FillMode::Flash}) {
        Board run(Lines{});
        std::filesystem::remove(run.board);
        run.board = run.dir.write("demo.pcb", example);
        run.options.layers.fill(true);
        run.options.ncDrill = run.options.bom = run.options.thermalsOnExternalLayers = true;
        run.options.fillMode = mode;
        run.plot();
        ASSERT_EQ(run.host.lines.size(), 4u + 17 + 3);
        for (const auto& line : run.host.lines) {
            EXPECT_EQ(line.find("Error"), std::string::npos) << line;
        }
        for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
            auto lines = testing::crlfLines(
                testing::readFile(run.dir.file("demo" + std::string(layerExtension(layer)))));
            EXPECT_TRUE(lines.back().ends_with("M02*")) << layer;
        }
        auto drill = testing::crlfLines(testing::readFile(run.dir.file("demo.TXT")));
        EXPECT_EQ(drill.back(), "M30");
    }
}

TEST(PlotRun, KeptApertureFileStillPlots) {
    Board run({"FV", "100 100 60 28", "FT", "0 0 10 10 10 1"});
    run.plot();
    run.host.yesNoAnswers.push_back(false);  // keep the aperture file made first
    run.options.layers[1] = true;
    run.options.ncDrill = true;
    run.plot();
    EXPECT_EQ(std::count_if(run.host.transcript.begin(), run.host.transcript.end(),
                            [](const std::string& t) { return t.rfind("yesno|File ", 0) == 0; }),
              1);
    EXPECT_EQ(run.host.lines[3], "Dimentions are: 0 0, 10, 10");
    EXPECT_EQ(testing::crlfLines(testing::readFile(run.dir.file("B.TXT"))),
              (Lines{"M48", ";FILE_FORMAT=2:3", "INCH,LZ", "M72", "T01C0.028", "%", "T01",
                     "X00100Y00100", "T00", "M30"}));
}

// Layer files written at once on several threads: the same files, byte for byte, and the same
// message list as one after the other, also when apertures are missing on many layers and when
// a layer file cannot be put in place (the run stops there in both).
TEST(PlotRun, ThreadsChangeNeitherFilesNorMessages) {
    auto example = testing::readFile(testing::sourceDir() + "/examples/demo.pcb");
    struct Result {
        Lines lines;
        std::map<std::string, std::string> files;
        std::string error;
    };
    auto plotWith = [&](unsigned threads, bool thinApertures, bool blockedLayer) {
        Board run(Lines{});
        std::filesystem::remove(run.board);
        run.board = run.dir.write("demo.pcb", example);
        run.options.layers.fill(true);
        run.options.ncDrill = run.options.bom = true;
        run.options.threads = threads;
        if (thinApertures) {
            run.plot();  // the aperture file, then every second aperture line dropped
            Lines kept;
            auto apt = testing::crlfLines(testing::readFile(run.dir.file("demo.APT")));
            for (size_t i = 0; i < apt.size(); i += 2) {
                kept.push_back(apt[i]);
            }
            run.dir.write("demo.APT", testing::crlf(kept));
            run.host.yesNoAnswers.push_back(false);
        }
        if (blockedLayer) {
            std::filesystem::remove(run.dir.file("demo.GTO"));
            std::filesystem::create_directory(run.dir.file("demo.GTO"));
        }
        Result result;
        try {
            run.plot();
        } catch (const common::IoError& e) {
            result.error = e.what();
        }
        // the scratch folders differ: their name is left out
        const std::string folder = run.dir.path().string();
        auto withoutFolder = [&](std::string text) {
            for (auto at = text.find(folder); at != std::string::npos; at = text.find(folder)) {
                text.replace(at, folder.size(), "DIR");
            }
            return text;
        };
        result.error = withoutFolder(result.error);
        for (const auto& line : run.host.lines) {
            result.lines.push_back(withoutFolder(line));
        }
        for (const auto& entry : std::filesystem::directory_iterator(run.dir.path())) {
            const auto name = entry.path().filename().string();
            result.files[name] = entry.is_regular_file() ? testing::readFile(entry.path()) : "/";
        }
        return result;
    };
    for (bool thin : {false, true}) {
        for (bool blocked : {false, true}) {
            SCOPED_TRACE(std::string(thin ? "thinned apertures" : "all apertures") +
                         (blocked ? ", a blocked layer" : ""));
            const Result one = plotWith(1, thin, blocked);
            const Result many = plotWith(4, thin, blocked);
            EXPECT_EQ(many.lines, one.lines);
            EXPECT_EQ(many.error, one.error);
            EXPECT_EQ(many.files, one.files);
            EXPECT_EQ(one.error.empty(), !blocked);
            if (thin) {
                EXPECT_GT(
                    std::count_if(one.lines.begin(), one.lines.end(),
                                  [](const std::string& l) { return l.starts_with("Error"); }),
                    10);
            }
        }
    }
}

}  // namespace
}  // namespace padloom::plot

namespace padloom::plot {
namespace {

TEST(PlotCommand, LayerListsExitStatusesAndTheKeptApertureFile) {
    testing::TempDir dir;
    auto board = dir.write("b.pcb",
                           testing::crlf({"FV", "100 100 60 28", "FT", "0 0 9 9 10 1", "ENDPCB"}));
    auto cli = [&](const std::string& args, std::string* out = nullptr) {
        return testing::runCommand(testing::cliPath() + " plot " + args + " 2>&1", out);
    };
    EXPECT_EQ(cli("'" + board + "' --layers gtl,14,.GBD --nc-drill"), 0);
    EXPECT_EQ(filesIn(dir), (std::set<std::string>{"b.pcb", "b.APT", "b.TOL", "b.GTL", "b.GPW",
                                                   "b.GBD", "b.TXT"}));
    std::string out;
    EXPECT_EQ(cli("'" + board + "' --layers GTL,18", &out), 2);
    EXPECT_NE(out.find("\"18\""), std::string::npos) << out;
    EXPECT_EQ(cli("'" + board + "' --all-layers --layers 1"), 2);
    EXPECT_EQ(cli("'" + board + "' --drill-format 2.5"), 2);
    EXPECT_EQ(cli("'" + board + "' --drill-format METRIC,2:4,LZ", &out), 2);
    EXPECT_NE(out.find("not a drill format"), std::string::npos) << out;
    EXPECT_EQ(cli("'" + board + "' --planes both"), 2);
    // the board house's options: Excellon's own terms, positive planes, no macros
    EXPECT_EQ(cli("'" + board + "' --layers GGD --nc-drill --drill-format metric,3:3,tz "
                  "--planes positive --no-macros --yes"),
              0);
    const std::string drill = testing::readFile(dir.file("b.TXT"));
    EXPECT_NE(drill.find(";FILE_FORMAT=3:3\r\nMETRIC,TZ\r\n"), std::string::npos) << drill;
    EXPECT_NE(drill.find("X002540Y002540"), std::string::npos) << drill;
    const std::string plane = testing::readFile(dir.file("b.GGD"));
    EXPECT_NE(plane.find("%IPPOS*%"), std::string::npos);
    EXPECT_NE(plane.find("%LPD*%\r\nG36*"), std::string::npos) << plane;
    EXPECT_EQ(plane.find("%AM"), std::string::npos) << plane;
    EXPECT_EQ(cli("'" + dir.file("missing.pcb") + "' --all-layers"), 1);
    // without --yes the aperture file is kept; with it, replaced
    dir.write("b.APT", "D10\tCIRCULAR\t3\t3\r\n");
    EXPECT_EQ(cli("'" + board + "' --layers GTL", &out), 0);
    EXPECT_NE(out.find("Error: Apt not found: 60,60,1 (via at 100,100, line 1)"), std::string::npos)
        << out;
    EXPECT_EQ(cli("'" + board + "' --layers GTL --yes", &out), 0);
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    // the board reader's problems are told with their lines; a board cut short fails the run
    auto damaged = dir.write("d.pcb", testing::crlf({"FT", "1 2 3 x 10 1", "ENDPCB"}));
    EXPECT_EQ(cli("'" + damaged + "' --layers GTL --yes", &out), 0);
    EXPECT_NE(out.find(damaged + ":2: FT record: a field is missing"), std::string::npos) << out;
    auto cut = dir.write("c.pcb", testing::crlf({"FT", "1 2 3 4 10 1", "FV"}) + "100 1");
    EXPECT_EQ(cli("'" + cut + "' --layers GTL --yes", &out), 1);
    EXPECT_NE(out.find(cut + ":4: FV record"), std::string::npos) << out;
    EXPECT_NE(out.find(cut + ":4: the board ends without its \"ENDPCB\" line"), std::string::npos)
        << out;
    EXPECT_TRUE(std::filesystem::exists(dir.file("c.GTL")));
}

}  // namespace
}  // namespace padloom::plot
