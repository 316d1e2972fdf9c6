#pragma once

#include <cstdint>
#include <vector>

namespace padloom::nets {

/// Copper is held in fixed point, 64 units to the mil: every whole-mil coordinate and every
/// half-mil radius of the board stays exact, and the corners of octagons, the chords of arcs
/// and the points of pour outlines, which fall between whole mils, are kept to 1/64 mil.
constexpr std::int64_t kUnitsPerMil = 64;

/// The largest board coordinate or size handled, in mils (some 4,000 inches). Within it every
/// product the touch tests make fits in 128 bits, so the tests are exact.
constexpr std::int64_t kMaxMils = (std::int64_t{1} << 22) - 1;

/// Whole mils to units.
constexpr std::int64_t units(std::int64_t mils) {
    return mils * kUnitsPerMil;
}

struct Pt {
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool operator==(const Pt&) const = default;
};

/// An axis-parallel box, edges included.
struct Box {
    std::int64_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;

    bool empty() const { return x1 < x0 || y1 < y0; }
    bool meets(const Box& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
    Box grown(std::int64_t by) const { return Box{x0 - by, y0 - by, x1 + by, y1 + by}; }
    void add(const Box& o);
};

/// The kinds of core a shape has: a point, a segment, an axis-parallel box or a convex polygon.
enum class Core : std::uint8_t { Point, Segment, Box, Polygon };

/// One piece of copper: a core grown by a radius (a pad is a point grown by its radius, a
/// track a segment grown by half its width, a rectangular pad a box, an octagon a polygon).
/// Coordinates in units, kept in 32 bits (kMaxMils in units fits). Polygon corners live in a
/// PolygonStore: `ax` is the index of the first, `bx` their count.
struct Shape {
    std::int32_t ax = 0, ay = 0;  // Point: the point; Segment: one end; Box: the low corner
    std::int32_t bx = 0, by = 0;  // Segment: the other end; Box: the high corner
    std::int32_t radius = 0;
    /// How far the shape may fall short of the copper it stands for (chords of an arc, corners
    /// rounded to a unit); the touch tests allow for it.
    std::uint16_t slack = 0;
    Core core = Core::Point;
    /// The copper layers the shape is on: bit 0 for board layer 1 (top) to bit 5 for layer 6.
    std::uint8_t layers = 0;

    Pt a() const { return Pt{ax, ay}; }
    Pt b() const { return Pt{bx, by}; }
    static Shape point(Pt p, std::int64_t radius);
    static Shape segment(Pt a, Pt b, std::int64_t radius);
    static Shape box(Pt low, Pt high);
};

/// Corners of the polygon shapes, counter-clockwise, in one array for all of them.
using PolygonStore = std::vector<Pt>;

/// The box a shape covers.
Box boxOf(const Shape& s, const PolygonStore& polygons);

/// Whether two shapes touch or overlap, allowing `extra` units more (both slacks are added).
/// Exact for the whole-unit coordinates it is given.
bool touches(const Shape& a, const Shape& b, const PolygonStore& polygons, std::int64_t extra = 0);

/// Whether the segment from a to b meets the box, edges included (exact).
bool segmentMeetsBox(const Pt& a, const Pt& b, const Box& box);

/// Whether the shape, grown by `extra`, may reach into the box: never false where it does (a
/// polygon always may; others where their box does, a segment where its core comes within its
/// radius of the box along both axes).
bool mayReach(const Shape& s, const Box& box, std::int64_t extra);

/// Whether the shape surely covers the whole box (false does not say it does not).
bool surelyCovers(const Shape& s, const Box& box);

/// A point that lies in the shape's core (for telling whether a shape lies inside an area).
Pt pointOf(const Shape& s, const PolygonStore& polygons);

/// The outline of a shape as a closed ring, counter-clockwise, that encloses the shape and
/// lies at most `sag` units outside it (round parts are drawn with the tangent lines of the
/// circle, never inside it).
std::vector<Pt> ringAround(const Shape& s, const PolygonStore& polygons, std::int64_t sag);

/// The part of a convex ring inside `box` (counter-clockwise in, counter-clockwise out); where
/// its edges cross the box's edges the points are rounded to whole units.
std::vector<Pt> clipConvex(const std::vector<Pt>& ring, const Box& box);

/// Adds a regular octagon with flat sides facing the axes, as a pad of octagon shape is
/// flashed: `diameter` is the circle through its corners (the flash's own size). Its corners
/// are rounded outward to whole units; the shape's slack says so.
Shape octagonShape(Pt centre, std::int64_t diameter, PolygonStore& polygons);

/// Adds a rectangle of width `width` along the segment from `from` to `to` (square ends, as a
/// Gerber vector line draws it).
Shape barShape(Pt from, Pt to, std::int64_t width, PolygonStore& polygons);

/// The chords of a quarter arc (quadrant bit 1, 2, 4 or 8 around `centre`, radius `radius`,
/// all in units), each within `sag` units of the arc: the points from one end of the quarter
/// to the other.
std::vector<Pt> quarterArcPoints(Pt centre, std::int64_t radius, int quadrantBit, std::int64_t sag);

}  // namespace padloom::nets
