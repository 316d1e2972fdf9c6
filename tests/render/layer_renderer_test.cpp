#include "view/render/layer_renderer.h"

#include <QImage>

#include "support/test_support.h"
#include "view/layer_image.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

const std::string kHeader =
    "%FSLAX23Y23*%\r\n%MOIN*%\r\n%ADD10C,.100*%\r\n%ADD11R,.100X.040*%\r\n"
    "%AMT*7,0,0,.400,.300,.060,0*%\r\n%ADD12T*%\r\n";

// Where a drawing must cover the board and where it must leave it empty: one case per rule of
// the picture (polarity, image polarity, macro gaps, pens, arcs, regions, the y direction).
struct Probe {
    double x;
    double y;
    bool covered;
};
struct DrawCase {
    const char* name;
    std::string body;
    std::vector<Probe> probes;
    std::string header = kHeader;
};

class Drawing : public ::testing::TestWithParam<DrawCase> {};

TEST_P(Drawing, CoversWhereMeant) {
    const DrawCase& c = GetParam();
    LayerImage image = readLayerBytes("t.GTL", c.header + c.body + "M02*\r\n");
    ASSERT_FALSE(image.hasErrors());
    ViewWindow view = ViewWindow::over(Box{0, 0, 2, 1}, 100);  // 200 x 100 pixels
    ASSERT_EQ(view.size, QSize(200, 100));
    QImage mask = LayerRenderer(false).mask(image, view);
    for (const Probe& p : c.probes) {
        int px = static_cast<int>(p.x * 100);
        int py = 99 - static_cast<int>(p.y * 100);
        EXPECT_EQ(qAlpha(mask.pixel(px, py)) > 127, p.covered) << p.x << "," << p.y;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Render, Drawing, ::testing::Values(
    DrawCase{"FlashUpIsUp", "D10*X1000Y800D03*\r\n",
             {{1.0, 0.8, true}, {1.0, 0.2, false}, {1.04, 0.8, true}, {1.07, 0.8, false}}},
    DrawCase{"ClearPolarityErases", "G36*X200Y200D02*X1800Y200D01*X1800Y800D01*X200Y800D01*"
                                    "X200Y200D01*G37*\r\n%LPC*%D10*X1000Y500D03*\r\n%LPD*%\r\n",
             {{1.0, 0.5, false}, {0.5, 0.5, true}, {1.9, 0.5, false}}},
    // a plane: a field over the file's extent, the outline and the clearance cleared from it
    DrawCase{"NegativeImageClearsWhatIsDrawn",
             "D10*X1000Y500D03*\r\nX100Y100D02*X1900Y100D01*X1900Y900D01*X100Y900D01*"
             "X100Y100D01*\r\n",
             {{1.0, 0.5, false}, {0.3, 0.3, true}, {0.1, 0.5, false}, {1.97, 0.5, false}},
             "%FSLAX23Y23*%\r\n%MOIN*%\r\n%IPNEG*%\r\n%ADD10C,.100*%\r\n"},
    DrawCase{"ThermalLeavesHoleAndGaps", "D12*X1000Y500D03*\r\n",
             {{1.0, 0.5, false}, {1.18, 0.5, false}, {1.0, 0.68, false},
              {1.12, 0.62, true}, {0.88, 0.38, true}, {1.25, 0.5, false}}},
    DrawCase{"RectangleSweptAlongADiagonal", "D11*X200Y200D02*X800Y700D01*\r\n",
             {{0.155, 0.185, true}, {0.845, 0.715, true}, {0.5, 0.45, true}, {0.2, 0.7, false}}},
    DrawCase{"RoundPenRoundEnds", "D10*X200Y500D02*X1800Y500D01*\r\n",
             {{0.16, 0.5, true}, {0.155, 0.455, false}, {1.0, 0.54, true}, {1.0, 0.57, false}}},
    DrawCase{"QuarterArcBulgesTheRightWay", "D10*G75*X1400Y500D02*G03X1000Y900I-400J0D01*\r\n",
             {{1.0 + 0.4 * 0.7071, 0.5 + 0.4 * 0.7071, true}, {1.0, 0.5, false},
              {0.6, 0.5, false}}},
    // a quarter disc: the arc edge, not its chord, bounds it
    DrawCase{"RegionWithArcEdge", "G75*G36*X1000Y100D02*X1400Y100D01*X1400Y500D01*"
                                  "G03X1000Y100I0J-400D01*G37*G01*\r\n",
             {{1.3, 0.2, true}, {1.05, 0.45, false}, {1.15, 0.35, true}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(Render, LayersStackBottomFirstAndDrillsOnTop) {
    std::string copper = kHeader + "D10*X500Y500D03*\r\nM02*\r\n";
    LayerImage top = readLayerBytes("b.GTL", copper);
    LayerImage bottom = readLayerBytes("b.GBL", copper);
    LayerImage drill = readLayerBytes(
        "b.TXT", testing::crlf({"M48", "M72", "T01C0.060", "%", "T01", "X00500Y00500", "M30"}));
    std::vector<const LayerImage*> images{&drill, &top, &bottom};
    EXPECT_EQ(stackOrder(images), (std::vector<size_t>{2, 1, 0}));

    // copper layers by their number from the top down: the ground plane next to the top, the
    // power plane next to the bottom; where the files say their copper layer, by that number,
    // whatever their names
    LayerImage power = readLayerBytes("b.GPW", copper);
    LayerImage ground = readLayerBytes("b.GGD", copper);
    LayerImage mid = readLayerBytes("b.GM1", copper);
    images = {&power, &top, &mid, &bottom, &ground};
    EXPECT_EQ(stackOrder(images), (std::vector<size_t>{3, 0, 2, 4, 1}));
    std::vector<LayerImage> named;
    for (const char* function :
         {"Copper,L3,Inr", "Copper,L1,Top", "Copper,L4,Bot", "Copper,L2,Inr,Plane"}) {
        named.push_back(readLayerBytes(
            "b-layer.gbr", "%TF.FileFunction," + std::string(function) + "*%\r\n" + copper));
    }
    images = {&named[0], &named[1], &named[2], &named[3]};
    EXPECT_EQ(stackOrder(images), (std::vector<size_t>{2, 0, 3, 1}));

    ViewWindow view = ViewWindow::over(Box{0, 0, 1, 1}, 50);
    LayerRenderer renderer(false);
    QImage picture = renderer.compose({{&bottom, QColor(0, 0, 255), true},
                                       {&top, QColor(255, 0, 0), true},
                                       {&drill, QColor(255, 255, 255), true}},
                                      view, Qt::black);
    EXPECT_EQ(picture.pixelColor(25, 25), QColor(255, 255, 255));  // the hole
    EXPECT_EQ(picture.pixelColor(23, 25), QColor(255, 0, 0));      // top copper over bottom
    EXPECT_EQ(picture.pixelColor(5, 5), QColor(0, 0, 0));
    picture = renderer.compose(
        {{&bottom, QColor(0, 0, 255), true}, {&top, QColor(255, 0, 0), false}}, view, Qt::black);
    EXPECT_EQ(picture.pixelColor(23, 25), QColor(0, 0, 255));  // top hidden
}

}  // namespace
}  // namespace padloom::view
