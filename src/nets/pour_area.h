#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "nets/geometry.h"
#include "nets/polygon_ops.h"

namespace padloom::nets {

/// The part of a pour in a box: the outline edges that reach into the box (edges included) and
/// the winding number of the outlines just inside the box's low corner.
struct PourRegion {
    Box box;
    std::vector<std::uint32_t> edges;
    std::int64_t winding = 0;
};

/// The area of a pour: where the winding numbers of its outline rings add up to other than zero,
/// each ring counted as running counter-clockwise (a pour outline may be drawn either way
/// round). An outline that crosses itself many times (a star drawn in 1-mil tracks) has many
/// more crossings than edges; the area is therefore never worked out whole but box by box,
/// each box taking only the edges that reach into it: a box whose winding cannot reach zero is
/// all pour without looking at how its edges cross, and the others are cut smaller until few
/// edges are left in each.
///
/// The winding number just inside a box's low corner is that of the point moved up and right
/// by an infinitely small amount (and up by less than right), so it is never on an edge.
class PourArea {
public:
    explicit PourArea(const Rings& outlines);

    bool empty() const { return m_edges.empty(); }
    /// The box of every outline point, with the region of the whole pour in it.
    PourRegion whole() const;
    /// The part of `region` in `box`, a box inside region's.
    PourRegion part(const PourRegion& region, const Box& box) const;

    enum class Fill { None, Whole, Some };
    /// Whether none of the region's box is pour, all of it is, or some (or it cannot be told
    /// without working out how the edges in it cross).
    Fill fill(const PourRegion& region) const;

    /// The pour in the region's box as rings filled where their winding numbers are not zero:
    /// the outline edges in the box, closed along its edges, and as many copies of the box as
    /// give the right winding number. Where an edge crosses the box's edge the point is rounded
    /// up to a whole unit, the same in both boxes that share that edge.
    Rings rings(const PourRegion& region) const;

private:
    /// Regions of more edges than this are not looked at chord by chord.
    static constexpr size_t kMostChords = 1024;

    std::optional<Fill> chordFill(const PourRegion& region, size_t mostCrossings) const;

    struct Edge {
        Pt a, b;
        std::uint32_t previous;  // the edge before it on its ring
    };
    std::vector<Edge> m_edges;
    Box m_bounds;
};

}  // namespace padloom::nets
