#include "plot/layer_plot.h"

#include <regex>
#include <set>

#include "common/scripted_host.h"
#include "plot/plane_area.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using testing::crlf;

// clang-format off
const std::vector<std::string> kApt = {
    "D10\tCIRCULAR   \t3\t3\t0\tMULTI",
    "D11\tCIRCULAR   \t5\t5\t0\tMULTI",
    "D12\tCIRCULAR   \t1\t1\t0\tMULTI",
    "D13\tCIRCULAR   \t6\t6\t0\tMULTI",
    "D14\tCIRCULAR   \t60\t60\t0\tMULTI",
    "D15\tCIRCULAR   \t66\t66\t0\tMULTI",
    "D16\tCIRCULAR   \t10\t10\t0\tMULTI",
    "D17\tRELIEF     \t60\t60\t0\tMULTI",
    "D18\tRECTANGULAR\t60\t80\t0\tFLASH",
    "D19\tRECTANGULAR\t66\t86\t0\tFLASH",
    "D20\tREL_E_RND  \t60\t60\t0\tMULTI",
    "D21\tOCTAGONAL  \t60\t60\t0\tMULTI",
    "D22\tRECTANGULAR\t201\t101\t0\tFLASH",
    "D23\tCIRCULAR   \t8\t8\t0\tMULTI",
};
// clang-format on

// A board and its aperture file in a fresh folder, plotted one layer at a time.
struct Plot {
    testing::TempDir dir;
    board::RunValues rv;
    common::ScriptedHost host;
    PlotOptions options;

    explicit Plot(const std::vector<std::string>& board,
                  const std::vector<std::string>& apt = kApt) {
        rv.boardFile = dir.write("B.PCB", crlf(board));
        rv.aptFile = dir.write("B.APT", crlf(apt));
        rv.baseName = dir.file("B");
        rv.aptMade = true;
    }

    std::vector<std::string> file(int layer) {
        plotLayerFile(host, options, rv, layer);
        return testing::crlfLines(
            testing::readFile(dir.file("B" + std::string(layerExtension(layer)))));
    }

    // The lines after the aperture definitions, without the closing "M02*".
    std::vector<std::string> body(int layer) {
        auto lines = file(layer);
        auto start = std::find(lines.begin(), lines.end(), "G04 End of apeture information*");
        EXPECT_NE(start, lines.end());
        EXPECT_EQ(lines.back(), "M02*");
        return {start + 1, lines.end() - 1};
    }
};

std::vector<std::string> flash(int dcode, int x, int y) {
    return {"D" + std::to_string(dcode) + "*",
            "D02*X" + std::to_string(x) + "Y" + std::to_string(y) + "*",
            "D02*X" + std::to_string(x) + "Y" + std::to_string(y) + "*D03*"};
}

const std::vector<int> kLayerFileLayers = {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17};

TEST(LayerFilter, ThroughHolePadOnEveryPlotLayer) {
    Plot plot({"PCB FILE 4", "FP", "1000 2000 60 60 1 28 1 13", "1", "ENDPCB"});
    // clang-format off
    const std::map<int, int> expected = {
        {1, 14}, {2, 14}, {3, 14}, {4, 14}, {5, 14}, {6, 14},  // own aperture
        {10, 13},                                              // drill guide circle
        {11, 15}, {12, 15},                                    // solder mask 66
        {13, 15}, {14, 15},                                    // plane clearance 66
    };
    // clang-format on
    for (int layer : kLayerFileLayers) {
        auto it = expected.find(layer);
        auto want =
            it == expected.end() ? std::vector<std::string>{} : flash(it->second, 1000, 2000);
        EXPECT_EQ(plot.body(layer), want) << "plot layer " << layer;
    }
    EXPECT_TRUE(plot.host.lines.size() == kLayerFileLayers.size()) << "only the extensions";
}

TEST(LayerFilter, SurfacePadOnTopCopperMaskAndPasteOnly) {
    Plot plot({"FP", "500 600 60 80 2 0 1 1", "1"});
    const std::map<int, int> expected = {{1, 18}, {11, 19}, {15, 18}};
    for (int layer : kLayerFileLayers) {
        auto it = expected.find(layer);
        auto want = it == expected.end() ? std::vector<std::string>{} : flash(it->second, 500, 600);
        EXPECT_EQ(plot.body(layer), want) << "plot layer " << layer;
    }
}

