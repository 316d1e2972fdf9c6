#include "view/render/coverage_raster.h"

#include <vector>

#include <gtest/gtest.h>

namespace padloom::view {
namespace {

// A 6 x 6 picture, all of it the target.
struct Picture {
    std::vector<std::uint8_t> bits = std::vector<std::uint8_t>(36, 0);
    CoverageTarget target() { return {bits.data(), 6, 0, 0, 6, 6}; }
    int at(int x, int y) const { return bits[static_cast<size_t>(y * 6 + x)]; }
};

std::vector<PixelPoint> rectangle(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

struct Expected {
    int x, y, level;
};
struct FillCase {
    const char* name;
    bool antialias;
    std::vector<std::vector<PixelPoint>> outlines;
    FillRule rule;
    std::vector<Expected> pixels;
};

class Fill : public ::testing::TestWithParam<FillCase> {};

// Each pixel is covered by the share of it inside the shape, or without antialiasing when its
// centre is inside.
TEST_P(Fill, CoversEachPixelByItsShare) {
    const FillCase& c = GetParam();
    Picture p;
    CoverageRaster raster(c.antialias);
    for (const auto& outline : c.outlines) {
        raster.addOutline(outline);
    }
    raster.fill(p.target(), false, c.rule);
    for (const Expected& e : c.pixels) {
        EXPECT_NEAR(p.at(e.x, e.y), e.level, 1) << e.x << "," << e.y;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Raster, Fill, ::testing::Values(
    // a rectangle from (1.25, 1.5) to (3.75, 3.5): corner pixels by both shares
    FillCase{"RectangleShares", true, {rectangle(1.25, 1.5, 3.75, 3.5)}, FillRule::NonZero,
             {{1, 1, 96}, {2, 1, 128}, {3, 1, 96}, {1, 2, 191}, {2, 2, 255}, {0, 2, 0}, {4, 2, 0},
              {2, 4, 0}}},
    // a diagonal edge halves the pixels it crosses
    FillCase{"TriangleHalves", true, {{{0, 0}, {4, 0}, {0, 4}}}, FillRule::NonZero,
             {{0, 0, 255}, {3, 0, 128}, {1, 2, 128}, {2, 2, 0}}},
    // the same outline turning the other way covers the same
    FillCase{"EitherTurn", true, {{{0, 4}, {4, 0}, {0, 0}}}, FillRule::NonZero,
             {{0, 0, 255}, {3, 0, 128}, {2, 2, 0}}},
    // a square inside a square, both turning the same way: filled by non-zero winding, a
    // hole by even-odd
    FillCase{"NestedNonZero", true, {rectangle(0, 0, 6, 6), rectangle(2, 2, 4, 4)},
             FillRule::NonZero, {{3, 3, 255}, {1, 1, 255}}},
    FillCase{"NestedEvenOdd", true, {rectangle(0, 0, 6, 6), rectangle(2, 2, 4, 4)},
             FillRule::EvenOdd, {{3, 3, 0}, {1, 1, 255}}},
    // far beyond the picture on every side
    FillCase{"ReachingOutside", true, {rectangle(-100, -50, 80, 90)}, FillRule::NonZero,
             {{0, 0, 255}, {5, 5, 255}, {5, 0, 255}}},
    // hard edges: the pixels whose centres are inside, a centre on the top or left edge in
    FillCase{"CentresWithoutAntialiasing", false, {rectangle(0.4, 0.5, 2.6, 2.4)},
             FillRule::NonZero, {{0, 0, 255}, {2, 0, 255}, {3, 0, 0}, {0, 1, 255}, {0, 2, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(Raster, ClearTakesAwayAndDarkLaysOver) {
    Picture p;
    CoverageRaster raster(true);
    raster.addOutline(rectangle(0, 0, 6, 3));
    raster.fill(p.target(), false);
    // half a pixel wide, over a covered and an empty row
    raster.addOutline(rectangle(2, 2, 2.5, 4));
    raster.fill(p.target(), true);
    EXPECT_NEAR(p.at(2, 2), 128, 1);
    EXPECT_EQ(p.at(3, 2), 255);
    EXPECT_EQ(p.at(2, 3), 0);
    raster.addOutline(rectangle(2, 3, 2.5, 4));
    raster.fill(p.target(), false);
    raster.addOutline(rectangle(2, 3, 2.5, 4));
    raster.fill(p.target(), false);
    EXPECT_NEAR(p.at(2, 3), 191, 1);  // a half over a half: three quarters
}

TEST(Raster, ATargetTakesOnlyItsPartOfThePicture) {
    Picture p;
    // the right half of rows 2 to 3 of the picture
    const CoverageTarget part{p.bits.data() + 2 * 6 + 3, 6, 3, 2, 3, 2};
    CoverageRaster raster(true);
    raster.addOutline(rectangle(0, 0, 6, 6));
    raster.fill(part, false);
    int covered = 0;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            covered += p.at(x, y) == 255;
            EXPECT_EQ(p.at(x, y) == 255, x >= 3 && y >= 2 && y < 4) << x << "," << y;
        }
    }
    EXPECT_EQ(covered, 6);
}

TEST(Raster, SpeckSharesItsAreaAmongThePixelsItsBoxReaches) {
    Picture p;
    CoverageRaster raster(true);
    raster.fillSpeck(p.target(), false, 1.5, 1.5, 1, 1, 0.5);  // one pixel, half covered
    EXPECT_EQ(p.at(1, 1), 128);
    raster.fillSpeck(p.target(), false, 4, 4, 1, 1, 0.8);  // the corner of four pixels
    for (auto [x, y] : {std::pair{3, 3}, {4, 3}, {3, 4}, {4, 4}}) {
        EXPECT_EQ(p.at(x, y), 51) << x << "," << y;
    }
    raster.fillSpeck(p.target(), false, 2.5, 0.5, 2, 1, 1.0);  // two pixels long, over three
    EXPECT_EQ(p.at(0, 0), 0);
    EXPECT_EQ(p.at(1, 0), 64);
    EXPECT_EQ(p.at(2, 0), 128);
    EXPECT_EQ(p.at(3, 0), 64);
}

}  // namespace
}  // namespace padloom::view
