#include "nets/polygon_ops.h"

#include <algorithm>

#include <polyclipping/clipper.hpp>

namespace padloom::nets {

namespace {

namespace cl = ClipperLib;

cl::Path toPath(const Ring& ring) {
    cl::Path path;
    path.reserve(ring.size());
    for (const Pt& p : ring) {
        path.emplace_back(p.x, p.y);
    }
    return path;
}

Ring toRing(const cl::Path& path) {
    Ring ring;
    ring.reserve(path.size());
    for (const cl::IntPoint& p : path) {
        ring.push_back(Pt{p.X, p.Y});
    }
    return ring;
}

// every ring counter-clockwise, so that overlapping rings add up rather than cancel
cl::Paths positive(const Rings& rings) {
    cl::Paths paths;
    paths.reserve(rings.size());
    for (const Ring& ring : rings) {
        if (ring.size() < 3) {
            continue;
        }
        paths.push_back(toPath(ring));
        if (!cl::Orientation(paths.back())) {
            cl::ReversePath(paths.back());
        }
    }
    return paths;
}

cl::Paths asIs(const Rings& rings) {
    cl::Paths paths;
    paths.reserve(rings.size());
    for (const Ring& ring : rings) {
        if (ring.size() >= 3) {
            paths.push_back(toPath(ring));
        }
    }
    return paths;
}

Rings toRings(const cl::Paths& paths) {
    Rings rings;
    rings.reserve(paths.size());
    for (const cl::Path& path : paths) {
        rings.push_back(toRing(path));
    }
    return rings;
}

}  // namespace

Rings unite(const Rings& rings) {
    cl::Clipper clipper;
    clipper.AddPaths(positive(rings), cl::ptSubject, true);
    cl::Paths out;
    clipper.Execute(cl::ctUnion, out, cl::pftNonZero, cl::pftNonZero);
    return toRings(out);
}

Rings clip(const Rings& area, const Box& box) {
    cl::Clipper clipper;
    clipper.AddPaths(asIs(area), cl::ptSubject, true);
    const cl::Path frame{{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};
    clipper.AddPath(frame, cl::ptClip, true);
    cl::Paths out;
    clipper.Execute(cl::ctIntersection, out, cl::pftNonZero, cl::pftNonZero);
    return toRings(out);
}

std::vector<Piece> subtract(const Rings& area, const Rings& cuts) {
    cl::Clipper clipper;
    clipper.AddPaths(asIs(area), cl::ptSubject, true);
    clipper.AddPaths(positive(cuts), cl::ptClip, true);
    cl::PolyTree tree;
    clipper.Execute(cl::ctDifference, tree, cl::pftNonZero, cl::pftNonZero);
    std::vector<Piece> pieces;
    // outer rings at every depth (an island inside a hole is a piece of its own), each with
    // the holes directly inside it
    for (cl::PolyNode* node = tree.GetFirst(); node; node = node->GetNext()) {
        if (node->IsHole()) {
            continue;
        }
        Piece piece;
        piece.outer = toRing(node->Contour);
        for (const cl::PolyNode* hole : node->Childs) {
            piece.holes.push_back(toRing(hole->Contour));
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

namespace {

__extension__ typedef __int128 Wide;

// 1 inside the ring, 0 outside, -1 on its edge (crossings of a ray to the right)
int whereIs(const Pt& p, const Ring& ring) {
    bool in = false;
    const size_t n = ring.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Pt& a = ring[j];
        const Pt& b = ring[i];
        const Wide c = Wide{b.x - a.x} * (p.y - a.y) - Wide{b.y - a.y} * (p.x - a.x);
        if (c == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) &&
            std::min(a.y, b.y) <= p.y && p.y <= std::max(a.y, b.y)) {
            return -1;
        }
        if ((a.y > p.y) != (b.y > p.y)) {
            // the edge crosses the ray's height: count it when it is right of p
            const bool upward = b.y > a.y;
            if ((c > 0) == upward) {
                in = !in;
            }
        }
    }
    return in ? 1 : 0;
}

}  // namespace

bool inside(const Pt& p, const Piece& piece) {
    if (piece.outer.size() < 3 || whereIs(p, piece.outer) == 0) {
        return false;
    }
    for (const Ring& hole : piece.holes) {
        // in a hole but not on its edge: outside the piece
        if (hole.size() >= 3 && whereIs(p, hole) == 1) {
            return false;
        }
    }
    return true;
}

}  // namespace padloom::nets
