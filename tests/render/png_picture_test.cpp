#include "view/render/png_picture.h"

#include <cstdlib>
#include <string>

#include <QImage>

#include "view/layer_image.h"
#include "view/render/layer_renderer.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

// Pads, tracks of several pens, an arc, a region, a thermal and a clearance: a board's worth
// of shapes on 2 x 1 inches, a hundred of each, moved by `shift` mils.
std::string busyLayer(bool negative, int shift = 0) {
    std::string g = "%FSLAX23Y23*%\r\n%MOIN*%\r\n";
    if (negative) {
        g += "%IPNEG*%\r\n";
    }
    g += "%ADD10C,.060*%\r\n%ADD11R,.050X.030*%\r\n%ADD12C,.008*%\r\n%ADD13C,.001*%\r\n"
         "%AMT*7,0,0,.080,.060,.020,0*%\r\n%ADD14T*%\r\n";
    for (int i = 0; i < 100; ++i) {
        const int x = 60 + (i % 20) * 95 + shift;
        const int y = 60 + (i / 20) * 180 + shift;
        auto at = [](int px, int py) {
            return "X" + std::to_string(px) + "Y" + std::to_string(py);
        };
        g += "D10*" + at(x, y) + "D03*\r\nD11*" + at(x + 40, y + 50) + "D03*\r\n";
        g += "D12*" + at(x, y) + "D02*" + at(x + 60, y + 90) + "D01*\r\n";
        g += "D13*" + at(x, y + 100) + "D02*" + at(x + 2, y + 101) + "D01*\r\n";
        g += "G75*D12*" + at(x + 30, y + 120) + "D02*G03" + at(x + 10, y + 140) +
             "I-20J0D01*G01*\r\n";
        g += "G36*" + at(x + 50, y + 110) + "D02*" + at(x + 80, y + 110) + "D01*" +
             at(x + 80, y + 150) + "D01*" + at(x + 50, y + 110) + "D01*G37*\r\n";
        g += "D14*" + at(x + 70, y + 30) + "D03*\r\n";
        if (i % 7 == 0) {
            g += "%LPC*%D10*" + at(x + 10, y + 10) + "D03*\r\n%LPD*%\r\n";
        }
    }
    return g + "M02*\r\n";
}

int largestDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int most = 0;
    for (int r = 0; r < x.height(); ++r) {
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r);
            const QRgb q = y.pixel(c, r);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return most;
}

// A mask is drawn in bands on several threads: the same whatever their number, and a part of
// the view drawn anew (as the viewer does after a pan) or a smaller window (as the viewer
// zoomed in) shows what the whole does there.
TEST(Picture, PartsAndThreadsDrawAsTheWhole) {
    for (bool negative : {false, true}) {
        SCOPED_TRACE(negative ? "negative" : "positive");
        const LayerImage image = readLayerBytes("busy.GTL", busyLayer(negative));
        ASSERT_FALSE(image.hasErrors());
        const ViewWindow view = ViewWindow::over(Box{0, 0, 2, 1}, 300);  // 600 x 300
        const QImage whole = LayerRenderer(true, 1).mask(image, view);
        EXPECT_EQ(LayerRenderer(true, 4).mask(image, view), whole);

        QImage part = whole.copy();
        LayerRenderer renderer(true, 3);
        renderer.drawMask(image, view, part, QRect(100, 70, 123, 150));
        EXPECT_LE(largestDifference(part, whole), 2);

        // windows of a quarter inch, inside and over a corner: their pixels where they overlap
        // pixels of the whole (x 150 to 225, y 75 to 150; x 540 to 600, y 0 to 60)
        const QImage inside = renderer.mask(image, ViewWindow::over({0.5, 0.5, 0.75, 0.75}, 300));
        EXPECT_LE(largestDifference(inside, whole.copy(150, 75, 75, 75)), 2);
        const QImage corner = renderer.mask(image, ViewWindow::over({1.8, 0.8, 2.05, 1.05}, 300));
        EXPECT_LE(largestDifference(corner.copy(0, 15, 60, 60), whole.copy(540, 0, 60, 60)), 2);
    }
}

