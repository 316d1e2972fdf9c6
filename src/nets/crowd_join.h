#pragma once

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "nets/geometry.h"

namespace padloom::nets {

// Joining a crowd: many shapes in one cell of the grid, as copper drawn over and over again
// makes them (the same track a hundred thousand times, a bundle of overlapping tracks). Looking
// at every pair would take time growing with the square of their number; here each shape is
// tried against one member after another of every set the crowd's shapes already form, so a
// shape that touches the copper before it joins at its first try or soon after. Where shapes
// lie close together without touching, the sets stay many and the tries run out: the region is
// then cut in two and each half joins the shapes that reach into it, until few are left.
//
// `Shapes` tells of shape i: `root(i)`, the set it is in now; `box(i)`; `reaches(i, region)`,
// whether the shape itself (not only its box) reaches into a region, edges included; and
// `join(i, j)`, which looks whether two shapes of different sets touch and, when they do, unites
// their sets and says so. Any two shapes of the crowd that touch at a point of the region end in
// one set.

namespace crowd {

/// Crowds of at most this many shapes are compared pair by pair.
constexpr size_t kFew = 64;
/// The tries each shape of a crowd may take, on average, and the sets its shapes may form,
/// before its region is cut in two.
constexpr std::uint64_t kTriesPerShape = 2;
constexpr size_t kMostSets = 32;
/// How often a region is cut in two at most; the last regions take all the tries they need.
constexpr int kDeepest = 48;

/// Tries every shape against the sets before it, within `tries` and `mostSets`; false when they
/// ran out (what was joined until then stays joined).
template <class Shapes>
bool joinSets(Shapes& shapes, const std::vector<std::uint32_t>& members, std::uint64_t tries,
              size_t mostSets) {
    constexpr size_t kNone = std::numeric_limits<size_t>::max();
    std::vector<std::vector<std::uint32_t>> sets;  // the shapes met so far, by set
    size_t live = 0;                               // sets not merged into others
    for (const std::uint32_t e : members) {
        size_t mine = kNone;
        for (size_t s = 0; s < sets.size() && mine == kNone; ++s) {
            if (!sets[s].empty() && shapes.root(sets[s].front()) == shapes.root(e)) {
                mine = s;
            }
        }
        for (size_t s = 0; s < sets.size(); ++s) {
            if (s == mine || sets[s].empty()) {
                continue;
            }
            for (const std::uint32_t f : sets[s]) {
                // every shape tried costs a try, and so does every set passed over
                if (tries-- == 0) {
                    return false;
                }
                if (!shapes.box(e).meets(shapes.box(f)) || !shapes.join(e, f)) {
                    continue;
                }
                // e's set and set s are one now: the longer list takes the other
                if (mine == kNone) {
                    mine = s;
                } else {
                    if (sets[mine].size() < sets[s].size()) {
                        std::swap(sets[mine], sets[s]);
                    }
                    sets[mine].insert(sets[mine].end(), sets[s].begin(), sets[s].end());
                    std::vector<std::uint32_t>().swap(sets[s]);
                    --live;
                }
                break;
            }
            if (tries-- == 0) {
                return false;
            }
        }
        if (mine == kNone) {
            if (++live > mostSets) {
                return false;
            }
            mine = sets.size();
            sets.emplace_back();
        }
        sets[mine].push_back(e);
    }
    return true;
}

}  // namespace crowd

/// Joins the shapes `members` of a crowd in `region` (see above).
template <class Shapes>
void joinCrowd(Shapes& shapes, const Box& region, const std::vector<std::uint32_t>& members,
               int depth = 0) {
    if (members.size() <= crowd::kFew) {
        for (size_t p = 0; p < members.size(); ++p) {
            for (size_t q = p + 1; q < members.size(); ++q) {
                const std::uint32_t a = members[p], b = members[q];
                if (shapes.root(a) != shapes.root(b) && shapes.box(a).meets(shapes.box(b))) {
                    shapes.join(a, b);
                }
            }
        }
        return;
    }
    const bool wide = region.x1 - region.x0 >= 2, tall = region.y1 - region.y0 >= 2;
    const bool last = depth >= crowd::kDeepest || (!wide && !tall);
    if (crowd::joinSets(shapes, members,
                        last ? std::numeric_limits<std::uint64_t>::max()
                             : crowd::kTriesPerShape * members.size(),
                        last ? std::numeric_limits<size_t>::max() : crowd::kMostSets)) {
        return;
    }
    // halves that share their middle line, so that a point on it is in both; the region is cut
    // across the side that leaves fewer shapes in the two
    const std::int64_t mx = region.x0 + (region.x1 - region.x0) / 2;
    const std::int64_t my = region.y0 + (region.y1 - region.y0) / 2;
    const Box halves[2][2] = {
        {{region.x0, region.y0, mx, region.y1}, {mx, region.y0, region.x1, region.y1}},
        {{region.x0, region.y0, region.x1, my}, {region.x0, my, region.x1, region.y1}}};
    std::vector<std::uint32_t> inside[2][2];
    for (int axis = 0; axis < 2; ++axis) {
        if (axis == 0 ? !wide : !tall) {
            continue;
        }
        for (const std::uint32_t i : members) {
            const bool low = shapes.box(i).meets(halves[axis][0]);
            const bool high = shapes.box(i).meets(halves[axis][1]);
            // the shape itself is looked at only where its box meets both
            for (int h = 0; h < 2; ++h) {
                if ((h == 0 ? low : high) &&
                    (!(low && high) || shapes.reaches(i, halves[axis][h]))) {
                    inside[axis][h].push_back(i);
                }
            }
        }
    }
    const auto total = [&](int axis) { return inside[axis][0].size() + inside[axis][1].size(); };
    const int axis = !wide || (tall && total(1) < total(0)) ? 1 : 0;
    for (int h = 0; h < 2; ++h) {
        inside[1 - axis][h] = {};
    }
    for (int h = 0; h < 2; ++h) {
        joinCrowd(shapes, halves[axis][h], inside[axis][h], depth + 1);
        inside[axis][h] = {};
    }
}

}  // namespace padloom::nets
