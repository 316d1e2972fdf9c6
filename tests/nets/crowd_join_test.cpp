#include "nets/crowd_join.h"

#include <functional>
#include <random>
#include <set>

#include "nets/spatial_grid.h"
#include <gtest/gtest.h>

namespace padloom::nets {
namespace {

// Tracks of copper with sets of their own, counting every look at one (a touch test of two, or
// of one against a region).
struct Tracks {
    std::vector<Shape> shapes;
    std::vector<Box> boxes;
    std::vector<std::uint32_t> parent;
    PolygonStore none;
    size_t looks = 0;

    void add(Pt a, Pt b, std::int64_t radius) {
        shapes.push_back(Shape::segment(a, b, radius));
        boxes.push_back(boxOf(shapes.back(), none));
        parent.push_back(static_cast<std::uint32_t>(parent.size()));
    }
    std::uint32_t root(std::uint32_t i) {
        while (parent[i] != i) {
            i = parent[i] = parent[parent[i]];
        }
        return i;
    }
    const Box& box(std::uint32_t i) const { return boxes[i]; }
    bool reaches(std::uint32_t i, const Box& r) {
        ++looks;
        return touches(shapes[i], Shape::box(Pt{r.x0, r.y0}, Pt{r.x1, r.y1}), none);
    }
    bool join(std::uint32_t i, std::uint32_t j) {
        ++looks;
        if (!touches(shapes[i], shapes[j], none)) {
            return false;
        }
        parent[root(i)] = root(j);
        return true;
    }
    Box bounds() const {
        Box all;
        for (const Box& b : boxes) {
            all.add(b);
        }
        return all;
    }
    std::vector<std::uint32_t> all() const {
        std::vector<std::uint32_t> members(shapes.size());
        for (std::uint32_t i = 0; i < members.size(); ++i) {
            members[i] = i;
        }
        return members;
    }
};

struct CrowdCase {
    const char* name;
    std::function<void(Tracks&, int, std::mt19937&)> make;  // adds n tracks
    size_t looksPerTrack;  // at most, for 20,000 tracks (comparing every pair takes 10,000)
};

std::ostream& operator<<(std::ostream& os, const CrowdCase& c) {
    return os << c.name;
}

// clang-format off
const CrowdCase kCrowds[] = {
    {"the same track over and over",
     [](Tracks& t, int n, std::mt19937&) {
         for (int i = 0; i < n; ++i) { t.add({64000, 64000}, {192000, 128000}, 320); }
     }, 2},
    {"tracks through one point at every angle",
     [](Tracks& t, int n, std::mt19937& random) {
         std::uniform_int_distribution<std::int64_t> d(-32000, 32000);
         for (int i = 0; i < n; ++i) {
             const std::int64_t dx = d(random), dy = d(random);
             t.add({64000 + dx, 64000 + dy}, {64000 - dx, 64000 - dy}, 320);
         }
     }, 2},
    {"a bundle of overlapping tracks, none the same",
     [](Tracks& t, int n, std::mt19937&) {
         for (int i = 0; i < n; ++i) {
             t.add({64 * (1000 + i % 500), 64 * (1000 + (i / 500) % 200)},
                   {64 * (5000 + i * 7 % 211), 64 * (3000 + i * 13 % 223)}, 320);
         }
     }, 32},
    {"side by side tracks that do not touch",
     [](Tracks& t, int n, std::mt19937&) {
         for (int i = 0; i < n; ++i) { t.add({0, 128 * i}, {640000, 128 * i}, 32); }
     }, 32},
    {"long diagonal tracks side by side, some touching",
     [](Tracks& t, int n, std::mt19937&) {
         for (int i = 0; i < n; ++i) {
             t.add({192 * i, 0}, {192 * i + 20000, 20000}, i % 7 == 0 ? 160 : 32);
         }
     }, 512},
    {"short tracks strewn at random",
     [](Tracks& t, int n, std::mt19937& random) {
         std::uniform_int_distribution<std::int64_t> place(0, 64 * 1000), step(-64 * 30, 64 * 30);
         for (int i = 0; i < n; ++i) {
             const Pt a{place(random), place(random)};
             t.add(a, {a.x + step(random), a.y + step(random)}, 32 * (1 + i % 3));
         }
     }, 16},
};
// clang-format on

class CrowdJoin : public ::testing::TestWithParam<CrowdCase> {};

// A crowd ends in the sets that comparing every pair gives.
TEST_P(CrowdJoin, JoinsWhatEveryPairWouldJoin) {
    std::mt19937 random(5);
    Tracks tracks;
    GetParam().make(tracks, 1000, random);
    joinCrowd(tracks, tracks.bounds(), tracks.all());
    Tracks pairs = tracks;
    pairs.parent = tracks.all();
    for (std::uint32_t i = 0; i < pairs.shapes.size(); ++i) {
        for (std::uint32_t j = i + 1; j < pairs.shapes.size(); ++j) {
            if (pairs.root(i) != pairs.root(j)) {
                pairs.join(i, j);
            }
        }
    }
    for (std::uint32_t i = 0; i < tracks.shapes.size(); ++i) {
        for (std::uint32_t j = i + 1; j < tracks.shapes.size(); ++j) {
            ASSERT_EQ(tracks.root(i) == tracks.root(j), pairs.root(i) == pairs.root(j))
                << "tracks " << i << " and " << j;
        }
    }
}

// However the tracks crowd, the looks at them grow with their number, not with its square.
TEST_P(CrowdJoin, LooksAtEachTrackAFewTimes) {
    std::mt19937 random(5);
    Tracks tracks;
    GetParam().make(tracks, 20000, random);
    joinCrowd(tracks, tracks.bounds(), tracks.all());
    EXPECT_LE(tracks.looks, GetParam().looksPerTrack * tracks.shapes.size());
}

INSTANTIATE_TEST_SUITE_P(Crowds, CrowdJoin, ::testing::ValuesIn(kCrowds));

// Every pair of meeting boxes goes to the pair call, or both boxes go to the crowd call of one
// cell; the cells of few boxes give the pairs they begin in once.
TEST(SpatialGrid, GivesCrowdedCellsWhole) {
    std::mt19937 random(9);
    std::uniform_int_distribution<std::int64_t> place(0, 100000), size(0, 3000);
    std::vector<Box> boxes;
    for (int i = 0; i < 400; ++i) {
        const std::int64_t x = place(random), y = place(random), s = size(random);
        boxes.push_back(Box{x, y, x + s, y + s});
    }
    for (int i = 0; i < 300; ++i) {
        boxes.push_back(Box{50000 + i, 50000, 52000 + i, 51000});
    }
    SpatialGrid grid(boxes);
    std::multiset<std::pair<std::uint32_t, std::uint32_t>> paired;
    std::set<std::pair<std::uint32_t, std::uint32_t>> crowded;
    int crowds = 0;
    grid.forEachMeetingPair([&](std::uint32_t i, std::uint32_t j) { paired.emplace(i, j); },
                            [&](const Box& region, const std::vector<std::uint32_t>& members) {
                                ++crowds;
                                EXPECT_GT(members.size(), SpatialGrid::kCrowded);
                                for (std::uint32_t i : members) {
                                    EXPECT_TRUE(boxes[i].meets(region));
                                    for (std::uint32_t j : members) {
                                        crowded.emplace(i, j);
                                    }
                                }
                            });
    EXPECT_GT(crowds, 0);
    for (std::uint32_t i = 0; i < boxes.size(); ++i) {
        for (std::uint32_t j = i + 1; j < boxes.size(); ++j) {
            if (boxes[i].meets(boxes[j]) && !crowded.count({i, j})) {
                EXPECT_EQ(paired.count({i, j}), 1u) << i << " " << j;
            }
        }
    }
}

}  // namespace
}  // namespace padloom::nets