struct AreaCase {
    const char* name;
    std::string body;
    std::vector<double> dpis;  // the first draws the reference
};

class Area : public ::testing::TestWithParam<AreaCase> {};

// However few pixels a shape takes, it covers as much of the picture as it does drawn large:
// a coarse outline, a shape drawn by its area alone or a few straight pieces for a circle
// change where it lies within its pixels, not how much it covers.
TEST_P(Area, CoverageKeepsTheShapesAreaAtEveryScale) {
    const AreaCase& c = GetParam();
    const std::string header =
        "%FSLAX24Y24*%\r\n%MOIN*%\r\n%ADD10C,.060*%\r\n%ADD11R,.050X.030*%\r\n"
        "%AMT*7,0,0,.080,.060,.020,0*%\r\n%ADD12T*%\r\n%ADD13C,.010*%\r\n%ADD14O,.060X.030*%\r\n";
    const LayerImage image = readLayerBytes("shape.GTL", header + c.body + "M02*\r\n");
    ASSERT_FALSE(image.hasErrors());
    auto coverage = [&](double dpi) {
        const QImage mask =
            LayerRenderer(true, 1).mask(image, ViewWindow::over(image.extent.grown(0.05), dpi));
        double sum = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                sum += mask.constScanLine(y)[x];
            }
        }
        return sum / 255 / (dpi * dpi);  // square inches
    };
    const double reference = coverage(c.dpis.front());
    for (double dpi : c.dpis) {
        EXPECT_NEAR(coverage(dpi) / reference, 1.0, 0.04) << dpi << " dpi";
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Picture, Area, ::testing::Values(
    AreaCase{"RoundFlash", "D10*X10137Y10411D03*\r\n", {2000, 300, 40, 10}},
    AreaCase{"RectangleFlash", "D11*X10137Y10411D03*\r\n", {2000, 300, 40, 10}},
    AreaCase{"ThermalFlash", "D12*X10137Y10411D03*\r\n", {2000, 300, 60, 25, 10}},
    AreaCase{"ObroundFlash", "D14*X10137Y10411D03*\r\n", {2000, 300, 40, 10}},
    // a pen no thinner than a pixel: thinner ones are drawn a pixel wide on purpose
    AreaCase{"RoundPenLine", "D13*X10137Y10411D02*X11637Y11211D01*\r\n", {2000, 400, 100}},
    AreaCase{"RoundPenArc", "D13*G75*X10137Y10411D02*G03X9137Y11411I-1000J0D01*G01*\r\n",
             {2000, 400, 100}},
    AreaCase{"Region", "G36*X10137Y10411D02*X10537Y10411D01*X10537Y10711D01*X10137Y10411D01*"
                       "G37*\r\n", {2000, 300, 60, 10}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Rows written with each colour form and depth come back as written: indices packed in fewer
// bits, RGB rows with whichever filter suits each (a ramp, repeated rows, noise).
TEST(Picture, PngWriterRowsReadBackAsWritten) {
    const int width = 13;
    const int height = 6;
    for (const auto& [colour, depth] : {std::pair{PngWriter::Colour::Indexed, 1},
                                        {PngWriter::Colour::Indexed, 2},
                                        {PngWriter::Colour::Indexed, 4},
                                        {PngWriter::Colour::Indexed, 8},
                                        {PngWriter::Colour::Rgb, 8},
                                        {PngWriter::Colour::Rgba, 8}}) {
        SCOPED_TRACE(std::to_string(static_cast<int>(colour)) + " " + std::to_string(depth));
        const int channels = colour == PngWriter::Colour::Rgb    ? 3
                             : colour == PngWriter::Colour::Rgba ? 4
                                                                 : 1;
        const int levels = colour == PngWriter::Colour::Indexed ? 1 << depth : 256;
        auto value = [&](int x, int y, int k) {
            const int v = y < 2 ? x * 19 + k * 7 : y < 4 ? 100 + k : (x * 7919 + y * 31 + k) % 251;
            return static_cast<std::uint8_t>(v % levels);
        };
        std::vector<std::uint32_t> palette;
        for (int i = 0; i < levels && colour == PngWriter::Colour::Indexed; ++i) {
            palette.push_back(qRgba(i, 255 - i, i / 2, i == 1 ? 128 : 255));
        }
        PngWriter png(width, height, colour, depth);
        for (int y = 0; y < height; ++y) {
            std::vector<std::uint8_t> row;
            for (int x = 0; x < width; ++x) {
                for (int k = 0; k < channels; ++k) {
                    row.push_back(value(x, y, k));
                }
            }
            png.addRow(row.data());
        }
        const std::string bytes = png.finish(palette);
        QImage read;
        ASSERT_TRUE(read.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                      static_cast<int>(bytes.size()), "PNG"));
        ASSERT_EQ(read.size(), QSize(width, height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb p = read.pixel(x, y);
                const QRgb want =
                    colour == PngWriter::Colour::Indexed ? palette[value(x, y, 0)]
                    : colour == PngWriter::Colour::Rgb
                        ? qRgb(value(x, y, 0), value(x, y, 1), value(x, y, 2))
                        : qRgba(value(x, y, 0), value(x, y, 1), value(x, y, 2), value(x, y, 3));
                ASSERT_EQ(p, want) << x << "," << y;
            }
        }
    }
}

struct PngCase {
    const char* name;
    int layers;
    bool antialias;
    QColor background;
    int colourType;  // as the PNG header gives it: 3 palette, 2 RGB, 6 RGBA
    int bitDepth;
};

class Png : public ::testing::TestWithParam<PngCase> {};

// The PNG is the picture compose() draws, in the smallest form that holds it; the same bytes
// whatever the number of threads.
TEST_P(Png, HoldsThePictureInItsSmallestForm) {
    const PngCase& c = GetParam();
    const LayerImage top = readLayerBytes("busy.GTL", busyLayer(false));
    const LayerImage plane = readLayerBytes("busy.GGD", busyLayer(true, 23));
    std::vector<StyledLayer> layers;
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 0, 255, 128)};
    for (int i = 0; i < c.layers; ++i) {
        layers.push_back({i == 0 ? &top : &plane, colours[i], true});
    }
    layers.push_back({&plane, Qt::white, false});  // hidden: not drawn
    const ViewWindow view = ViewWindow::over(Box{0, 0, 2, 1}, 400);
    LayerRenderer renderer(c.antialias, 1);
    const std::string png = renderPng(renderer, layers, view, c.background);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(static_cast<int>(png[24]), c.bitDepth);
    EXPECT_EQ(static_cast<int>(png[25]), c.colourType);

    QImage read;
    ASSERT_TRUE(read.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                  static_cast<int>(png.size()), "PNG"));
    EXPECT_LE(largestDifference(read, renderer.compose(layers, view, c.background)), 1);

    LayerRenderer threaded(c.antialias, 3);
    EXPECT_EQ(renderPng(threaded, layers, view, c.background), png);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Picture, Png, ::testing::Values(
    // one layer: a palette of its coverage levels, two colours without antialiasing
    PngCase{"OneLayer", 1, true, Qt::black, 3, 8},
    PngCase{"OneLayerHardEdges", 1, false, Qt::black, 3, 1},
    PngCase{"OneLayerOverClearBackground", 1, true, QColor(0, 0, 0, 0), 3, 8},
    PngCase{"NoLayer", 0, true, QColor(10, 20, 30), 3, 1},
    // two layers without antialiasing make a few colours; with it, far more than 256
    PngCase{"TwoLayersHardEdges", 2, false, Qt::black, 3, 8},
    PngCase{"TwoLayers", 2, true, Qt::black, 2, 8},
    PngCase{"TwoLayersOverClearBackground", 2, true, QColor(0, 0, 0, 0), 6, 8}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace padloom::view