TEST(LayerFilter, PlaneConnections) {
    struct Case {
        int planeCode;
        std::vector<std::string> ground, power;
    };
    const std::vector<Case> cases = {
        {1, flash(15, 100, 100), flash(15, 100, 100)},  // clearance on both planes
        {2, flash(17, 100, 100), flash(15, 100, 100)},  // relief to ground
        {3, {}, flash(15, 100, 100)},                   // direct to ground
        {4, flash(15, 100, 100), flash(17, 100, 100)},  // relief to power
        {5, flash(15, 100, 100), {}},                   // direct to power
    };
    for (const auto& c : cases) {
        Plot plot({"FP", "100 100 60 60 1 28 " + std::to_string(c.planeCode) + " 13", "1"});
        EXPECT_EQ(plot.body(13), c.ground) << "plane code " << c.planeCode;
        EXPECT_EQ(plot.body(14), c.power) << "plane code " << c.planeCode;
        EXPECT_EQ(plot.file(13)[3], "%IPNEG*%");
    }
}

TEST(PlanePolarity, PositivePlaneDarkOverTheBoardWithTheNegativeImageCleared) {
    const std::vector<std::string> pads = {"FP", "1000 2000 60 60 1 28 2 13", "1", "FV",
                                           "1200 2000 60 28"};
    const std::vector<std::string> outline = {"FT", "500 1500 1500 1500 10 11", "FT",
                                              "1500 1500 1500 2500 10 11", "FT",
                                              "1500 2500 500 2500 10 11", "FT",
                                              "500 2500 500 1500 10 11"};
    struct Case {
        std::vector<std::string> board;
        std::vector<std::string> region;  // where the plane is dark, from its lower left
    };
    std::vector<std::string> withOutline = pads;
    withOutline.insert(withOutline.end(), outline.begin(), outline.end());
    const Case cases[] = {
        // inside the board outline
        {withOutline, {"X500Y1500", "X1500Y1500", "X1500Y2500", "X500Y2500", "X500Y1500"}},
        // without one, over the copper's extent: the pad and the via with their sizes
        {pads, {"X970Y1970", "X1230Y1970", "X1230Y2030", "X970Y2030", "X970Y1970"}},
    };
    for (const Case& c : cases) {
        Plot plot(c.board);
        const std::vector<std::string> negative = plot.body(13);
        plot.options.positivePlanes = true;
        plot.options.planeArea = std::make_shared<const PlaneArea>(planeAreaOf(plot.rv));
        EXPECT_EQ(plot.file(13)[3], "%IPPOS*%");
        const std::vector<std::string> positive = plot.body(13);
        ASSERT_EQ(positive.size(), negative.size() + 9);
        EXPECT_EQ(positive[0], "%LPD*%");
        EXPECT_EQ(positive[1], "G36*");
        // the loop may start anywhere and run either way: its corners are the region's
        std::set<std::string> corners, wanted(c.region.begin(), c.region.end());
        for (size_t i = 2; i < 7; ++i) {
            corners.insert(positive[i].substr(0, positive[i].find('D')));
        }
        EXPECT_EQ(corners, wanted);
        EXPECT_EQ(positive[7], "G37*");
        EXPECT_EQ(positive[8], "%LPC*%");
        EXPECT_EQ(std::vector<std::string>(positive.begin() + 9, positive.end()), negative);
    }
}

TEST(LayerFilter, PlaneAndBoardLayerRecordsStayOffOtherLayers) {
    // a power plane pad, a board layer pad and a keep-out track
    Plot plot({"FP", "100 100 60 60 1 0 1 10", "1", "FP", "200 200 60 60 1 0 1 11", "1", "FT",
               "0 0 100 0 10 12"});
    plot.options.includeBoardLayer = false;
    for (int layer : kLayerFileLayers) {
        std::vector<std::string> want;
        if (layer == 14) {
            want = flash(15, 100, 100);
        } else if (layer == 17) {
            want = flash(14, 200, 200);
        }
        EXPECT_EQ(plot.body(layer), want) << "plot layer " << layer;
    }
}

TEST(LayerFilter, BoardLayerTrackOnEveryFileButMasksAndPaste) {
    const std::vector<std::string> track = {"D16*", "D02*X0Y0*", "D02*X0Y0*", "D01*X1000Y0*"};
    Plot plot({"FT", "0 0 1000 0 10 11"});
    for (bool include : {true, false}) {
        plot.options.includeBoardLayer = include;
        for (int layer : kLayerFileLayers) {
            bool plotted = layer == 17 ||
                           (include && layer != 11 && layer != 12 && layer != 15 && layer != 16);
            EXPECT_EQ(plot.body(layer), plotted ? track : std::vector<std::string>{})
                << "plot layer " << layer << (include ? " with" : " without") << " Include";
        }
    }
}

