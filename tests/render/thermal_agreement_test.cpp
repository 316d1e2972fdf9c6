#include <QImage>

#include "board/aperture_table.h"
#include "plot/gerber_header.h"
#include "render/picture_compare.h"
#include "support/test_support.h"
#include "view/layer_image.h"
#include "view/render/layer_renderer.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

// Relief apertures as the plotter defines them, each flashed once in the middle of a picture
// a tenth of an inch wide, drawn by the viewer and by gerbv at 2000 dpi: the circles of the
// macros are round to the pixel, not the polygons of a coarse flattening.
struct ReliefCase {
    const char* name;
    int shape;
    int size;  // mils
};

class ReliefAgreement : public ::testing::TestWithParam<ReliefCase> {};

TEST_P(ReliefAgreement, MatchesGerbvToThePixel) {
    if (testing::runCommand("command -v gerbv >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "gerbv not installed";
    }
    const ReliefCase& c = GetParam();
    const std::string definition =
        plot::apertureDefinition(board::ApertureEntry{c.shape, c.size, c.size, 10}, 6);
    ASSERT_FALSE(definition.empty());
    const std::string gerber =
        "%FSLAX23Y23*%\r\n%MOIN*%\r\n" + definition + "G01*\r\nD10*\r\nX100Y100D03*\r\nM02*\r\n";
    testing::TempDir dir;
    const std::string file = dir.write("relief.GTL", gerber);

    constexpr int kDpi = 2000;
    LayerImage image = readLayerBytes(file, gerber);
    ASSERT_FALSE(image.hasErrors());
    ViewWindow view = ViewWindow::over(Box{0.05, 0.05, 0.15, 0.15}, kDpi);
    ASSERT_EQ(view.size, QSize(200, 200));
    QImage ours = LayerRenderer().compose({{&image, Qt::white, true}}, view, Qt::black);

    const std::string theirs = dir.file("gerbv.png");
    ASSERT_EQ(testing::runCommand("gerbv -x png -a -B 0 -D " + std::to_string(kDpi) +
                                  " -O 0.05x0.05 -W 0.1x0.1 -f '#FFFFFFFF' -b '#000000' -o '" +
                                  theirs + "' '" + file + "' >/dev/null 2>&1"),
              0);
    EXPECT_EQ(differingPixels(ours, QImage(QString::fromStdString(theirs))), 0) << definition;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Render, ReliefAgreement, ::testing::Values(
    ReliefCase{"Therm60", board::kRelief, 60},
    ReliefCase{"Therm20", board::kRelief, 20},
    ReliefCase{"ExternalRound60", board::kRelExtRound, 60}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace padloom::view
