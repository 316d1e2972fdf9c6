#pragma once

#include <vector>

#include "nets/geometry.h"

namespace padloom::nets {

/// A closed ring of points in units; the last point joins the first.
using Ring = std::vector<Pt>;

/// Rings that together make an area: a point is in the area when the rings wind round it
/// (non-zero winding), so outer rings run counter-clockwise and holes clockwise.
using Rings = std::vector<Ring>;

/// One connected piece of an area: its outer ring and the holes in it.
struct Piece {
    Ring outer;
    Rings holes;
};

// The polygon work of the connectivity check, done by a polygon clipping library behind
// these few calls.

/// The union of `rings`, each filled whichever way it runs (a pour outline may be drawn either
/// way round).
Rings unite(const Rings& rings);

/// The part of `area` inside `box`.
Rings clip(const Rings& area, const Box& box);

/// `area` less the union of `cuts` (each cut filled whichever way it runs), as its separate
/// pieces.
std::vector<Piece> subtract(const Rings& area, const Rings& cuts);

/// Whether a point lies inside a piece or on its edge.
bool inside(const Pt& p, const Piece& piece);

}  // namespace padloom::nets