TEST(TrackAction, EndToEndTracksShareAMove) {
    Plot plot({"FT", "100 200 300 200 10 1", "FT", "300 200 300 400 10 1", "FT",
               "500 500 600 500 10 1", "FT", "600 500 600 600 10 6"});
    EXPECT_EQ(plot.body(1),
              (std::vector<std::string>{"D16*", "D02*X100Y200*", "D02*X100Y200*", "D01*X300Y200*",
                                        "D01*X300Y400*", "D02*X500Y500*", "D01*X600Y500*"}));
}

TEST(FillAction, PolygonAndFlashForms) {
    Plot plot({"FF", "100 100 301 201 1", "FF", "301 201 100 100 1"});
    EXPECT_EQ(plot.body(1), (std::vector<std::string>{
                                "G36*D12*", "D02*X100Y100*", "D02*X100Y100*", "D01*X301Y100*",
                                "D01*X301Y201*", "D01*X100Y201*", "D01*X100Y100*", "D02*X100Y201*",
                                "G37*", "G36*D02*X301Y201*", "D01*X100Y201*", "D01*X100Y100*",
                                "D01*X301Y100*", "D01*X301Y201*", "D02*X301Y100*", "G37*"}));
    plot.options.fillMode = FillMode::Flash;
    auto lines = plot.file(1);
    EXPECT_EQ(lines.back(), "D22*X200Y150D03*X200Y150D03*M02*")
        << "both corner orders flash at the same centre; the next output continues the line";
    EXPECT_TRUE(plot.body(11).empty()) << "fills never go to the masks";
}

TEST(MissingApertures, ReportedAndNothingPlotted) {
    const std::vector<std::string> board = {
        "FP", "10 20 60 80 4 0 1 1",   "1",   // rounded rectangle: no aperture
        "FT", "0 0 50 0 7 1",                 // 7-mil track: none
        "FA", "100 100 50 15 7 1",            // arc: none
        "FV", "70 80 40 20",                  // via 40: none
        "FS", "5 5 60 0 9 1",          "AB",  // 9-mil string: none
        "FF", "0 0 10 10 1",                  // flash fill 10x10: none
        "FP", "300 300 60 60 1 0 1 1", "1"};
    Plot plot(board);
    plot.options.fillMode = FillMode::Flash;
    auto body = plot.body(1);
    EXPECT_EQ(body, flash(14, 300, 300)) << "only the pad that has an aperture";
    EXPECT_EQ(plot.host.lines, (std::vector<std::string>{
                                   ".GTL", "Error: Apt not found: 60,80,4",
                                   "Error: Apt not found: 7,7,1 (track at 0,0, line 4)",
                                   "Error: Apt not found: 7,7,1 (arc at 100,100, line 6)",
                                   "Error: Apt not found: 40,40,1 (via at 70,80, line 8)",
                                   "Error: Apt not found: 9,9,1 (string \"AB\" at 5,5, line 10)",
                                   "Error: Apt not found: 10,10,2 (fill at 0,0, line 13)"}));
}

TEST(MissingApertures, MaskOfAnExistingPadAndLowDcodes) {
    // the mask aperture 66x86 is missing; D05 is no usable aperture
    Plot plot({"FP", "10 20 60 80 2 0 1 1", "1", "FT", "0 0 50 0 5 1"},
              {"D05\tCIRCULAR   \t5\t5\t0\tMULTI", "D18\tRECTANGULAR\t60\t80\t0\tFLASH"});
    EXPECT_TRUE(plot.body(11).empty());
    EXPECT_EQ(plot.body(1), flash(18, 10, 20));
    EXPECT_EQ(plot.host.lines,
              (std::vector<std::string>{
                  ".GTS", "Error: Apt not found: 66,86,2 (solder mask of the pad at 10,20, line 1)",
                  ".GTL", "Error: Apt not found: 5,5,1 (track at 0,0, line 4)"}));
    // neither D12 for polygons nor the drill guide circle
    Plot bare({"FF", "0 0 10 10 1", "FV", "0 0 60 28"}, {"D14\tCIRCULAR\t60\t60"});
    EXPECT_TRUE(bare.body(1).size() == 3u) << "the via only";
    EXPECT_TRUE(bare.body(10).empty());
    ASSERT_EQ(bare.host.lines.size(), 4u);
    EXPECT_EQ(bare.host.lines[1].rfind("Error: Apt not found: D12", 0), 0u);
    EXPECT_EQ(bare.host.lines[3].rfind("Error: Apt not found: the drill guide aperture D13", 0),
              0u);
}

