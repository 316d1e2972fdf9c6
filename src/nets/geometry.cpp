#include "nets/geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace padloom::nets {

namespace {

__extension__ typedef __int128 Wide;  // products of squared distances

std::int64_t cross(const Pt& o, const Pt& a, const Pt& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

int sign(std::int64_t v) {
    return (v > 0) - (v < 0);
}

// whether q, known to be on the line through a and b, lies within their box
bool onSegment(const Pt& a, const Pt& b, const Pt& q) {
    return std::min(a.x, b.x) <= q.x && q.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= q.y &&
           q.y <= std::max(a.y, b.y);
}

bool segmentsMeet(const Pt& p1, const Pt& p2, const Pt& q1, const Pt& q2) {
    const int d1 = sign(cross(q1, q2, p1));
    const int d2 = sign(cross(q1, q2, p2));
    const int d3 = sign(cross(p1, p2, q1));
    const int d4 = sign(cross(p1, p2, q2));
    if (d1 * d2 < 0 && d3 * d4 < 0) {
        return true;
    }
    return (d1 == 0 && onSegment(q1, q2, p1)) || (d2 == 0 && onSegment(q1, q2, p2)) ||
           (d3 == 0 && onSegment(p1, p2, q1)) || (d4 == 0 && onSegment(p1, p2, q2));
}

Wide squared(std::int64_t dx, std::int64_t dy) {
    return Wide{dx} * dx + Wide{dy} * dy;
}

// whether the point p lies within r of the segment from a to b
bool pointNearSegment(const Pt& p, const Pt& a, const Pt& b, std::int64_t r) {
    const std::int64_t ex = b.x - a.x, ey = b.y - a.y;
    const std::int64_t dx = p.x - a.x, dy = p.y - a.y;
    const Wide rr = Wide{r} * r;
    const std::int64_t t = dx * ex + dy * ey;
    const std::int64_t ee = ex * ex + ey * ey;
    if (ee == 0 || t <= 0) {
        return squared(dx, dy) <= rr;
    }
    if (t >= ee) {
        return squared(p.x - b.x, p.y - b.y) <= rr;
    }
    const Wide c = Wide{dx} * ey - Wide{dy} * ex;
    return c * c <= rr * ee;
}

bool segmentsNear(const Pt& p1, const Pt& p2, const Pt& q1, const Pt& q2, std::int64_t r) {
    return segmentsMeet(p1, p2, q1, q2) || pointNearSegment(p1, q1, q2, r) ||
           pointNearSegment(p2, q1, q2, r) || pointNearSegment(q1, p1, p2, r) ||
           pointNearSegment(q2, p1, p2, r);
}

// inside or on a convex polygon whose corners run counter-clockwise
bool insideConvex(const Pt& p, const Pt* v, int n) {
    for (int i = 0; i < n; ++i) {
        if (cross(v[i], v[(i + 1) % n], p) < 0) {
            return false;
        }
    }
    return true;
}

// the corners of a shape's core, counter-clockwise; at most 8 except for polygons
struct CorePoints {
    const Pt* points = nullptr;
    int count = 0;
    Pt own[4];
};

void coreOf(const Shape& s, const PolygonStore& polygons, CorePoints& c) {
    switch (s.core) {
        case Core::Point:
            c.own[0] = s.a();
            c.points = c.own;
            c.count = 1;
            return;
        case Core::Segment:
            c.own[0] = s.a();
            c.own[1] = s.b();
            c.points = c.own;
            c.count = 2;
            return;
        case Core::Box:
            c.own[0] = Pt{s.ax, s.ay};
            c.own[1] = Pt{s.bx, s.ay};
            c.own[2] = Pt{s.bx, s.by};
            c.own[3] = Pt{s.ax, s.by};
            c.points = c.own;
            c.count = 4;
            return;
        case Core::Polygon:
            c.points = polygons.data() + s.ax;
            c.count = s.bx;
            return;
    }
}

// whether two convex cores come within r of each other
bool coresNear(const CorePoints& p, const CorePoints& q, std::int64_t r) {
    if (p.count >= 3 && insideConvex(q.points[0], p.points, p.count)) {
        return true;
    }
    if (q.count >= 3 && insideConvex(p.points[0], q.points, q.count)) {
        return true;
    }
    const int pe = p.count <= 2 ? 1 : p.count;
    const int qe = q.count <= 2 ? 1 : q.count;
    for (int i = 0; i < pe; ++i) {
        const Pt& p1 = p.points[i];
        const Pt& p2 = p.points[(i + 1) % p.count];
        for (int j = 0; j < qe; ++j) {
            if (segmentsNear(p1, p2, q.points[j], q.points[(j + 1) % q.count], r)) {
                return true;
            }
        }
    }
    return false;
}

constexpr double kPi = std::numbers::pi;

}  // namespace

void Box::add(const Box& o) {
    if (o.empty()) {
        return;
    }
    if (empty()) {
        *this = o;
        return;
    }
    x0 = std::min(x0, o.x0);
    y0 = std::min(y0, o.y0);
    x1 = std::max(x1, o.x1);
    y1 = std::max(y1, o.y1);
}

Shape Shape::point(Pt p, std::int64_t radius) {
    Shape s;
    s.ax = static_cast<std::int32_t>(p.x);
    s.ay = static_cast<std::int32_t>(p.y);
    s.bx = s.ax;
    s.by = s.ay;
    s.radius = static_cast<std::int32_t>(radius);
    s.core = Core::Point;
    return s;
}

Shape Shape::segment(Pt a, Pt b, std::int64_t radius) {
    Shape s = point(a, radius);
    s.bx = static_cast<std::int32_t>(b.x);
    s.by = static_cast<std::int32_t>(b.y);
    s.core = a == b ? Core::Point : Core::Segment;
    return s;
}

Shape Shape::box(Pt low, Pt high) {
    Shape s;
    s.ax = static_cast<std::int32_t>(std::min(low.x, high.x));
    s.ay = static_cast<std::int32_t>(std::min(low.y, high.y));
    s.bx = static_cast<std::int32_t>(std::max(low.x, high.x));
    s.by = static_cast<std::int32_t>(std::max(low.y, high.y));
    s.core = Core::Box;
    return s;
}

Box boxOf(const Shape& s, const PolygonStore& polygons) {
    Box b;
    if (s.core == Core::Polygon) {
        const Pt* v = polygons.data() + s.ax;
        b = Box{v[0].x, v[0].y, v[0].x, v[0].y};
        for (int i = 1; i < s.bx; ++i) {
            b.add(Box{v[i].x, v[i].y, v[i].x, v[i].y});
        }
    } else {
        b = Box{std::min(s.ax, s.bx), std::min(s.ay, s.by), std::max(s.ax, s.bx),
                std::max(s.ay, s.by)};
    }
    return b.grown(std::int64_t{s.radius} + s.slack);
}

bool touches(const Shape& a, const Shape& b, const PolygonStore& polygons, std::int64_t extra) {
    const std::int64_t r = std::int64_t{a.radius} + b.radius + a.slack + b.slack + extra;
    if (a.core == Core::Box && b.core == Core::Box) {
        const std::int64_t dx =
            std::max<std::int64_t>({0, std::int64_t{a.ax} - b.bx, std::int64_t{b.ax} - a.bx});
        const std::int64_t dy =
            std::max<std::int64_t>({0, std::int64_t{a.ay} - b.by, std::int64_t{b.ay} - a.by});
        return squared(dx, dy) <= Wide{r} * r;
    }
    if (a.core <= Core::Segment && b.core <= Core::Segment) {
        return segmentsNear(a.a(), a.b(), b.a(), b.b(), r);
    }
    CorePoints p, q;
    coreOf(a, polygons, p);
    coreOf(b, polygons, q);
    return coresNear(p, q, r);
}

bool segmentMeetsBox(const Pt& a, const Pt& b, const Box& box) {
    if (std::max(a.x, b.x) < box.x0 || std::min(a.x, b.x) > box.x1 || std::max(a.y, b.y) < box.y0 ||
        std::min(a.y, b.y) > box.y1) {
        return false;
    }
    // the box's corners on both sides of the segment's line, or one on it
    bool left = false, right = false;
    for (const Pt& c :
         {Pt{box.x0, box.y0}, Pt{box.x1, box.y0}, Pt{box.x1, box.y1}, Pt{box.x0, box.y1}}) {
        const Wide side = Wide{b.x - a.x} * (c.y - a.y) - Wide{b.y - a.y} * (c.x - a.x);
        left = left || side >= 0;
        right = right || side <= 0;
    }
    return left && right;
}

bool mayReach(const Shape& s, const Box& box, std::int64_t extra) {
    if (s.core == Core::Polygon) {
        return true;
    }
    if (s.core != Core::Segment) {
        return boxOf(s, {}).grown(extra).meets(box);
    }
    // the core against the box grown by the radius
    return segmentMeetsBox(s.a(), s.b(), box.grown(std::int64_t{s.radius} + s.slack + extra));
}

bool surelyCovers(const Shape& s, const Box& box) {
    if (s.core == Core::Polygon) {
        return false;
    }
    // the distance to a point, a segment or a box is convex, so the box is covered when its
    // corners are
    const Wide rr = Wide{s.radius} * s.radius;
    for (const Pt& c :
         {Pt{box.x0, box.y0}, Pt{box.x1, box.y0}, Pt{box.x1, box.y1}, Pt{box.x0, box.y1}}) {
        if (s.core == Core::Box) {
            const std::int64_t dx = std::max<std::int64_t>({0, s.ax - c.x, c.x - s.bx});
            const std::int64_t dy = std::max<std::int64_t>({0, s.ay - c.y, c.y - s.by});
            if (squared(dx, dy) > rr) {
                return false;
            }
        } else if (!pointNearSegment(c, s.a(), s.b(), s.radius)) {
            return false;
        }
    }
    return true;
}

Pt pointOf(const Shape& s, const PolygonStore& polygons) {
    return s.core == Core::Polygon ? polygons[static_cast<size_t>(s.ax)] : s.a();
}

std::vector<Pt> ringAround(const Shape& s, const PolygonStore& polygons, std::int64_t sag) {
    CorePoints c;
    coreOf(s, polygons, c);
    std::vector<Pt> ring;
    const double r = double(s.radius) + s.slack;
    if (r <= 0) {
        if (c.count >= 3) {
            ring.assign(c.points, c.points + c.count);
        }
        return ring;
    }
    // the largest step between tangent lines that keeps their corners within the sag, less the
    // unit they are moved out and the rounding to whole units
    const double step = 2 * std::acos(r / (r + std::max<double>(1.0, double(sag) - 2)));
    const int n = c.count;
    for (int i = 0; i < n; ++i) {
        const Pt& v = c.points[i];
        double from, sweep;
        if (n == 1) {
            from = 0;
            sweep = 2 * kPi;
        } else {
            const Pt& prev = c.points[(i + n - 1) % n];
            const Pt& next = c.points[(i + 1) % n];
            // outward normals of the edge arriving at v and the edge leaving it
            from = std::atan2(-double(v.x - prev.x), double(v.y - prev.y));
            const double to = std::atan2(-double(next.x - v.x), double(next.y - v.y));
            sweep = to - from;
            while (sweep < 0) {
                sweep += 2 * kPi;
            }
            if (n == 2) {
                sweep = kPi;
            }
        }
        if (sweep <= 1e-12) {
            continue;
        }
        int k = static_cast<int>(std::ceil(sweep / step));
        k = std::max(k, n == 1 ? 8 : 1);
        const double d = sweep / k;
        // corners of the tangent lines, one unit further out so that rounding to whole units
        // never brings one inside the circle
        const double far = r / std::cos(d / 2) + 1;
        for (int j = 0; j < k; ++j) {
            const double t = from + (j + 0.5) * d;
            ring.push_back(
                Pt{v.x + std::llround(far * std::cos(t)), v.y + std::llround(far * std::sin(t))});
        }
    }
    return ring;
}

std::vector<Pt> clipConvex(const std::vector<Pt>& ring, const Box& box) {
    // one side of the box after the other: x >= x0, x <= x1, y >= y0, y <= y1
    std::vector<Pt> in = ring, out;
    for (int side = 0; side < 4 && !in.empty(); ++side) {
        const bool vertical = side < 2;
        const std::int64_t at = side == 0   ? box.x0
                                : side == 1 ? box.x1
                                : side == 2 ? box.y0
                                            : box.y1;
        const auto inside = [&](const Pt& p) {
            const std::int64_t v = vertical ? p.x : p.y;
            return side % 2 == 0 ? v >= at : v <= at;
        };
        // where the edge from p to q crosses the side's line, rounded to the nearest unit
        const auto crossing = [&](const Pt& p, const Pt& q) {
            const std::int64_t pu = vertical ? p.x : p.y, qu = vertical ? q.x : q.y;
            const std::int64_t pv = vertical ? p.y : p.x, qv = vertical ? q.y : q.x;
            const Wide num = Wide{at - pu} * (qv - pv) * 2, den = Wide{qu - pu} * 2;
            Wide v = num / den;  // towards zero; then to the nearest
            const Wide rest = num - v * den;
            if (2 * (rest < 0 ? -rest : rest) >= (den < 0 ? -den : den)) {
                v += (rest < 0) == (den < 0) ? 1 : -1;
            }
            const std::int64_t w = pv + static_cast<std::int64_t>(v);
            return vertical ? Pt{at, w} : Pt{w, at};
        };
        out.clear();
        for (size_t i = 0; i < in.size(); ++i) {
            const Pt& p = in[i];
            const Pt& q = in[(i + 1) % in.size()];
            if (inside(p)) {
                out.push_back(p);
            }
            if (inside(p) != inside(q)) {
                const Pt c = crossing(p, q);
                if (out.empty() || !(out.back() == c)) {
                    out.push_back(c);
                }
            }
        }
        std::swap(in, out);
    }
    return in;
}

Shape octagonShape(Pt centre, std::int64_t diameter, PolygonStore& polygons) {
    Shape s;
    s.core = Core::Polygon;
    s.ax = static_cast<std::int32_t>(polygons.size());
    s.bx = 8;
    s.slack = 1;
    const double r = double(diameter) / 2;
    for (int k = 0; k < 8; ++k) {
        const double t = (22.5 + 45.0 * k) * kPi / 180;
        polygons.push_back(
            Pt{centre.x + std::llround(r * std::cos(t)), centre.y + std::llround(r * std::sin(t))});
    }
    return s;
}

Shape barShape(Pt from, Pt to, std::int64_t width, PolygonStore& polygons) {
    const double dx = double(to.x - from.x), dy = double(to.y - from.y);
    const double length = std::hypot(dx, dy);
    if (length == 0) {
        return Shape::box(Pt{from.x - width / 2, from.y - width / 2},
                          Pt{from.x + width / 2, from.y + width / 2});
    }
    // the normal to the left of the direction, half the width long
    const double nx = -dy / length * double(width) / 2, ny = dx / length * double(width) / 2;
    Shape s;
    s.core = Core::Polygon;
    s.ax = static_cast<std::int32_t>(polygons.size());
    s.bx = 4;
    s.slack = 1;
    // right side forward, left side back: counter-clockwise
    polygons.push_back(Pt{from.x - std::llround(nx), from.y - std::llround(ny)});
    polygons.push_back(Pt{to.x - std::llround(nx), to.y - std::llround(ny)});
    polygons.push_back(Pt{to.x + std::llround(nx), to.y + std::llround(ny)});
    polygons.push_back(Pt{from.x + std::llround(nx), from.y + std::llround(ny)});
    return s;
}

std::vector<Pt> quarterArcPoints(Pt centre, std::int64_t radius, int quadrantBit,
                                 std::int64_t sag) {
    // the quarter runs clockwise, from the angle `start` down by a right angle
    double start = 90;
    switch (quadrantBit) {
        case 1:
            start = 90;
            break;
        case 2:
            start = 180;
            break;
        case 4:
            start = 270;
            break;
        default:
            start = 0;
            break;
    }
    const double r = double(radius);
    int k = 1;
    if (r > sag && sag > 0) {
        const double step = 2 * std::acos(1 - double(sag) / r);
        k = std::max(1, static_cast<int>(std::ceil((kPi / 2) / step)));
    } else if (r > 0) {
        k = 2;
    }
    std::vector<Pt> points;
    points.reserve(static_cast<size_t>(k) + 1);
    for (int j = 0; j <= k; ++j) {
        const double t = (start - 90.0 * j / k) * kPi / 180;
        Pt p{centre.x + std::llround(r * std::cos(t)), centre.y + std::llround(r * std::sin(t))};
        if (j == 0 || j == k) {
            // the ends exactly on the axes
            const int deg = (static_cast<int>(start) - 90 * (j == k)) % 360;
            const int norm = (deg + 360) % 360;
            p = centre;
            if (norm == 0) {
                p.x += radius;
            } else if (norm == 90) {
                p.y += radius;
            } else if (norm == 180) {
                p.x -= radius;
            } else {
                p.y -= radius;
            }
        }
        points.push_back(p);
    }
    return points;
}

}  // namespace padloom::nets
