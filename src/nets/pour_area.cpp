#include "nets/pour_area.h"

#include <algorithm>
#include <optional>

namespace padloom::nets {

namespace {

__extension__ typedef __int128 Wide;

// Which side of the line from a to b the point p, moved up and right by an infinitely small
// amount, lies on: 1 left, -1 right, never on it.
int side(const Pt& a, const Pt& b, const Pt& p) {
    const Wide c = Wide{b.x - a.x} * (p.y - a.y) - Wide{b.y - a.y} * (p.x - a.x);
    if (c != 0) {
        return c > 0 ? 1 : -1;
    }
    if (b.y != a.y) {
        return b.y > a.y ? -1 : 1;
    }
    return b.x > a.x ? 1 : -1;
}

// Which side of the line from p to q, both moved as above, the point a lies on.
int sideOfMoved(const Pt& p, const Pt& q, const Pt& a) {
    const Wide c = Wide{q.x - p.x} * (a.y - p.y) - Wide{q.y - p.y} * (a.x - p.x);
    if (c != 0) {
        return c > 0 ? 1 : -1;
    }
    if (q.y != p.y) {
        return q.y > p.y ? 1 : -1;
    }
    return q.x > p.x ? -1 : 1;
}

// What the edge from a to b adds to the winding number at p moved as above: the edges that
// cross the ray from it to the right, +1 upward, -1 downward.
int windingOf(const Pt& a, const Pt& b, const Pt& p) {
    if ((a.y <= p.y) == (b.y <= p.y)) {
        return 0;
    }
    const int s = side(a, b, p);
    return a.y <= p.y ? (s > 0 ? 1 : 0) : (s < 0 ? -1 : 0);
}

// A parameter along an edge, num / den with den > 0.
struct Fraction {
    std::int64_t num = 0, den = 1;
    bool operator<(const Fraction& o) const { return Wide{num} * o.den < Wide{o.num} * den; }
    bool operator==(const Fraction& o) const { return Wide{num} * o.den == Wide{o.num} * den; }
};

// The part of an edge in a box: from a + t0 (b - a) to a + t1 (b - a); each end on the box side
// given (0 left, 1 right, 2 bottom, 3 top), or -1 where it is the edge's own end.
struct Clipped {
    Fraction t0{0, 1}, t1{1, 1};
    int side0 = -1, side1 = -1;
};

Clipped clipTo(const Pt& a, const Pt& b, const Box& box) {
    const std::int64_t dx = b.x - a.x, dy = b.y - a.y;
    const std::int64_t p[4] = {-dx, dx, -dy, dy};
    const std::int64_t q[4] = {a.x - box.x0, box.x1 - a.x, a.y - box.y0, box.y1 - a.y};
    Clipped c;
    for (int k = 0; k < 4; ++k) {
        if (p[k] < 0) {
            const Fraction t{-q[k], -p[k]};
            if (c.t0 < t) {
                c.t0 = t;
                c.side0 = k;
            }
        } else if (p[k] > 0) {
            const Fraction t{q[k], p[k]};
            if (t < c.t1) {
                c.t1 = t;
                c.side1 = k;
            }
        }
    }
    return c;
}

std::int64_t ceilDiv(Wide n, Wide d) {
    Wide q = n / d;
    if (n % d != 0 && (n > 0) == (d > 0)) {
        ++q;
    }
    return static_cast<std::int64_t>(q);
}

// The point at t on the given side of the box, its other coordinate rounded up: away from the
// box's low corner, so that the corner (moved in as the winding numbers take it) lies on the same
// side of every edge drawn to a rounded point as of the edge itself.
Pt pointOn(const Pt& a, const Pt& b, const Fraction& t, int boxSide, const Box& box) {
    if (boxSide < 2) {
        return Pt{boxSide == 0 ? box.x0 : box.x1, a.y + ceilDiv(Wide{t.num} * (b.y - a.y), t.den)};
    }
    return Pt{a.x + ceilDiv(Wide{t.num} * (b.x - a.x), t.den), boxSide == 2 ? box.y0 : box.y1};
}

// How far along the box's edge a point on it lies, counter-clockwise from the low corner.
std::int64_t around(const Box& box, const Pt& p) {
    const std::int64_t w = box.x1 - box.x0, h = box.y1 - box.y0;
    if (p.y == box.y0 && p.x < box.x1) {
        return p.x - box.x0;
    }
    if (p.x == box.x1 && p.y < box.y1) {
        return w + (p.y - box.y0);
    }
    if (p.y == box.y1 && p.x > box.x0) {
        return w + h + (box.x1 - p.x);
    }
    return 2 * w + h + (box.y1 - p.y);
}

Ring boxRing(const Box& box, bool counterClockwise) {
    Ring ring{{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};
    if (!counterClockwise) {
        std::reverse(ring.begin(), ring.end());
    }
    return ring;
}

// A place on the box's edge, counter-clockwise from its low corner: num / den.
struct EdgePlace {
    Wide num = 0, den = 1;
    bool operator<(const EdgePlace& o) const { return num * o.den < o.num * den; }
    bool operator==(const EdgePlace& o) const { return num * o.den == o.num * den; }
};

// Where on the box's edge the point at t along the edge from a to b lies, on the given side.
EdgePlace placeOn(const Pt& a, const Pt& b, const Fraction& t, int boxSide, const Box& box) {
    const std::int64_t w = box.x1 - box.x0, h = box.y1 - box.y0;
    // the point's free coordinate is (a + t (b - a)) = (a * den + num * (b - a)) / den
    const Wide den = t.den;
    const Wide x = Wide{a.x} * den + Wide{t.num} * (b.x - a.x);
    const Wide y = Wide{a.y} * den + Wide{t.num} * (b.y - a.y);
    switch (boxSide) {
        case 2:  // bottom
            return {x - Wide{box.x0} * den, den};
        case 1:  // right
            return {Wide{w} * den + y - Wide{box.y0} * den, den};
        case 3:  // top
            return {Wide{w + h} * den + Wide{box.x1} * den - x, den};
        default:  // left
            return {Wide{2 * w + h} * den + Wide{box.y1} * den - y, den};
    }
}

}  // namespace

// Where every edge in the box is a chord of it (in across one side, out across another, no
// corner of the outline inside), every stretch of pour the chords part the box into either
// touches the box's edge or lies beside a crossing of two chords. Going round just inside the
// box's edge counter-clockwise, the winding number falls by one across a chord coming in and
// rises by one across a chord going out; going along a chord, it changes by one across each
// chord that crosses it. So the lowest and highest winding numbers in the box are known
// exactly. Nothing is said (nullopt) of boxes with other edges, with chords that share a point
// with each other or with the box's low corner, or with more crossings than `mostCrossings`.
std::optional<PourArea::Fill> PourArea::chordFill(const PourRegion& region,
                                                  size_t mostCrossings) const {
    const Box& box = region.box;
    const size_t n = region.edges.size();
    struct End {
        EdgePlace place;
        std::uint32_t chord;
        bool in;
    };
    std::vector<End> ends;
    ends.reserve(2 * n);
    for (std::uint32_t k = 0; k < n; ++k) {
        const Edge& e = m_edges[region.edges[k]];
        const Clipped c = clipTo(e.a, e.b, box);
        const bool alongSide = (e.a.y == e.b.y && (e.a.y == box.y0 || e.a.y == box.y1)) ||
                               (e.a.x == e.b.x && (e.a.x == box.x0 || e.a.x == box.x1));
        if (c.side0 < 0 || c.side1 < 0 || !(c.t0 < c.t1) || alongSide) {
            return std::nullopt;
        }
        ends.push_back(End{placeOn(e.a, e.b, c.t0, c.side0, box), k, true});
        ends.push_back(End{placeOn(e.a, e.b, c.t1, c.side1, box), k, false});
    }
    std::sort(ends.begin(), ends.end(),
              [](const End& p, const End& q) { return p.place < q.place; });
    const EdgePlace corner{0, 1}, perimeter{2 * Wide{box.x1 - box.x0 + box.y1 - box.y0}, 1};
    std::vector<std::int64_t> leftAtEntry(n);
    std::vector<std::uint32_t> rank[2] = {std::vector<std::uint32_t>(n),
                                          std::vector<std::uint32_t>(n)};
    std::int64_t w = region.winding, lowest = w, highest = w;
    for (std::uint32_t r = 0; r < ends.size(); ++r) {
        const End& end = ends[r];
        if (end.place == corner || end.place == perimeter ||
            (r > 0 && ends[r - 1].place == end.place)) {
            return std::nullopt;
        }
        rank[end.in ? 0 : 1][end.chord] = r;
        if (end.in) {
            leftAtEntry[end.chord] = w;
        }
        w += end.in ? -1 : 1;
        lowest = std::min(lowest, w);
        highest = std::max(highest, w);
    }
    // two chords cross where the ends of one lie one on each side of the other's: going round,
    // a chord crosses those opened after it and still open where it closes
    std::vector<std::vector<std::uint32_t>> crossing(n);
    std::vector<std::uint32_t> before(n), after(n);  // the chords open, in the order opened
    const std::uint32_t none = static_cast<std::uint32_t>(n);
    std::uint32_t first = none, last = none;
    size_t crossings = 0;
    for (const End& end : ends) {
        const std::uint32_t i = end.chord;
        if (rank[0][i] > rank[1][i] ? end.in : !end.in) {
            // closes: every chord opened after it crosses it
            for (std::uint32_t j = after[i]; j != none; j = after[j]) {
                if (++crossings > mostCrossings) {
                    return std::nullopt;
                }
                crossing[i].push_back(j);
                crossing[j].push_back(i);
            }
            (before[i] == none ? first : after[before[i]]) = after[i];
            (after[i] == none ? last : before[after[i]]) = before[i];
        } else {
            before[i] = last;
            after[i] = none;
            (last == none ? first : after[last]) = i;
            last = i;
        }
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        if (crossing[i].empty()) {
            continue;
        }
        const Edge& e = m_edges[region.edges[i]];
        const Pt d{e.b.x - e.a.x, e.b.y - e.a.y};
        // the crossings in their order along the chord: at t = cross(f.a - e.a, df) / cross(d, df)
        std::vector<std::pair<Fraction, int>> along;
        for (const std::uint32_t j : crossing[i]) {
            const Edge& f = m_edges[region.edges[j]];
            const Pt df{f.b.x - f.a.x, f.b.y - f.a.y};
            std::int64_t num = (f.a.x - e.a.x) * df.y - (f.a.y - e.a.y) * df.x;
            std::int64_t den = d.x * df.y - d.y * df.x;
            if (den < 0) {
                num = -num;
                den = -den;
            }
            // going along the chord into the other's left side adds one
            along.emplace_back(Fraction{num, den}, df.x * d.y - df.y * d.x > 0 ? 1 : -1);
        }
        std::sort(along.begin(), along.end(),
                  [](const auto& p, const auto& q) { return p.first < q.first; });
        std::int64_t left = leftAtEntry[i];
        for (size_t k = 0; k < along.size(); ++k) {
            if (k > 0 && along[k].first == along[k - 1].first) {
                return std::nullopt;  // three chords through one point
            }
            left += along[k].second;
            // the two sides of the chord after the crossing
            lowest = std::min(lowest, left - 1);
            highest = std::max(highest, left);
        }
    }
    if (lowest >= 1 || highest <= -1) {
        return Fill::Whole;
    }
    return lowest == 0 && highest == 0 ? Fill::None : Fill::Some;
}

PourArea::PourArea(const Rings& outlines) {
    for (const Ring& outline : outlines) {
        Ring ring;
        for (const Pt& p : outline) {
            if (ring.empty() || !(ring.back() == p)) {
                ring.push_back(p);
            }
        }
        while (ring.size() > 1 && ring.back() == ring.front()) {
            ring.pop_back();
        }
        if (ring.size() < 3) {
            continue;
        }
        Wide area = 0;
        for (size_t i = 0; i < ring.size(); ++i) {
            const Pt& p = ring[i];
            const Pt& q = ring[(i + 1) % ring.size()];
            area += Wide{p.x} * q.y - Wide{q.x} * p.y;
        }
        if (area < 0) {
            std::reverse(ring.begin(), ring.end());
        }
        const auto first = static_cast<std::uint32_t>(m_edges.size());
        const auto n = static_cast<std::uint32_t>(ring.size());
        for (std::uint32_t i = 0; i < n; ++i) {
            m_edges.push_back(Edge{ring[i], ring[(i + 1) % n], first + (i + n - 1) % n});
            m_bounds.add(Box{ring[i].x, ring[i].y, ring[i].x, ring[i].y});
        }
    }
    // outlines that are all on one line enclose nothing
    if (m_bounds.x1 <= m_bounds.x0 || m_bounds.y1 <= m_bounds.y0) {
        m_edges.clear();
        m_bounds = Box{};
    }
}

PourRegion PourArea::whole() const {
    PourRegion region{m_bounds, {}, 0};
    const Pt corner{m_bounds.x0, m_bounds.y0};
    region.edges.reserve(m_edges.size());
    for (std::uint32_t e = 0; e < m_edges.size(); ++e) {
        region.edges.push_back(e);
        region.winding += windingOf(m_edges[e].a, m_edges[e].b, corner);
    }
    return region;
}

PourRegion PourArea::part(const PourRegion& region, const Box& box) const {
    PourRegion out{box, {}, region.winding};
    // the winding number changes by one for every edge crossed on the way from the region's
    // corner to the part's
    const Pt from{region.box.x0, region.box.y0}, to{box.x0, box.y0};
    for (const std::uint32_t e : region.edges) {
        const Edge& edge = m_edges[e];
        if (!(from == to)) {
            const int before = side(edge.a, edge.b, from);
            if (before != side(edge.a, edge.b, to) &&
                sideOfMoved(from, to, edge.a) != sideOfMoved(from, to, edge.b)) {
                out.winding += before < 0 ? 1 : -1;
            }
        }
        if (segmentMeetsBox(edge.a, edge.b, box)) {
            out.edges.push_back(e);
        }
    }
    return out;
}

PourArea::Fill PourArea::fill(const PourRegion& region) const {
    if (region.edges.empty()) {
        return region.winding != 0 ? Fill::Whole : Fill::None;
    }
    // from the corner, every other point of the box is reached crossing each edge at most once,
    // which takes one from the winding number where the corner is left of the edge and adds one
    // where it is right of it
    const Pt corner{region.box.x0, region.box.y0};
    std::int64_t left = 0, right = 0;
    for (const std::uint32_t e : region.edges) {
        (side(m_edges[e].a, m_edges[e].b, corner) > 0 ? left : right) += 1;
    }
    if (region.winding - left >= 1 || region.winding + right <= -1) {
        return Fill::Whole;
    }
    if (region.edges.size() <= kMostChords) {
        if (const auto chords = chordFill(region, 8 * region.edges.size() + 64)) {
            return *chords;
        }
    }
    return Fill::Some;
}

Rings PourArea::rings(const PourRegion& region) const {
    const Box& box = region.box;
    const std::vector<std::uint32_t>& edges = region.edges;
    std::vector<Clipped> clipped(edges.size());
    for (size_t k = 0; k < edges.size(); ++k) {
        clipped[k] = clipTo(m_edges[edges[k]].a, m_edges[edges[k]].b, box);
    }
    // where in `edges` the edge after edges[k] on its ring is, when it continues inside the box
    auto indexOf = [&](std::uint32_t e) {
        const auto it = std::lower_bound(edges.begin(), edges.end(), e);
        return it != edges.end() && *it == e ? static_cast<size_t>(it - edges.begin())
                                             : edges.size();
    };
    std::vector<size_t> next(edges.size(), edges.size());
    std::vector<bool> continues(edges.size(), false);
    for (size_t k = 0; k < edges.size(); ++k) {
        if (clipped[k].side0 >= 0) {
            continue;  // enters across the box's edge
        }
        const size_t before = indexOf(m_edges[edges[k]].previous);
        if (before < edges.size() && clipped[before].side1 < 0) {
            next[before] = k;
            continues[k] = true;
        }
    }
    auto start = [&](size_t k) {
        const Edge& e = m_edges[edges[k]];
        return clipped[k].side0 < 0 ? e.a : pointOn(e.a, e.b, clipped[k].t0, clipped[k].side0, box);
    };
    auto end = [&](size_t k) {
        const Edge& e = m_edges[edges[k]];
        return clipped[k].side1 < 0 ? e.b : pointOn(e.a, e.b, clipped[k].t1, clipped[k].side1, box);
    };
    const std::int64_t w = box.x1 - box.x0, h = box.y1 - box.y0, perimeter = 2 * (w + h);
    const std::int64_t cornerAt[4] = {0, w, w + h, 2 * w + h};
    const Pt corners[4] = {{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};

    Rings rings;
    std::vector<bool> used(edges.size(), false);
    auto walk = [&](size_t first) {
        Ring ring{start(first)};
        size_t k = first;
        for (;;) {
            used[k] = true;
            const Pt p = end(k);
            if (!(p == ring.back())) {
                ring.push_back(p);
            }
            if (next[k] >= edges.size() || used[next[k]]) {
                break;
            }
            k = next[k];
        }
        if (clipped[first].side0 >= 0) {
            // closed along the box's edge, counter-clockwise from where the chain leaves the
            // box to where it came in
            const std::int64_t from = around(box, ring.back());
            std::int64_t to = around(box, ring.front());
            if (to < from) {
                to += perimeter;
            }
            for (int c = 0; c < 8; ++c) {
                const std::int64_t at = cornerAt[c % 4] + (c >= 4 ? perimeter : 0);
                if (from < at && at < to) {
                    ring.push_back(corners[c % 4]);
                }
            }
        }
        if (ring.size() > 1 && ring.back() == ring.front()) {
            ring.pop_back();
        }
        rings.push_back(std::move(ring));
    };
    // chains that come in across the box's edge, then outlines wholly inside it
    for (size_t k = 0; k < edges.size(); ++k) {
        if (!continues[k]) {
            walk(k);
        }
    }
    for (size_t k = 0; k < edges.size(); ++k) {
        if (!used[k]) {
            walk(k);
        }
    }
    // as many copies of the box as make the winding number at its corner the outlines' own
    const Pt corner{box.x0, box.y0};
    std::int64_t winding = 0;
    for (const Ring& ring : rings) {
        for (size_t i = 0; i < ring.size(); ++i) {
            winding += windingOf(ring[i], ring[(i + 1) % ring.size()], corner);
        }
    }
    for (std::int64_t d = region.winding - winding; d != 0; d += d > 0 ? -1 : 1) {
        rings.push_back(boxRing(box, d > 0));
    }
    return rings;
}

}  // namespace padloom::nets
