#include "nets/geometry.h"

#include <cmath>
#include <random>
#include <set>

#include "nets/polygon_ops.h"
#include "nets/spatial_grid.h"
#include <gtest/gtest.h>

namespace padloom::nets {
namespace {

PolygonStore polygons;

Shape disc(std::int64_t x, std::int64_t y, std::int64_t r) {
    return Shape::point(Pt{x, y}, r);
}
Shape track(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t r) {
    return Shape::segment(Pt{x1, y1}, Pt{x2, y2}, r);
}
Shape box(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    return Shape::box(Pt{x0, y0}, Pt{x1, y1});
}

struct TouchCase {
    const char* what;
    Shape a;
    Shape b;
    bool touch;
};

std::ostream& operator<<(std::ostream& os, const TouchCase& c) {
    return os << c.what;
}

// Coordinates in units; the far corner of the board range checks that nothing overflows.
constexpr std::int64_t kFar = units(kMaxMils);

// clang-format off
const TouchCase kTouchCases[] = {
    {"discs whose edges meet", disc(0, 0, 50), disc(100, 0, 50), true},
    {"discs a unit apart", disc(0, 0, 50), disc(101, 0, 50), false},
    // 3-4-5: the disc's centre is 5000 from the box corner
    {"a disc reaching a box corner exactly", box(0, 0, 100, 100), disc(3100, 4100, 5000), true},
    {"a disc a unit short of a box corner", box(0, 0, 100, 100), disc(3100, 4100, 4999), false},
    {"a track end on a pad's edge", track(0, 0, 965, 0, 5), disc(1000, 0, 30), true},
    {"a track end a unit short of a pad's edge", track(0, 0, 964, 0, 5), disc(1000, 0, 30), false},
    {"crossing tracks of no width", track(0, 0, 100, 100, 0), track(0, 100, 100, 0, 0), true},
    {"parallel tracks whose edges meet", track(0, 0, 100, 0, 5), track(0, 10, 100, 10, 5), true},
    {"parallel tracks a unit apart", track(0, 0, 100, 0, 5), track(0, 10, 100, 10, 4), false},
    {"a track ending on a slanting track", track(0, 0, 300, 400, 0), track(0, 800, 600, 0, 0), true},
    {"a track ending a unit off a slanting track", track(0, 0, 300, 399, 0), track(0, 800, 600, 0, 0), false},
    {"boxes sharing an edge", box(0, 0, 100, 100), box(100, 0, 200, 100), true},
    {"boxes a unit apart", box(0, 0, 100, 100), box(101, 0, 200, 100), false},
    {"a box inside a box", box(0, 0, 100, 100), box(40, 40, 60, 60), true},
    {"a track inside a box", box(0, 0, 100, 100), track(10, 10, 90, 20, 1), true},
    {"a track across a box", box(0, 0, 100, 100), track(-50, 50, 150, 50, 0), true},
    {"discs at the far corner of the range", disc(kFar, kFar, 1), disc(kFar - 2, kFar, 1), true},
    {"tracks from corner to corner of the range", track(-kFar, -kFar, kFar, kFar, 0),
     track(-kFar, kFar, kFar - 1, -kFar, 0), true},
};
// clang-format on

class Touches : public ::testing::TestWithParam<TouchCase> {};

TEST_P(Touches, IsExactToTheUnit) {
    const TouchCase& c = GetParam();
    EXPECT_EQ(touches(c.a, c.b, polygons), c.touch);
    EXPECT_EQ(touches(c.b, c.a, polygons), c.touch);
}

INSTANTIATE_TEST_SUITE_P(Shapes, Touches, ::testing::ValuesIn(kTouchCases));

TEST(Octagon, HasFlatSidesOnTheAxesAndCornersOnItsCircle) {
    PolygonStore store;
    // 2000 across the corners: the flats are 1000 cos 22.5 = 923.9 from the centre
    const Shape octagon = octagonShape(Pt{0, 0}, 2000, store);
    EXPECT_TRUE(touches(octagon, disc(923, 0, 0), store));
    EXPECT_FALSE(touches(octagon, disc(926, 0, 0), store));
    EXPECT_TRUE(touches(octagon, disc(653, 653, 0), store));  // on the slanting flat
    EXPECT_FALSE(touches(octagon, disc(700, 700, 0), store));

    // a bar turned 45 degrees, 100 wide, from (0, 0) to (1000, 1000): square ends
    const Shape bar = barShape(Pt{0, 0}, Pt{1000, 1000}, 100, store);
    EXPECT_TRUE(touches(bar, disc(535, 465, 0), store));
    EXPECT_FALSE(touches(bar, disc(545, 455, 0), store));
    EXPECT_FALSE(touches(bar, disc(-20, -20, 0), store));
}

// Clearances go round their copper: every corner of the ring lies outside the shape and no
// further out than the sag, and every edge of the ring stays outside the shape.
TEST(RingAround, EnclosesTheShapeWithinTheSag) {
    PolygonStore store;
    const std::int64_t sag = 16;
    const Shape shapes[] = {disc(0, 0, 2112), disc(5, 5, 100), track(0, 0, 5000, 3000, 448),
                            Shape::segment(Pt{0, 0}, Pt{0, 800}, 960)};
    for (const Shape& s : shapes) {
        const Ring ring = ringAround(s, store, sag);
        ASSERT_GE(ring.size(), 8u);
        for (size_t i = 0; i < ring.size(); ++i) {
            const Pt& p = ring[i];
            const Pt& q = ring[(i + 1) % ring.size()];
            const Shape corner = Shape::point(p, 0);
            EXPECT_FALSE(touches(corner, s, store)) << "a corner on or in the shape";
            EXPECT_TRUE(touches(corner, s, store, sag)) << "a corner beyond the sag";
            EXPECT_FALSE(touches(Shape::segment(p, q, 0), s, store)) << "an edge into the shape";
        }
    }
    // a box is its own ring
    const Shape b = box(0, 0, 640, 320);
    EXPECT_EQ(ringAround(b, store, sag), (Ring{{0, 0}, {640, 0}, {640, 320}, {0, 320}}));
}

TEST(QuarterArc, EndsOnTheAxesAndChordsStayWithinTheSag) {
    // bit 1 runs from the top point to the right point, 2 left to top, 4 bottom to left, 8
    // right to bottom
    const std::pair<Pt, Pt> ends[] = {{{0, 1000}, {1000, 0}},
                                      {{-1000, 0}, {0, 1000}},
                                      {{0, -1000}, {-1000, 0}},
                                      {{1000, 0}, {0, -1000}}};
    for (int k = 0; k < 4; ++k) {
        const std::vector<Pt> points = quarterArcPoints(Pt{0, 0}, 1000, 1 << k, 1);
        ASSERT_GE(points.size(), 3u);
        EXPECT_EQ(points.front(), ends[k].first);
        EXPECT_EQ(points.back(), ends[k].second);
        for (size_t i = 1; i < points.size(); ++i) {
            const double mx = (points[i - 1].x + points[i].x) / 2.0;
            const double my = (points[i - 1].y + points[i].y) / 2.0;
            EXPECT_LE(1000 - std::hypot(mx, my), 1.5);  // the chord's sag, rounding included
        }
    }
}

// The grid gives every pair of meeting boxes once, and every box a query meets, as looking at
// all of them would.
TEST(SpatialGrid, FindsWhatABruteForceSearchFinds) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int64_t> place(0, 100000), size(0, 3000), big(0, 40000);
    std::vector<Box> boxes;
    for (int i = 0; i < 600; ++i) {
        const std::int64_t x = place(random), y = place(random);
        const std::int64_t s = i % 50 == 0 ? big(random) : size(random);
        boxes.push_back(i % 97 == 0 ? Box{} : Box{x, y, x + s, y + s / 2});
    }
    SpatialGrid grid(boxes);
    std::multiset<std::pair<std::uint32_t, std::uint32_t>> found, expected;
    grid.forEachMeetingPair([&](std::uint32_t i, std::uint32_t j) { found.emplace(i, j); });
    for (std::uint32_t i = 0; i < boxes.size(); ++i) {
        for (std::uint32_t j = i + 1; j < boxes.size(); ++j) {
            if (!boxes[i].empty() && !boxes[j].empty() && boxes[i].meets(boxes[j])) {
                expected.emplace(i, j);
            }
        }
    }
    EXPECT_EQ(found, expected);

