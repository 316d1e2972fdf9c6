#include <QImage>

#include "board/aperture_table.h"
#include "plot/gerber_header.h"
#include "support/test_support.h"
#include "view/layer_image.h"
#include "view/render/layer_renderer.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

// Relief apertures as the plotter defines them (60 and 20 mils, and a round outer-layer one),
// each flashed in the middle of a tenth of an inch drawn at 2000 dpi by the viewer and by gerbv:
// only a few antialiased edge pixels may differ (a circle flattened to a decagon gives
// thousands).
TEST(ReliefAgreement, CirclesOfReliefMacrosAreRoundAsGerbvDrawsThem) {
    if (testing::runCommand("command -v gerbv >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "gerbv not installed";
    }
    const std::pair<int, int> reliefs[] = {
        {board::kRelief, 60}, {board::kRelief, 20}, {board::kRelExtRound, 60}};
    for (auto [shape, size] : reliefs) {
        const std::string gerber =
            "%FSLAX23Y23*%\r\n%MOIN*%\r\n" +
            plot::apertureDefinition(board::ApertureEntry{shape, size, size, 10}, 6) +
            "D10*\r\nX100Y100D03*\r\nM02*\r\n";
        SCOPED_TRACE(gerber);
        testing::TempDir dir;
        const std::string file = dir.write("relief.GTL", gerber);
        const LayerImage image = readLayerBytes(file, gerber);
        const QImage ours = LayerRenderer().compose(
            {{&image, Qt::white}}, ViewWindow::over({0.05, 0.05, 0.15, 0.15}, 2000), Qt::black);
        const std::string png = dir.file("gerbv.png");
        ASSERT_EQ(testing::runCommand("gerbv -x png -a -B 0 -D 2000 -O 0.05x0.05 -W 0.1x0.1 -f "
                                      "'#FFFFFFFF' -b '#000000' -o '" +
                                      png + "' '" + file + "' >/dev/null 2>&1"),
                  0);
        const QImage theirs(QString::fromStdString(png));
        ASSERT_EQ(ours.size(), theirs.size());
        int differing = 0;
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                differing += (qGray(ours.pixel(x, y)) > 127) != (qGray(theirs.pixel(x, y)) > 127);
            }
        }
        EXPECT_LE(differing, 40);
    }
}

}  // namespace
}  // namespace padloom::view
