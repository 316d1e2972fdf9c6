#include "view/render/layer_shapes.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <numbers>
#include <system_error>
#include <thread>

#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>

#include "view/render/layer_renderer.h"

namespace padloom::view {

namespace {

constexpr double kPi = std::numbers::pi;
// The most a straight piece of a drawn circle or arc strays from the true curve, in pixels.
constexpr double kFlatness = 0.05;
constexpr int kMostSegments = 1 << 14;

// The coarser outlines of an aperture: each strays four times as far from the shape as the one
// before, the first a tenth of a mil.
constexpr double kCoarseStep = 4;
constexpr int kCoarseLevels = 6;

// Aperture shapes are united in units of a tenth of a mil: Qt turns curves into straight
// pieces at a fixed tolerance of the path's own units before uniting, which in inches would
// make a 30-mil circle a decagon.
constexpr double kShapeUnitsPerInch = 10000;

QPainterPath outlinePath(const Outline& o) {
    constexpr double k = kShapeUnitsPerInch;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (o.circle) {
        path.addEllipse(QPointF(o.centre.x * k, o.centre.y * k), o.diameter / 2 * k,
                        o.diameter / 2 * k);
    } else if (!o.points.empty()) {
        QPolygonF polygon;
        for (const Point& p : o.points) {
            polygon << QPointF(p.x * k, p.y * k);
        }
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    return path;
}

QPainterPath unionOf(const std::vector<Outline>& outlines) {
    QPainterPath result;
    for (size_t i = 0; i < outlines.size(); ++i) {
        QPainterPath p = outlinePath(outlines[i]);
        result = i == 0 ? p : result.united(p);
    }
    return result;
}

// The area of an aperture's pieces, united and cut as they are drawn.
QPainterPath apertureArea(const Aperture& a) {
    QPainterPath result;
    bool first = true;
    for (const AperturePiece& piece : a.pieces) {
        QPainterPath area = unionOf(piece.add);
        if (!piece.cut.empty()) {
            area = area.subtracted(unionOf(piece.cut));
        }
        if (piece.dark) {
            result = first ? area : result.united(area);
            first = false;
        } else if (!first) {
            result = result.subtracted(area);
        }
    }
    return result;
}

// A closed outline with the corners left out that lie within `tolerance` of the line through
// the corners kept beside them (Douglas and Peucker); empty when no more than two corners are
// left, as of an outline smaller than the tolerance.
std::vector<Point> simplified(const std::vector<Point>& outline, double tolerance) {
    std::vector<Point> ring = outline;
    while (ring.size() > 1 && ring.front().x == ring.back().x && ring.front().y == ring.back().y) {
        ring.pop_back();
    }
    const size_t n = ring.size();
    if (n < 3) {
        return {};
    }
    size_t far = 0;
    double farthest = -1;
    for (size_t i = 1; i < n; ++i) {
        const double d = std::hypot(ring[i].x - ring[0].x, ring[i].y - ring[0].y);
        if (d > farthest) {
            farthest = d;
            far = i;
        }
    }
    std::vector<bool> keep(n, false);
    keep[0] = keep[far] = true;
    std::vector<std::pair<size_t, size_t>> spans{{0, far}, {far, n}};
    while (!spans.empty()) {
        const auto [a, b] = spans.back();
        spans.pop_back();
        const Point& p = ring[a];
        const Point& q = ring[b % n];
        const double length = std::hypot(q.x - p.x, q.y - p.y);
        size_t worst = a;
        double most = tolerance;
        for (size_t i = a + 1; i < b; ++i) {
            const double d =
                length > 0
                    ? std::abs((q.x - p.x) * (p.y - ring[i].y) - (p.x - ring[i].x) * (q.y - p.y)) /
                          length
                    : std::hypot(ring[i].x - p.x, ring[i].y - p.y);
            if (d > most) {
                most = d;
                worst = i;
            }
        }
        if (worst != a) {
            keep[worst] = true;
            spans.push_back({a, worst});
            spans.push_back({worst, b});
        }
    }
    std::vector<Point> kept;
    for (size_t i = 0; i < n; ++i) {
        if (keep[i]) {
            kept.push_back(ring[i]);
        }
    }
    return kept.size() >= 3 ? kept : std::vector<Point>{};
}

// Straight pieces for a whole circle of `radius` pixels: enough that none strays more than
// kFlatness from it (acos(1 - e) taken as sqrt(2 e), a little below it); an even number, so that
// half a circle takes whole pieces.
int circleSegments(double radius) {
    if (!(radius > kFlatness)) {
        return 8;
    }
    const double n = std::ceil(kPi / std::sqrt(2 * kFlatness / radius));
    const int even = static_cast<int>(std::min(n, static_cast<double>(kMostSegments)) + 1) & ~1;
    return std::max(even, 8);
}

// Straight pieces for `radians` of an arc of `radius` pixels.
int arcSegments(double radius, double radians) {
    if (!(radius > kFlatness)) {
        return 1;
    }
    const double perPiece = 2 * std::acos(1 - kFlatness / radius);
    return static_cast<int>(std::clamp(std::ceil(std::abs(radians) / perPiece), 1.0,
                                       static_cast<double>(kMostSegments)));
}

// How to go round a circle in n straight pieces: the turn of each piece, and how much further
// out than the circle the corners are put so that the polygon covers the circle's area (its
// edges then lie as far inside the circle as its corners outside).
struct CircleSteps {
    double cos = 1;
    double sin = 0;
    double scale = 1;
};
CircleSteps stepsOf(int n) {
    const double a = 2 * kPi / n;
    return {std::cos(a), std::sin(a), std::sqrt(a / std::sin(a))};
}
const CircleSteps& circleSteps(int n) {
    constexpr int kKept = 1024;
    static const std::vector<CircleSteps> kept = [] {
        std::vector<CircleSteps> steps(kKept + 1);
        for (int k = 8; k <= kKept; k += 2) {
            steps[k] = stepsOf(k);
        }
        return steps;
    }();
    if (n <= kKept) {
        return kept[n];
    }
    thread_local CircleSteps large;
    large = stepsOf(n);
    return large;
}

// The polygons of one thread, kept between shapes.
thread_local std::vector<PixelPoint> t_points;

struct PixelTransform {
    double scale;
    double dx;
    double dy;
    PixelPoint operator()(const Point& p) const { return {p.x * scale + dx, dy - p.y * scale}; }
};

void addCircle(CoverageRaster& raster, PixelPoint c, double radius) {
    const int n = circleSegments(radius);
    const CircleSteps& step = circleSteps(n);
    const double r = radius * step.scale;
    const double cs = step.cos;
    const double sn = step.sin;
    double ux = 1;
    double uy = 0;
    t_points.resize(static_cast<size_t>(n));
    for (PixelPoint& p : t_points) {
        p = {c.x + r * ux, c.y + r * uy};
        const double x = ux * cs - uy * sn;
        uy = ux * sn + uy * cs;
        ux = x;
    }
    raster.addOutline(t_points);
}

// A round pen of `radius` drawn from a to b: two half circles joined by straight sides.
void addCapsule(CoverageRaster& raster, PixelPoint a, PixelPoint b, double radius) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const double ux = (b.x - a.x) / length;
    const double uy = (b.y - a.y) / length;
    const int n = circleSegments(radius);
    const int half = n / 2;
    const CircleSteps& step = circleSteps(n);
    const double r = radius * step.scale;
    const double cs = step.cos;
    const double sn = step.sin;
    t_points.clear();
    for (const auto& [centre, start] : {std::pair{b, -1.0}, std::pair{a, 1.0}}) {
        // from the side at -90 degrees to the direction round the end to the side at +90; the
        // sides themselves lie at the pen's radius, so that the line is as wide as its pen
        double c = 0;
        double s = start;
        for (int k = 0; k <= half; ++k) {
            const double at = k == 0 || k == half ? radius : r;
            t_points.push_back(
                {centre.x + at * (c * ux - s * uy), centre.y + at * (c * uy + s * ux)});
            const double next = c * cs - s * sn;
            s = c * sn + s * cs;
            c = next;
        }
    }
    raster.addOutline(t_points);
}

// The area a rectangle covers when swept along a straight line: the convex hull of its
// corners at both ends.
void addSweptRectangle(CoverageRaster& raster, PixelPoint from, PixelPoint to, double w, double h) {
    PixelPoint corners[8];
    int k = 0;
    for (PixelPoint c : {from, to}) {
        for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
            corners[k++] = {c.x + dx * w / 2, c.y + dy * h / 2};
        }
    }
    std::sort(corners, corners + 8, [](const PixelPoint& a, const PixelPoint& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
    auto cross = [](const PixelPoint& o, const PixelPoint& a, const PixelPoint& b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    PixelPoint hull[16];
    size_t n = 0;
    for (size_t i = 0; i < 8; ++i) {
        while (n >= 2 && cross(hull[n - 2], hull[n - 1], corners[i]) <= 0) {
            --n;
        }
        hull[n++] = corners[i];
    }
    for (size_t i = 7, t = n + 1; i > 0; --i) {
        while (n >= t && cross(hull[n - 2], hull[n - 1], corners[i - 1]) <= 0) {
            --n;
        }
        hull[n++] = corners[i - 1];
    }
    raster.addOutline(hull, n > 0 ? n - 1 : 0);
}

// Points along an arc of the board (not its first point), in pixels.
void appendArc(std::vector<PixelPoint>& points, const ArcGeometry& arc, const PixelTransform& t,
               bool withFirst) {
    const double radians = arc.sweepDegrees * kPi / 180;
    const int n = arcSegments(arc.radius * t.scale, radians);
    for (int k = withFirst ? 0 : 1; k <= n; ++k) {
        points.push_back(t(arc.pointAt(arc.startDegrees + arc.sweepDegrees * k / n)));
    }
}

// A round pen of `halfWidth` pixels along an arc: the arc's outer and inner edges joined by
// half circles at its ends. A pen wider than the arc's diameter is outlined by Qt's stroker.
void addArcStroke(CoverageRaster& raster, const ArcGeometry& arc, const PixelTransform& t,
                  double halfWidth) {
    const PixelPoint c = t(arc.centre);
    const double radius = arc.radius * t.scale;
    const double start = arc.startDegrees * kPi / 180;
    const double sweep = arc.sweepDegrees * kPi / 180;
    if (halfWidth >= radius) {
        QPainterPath path;
        const QRectF box(c.x - radius, c.y - radius, 2 * radius, 2 * radius);
        path.arcMoveTo(box, arc.startDegrees);
        path.arcTo(box, arc.startDegrees, arc.sweepDegrees);
        QPainterPathStroker stroker;
        stroker.setWidth(2 * halfWidth);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        for (const QPolygonF& polygon : stroker.createStroke(path).toSubpathPolygons()) {
            t_points.clear();
            for (const QPointF& p : polygon) {
                t_points.push_back({p.x(), p.y()});
            }
            raster.addOutline(t_points);
        }
        return;
    }
    const int n = arcSegments(radius + halfWidth, sweep);
    const int m = circleSegments(halfWidth) / 2;
    auto along = [&](double r, double angle) {
        return PixelPoint{c.x + r * std::cos(angle), c.y - r * std::sin(angle)};
    };
    const double turn = sweep > 0 ? 1 : -1;
    // a half circle round an end of the arc, from one edge to the other, outward: at the end
    // it starts on the outer edge, at the start on the inner one
    auto cap = [&](double angle, double from) {
        const double ux = std::cos(angle), uy = -std::sin(angle);  // away from the centre
        const double tx = -turn * std::sin(angle), ty = -turn * std::cos(angle);  // onward
        const PixelPoint e = along(radius, angle);
        for (int k = 1; k < m; ++k) {
            const double phi = kPi * k / m;
            const double cu = from * std::cos(phi), ct = from * std::sin(phi);
            t_points.push_back(
                {e.x + halfWidth * (cu * ux + ct * tx), e.y + halfWidth * (cu * uy + ct * ty)});
        }
    };
    t_points.clear();
    for (int k = 0; k <= n; ++k) {
        t_points.push_back(along(radius + halfWidth, start + sweep * k / n));
    }
    cap(start + sweep, 1);
    for (int k = n; k >= 0; --k) {
        t_points.push_back(along(radius - halfWidth, start + sweep * k / n));
    }
    cap(start, -1);
    raster.addOutline(t_points);
}

// The cell of a grid of `cells` along an axis at `at` (0 to 1 across the grid).
size_t gridCell(double at, int cells) {
    return static_cast<size_t>(std::clamp(std::floor(at * cells), 0.0, cells - 1.0));
}

float below(double v) {
    const auto f = static_cast<float>(v);
    return f <= v ? f : std::nextafter(f, -INFINITY);
}
float above(double v) {
    const auto f = static_cast<float>(v);
    return f >= v ? f : std::nextafter(f, INFINITY);
}

}  // namespace

unsigned threadsToUse(unsigned threads) {
    return threads != 0 ? threads : std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

std::vector<std::thread> startThreads(unsigned count, const std::function<void(unsigned)>& work) {
    std::vector<std::thread> started;
    for (unsigned t = 0; t < count; ++t) {
        try {
            started.emplace_back(work, t);
        } catch (const std::system_error&) {
            break;  // no more threads to be had (a limit on processes or on memory)
        }
    }
    return started;
}

void forEachInParallel(size_t n, unsigned threads,
                       const std::function<void(size_t, unsigned)>& job) {
    const auto count = static_cast<unsigned>(std::min<size_t>(n, threadsToUse(threads)));
    if (count <= 1) {
        for (size_t i = 0; i < n; ++i) {
            job(i, 0);
        }
        return;
    }
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failing;
    auto work = [&](unsigned worker) {
        try {
            for (size_t i = next++; i < n; i = next++) {
                job(i, worker);
            }
        } catch (...) {
            // the first failure stops the others and goes to the caller
            const std::lock_guard<std::mutex> lock(failing);
            if (!failure) {
                failure = std::current_exception();
            }
            next = n;
        }
    };
    std::vector<std::thread> helpers =
        startThreads(count - 1, [&](unsigned worker) { work(worker + 1); });
    work(0);
    for (std::thread& t : helpers) {
        t.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

LayerShapes::LayerShapes(const LayerImage& image) : m_image(&image) {
    // the outline of every aperture flashed
    std::vector<bool> flashed(image.apertures.size(), false);
    for (const GraphicObject& o : image.objects) {
        if (o.kind == ObjectKind::Flash && o.aperture >= 0) {
            flashed[static_cast<size_t>(o.aperture)] = true;
        }
    }
    m_apertures.resize(image.apertures.size());
    for (size_t i = 0; i < image.apertures.size(); ++i) {
        const Aperture& a = image.apertures[i];
        if (!flashed[i] || a.plainCircle || a.pieces.empty()) {
            continue;
        }
        const QPainterPath area = apertureArea(a);
        ApertureOutlines& shape = m_apertures[i];
        shape.rule = area.fillRule() == Qt::WindingFill ? FillRule::NonZero : FillRule::EvenOdd;
        Outlines exact;
        for (const QPolygonF& polygon : area.toSubpathPolygons()) {
            std::vector<Point> points;
            points.reserve(static_cast<size_t>(polygon.size()));
            for (const QPointF& p : polygon) {
                points.push_back({p.x() / kShapeUnitsPerInch, p.y() / kShapeUnitsPerInch});
            }
            exact.push_back(std::move(points));
        }
        shape.levels.push_back(std::move(exact));
        double tolerance = 1 / kShapeUnitsPerInch;
        for (int level = 1; level < kCoarseLevels; ++level) {
            Outlines coarser;
            for (const auto& outline : shape.levels.front()) {
                std::vector<Point> points = simplified(outline, tolerance);
                if (!points.empty()) {
                    coarser.push_back(std::move(points));
                }
            }
            shape.levels.push_back(std::move(coarser));
            tolerance *= kCoarseStep;
        }
        // its area, for a flash smaller than a pixel: counted on a picture some 64 pixels across
        const double across = std::max(a.extent.width(), a.extent.height());
        if (across > 0) {
            const double scale = 64 / across;
            const int side = 66;
            std::vector<std::uint8_t> bits(side * side, 0);
            CoverageRaster raster(true);
            for (const auto& outline : shape.levels.front()) {
                t_points.clear();
                for (const Point& p : outline) {
                    t_points.push_back(
                        {(p.x - a.extent.x0) * scale + 1, (a.extent.y1 - p.y) * scale + 1});
                }
                raster.addOutline(t_points);
            }
            raster.fill({bits.data(), side, 0, 0, side, side}, false, shape.rule);
            double sum = 0;
            for (std::uint8_t b : bits) {
                sum += b;
            }
            shape.area = sum / 255 / (scale * scale);
        }
    }

    m_boxes.resize(image.objects.size());
    m_areas.assign(image.objects.size(), 0.0f);
    for (size_t i = 0; i < image.objects.size(); ++i) {
        const GraphicObject& o = image.objects[i];
        Box b;
        if (o.kind == ObjectKind::Region) {
            double twice = 0;
            for (size_t c = 0; c < o.contourCount; ++c) {
                const Contour& contour = image.contours[o.firstContour + c];
                b.add(contour.start);
                Point from = contour.start;
                for (const ContourSegment& s : contour.segments) {
                    if (s.arc) {
                        b.add(s.arcGeometry.extent());
                    }
                    b.add(s.to);
                    twice += from.x * s.to.y - s.to.x * from.y;
                    from = s.to;
                }
                twice += from.x * contour.start.y - contour.start.x * from.y;
            }
            m_areas[i] = static_cast<float>(std::abs(twice) / 2);
        } else if (o.aperture >= 0 && static_cast<size_t>(o.aperture) < image.apertures.size()) {
            const Aperture& a = image.apertures[o.aperture];
            const double pen = (a.circular ? a.width : a.penDiameter) / 2;
            if (o.kind == ObjectKind::Flash) {
                if (!a.pieces.empty()) {
                    b = a.extent.moved(o.from);
                    const double r = a.width / 2;
                    m_areas[i] = static_cast<float>(a.plainCircle ? kPi * r * r
                                                                  : m_apertures[o.aperture].area);
                }
            } else if (o.kind == ObjectKind::Line) {
                b = a.extent.moved(o.from);
                b.add(a.extent.moved(o.to));
                Box ends;
                ends.add(o.from);
                ends.add(o.to);
                b.add(ends.grown(pen));
            } else {
                b = o.arc.extent().grown(pen);
                b.add(o.from);
            }
        }
        m_boxes[i] = b.empty() ? ObjectBox{1, 1, 0, 0}
                               : ObjectBox{below(b.x0), below(b.y0), above(b.x1), above(b.y1)};
    }
    buildGrid();
}

void LayerShapes::buildGrid() {
    for (const ObjectBox& b : m_boxes) {
        if (b.x0 <= b.x1) {
            m_grid.add(b.x0, b.y0);
            m_grid.add(b.x1, b.y1);
        }
    }
    if (m_grid.empty()) {
        return;
    }
    // some eight objects to a cell, the cells about square
    const double cells = std::clamp(m_boxes.size() / 8.0, 1.0, 262144.0);
    const double w = std::max(m_grid.width(), 1e-9);
    const double h = std::max(m_grid.height(), 1e-9);
    m_columns = static_cast<int>(std::clamp(std::sqrt(cells * w / h), 1.0, 4096.0));
    m_rows = std::clamp(static_cast<int>(cells / m_columns), 1, 4096);
    m_cellStarts.assign(static_cast<size_t>(m_columns) * m_rows + 2, 0);
    constexpr int kLargest = 16;  // cells an object may be listed in
    auto cellsOf = [&](const ObjectBox& b, size_t& c0, size_t& r0, size_t& c1, size_t& r1) {
        c0 = gridCell((b.x0 - m_grid.x0) / w, m_columns);
        c1 = gridCell((b.x1 - m_grid.x0) / w, m_columns);
        r0 = gridCell((b.y0 - m_grid.y0) / h, m_rows);
        r1 = gridCell((b.y1 - m_grid.y0) / h, m_rows);
        return (c1 - c0 + 1) * (r1 - r0 + 1) <= kLargest;
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < m_boxes.size(); ++i) {
            const ObjectBox& b = m_boxes[i];
            size_t c0, r0, c1, r1;
            if (b.x0 > b.x1) {
                continue;
            }
            if (!cellsOf(b, c0, r0, c1, r1)) {
                if (pass == 1) {
                    m_large.push_back(static_cast<std::uint32_t>(i));
                }
                continue;
            }
            for (size_t r = r0; r <= r1; ++r) {
                for (size_t c = c0; c <= c1; ++c) {
                    const size_t cell = r * m_columns + c;
                    if (pass == 0) {
                        ++m_cellStarts[cell + 2];
                    } else {
                        m_cellObjects[m_cellStarts[cell + 1]++] = static_cast<std::uint32_t>(i);
                    }
                }
            }
        }
        if (pass == 0) {
            for (size_t c = 2; c < m_cellStarts.size(); ++c) {
                m_cellStarts[c] += m_cellStarts[c - 1];
            }
            m_cellObjects.resize(m_cellStarts.back());
        }
    }
    m_cellStarts.pop_back();
}

bool LayerShapes::objectsIn(const Box& box, std::vector<std::uint32_t>& objects) const {
    objects.clear();
    if (m_columns == 0) {
        return true;  // nothing drawn at all
    }
    const double w = std::max(m_grid.width(), 1e-9);
    const double h = std::max(m_grid.height(), 1e-9);
    if (box.x1 < m_grid.x0 || box.x0 > m_grid.x1 || box.y1 < m_grid.y0 || box.y0 > m_grid.y1) {
        return true;  // outside the grid: nothing there
    }
    const size_t c0 = gridCell((box.x0 - m_grid.x0) / w, m_columns);
    const size_t c1 = gridCell((box.x1 - m_grid.x0) / w, m_columns);
    const size_t r0 = gridCell((box.y0 - m_grid.y0) / h, m_rows);
    const size_t r1 = gridCell((box.y1 - m_grid.y0) / h, m_rows);
    const size_t columns = c1 - c0 + 1;
    const size_t rows = r1 - r0 + 1;
    if (columns * rows * 3 > static_cast<size_t>(m_columns) * m_rows) {
        return false;
    }
    for (size_t r = r0; r <= r1; ++r) {
        const size_t first = r * m_columns + c0;
        objects.insert(objects.end(), m_cellObjects.begin() + m_cellStarts[first],
                       m_cellObjects.begin() + m_cellStarts[first + columns]);
    }
    objects.insert(objects.end(), m_large.begin(), m_large.end());
    std::sort(objects.begin(), objects.end());
    objects.erase(std::unique(objects.begin(), objects.end()), objects.end());
    return true;
}

void LayerShapes::draw(const ViewWindow& view, const std::uint32_t* objects, size_t count,
                       const CoverageTarget& target, CoverageRaster& raster) const {
    const LayerImage& image = *m_image;
    const PixelTransform t{view.pixelsPerInch, -view.left * view.pixelsPerInch,
                           view.size.height() + view.bottom * view.pixelsPerInch};
    if (image.negative && !image.extent.empty()) {
        // a negative image (a plane): a field over everything the file reaches, from which
        // what it draws is cleared
        const Box& e = image.extent;
        const PixelPoint corners[4] = {t({e.x0, e.y0}), t({e.x1, e.y0}), t({e.x1, e.y1}),
                                       t({e.x0, e.y1})};
        raster.addOutline(corners, 4);
        raster.fill(target, false);
    }
    const double s = view.pixelsPerInch;
    for (size_t k = 0; k < count; ++k) {
        const std::uint32_t i = objects[k];
        const ObjectBox& b = m_boxes[i];
        const double w = (b.x1 - b.x0) * s;
        const double h = (b.y1 - b.y0) * s;
        if (w <= 1 && h <= 1 && m_areas[i] > 0 && raster.antialias()) {
            // a flash or region no larger than a pixel covers its pixels by its area,
            // wherever its edges lie
            const PixelPoint c = t({(b.x0 + b.x1) / 2.0, (b.y0 + b.y1) / 2.0});
            raster.fillSpeck(target, image.objects[i].clear != image.negative, c.x, c.y, w, h,
                             m_areas[i] * s * s);
            continue;
        }
        drawObject(image.objects[i], view, target, raster);
    }
}

void LayerShapes::drawObject(const GraphicObject& o, const ViewWindow& view,
                             const CoverageTarget& target, CoverageRaster& raster) const {
    const LayerImage& image = *m_image;
    const bool erase = o.clear != image.negative;
    const double s = view.pixelsPerInch;
    const PixelTransform t{s, -view.left * s, view.size.height() + view.bottom * s};
    // a line of a pixel or two covers its pixels by its area, wherever its edges lie
    const bool specks = raster.antialias();
    switch (o.kind) {
        case ObjectKind::Flash: {
            const Aperture& a = image.apertures[o.aperture];
            const PixelPoint c = t(o.from);
            if (a.plainCircle) {
                const double r = a.width / 2 * s;
                if (!(r > 0)) {
                    break;
                }
                addCircle(raster, c, r);
                raster.fill(target, erase);
                break;
            }
            // the coarsest outline that strays less than a pixel's tenth from the shape
            const ApertureOutlines& shape = m_apertures[o.aperture];
            size_t level = 0;
            for (double stray = s / kShapeUnitsPerInch * kCoarseStep;
                 level + 1 < shape.levels.size() && stray <= 0.1; stray *= kCoarseStep) {
                ++level;
            }
            for (const auto& outline : shape.levels[level]) {
                t_points.clear();
                for (const Point& p : outline) {
                    t_points.push_back({c.x + p.x * s, c.y - p.y * s});
                }
                raster.addOutline(t_points);
            }
            raster.fill(target, erase, shape.rule);
            break;
        }
        case ObjectKind::Line: {
            const Aperture& a = image.apertures[o.aperture];
            const PixelPoint from = t(o.from);
            const PixelPoint to = t(o.to);
            const double dx = std::abs(to.x - from.x);
            const double dy = std::abs(to.y - from.y);
            if (a.rectangular) {
                const double w = a.width * s;
                const double h = a.height * s;
                if (specks && dx + w <= 1 && dy + h <= 1) {
                    raster.fillSpeck(target, erase, (from.x + to.x) / 2, (from.y + to.y) / 2,
                                     dx + w, dy + h, w * h + dx * h + dy * w);
                    break;
                }
                addSweptRectangle(raster, from, to, w, h);
                raster.fill(target, erase);
                break;
            }
            // lines thinner than a pixel are drawn one pixel wide, so that a 3-mil pen or a
            // zero-size aperture still shows when the board is zoomed out
            const double d = std::max((a.circular ? a.width : a.penDiameter) * s, 1.0);
            if (specks && d <= 1 && dx + d <= 2 && dy + d <= 2) {
                raster.fillSpeck(target, erase, (from.x + to.x) / 2, (from.y + to.y) / 2, dx + d,
                                 dy + d, std::hypot(dx, dy) * d + kPi * d * d / 4);
                break;
            }
            if (dx == 0 && dy == 0) {
                addCircle(raster, from, d / 2);
            } else {
                addCapsule(raster, from, to, d / 2);
            }
            raster.fill(target, erase);
            break;
        }
        case ObjectKind::Arc: {
            const Aperture& a = image.apertures[o.aperture];
            const double d = std::max((a.circular ? a.width : a.penDiameter) * s, 1.0);
            if (o.arc.radius <= 0 || o.arc.sweepDegrees == 0) {
                addCircle(raster, t(o.from), d / 2);
            } else {
                addArcStroke(raster, o.arc, t, d / 2);
            }
            raster.fill(target, erase);
            break;
        }
        case ObjectKind::Region: {
            for (size_t c = 0; c < o.contourCount; ++c) {
                const Contour& contour = image.contours[o.firstContour + c];
                t_points.clear();
                t_points.push_back(t(contour.start));
                for (const ContourSegment& seg : contour.segments) {
                    if (seg.arc) {
                        appendArc(t_points, seg.arcGeometry, t, true);
                    }
                    t_points.push_back(t(seg.to));
                }
                raster.addOutline(t_points);
            }
            raster.fill(target, erase);
            break;
        }
    }
}

BandedObjects::BandedObjects(const LayerShapes& shapes, const ViewWindow& view, int left, int top_,
                             int right, int bottom, int rows)
    : top(top_), bandRows(rows) {
    const size_t bandCount =
        bottom > top ? static_cast<size_t>((bottom - top + rows - 1) / rows) : 0;
    starts.assign(bandCount + 1, 0);
    if (bandCount == 0 || right <= left) {
        return;
    }
    // the objects near the area, or all of them
    const double s = view.pixelsPerInch;
    const double h = view.size.height();
    std::vector<std::uint32_t> near;
    const Box area{view.left + (left - 1) / s, view.bottom + (h - bottom - 1) / s,
                   view.left + (right + 1) / s, view.bottom + (h - top + 1) / s};
    const bool some = shapes.objectsIn(area, near);
    const size_t count = some ? near.size() : shapes.m_boxes.size();
    // the first and last band each object reaches, by its box a pixel larger all round (a pen
    // thinner than a pixel is drawn a pixel wide)
    struct Reach {
        std::uint32_t object, first, last;
    };
    std::vector<Reach> reach;
    reach.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        const auto i = some ? near[k] : static_cast<std::uint32_t>(k);
        const LayerShapes::ObjectBox& b = shapes.m_boxes[i];
        const double x0 = (b.x0 - view.left) * s - 1;
        const double x1 = (b.x1 - view.left) * s + 1;
        const double y0 = h - (b.y1 - view.bottom) * s - 1;
        const double y1 = h - (b.y0 - view.bottom) * s + 1;
        if (!(b.x0 <= b.x1) || x1 < left || x0 >= right || y1 < top || y0 >= bottom) {
            continue;
        }
        reach.push_back({i, static_cast<std::uint32_t>((std::max(y0, double(top)) - top) / rows),
                         static_cast<std::uint32_t>((std::min(y1, bottom - 0.5) - top) / rows)});
    }
    for (const Reach& r : reach) {
        for (std::uint32_t b = r.first; b <= r.last; ++b) {
            ++starts[b + 1];
        }
    }
    for (size_t b = 1; b < starts.size(); ++b) {
        starts[b] += starts[b - 1];
    }
    objects.resize(starts.back());
    std::vector<std::uint32_t> at(starts.begin(), starts.end() - 1);
    for (const Reach& r : reach) {
        for (std::uint32_t b = r.first; b <= r.last; ++b) {
            objects[at[b]++] = r.object;
        }
    }
}

}  // namespace padloom::view