    const Box query{20000, 20000, 45000, 30000};
    std::multiset<std::uint32_t> met, wanted;
    grid.forEachMeeting(query, [&](std::uint32_t i) { met.insert(i); });
    for (std::uint32_t i = 0; i < boxes.size(); ++i) {
        if (!boxes[i].empty() && boxes[i].meets(query)) {
            wanted.insert(i);
        }
    }
    EXPECT_EQ(met, wanted);
}

TEST(PolygonOps, SubtractsIntoPiecesWithTheirHoles) {
    const Ring square{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};
    const Ring bar{{-10, 450}, {1010, 450}, {1010, 550}, {-10, 550}};
    const Ring hole{{200, 200}, {300, 200}, {300, 300}, {200, 300}};
    // a bar across cuts the square in two; a hole inside makes a hole
    EXPECT_EQ(subtract({square}, {bar}).size(), 2u);
    const std::vector<Piece> holed = subtract({square}, {hole});
    ASSERT_EQ(holed.size(), 1u);
    EXPECT_EQ(holed[0].holes.size(), 1u);
    EXPECT_TRUE(inside(Pt{100, 100}, holed[0]));
    EXPECT_FALSE(inside(Pt{250, 250}, holed[0]));
    EXPECT_TRUE(inside(Pt{200, 250}, holed[0]));   // on the hole's edge
    EXPECT_TRUE(inside(Pt{1000, 500}, holed[0]));  // on the outer edge
    EXPECT_FALSE(inside(Pt{1001, 500}, holed[0]));
    // the same square drawn the other way round unites with the first, not cancels it
    const Ring backwards{{0, 0}, {0, 1000}, {1000, 1000}, {1000, 0}};
    EXPECT_EQ(unite({square, backwards}).size(), 1u);
    EXPECT_EQ(clip({square}, Box{500, -100, 2000, 2000}).size(), 1u);
    EXPECT_TRUE(clip({square}, Box{1500, 0, 2000, 100}).empty());
}

}  // namespace
}  // namespace padloom::nets
