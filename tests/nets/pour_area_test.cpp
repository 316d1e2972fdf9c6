#include "nets/pour_area.h"

#include <cmath>
#include <random>

#include <gtest/gtest.h>

namespace padloom::nets {
namespace {

__extension__ typedef __int128 Wide;

// The winding number of the rings at p moved up and right by an infinitely small amount (up by
// less), each ring counted counter-clockwise: what the pour's area is made of.
std::int64_t windingNumber(const Rings& rings, const Pt& p, bool eachPositive) {
    std::int64_t total = 0;
    for (const Ring& ring : rings) {
        double area = 0;
        std::int64_t w = 0;
        for (size_t i = 0; i < ring.size(); ++i) {
            const Pt& a = ring[i];
            const Pt& b = ring[(i + 1) % ring.size()];
            area += double(a.x) * double(b.y) - double(b.x) * double(a.y);
            if ((a.y <= p.y) == (b.y <= p.y)) {
                continue;
            }
            // the crossing of the ray at height p.y + ε² lies right of p.x + ε
            const Wide c = Wide{b.x - a.x} * (p.y - a.y) - Wide{b.y - a.y} * (p.x - a.x);
            const bool left = c > 0 || (c == 0 && b.y < a.y);
            w += a.y <= p.y ? (left ? 1 : 0) : (left ? 0 : -1);
        }
        total += eachPositive && area < 0 ? -w : w;
    }
    return total;
}

double distanceToSegment(const Pt& p, const Pt& a, const Pt& b) {
    const double ex = double(b.x - a.x), ey = double(b.y - a.y);
    const double t =
        std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
    return std::hypot(double(p.x) - (double(a.x) + t * ex), double(p.y) - (double(a.y) + t * ey));
}

bool nearAnEdge(const Rings& rings, const Pt& p, double within) {
    for (const Ring& ring : rings) {
        for (size_t i = 0; i < ring.size(); ++i) {
            if (distanceToSegment(p, ring[i], ring[(i + 1) % ring.size()]) <= within) {
                return true;
            }
        }
    }
    return false;
}

// Cuts the area into boxes of at most `most` edges (or that are whole or empty), as the pours
// are cut, and gives each leaf.
void leaves(const PourArea& area, const PourRegion& region, size_t most,
            std::vector<std::pair<PourRegion, PourArea::Fill>>& out) {
    const PourArea::Fill fill = area.fill(region);
    const Box& b = region.box;
    if (fill == PourArea::Fill::None) {
        return;
    }
    if (fill == PourArea::Fill::Whole || region.edges.size() <= most ||
        std::max(b.x1 - b.x0, b.y1 - b.y0) < 16) {
        out.emplace_back(region, fill);
        return;
    }
    Box halves[2] = {b, b};
    if (b.x1 - b.x0 >= b.y1 - b.y0) {
        halves[0].x1 = halves[1].x0 = b.x0 + (b.x1 - b.x0) / 2;
    } else {
        halves[0].y1 = halves[1].y0 = b.y0 + (b.y1 - b.y0) / 2;
    }
    for (const Box& half : halves) {
        leaves(area, area.part(region, half), most, out);
    }
}

struct OutlineCase {
    const char* name;
    Rings outlines;
};

Ring star(int points, int step, std::int64_t radius, bool clockwise = false) {
    Ring ring;
    for (int i = 0; i < points; ++i) {
        const double t = 2 * 3.14159265358979 * i * step / points * (clockwise ? -1 : 1);
        ring.push_back(Pt{std::llround(radius * std::cos(t)), std::llround(radius * std::sin(t))});
    }
    return ring;
}

Ring randomRing(std::mt19937& random, int points, std::int64_t size) {
    std::uniform_int_distribution<std::int64_t> place(0, size);
    Ring ring;
    for (int i = 0; i < points; ++i) {
        ring.push_back(Pt{place(random), place(random)});
    }
    return ring;
}

std::vector<OutlineCase> outlineCases() {
    std::mt19937 random(11);
    const Ring square{{0, 0}, {64000, 0}, {64000, 64000}, {0, 64000}};
    const Ring hole{{16000, 16000}, {16000, 48000}, {48000, 48000}, {48000, 16000}};
    return {
        {"a square", {square}},
        {"a square drawn clockwise", {Ring(square.rbegin(), square.rend())}},
        // the second ring, drawn the other way round, still adds to the first
        {"two overlapping squares",
         {square, {{32000, 32000}, {32000, 96000}, {96000, 96000}, {96000, 32000}}}},
        {"a square with a ring inside it", {square, hole}},
        {"a bow tie", {{{0, 0}, {64000, 64000}, {64000, 0}, {0, 64000}}}},
        {"a pentagram", {star(5, 2, 50000)}},
        {"a star of 101 points, step 50", {star(101, 50, 50000)}},
        {"a star of 200 points wound 7 times", {star(200, 7, 50000, true)}},
        {"a random self-crossing ring", {randomRing(random, 60, 100000)}},
        {"three random rings",
         {randomRing(random, 20, 100000), randomRing(random, 30, 60000),
          randomRing(random, 25, 100000)}},
    };
}

class PourAreaCases : public ::testing::TestWithParam<OutlineCase> {};

// Box by box, the pour is where the outlines' winding numbers do not add up to zero, as if the
// area were worked out whole: at random points (but those within a unit of an edge, where the
// crossings with the boxes' edges are rounded), the leaf that holds the point says it is pour
// exactly when the whole outlines say so.
TEST_P(PourAreaCases, IsWhereTheWindingNumberIsNotZero) {
    const Rings& outlines = GetParam().outlines;
    const PourArea area(outlines);
    ASSERT_FALSE(area.empty());
    const PourRegion whole = area.whole();
    for (const size_t most : {size_t{4}, size_t{64}}) {
        std::vector<std::pair<PourRegion, PourArea::Fill>> cut;
        leaves(area, whole, most, cut);
        std::mt19937 random(3);
        std::uniform_int_distribution<std::int64_t> x(whole.box.x0, whole.box.x1);
        std::uniform_int_distribution<std::int64_t> y(whole.box.y0, whole.box.y1);
        int checked = 0;
        for (int k = 0; k < 3000; ++k) {
            const Pt p{x(random), y(random)};
            if (nearAnEdge(outlines, p, 2.0)) {
                continue;
            }
            bool pour = false;
            for (const auto& [region, fill] : cut) {
                const Box& b = region.box;
                if (p.x < b.x0 || p.x >= b.x1 || p.y < b.y0 || p.y >= b.y1) {
                    continue;
                }
                pour = fill == PourArea::Fill::Whole ||
                       windingNumber(area.rings(region), p, false) != 0;
            }
            ASSERT_EQ(pour, windingNumber(outlines, p, true) != 0)
                << "at " << p.x << "," << p.y << " in boxes of " << most << " edges";
            ++checked;
        }
        EXPECT_GT(checked, 2000);
    }
}

// A star of 10,000 points, each joined to the one 4,001 further round, crosses itself some
// 20 million times; cut into boxes of at most 64 edges where its winding number is not known to
// stay off zero, its boxes hold each edge a few times over, as the crossings that shape its
// edge do not fill the boxes that are all pour.
TEST(PourArea, FindsASelfCrossingOutlineWithoutAllItsCrossings) {
    const PourArea area({star(10000, 4001, 5000 * 64)});
    std::vector<std::pair<PourRegion, PourArea::Fill>> cut;
    leaves(area, area.whole(), 64, cut);
    size_t edges = 0;
    for (const auto& [region, fill] : cut) {
        edges += fill == PourArea::Fill::Whole ? 0 : region.edges.size();
    }
    EXPECT_LT(edges, 8 * 10000u);
    EXPECT_LT(cut.size(), 8000u);
}

INSTANTIATE_TEST_SUITE_P(Outlines, PourAreaCases, ::testing::ValuesIn(outlineCases()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace padloom::nets
