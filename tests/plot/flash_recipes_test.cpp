#include "plot/flash_recipes.h"

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using Shape = StandardAperture::Shape;

StandardAperture circle(long long d, long long hole = 0) {
    return {Shape::Circle, d, d, hole};
}
StandardAperture rectangle(long long x, long long y) {
    return {Shape::Rectangle, x, y, 0};
}

// The points of a contour as "x,y" with the arcs' turn: "10,39 >39,10 28,10 <10,28".
std::string pointsOf(const Contour& contour) {
    std::string text;
    for (const ContourPoint& p : contour) {
        text += text.empty() ? "" : " ";
        text += p.reach == Reach::Clockwise ? ">" : p.reach == Reach::CounterClockwise ? "<" : "";
        text += std::to_string(p.x) + "," + std::to_string(p.y);
        if (p.reach != Reach::Line) {
            EXPECT_EQ(p.cx, 0);
            EXPECT_EQ(p.cy, 0);
        }
    }
    return text;
}

TEST(MacroFreeShape, StandardAperturesAndRegionsOfEachMacro) {
    struct Case {
        board::ApertureEntry entry;
        std::vector<StandardAperture> apertures;
        std::vector<std::string> contours;
    };
    // clang-format off
    const Case cases[] = {
        // rings as thick as their gaps (a tenth of the size, as the macro writes it: 6.7 is 7);
        // the ring that reaches the centre is a disc
        {{board::kMoire, 100, 100, 20}, {circle(100, 80), circle(60, 40), circle(20)}, {}},
        {{board::kMoire, 67, 67, 20}, {circle(67, 53), circle(39, 25), circle(11)}, {}},
        // bars a twentieth of the size thick, 2.5 written as 3
        {{board::kCrosshair, 100, 100, 20}, {rectangle(100, 5), rectangle(5, 100)}, {}},
        {{board::kCrosshair, 50, 50, 20}, {rectangle(50, 3), rectangle(3, 50)}, {}},
        {{board::kRelExtRRect, 60, 80, 20}, {rectangle(60, 80)}, {}},
        // the pad and two spokes 15 wide, 2 x 34 long, turned by 45 degrees both ways
        {{board::kRelExtRound, 60, 60, 20}, {circle(60)},
         {"-19,-29 29,19 19,29 -29,-19 -19,-29", "-29,19 19,-29 29,-19 -19,29 -29,19"}},
        {{board::kRelExtRect, 60, 80, 20}, {rectangle(60, 80)}, {}},
        // a ring from 30 to 40 with gaps 20 wide: a piece in each quadrant, a quarter turn apart
        {{board::kRelief, 60, 60, 20}, {},
         {"10,39 >39,10 28,10 <10,28 10,39", "-39,10 >-10,39 -10,28 <-28,10 -39,10",
          "-10,-39 >-39,-10 -28,-10 <-10,-28 -10,-39", "39,-10 >10,-39 10,-28 <28,-10 39,-10"}},
        // a relief of a 0 pad: a ring from 0 to 10 without gaps, four quarter discs
        {{board::kRelief, 0, 0, 20}, {},
         {"0,10 >10,0 0,0 0,10", "-10,0 >0,10 0,0 -10,0", "0,-10 >-10,0 0,0 0,-10",
          "10,0 >0,-10 0,0 10,0"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.entry.shape) + " " + std::to_string(c.entry.xSize));
        const std::optional<MacroFreeShape> shape = macroFreeShape(c.entry, 6);
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->apertures, c.apertures);
        if (c.entry.shape == board::kRelExtRect) {
            // spokes 15 wide turned by the pad's diagonal, 53 degrees: two bars
            EXPECT_EQ(shape->contours.size(), 2u);
            continue;
        }
        std::vector<std::string> contours;
        for (const Contour& contour : shape->contours) {
            contours.push_back(pointsOf(contour));
        }
        EXPECT_EQ(contours, c.contours);
    }
    for (int standard : {board::kCircular, board::kRectangular, board::kRoundRect,
                         board::kOctagonal}) {
        EXPECT_FALSE(macroFreeShape({standard, 60, 60, 20}, 6));
    }
}

}  // namespace
}  // namespace padloom::plot