TEST(PadAction, ThermalsOnExternalLayers) {
    Plot plot({"FP", "100 100 60 60 1 28 2 13", "1",    // round, ground relief: REL_E_RND
               "FP", "200 200 60 60 3 28 4 13", "1",    // octagon has no outer relief
               "FP", "300 300 60 60 1 28 1 13", "1"});  // no plane connection
    plot.options.thermalsOnExternalLayers = true;
    std::vector<std::string> want = flash(20, 100, 100);
    for (auto part : {flash(21, 200, 200), flash(14, 300, 300)}) {
        want.insert(want.end(), part.begin(), part.end());
    }
    // each flash after the first reuses the known position
    want.erase(want.begin() + 4);
    want.erase(want.begin() + 6);
    EXPECT_EQ(plot.body(6), want);
    EXPECT_EQ(plot.host.lines, (std::vector<std::string>{".GBL"}));
}

TEST(ComponentText, ShownFlagsAndLayers) {
    const std::vector<std::string> board = {
        "COMP", "R1", "0805", "10K", "100 100 60 0 8 7", "100 200 60 0 8 11", "4000 4000 1 2 2",
        "COMP", "R2", "0805", "22K", "300 100 60 0 8 7", "300 200 60 0 8 7",  "4000 4000 1 1 1"};
    auto strokes = [](std::vector<std::string> body) {  // one line per character
        return std::count_if(body.begin(), body.end(),
                             [](const std::string& line) { return line.rfind("D02*X", 0) == 0; });
    };
    Plot plot(board);
    plot.options.includeBoardLayer = false;
    EXPECT_EQ(strokes(plot.body(7)), 5) << "R2's comment and designator; R1's comment not shown";
    EXPECT_EQ(strokes(plot.body(17)), 2) << "R1's designator on the board layer";
    EXPECT_EQ(strokes(plot.body(1)), 0);
    plot.options.includeBoardLayer = true;
    EXPECT_EQ(strokes(plot.body(1)), 2);
    EXPECT_EQ(strokes(plot.body(13)), 2);
    for (int mask : {11, 12, 15, 16}) {
        EXPECT_EQ(strokes(plot.body(mask)), 0) << "plot layer " << mask;
    }
}

TEST(PourLayer, OutlineTracksAreLeftOut) {
    Plot plot({"FT", "0 0 100 0 1 1", "FT", "0 0 0 100 10 1"});
    plot.rv.pourOutline[1] = true;
    auto body = plot.body(1);
    auto pads = std::find(body.begin(), body.end(), "%LNPads_and_tracks*%");
    ASSERT_NE(pads, body.end());
    EXPECT_EQ(std::vector<std::string>(pads + 2, body.end()),
              (std::vector<std::string>{"D16*", "D02*X0Y0*", "D02*X0Y0*", "D01*X0Y100*"}));
    plot.rv.pourOutline[1] = false;
    EXPECT_EQ(plot.body(1).size(), 7u);
}

// Every selected D-code is defined, and no selection names a code below 10.
void expectSelectionsDefined(const std::vector<std::string>& lines) {
    std::set<int> defined;
    std::regex def(R"(^%ADD(\d+))");
    std::regex sel(R"(D(\d+)\*)");
    for (const auto& line : lines) {
        std::smatch m;
        if (std::regex_search(line, m, def)) {
            defined.insert(std::stoi(m[1]));
            continue;
        }
        if (line.rfind("%", 0) == 0 || line.rfind("G04", 0) == 0) {
            continue;
        }
        for (auto it = std::sregex_iterator(line.begin(), line.end(), sel);
             it != std::sregex_iterator(); ++it) {
            int code = std::stoi((*it)[1]);
            if (code >= 10) {
                EXPECT_TRUE(defined.count(code)) << "D" << code << " selected in: " << line;
            } else {
                EXPECT_LE(code, 3) << line;
            }
        }
    }
}

TEST(LayerFile, InvariantsOverEveryLayer) {
    Plot plot({"COMP",
               "U1",
               "SO8",
               "LM358",
               "0 0 60 0 8 7",
               "0 100 60 0 8 7",
               "0 0 1 1 1",
               "CP",
               "100 100 60 60 1 28 2 13",
               "1",
               "CP",
               "200 100 60 80 2 0 1 1",
               "1",
               "FV",
               "300 300 60 28",
               "FT",
               "0 0 1000 0 10 11",
               "FA",
               "500 500 100 15 10 11",
               "FS",
               "0 0 60 1 8 7",
               "Hello",
               "FF",
               "100 100 301 201 6"});
    for (FillMode mode : {FillMode::Polygon, FillMode::Flash}) {
        plot.options.fillMode = mode;
        for (int layer : kLayerFileLayers) {
            auto lines = plot.file(layer);  // crlfLines checks every line end
            EXPECT_TRUE(lines.back().ends_with("M02*")) << "a fill flash leaves its line open";
            expectSelectionsDefined(lines);
        }
    }
    for (const auto& line : plot.host.lines) {
        EXPECT_EQ(line.find("Error"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace padloom::plot
