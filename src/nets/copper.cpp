#include "nets/copper.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <thread>
#include <tuple>

#include "board/aperture_table.h"
#include "board/board_reader.h"
#include "common/errors.h"
#include "common/number_format.h"
#include "common/text_io.h"
#include "nets/geometry.h"
#include "nets/polygon_ops.h"
#include "nets/spatial_grid.h"
#include "plot/gerber_header.h"
#include "plot/layer_plot.h"
#include "plot/pours.h"
#include "plot/stroke_font.h"

namespace padloom::nets {

namespace {

using board::CurrentRecord;
using board::enlarged;
using common::decimal;

constexpr int kCopperLayers = 6;
constexpr unsigned kAllCopper = (1u << kCopperLayers) - 1;
constexpr int kPourLayers[2] = {1, 6};
// Arcs of copper are followed by chords within 1/64 mil; clearances cut out of a pour are
// drawn round their copper within 1/4 mil, so a clearance of half a mil or more still keeps
// the pour off what it surrounds.
constexpr std::int64_t kArcSag = 1;
constexpr std::int64_t kPourSag = 16;
// A pour is cut into boxes of about this many clearances, each clipped on its own.
constexpr size_t kLeafCuts = 48;
// Problems of the board file reported one by one; the rest are counted.
constexpr int kProblemsShown = 10;

enum class ObjectKind : std::uint8_t { Pad, Via, Track, Arc, Fill, Pour, Plane };

struct ObjectInfo {
    ObjectKind kind;
    std::uint8_t layer;  // pours: the pour layer; planes: 0 ground, 1 power
};

class UnionFind {
public:
    std::uint32_t add() {
        m_parent.push_back(static_cast<std::uint32_t>(m_parent.size()));
        m_rank.push_back(0);
        return m_parent.back();
    }
    std::uint32_t find(std::uint32_t x) {
        while (m_parent[x] != x) {
            m_parent[x] = m_parent[m_parent[x]];
            x = m_parent[x];
        }
        return x;
    }
    /// Joins the sets of two roots.
    void uniteRoots(std::uint32_t a, std::uint32_t b) {
        if (m_rank[a] < m_rank[b]) {
            std::swap(a, b);
        }
        m_parent[b] = a;
        if (m_rank[a] == m_rank[b]) {
            ++m_rank[a];
        }
    }

private:
    std::vector<std::uint32_t> m_parent;
    std::vector<std::uint8_t> m_rank;
};

struct TextInfo {
    std::string text;
    int x = 0, y = 0;
    long line = 0;
};

// a line where a pour piece meets the box it was cut in: the piece beyond the box edge may
// continue it
struct Seam {
    int layer;
    bool vertical;
    std::int64_t at;
    std::int64_t lo, hi;
    std::uint32_t piece;
};

// A box of a pour cut out on its own: the pour's area in it, the clearances that reach into it,
// and the pieces of copper left.
struct PourLeaf {
    Box box;
    Rings area;
    std::vector<std::uint32_t> cuts;
    std::vector<Piece> pieces;
};

// Runs `job(i)` for i from 0 to n - 1 on the machine's cores.
void inParallel(size_t n, const std::function<void(size_t)>& job) {
    const size_t threads =
        std::min<size_t>({n, std::max(1u, std::thread::hardware_concurrency()), 8});
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failing;
    auto work = [&] {
        try {
            for (size_t i = next++; i < n; i = next++) {
                job(i);
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
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) {
        helpers.emplace_back(work);
    }
    work();
    for (std::thread& t : helpers) {
        t.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// Whether an end of `s` (the ends of a track, the centre of a pad, via or fill) lies in the
// copper of `t`.
bool endsIn(const Shape& s, const Shape& t, const PolygonStore& polygons) {
    auto in = [&](Pt p) { return touches(Shape::point(p, 0), t, polygons); };
    switch (s.core) {
        case Core::Point:
            return in(s.a());
        case Core::Segment:
            return in(s.a()) || in(s.b());
        case Core::Box:
            return in(Pt{(std::int64_t{s.ax} + s.bx) / 2, (std::int64_t{s.ay} + s.by) / 2});
        case Core::Polygon: {
            const Box b = boxOf(s, polygons);
            return in(Pt{(b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2});
        }
    }
    return false;
}

int toMils(std::int64_t u) {
    return static_cast<int>(std::llround(double(u) / double(kUnitsPerMil)));
}

Pt middleOf(const Box& a, const Box& b) {
    return Pt{(std::max(a.x0, b.x0) + std::min(a.x1, b.x1)) / 2,
              (std::max(a.y0, b.y0) + std::min(a.y1, b.y1)) / 2};
}

class CopperTracer {
public:
    CopperTracer(const std::string& path, const CopperOptions& options,
                 const std::function<void(const std::string&)>& skippedLine)
        : m_path(path), m_options(options), m_skippedLine(skippedLine) {
        plot::PlotOptions plotOptions;
        // the board outline and keep-out drawings are milled or kept away, never conductors
        plotOptions.includeBoardLayer = false;
        plotOptions.includeKeepOut = false;
        for (int b = 0; b <= 13; ++b) {
            for (int p = 1; p <= kCopperLayers; ++p) {
                if (plot::onLayer(b, p, plotOptions)) {
                    m_flashLayers[b] |= 1u << (p - 1);
                }
                if (plot::onLayerAsDrawing(b, p, plotOptions)) {
                    m_drawLayers[b] |= 1u << (p - 1);
                }
            }
        }
    }

    Copper run();

private:
    void read();
    void pad(const CurrentRecord& r, const std::string& designator);
    void via(const CurrentRecord& r);
    void track(const CurrentRecord& r, bool free);
    void arc(const CurrentRecord& r, bool free);
    void fill(const CurrentRecord& r);
    void text(const std::string& text, int x, int y, int height, int rotation, int width, int layer,
              bool cleared);
    void joinTouching();
    void pours(int which);
    void splitPour(const Box& box, Rings area, std::vector<std::uint32_t> cuts, int depth,
                   std::vector<PourLeaf>& leaves);
    void joinLeaf(int which, const PourLeaf& leaf);
    void joinSeams();
    Copper collect();

    unsigned flashLayers(int layer) const {
        return layer >= 0 && layer <= 13 ? m_flashLayers[layer] : 0;
    }
    unsigned drawLayers(int layer) const {
        return layer >= 0 && layer <= 13 ? m_drawLayers[layer] : 0;
    }
    // whether the record on board layer `layer` is cleared out of a pour on pour layer `which`
    static bool onPour(int layer, int which) {
        return layer == kPourLayers[which] || layer == board::kMultiLayer;
    }

    std::int64_t checked(long long mils) const {
        if (mils > kMaxMils || mils < -kMaxMils) {
            throw common::FormatError(
                m_path, "line " + decimal(m_line) + ": a coordinate or size beyond " +
                            decimal(kMaxMils) + " mils, too large for the connectivity check");
        }
        return units(mils);
    }
    Pt at(long long x, long long y) const { return Pt{checked(x), checked(y)}; }

    // keeps a track, arc or fill of `object` for showing its net, when asked to
    void keepDrawn(std::uint32_t object, DrawnCopper::Kind kind, const CurrentRecord& r) {
        if (m_options.keepDrawn) {
            m_drawn.push_back(DrawnCopper{kind, r.layer, r.x1, r.y1, r.x2, r.y2, r.width, r.radius,
                                          r.quadrantMask, static_cast<int>(object)});
        }
    }
    std::uint32_t newObject(ObjectKind kind, int layer = 0) {
        m_objects.push_back(ObjectInfo{kind, static_cast<std::uint8_t>(layer)});
        return m_uf.add();
    }
    void addShape(Shape s, unsigned layers, std::uint32_t owner, bool exposed) {
        if (layers == 0) {
            return;
        }
        // a layer is in use when something of its own is on it; Multi Layer copper is on
        // every layer but puts none of them in use
        if (layers != kAllCopper) {
            m_layersUsed |= layers;
        }
        s.layers = static_cast<std::uint8_t>(layers);
        m_shapes.push_back(s);
        m_owner.push_back(owner);
        m_exposed.push_back(exposed);
    }
    void addCut(int which, Shape s) { m_cuts[which].push_back(s); }
    // the copper of a flash of a pad shape
    Shape flash(int shape, Pt c, int xSize, int ySize, PolygonStore& polygons) const;
    void join(std::uint32_t a, std::uint32_t b, Pt where) {
        const std::uint32_t ra = m_uf.find(a), rb = m_uf.find(b);
        if (ra != rb) {
            m_uf.uniteRoots(ra, rb);
            m_joints.push_back(Joint{a, b, toMils(where.x), toMils(where.y)});
        }
    }
    // a warning about the record being read, given for the first record it concerns
    void warnOnce(int kind, const std::string& text) {
        if (!m_warned[kind]) {
            m_warned[kind] = true;
            m_warnings.push_back(m_path + ":" + decimal(m_line) + ": " + text);
        }
    }

    const std::string& m_path;
    const CopperOptions& m_options;
    const std::function<void(const std::string&)>& m_skippedLine;
    std::array<unsigned, 14> m_flashLayers{};
    std::array<unsigned, 14> m_drawLayers{};
    long m_line = 0;

    std::vector<ObjectInfo> m_objects;
    UnionFind m_uf;
    std::vector<PadInfo> m_pads;
    std::vector<std::uint32_t> m_padObject;
    std::vector<ViaInfo> m_vias;
    std::vector<Joint> m_joints;

    // copper shapes, their objects, and whether the shape has no pour clearance round it
    std::vector<Shape> m_shapes;
    std::vector<std::uint32_t> m_owner;
    std::vector<bool> m_exposed;
    PolygonStore m_polygons;
    std::vector<Box> m_boxes;
    std::unique_ptr<SpatialGrid> m_grid;

    // texts on copper: not conductors, but each stroke may touch copper
    std::vector<TextInfo> m_texts;
    std::vector<Shape> m_textShapes;
    std::vector<std::uint32_t> m_textOwner;
    std::vector<Box> m_textBoxes;
    std::unique_ptr<SpatialGrid> m_textGrid;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_textTouches;  // text, object

    // per pour layer (top, bottom): whether it is one, its outline pieces, its clearances
    bool m_pourLayer[2] = {false, false};
    plot::PourEdgeTable m_outlines[2];
    std::vector<Shape> m_cuts[2];
    std::vector<Box> m_cutBoxes;
    PolygonStore m_cutPolygons;
    std::vector<size_t> m_oneMilTracks[2];  // shapes of 1-mil tracks on the layer itself
    std::vector<Seam> m_seams;

    std::optional<std::uint32_t> m_planes[2];
    std::vector<std::pair<size_t, int>> m_planeTies;  // pad, plane (0 ground, 1 power)

    unsigned m_layersUsed = 0;
    std::vector<std::string> m_warnings;
    std::vector<DrawnCopper> m_drawn;  // with the object in `island` until collected
    bool m_warned[3] = {false, false, false};
};

Shape CopperTracer::flash(int shape, Pt c, int xSize, int ySize, PolygonStore& polygons) const {
    const std::int64_t hx = units(std::max(xSize, 0)) / 2, hy = units(std::max(ySize, 0)) / 2;
    switch (shape) {
        case board::kRectangular:
            return Shape::box(Pt{c.x - hx, c.y - hy}, Pt{c.x + hx, c.y + hy});
        case board::kOctagonal:
            return octagonShape(c, units(xSize), polygons);
        case board::kRoundRect:
            // an obround: the shorter side makes the round ends
            if (hx > hy) {
                return Shape::segment(Pt{c.x - (hx - hy), c.y}, Pt{c.x + (hx - hy), c.y}, hy);
            }
            return Shape::segment(Pt{c.x, c.y - (hy - hx)}, Pt{c.x, c.y + (hy - hx)}, hx);
        default:
            // round, and the macro shapes taken as the circle they fill
            return Shape::point(c, hx);
    }
}

void CopperTracer::read() {
    int problems = 0;
    board::BoardReader reader(m_path, [&](const std::string& problem) {
        // the first few problems of the board in full, then how many more there were
        if (++problems <= kProblemsShown) {
            m_warnings.push_back(problem);
        }
    });
    reader.onSkippedLine([this](const std::string& line) {
        if (m_skippedLine) {
            m_skippedLine(line);
        }
        return true;
    });
    while (auto kind = reader.next()) {
        m_line = reader.recordLine();
        const CurrentRecord& r = reader.record();
        switch (*kind) {
            case board::RecordKind::Pad:
                pad(r, reader.isFree() ? std::string() : reader.component().designator);
                break;
            case board::RecordKind::Via:
                via(r);
                break;
            case board::RecordKind::Track:
                track(r, reader.isFree());
                break;
            case board::RecordKind::Arc:
                arc(r, reader.isFree());
                break;
            case board::RecordKind::Fill:
                fill(r);
                break;
            case board::RecordKind::String:
                // free strings are drawn over a pour, not cleared out of it
                text(r.text, r.x1, r.y1, r.ySize, r.rotation, r.width, r.layer, false);
                break;
            case board::RecordKind::Component: {
                const board::ComponentHeader& c = reader.component();
                if (c.commentShown == 1) {
                    const board::TextAttributes& t = c.commentText;
                    text(c.comment, t.x, t.y, t.height, t.rotation, t.width, t.layer, true);
                }
                if (c.designatorShown == 1) {
                    const board::TextAttributes& t = c.designatorText;
                    text(c.designator, t.x, t.y, t.height, t.rotation, t.width, t.layer, true);
                }
                break;
            }
        }
    }
    if (problems > kProblemsShown) {
        m_warnings.push_back(decimal(problems - kProblemsShown) + " more problems in " + m_path);
    }
}

void CopperTracer::pad(const CurrentRecord& r, const std::string& designator) {
    PadInfo info;
    info.designator = designator;
    info.name = std::string(common::trimmedBlanks(r.text));
    if (!designator.empty()) {
        info.pin = designator + "-" + info.name;
    } else if (!info.name.empty() && info.name != "0") {
        info.pin = info.name;
    } else {
        info.pin = "@" + decimal(r.x1) + "," + decimal(r.y1);
    }
    info.x = r.x1;
    info.y = r.y1;
    info.xSize = r.xSize;
    info.ySize = r.ySize;
    info.shape = r.shape;
    info.hole = r.holeSize;
    info.planeCode = r.planeCode;
    info.layer = r.layer;
    info.line = m_line;
    const std::uint32_t object = newObject(ObjectKind::Pad, r.layer);
    m_padObject.push_back(object);
    m_pads.push_back(std::move(info));

    const Pt c = at(r.x1, r.y1);
    checked(r.xSize);
    checked(r.ySize);
    unsigned layers = flashLayers(r.layer);
    if (r.shape < 1 || r.shape > 4) {
        warnOnce(0, "pads of shape " + decimal(r.shape) +
                        " (this one and any others) are taken as round pads of their x size");
    }
    if (r.layer == board::kMultiLayer && r.holeSize <= 0) {
        warnOnce(1, "Multi Layer pad " + m_pads.back().pin +
                        " has no hole, so nothing joins its copper on the two sides; it is "
                        "taken as joined (and so are any others)");
    }
    if (r.holeSize > 0 && r.layer != board::kMultiLayer) {
        // the drill file drills Multi Layer pads only, so this hole is never made
        warnOnce(2, "pad " + m_pads.back().pin + " on layer " + decimal(r.layer) +
                        " has a hole that the NC drill file does not drill; "
                        "it is taken as copper of its own layer only (and so are any others)");
    }
    const int code = r.planeCode;
    const bool direct = code == 3 || code == 5;
    const int pour = m_options.pourEnlargement;
    if (layers != 0 && r.xSize > 0) {
        // the outer relief flash of a pad tied to a plane or a pour: the pad and its spokes
        if (m_options.thermals) {
            for (int p : kPourLayers) {
                const unsigned bit = 1u << (p - 1);
                const bool through = r.layer == board::kMultiLayer &&
                                     (code == 2 || code == 4 || code == 6 || code == 7);
                const bool own = r.layer == p && (code == 6 || code == 7);
                const auto relief = board::outerReliefShape(r.shape);
                if (!(layers & bit) || !(through || own) || !relief) {
                    continue;
                }
                layers &= ~bit;
                const std::int64_t hx = units(r.xSize) / 2, hy = units(r.ySize) / 2;
                addShape(*relief == board::kRelExtRound
                             ? Shape::point(c, hx)
                             : Shape::box(Pt{c.x - hx, c.y - hy}, Pt{c.x + hx, c.y + hy}),
                         bit, object, true);
                if (auto spokes = plot::outerReliefSpokes(*relief, r.xSize, r.ySize, pour)) {
                    for (int turn : {1, -1}) {
                        const double a = double(turn * spokes->angle) * std::numbers::pi / 180;
                        const double e = double(units(spokes->halfLength));
                        const Pt d{std::llround(e * std::cos(a)), std::llround(e * std::sin(a))};
                        addShape(barShape(Pt{c.x - d.x, c.y - d.y}, Pt{c.x + d.x, c.y + d.y},
                                          units(spokes->width), m_polygons),
                                 bit, object, true);
                    }
                }
            }
        }
        addShape(flash(r.shape, c, r.xSize, r.ySize, m_polygons), layers, object,
                 direct || pour <= 0);
    }
    if (m_options.pours && !direct) {
        for (int which = 0; which < 2; ++which) {
            if (onPour(r.layer, which)) {
                addCut(which, flash(r.shape, c, enlarged(r.xSize, pour), enlarged(r.ySize, pour),
                                    m_cutPolygons));
            }
        }
    }
    if (r.layer == board::kMultiLayer) {
        if (code == 2 || code == 3) {
            m_planeTies.emplace_back(m_pads.size() - 1, 0);
        } else if (code == 4 || code == 5) {
            m_planeTies.emplace_back(m_pads.size() - 1, 1);
        }
    }
}

void CopperTracer::via(const CurrentRecord& r) {
    m_vias.push_back(ViaInfo{r.x1, r.y1, r.viaSize, r.holeSize, m_line, -1});
    const std::uint32_t object = newObject(ObjectKind::Via, board::kMultiLayer);
    const Pt c = at(r.x1, r.y1);
    checked(r.viaSize);
    if (r.viaSize > 0) {
        addShape(Shape::point(c, units(r.viaSize) / 2), flashLayers(board::kMultiLayer), object,
                 m_options.pourEnlargement <= 0);
    }
    if (m_options.pours) {
        for (int which = 0; which < 2; ++which) {
            addCut(which,
                   Shape::point(c, units(enlarged(r.viaSize, m_options.pourEnlargement)) / 2));
        }
    }
}

void CopperTracer::track(const CurrentRecord& r, bool free) {
    const Pt a = at(r.x1, r.y1), b = at(r.x2, r.y2);
    checked(r.width);
    const bool oneMil = r.width == 1;
    const unsigned layers = r.width > 0 ? drawLayers(r.layer) : 0;
    if (layers != 0) {
        const std::uint32_t object = newObject(ObjectKind::Track, r.layer);
        keepDrawn(object, DrawnCopper::Kind::Track, r);
        for (int which = 0; which < 2; ++which) {
            if (oneMil && r.layer == kPourLayers[which]) {
                m_oneMilTracks[which].push_back(m_shapes.size());
            }
        }
        addShape(Shape::segment(a, b, units(r.width) / 2), layers, object,
                 oneMil || m_options.pourEnlargement <= 0);
    }
    if (!m_options.pours) {
        return;
    }
    for (int which = 0; which < 2; ++which) {
        if (oneMil && r.layer == kPourLayers[which]) {
            m_pourLayer[which] = true;
            if (free) {
                plot::addPourPieces(m_outlines[which], board::RecordKind::Track, r, true);
            }
        }
        if (!oneMil && onPour(r.layer, which)) {
            addCut(which,
                   Shape::segment(a, b, units(enlarged(r.width, m_options.pourEnlargement)) / 2));
        }
    }
}

void CopperTracer::arc(const CurrentRecord& r, bool free) {
    const Pt c = at(r.x1, r.y1);
    checked(r.width);
    // a radius of 0 is drawn as 1, as the plotter does
    const int radius = r.radius == 0 ? 1 : std::abs(r.radius);
    const std::int64_t ru = checked(radius);
    checked(r.x1 + static_cast<long long>(radius));
    checked(r.x1 - static_cast<long long>(radius));
    checked(r.y1 + static_cast<long long>(radius));
    checked(r.y1 - static_cast<long long>(radius));
    const bool oneMil = r.width == 1;
    const unsigned layers = r.width > 0 ? drawLayers(r.layer) : 0;
    auto chords = [&](const std::function<void(Pt, Pt)>& piece) {
        for (int bit : {1, 2, 4, 8}) {
            if (r.quadrantMask & bit) {
                const std::vector<Pt> points = quarterArcPoints(c, ru, bit, kArcSag);
                for (size_t i = 1; i < points.size(); ++i) {
                    piece(points[i - 1], points[i]);
                }
            }
        }
    };
    if (layers != 0 && (r.quadrantMask & 15)) {
        const std::uint32_t object = newObject(ObjectKind::Arc, r.layer);
        keepDrawn(object, DrawnCopper::Kind::Arc, r);
        chords([&](Pt p, Pt q) {
            Shape s = Shape::segment(p, q, units(r.width) / 2);
            s.slack = kArcSag;
            addShape(s, layers, object, oneMil || m_options.pourEnlargement <= 0);
        });
    }
    if (!m_options.pours) {
        return;
    }
    for (int which = 0; which < 2; ++which) {
        if (free && oneMil && r.layer == kPourLayers[which]) {
            plot::addPourPieces(m_outlines[which], board::RecordKind::Arc, r, false);
        }
        if (!oneMil && onPour(r.layer, which)) {
            chords([&](Pt p, Pt q) {
                Shape s =
                    Shape::segment(p, q, units(enlarged(r.width, m_options.pourEnlargement)) / 2);
                s.slack = kArcSag;
                addCut(which, s);
            });
        }
    }
}

void CopperTracer::fill(const CurrentRecord& r) {
    const Pt a = at(r.x1, r.y1), b = at(r.x2, r.y2);
    const unsigned layers = drawLayers(r.layer);
    const int grow = m_options.pourEnlargement / 2;
    if (layers != 0) {
        const std::uint32_t object = newObject(ObjectKind::Fill, r.layer);
        keepDrawn(object, DrawnCopper::Kind::Fill, r);
        addShape(Shape::box(a, b), layers, object, grow <= 0);
    }
    if (!m_options.pours) {
        return;
    }
    for (int which = 0; which < 2; ++which) {
        if (onPour(r.layer, which)) {
            Shape s = Shape::box(a, b);
            const std::int64_t g = units(grow);
            if (std::int64_t{s.bx} - s.ax + 2 * g >= 0 && std::int64_t{s.by} - s.ay + 2 * g >= 0) {
                s = Shape::box(Pt{s.ax - g, s.ay - g}, Pt{s.bx + g, s.by + g});
                addCut(which, s);
            }
        }
    }
}

void CopperTracer::text(const std::string& text, int x, int y, int height, int rotation, int width,
                        int layer, bool cleared) {
    const unsigned layers = drawLayers(layer);
    if (text.empty() || layers == 0 || width <= 0) {
        return;
    }
    const std::uint32_t id = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(TextInfo{text, x, y, m_line});
    checked(width);
    const std::int64_t radius = units(width) / 2;
    plot::forEachTextStroke(x, y, text, height, rotation,
                            [&](long long x1, long long y1, long long x2, long long y2) {
                                const Shape s = Shape::segment(at(x1, y1), at(x2, y2), radius);
                                Shape t = s;
                                t.layers = static_cast<std::uint8_t>(layers);
                                m_textShapes.push_back(t);
                                m_textOwner.push_back(id);
                                if (!m_options.pours || !cleared) {
                                    return;
                                }
                                // a component text is cleared out of a pour as it is drawn
                                for (int which = 0; which < 2; ++which) {
                                    if (layers & (1u << (kPourLayers[which] - 1))) {
                                        addCut(which, s);
                                    }
                                }
                            });
}

void CopperTracer::joinTouching() {
    m_boxes.resize(m_shapes.size());
    for (size_t i = 0; i < m_shapes.size(); ++i) {
        m_boxes[i] = m_shapes[i].layers ? boxOf(m_shapes[i], m_polygons) : Box{};
    }
    m_grid = std::make_unique<SpatialGrid>(m_boxes);
    m_grid->forEachMeetingPair([&](std::uint32_t i, std::uint32_t j) {
        const Shape& a = m_shapes[i];
        const Shape& b = m_shapes[j];
        if (!(a.layers & b.layers)) {
            return;
        }
        const std::uint32_t ra = m_uf.find(m_owner[i]), rb = m_uf.find(m_owner[j]);
        if (ra == rb || !touches(a, b, m_polygons)) {
            return;
        }
        m_uf.uniteRoots(ra, rb);
        const Pt m = middleOf(m_boxes[i], m_boxes[j]);
        const bool meant = endsIn(a, b, m_polygons) || endsIn(b, a, m_polygons);
        m_joints.push_back(Joint{m_owner[i], m_owner[j], toMils(m.x), toMils(m.y), meant});
    });

    // texts touch copper, but join nothing
    m_textBoxes.resize(m_textShapes.size());
    for (size_t t = 0; t < m_textShapes.size(); ++t) {
        m_textBoxes[t] = boxOf(m_textShapes[t], m_polygons);
        const Shape& s = m_textShapes[t];
        m_grid->forEachMeeting(m_textBoxes[t], [&](std::uint32_t i) {
            if ((s.layers & m_shapes[i].layers) && touches(s, m_shapes[i], m_polygons)) {
                m_textTouches.emplace_back(m_textOwner[t], m_owner[i]);
            }
        });
    }
    m_textGrid = std::make_unique<SpatialGrid>(m_textBoxes);
}

// The rings of the closed outlines of a pour layer, as the plot run writes them as regions:
// quarter arcs turn as their end points say, an arc whose turn cannot be told takes the turn
// of the arc before it, and one without any is a straight piece.
Rings outlineRings(plot::PourEdgeTable& edges, std::vector<std::string>& warnings,
                   const std::string& path, int layer) {
    Rings rings;
    std::optional<plot::ArcTurn> previousTurn;
    plot::walkPourOutlines(
        edges,
        [&](const std::vector<plot::EndRecord>& points) {
            Ring ring;
            for (size_t k = 0; k < points.size(); ++k) {
                const plot::EndRecord& p = points[k];
                const Pt q{units(p.x), units(p.y)};
                if (k > 0 && p.kind != 0 && p.radius != 0) {
                    const plot::ArcTurn turn = plot::arcTurn(points[k - 1], p);
                    if (turn != plot::ArcTurn::Undetermined) {
                        previousTurn = turn;
                    }
                    if (previousTurn) {
                        const double cx = double(units(p.centreX)), cy = double(units(p.centreY));
                        const Pt& from = ring.back();
                        const double a0 = std::atan2(double(from.y) - cy, double(from.x) - cx);
                        const double a1 = std::atan2(double(q.y) - cy, double(q.x) - cx);
                        double sweep = a1 - a0;
                        const bool clockwise = *previousTurn == plot::ArcTurn::Clockwise;
                        while (clockwise ? sweep > 0 : sweep < 0) {
                            sweep += clockwise ? -2 * std::numbers::pi : 2 * std::numbers::pi;
                        }
                        const double r = std::hypot(double(from.x) - cx, double(from.y) - cy);
                        // a quarter at most, as single-quadrant arcs are
                        if (std::abs(sweep) <= std::numbers::pi / 2 + 1e-9 && r > 0) {
                            const double step = 2 * std::acos(std::max(0.0, 1 - 1.0 / r));
                            const int n =
                                std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / step)));
                            for (int j = 1; j < n; ++j) {
                                const double t = a0 + sweep * j / n;
                                ring.push_back(Pt{std::llround(cx + r * std::cos(t)),
                                                  std::llround(cy + r * std::sin(t))});
                            }
                        }
                    }
                }
                if (ring.empty() || !(ring.back() == q)) {
                    ring.push_back(q);
                }
            }
            rings.push_back(std::move(ring));
        },
        [&](const plot::DroppedOutline& d) {
            warnings.push_back(
                path + ": pour outline on " +
                std::string(layer == 6 ? "Bottom Copper" : "Top Copper") +
                (d.why == plot::DroppedOutline::Why::NotClosed ? " not closed"
                                                               : " has no straight piece") +
                ", no pour made: first point " + decimal(d.first.x) + "," + decimal(d.first.y));
        });
    return rings;
}

void CopperTracer::pours(int which) {
    const int layer = kPourLayers[which];
    Rings area = unite(outlineRings(m_outlines[which], m_warnings, m_path, layer));
    if (area.empty()) {
        return;
    }
    Box box;
    for (const Ring& ring : area) {
        for (const Pt& p : ring) {
            box.add(Box{p.x, p.y, p.x, p.y});
        }
    }
    m_cutBoxes.resize(m_cuts[which].size());
    std::vector<std::uint32_t> cuts;
    for (size_t i = 0; i < m_cuts[which].size(); ++i) {
        m_cutBoxes[i] = boxOf(m_cuts[which][i], m_cutPolygons).grown(kPourSag);
        if (m_cutBoxes[i].meets(box)) {
            cuts.push_back(static_cast<std::uint32_t>(i));
        }
    }
    std::vector<PourLeaf> leaves;
    splitPour(box, std::move(area), std::move(cuts), 0, leaves);
    // the leaves are cut out on all cores, a batch at a time, and joined in order
    constexpr size_t kBatch = 256;
    for (size_t first = 0; first < leaves.size(); first += kBatch) {
        const size_t end = std::min(leaves.size(), first + kBatch);
        inParallel(end - first, [&](size_t i) {
            PourLeaf& leaf = leaves[first + i];
            Rings cutRings;
            cutRings.reserve(leaf.cuts.size());
            for (std::uint32_t c : leaf.cuts) {
                Ring ring = ringAround(m_cuts[which][c], m_cutPolygons, kPourSag);
                if (ring.size() >= 3) {
                    cutRings.push_back(std::move(ring));
                }
            }
            leaf.pieces = subtract(leaf.area, cutRings);
        });
        for (size_t i = first; i < end; ++i) {
            joinLeaf(which, leaves[i]);
            leaves[i] = PourLeaf{};
        }
    }
}

void CopperTracer::splitPour(const Box& box, Rings area, std::vector<std::uint32_t> cuts, int depth,
                             std::vector<PourLeaf>& leaves) {
    const std::int64_t w = box.x1 - box.x0, h = box.y1 - box.y0;
    if (cuts.size() <= kLeafCuts || depth >= 40 || std::max(w, h) < 4 * kUnitsPerMil) {
        leaves.push_back(PourLeaf{box, std::move(area), std::move(cuts), {}});
        return;
    }
    Box halves[2] = {box, box};
    if (w >= h) {
        halves[0].x1 = halves[1].x0 = box.x0 + w / 2;
    } else {
        halves[0].y1 = halves[1].y0 = box.y0 + h / 2;
    }
    for (const Box& half : halves) {
        Rings part = clip(area, half);
        if (part.empty()) {
            continue;
        }
        std::vector<std::uint32_t> inside;
        for (std::uint32_t c : cuts) {
            if (m_cutBoxes[c].meets(half)) {
                inside.push_back(c);
            }
        }
        splitPour(half, std::move(part), std::move(inside), depth + 1, leaves);
    }
}

void CopperTracer::joinLeaf(int which, const PourLeaf& leaf) {
    const int layer = kPourLayers[which];
    const unsigned bit = 1u << (layer - 1);
    const Box& box = leaf.box;
    const std::vector<Piece>& pieces = leaf.pieces;
    if (pieces.empty()) {
        return;
    }
    // what may touch the pour: copper with no clearance round it, and texts
    std::vector<std::uint32_t> exposed;
    const Box near = box.grown(kPourSag);
    m_grid->forEachMeeting(near, [&](std::uint32_t i) {
        if ((m_shapes[i].layers & bit) && m_exposed[i]) {
            exposed.push_back(i);
        }
    });
    std::vector<std::uint32_t> texts;
    m_textGrid->forEachMeeting(near, [&](std::uint32_t t) {
        if (m_textShapes[t].layers & bit) {
            texts.push_back(t);
        }
    });

    for (const Piece& piece : pieces) {
        const std::uint32_t object = newObject(ObjectKind::Pour, which);
        Box pieceBox;
        std::vector<std::pair<Shape, Box>> edges;
        auto addEdges = [&](const Ring& ring) {
            for (size_t i = 0; i < ring.size(); ++i) {
                const Pt& p = ring[i];
                const Pt& q = ring[(i + 1) % ring.size()];
                const Shape e = Shape::segment(p, q, 0);
                const Box eb = boxOf(e, m_polygons);
                pieceBox.add(eb);
                edges.emplace_back(e, eb);
                if (p.x == q.x && (p.x == box.x0 || p.x == box.x1)) {
                    m_seams.push_back(
                        Seam{which, true, p.x, std::min(p.y, q.y), std::max(p.y, q.y), object});
                } else if (p.y == q.y && (p.y == box.y0 || p.y == box.y1)) {
                    m_seams.push_back(
                        Seam{which, false, p.y, std::min(p.x, q.x), std::max(p.x, q.x), object});
                }
            }
        };
        addEdges(piece.outer);
        for (const Ring& hole : piece.holes) {
            addEdges(hole);
        }
        // whether a shape touches the piece: meets one of its edges, or lies inside it
        auto meetsPiece = [&](const Shape& s, const Box& sb) {
            if (!sb.meets(pieceBox.grown(kPourSag))) {
                return false;
            }
            for (const auto& [e, eb] : edges) {
                if (sb.meets(eb.grown(kPourSag)) && touches(s, e, m_polygons, kPourSag)) {
                    return true;
                }
            }
            return inside(pointOf(s, m_polygons), piece);
        };
        for (std::uint32_t i : exposed) {
            if (m_uf.find(m_owner[i]) == m_uf.find(object)) {
                continue;
            }
            if (meetsPiece(m_shapes[i], m_boxes[i])) {
                const Shape& s = m_shapes[i];
                join(object, m_owner[i], pointOf(s, m_polygons));
            }
        }
        for (std::uint32_t t : texts) {
            if (meetsPiece(m_textShapes[t], m_textBoxes[t])) {
                m_textTouches.emplace_back(m_textOwner[t], object);
            }
        }
    }
}

void CopperTracer::joinSeams() {
    std::sort(m_seams.begin(), m_seams.end(), [](const Seam& a, const Seam& b) {
        return std::tie(a.layer, a.vertical, a.at, a.lo) <
               std::tie(b.layer, b.vertical, b.at, b.lo);
    });
    size_t reach = 0;  // the seam reaching furthest along the current line
    for (size_t i = 0; i < m_seams.size(); ++i) {
        const Seam& s = m_seams[i];
        const bool sameLine = i > 0 && s.layer == m_seams[reach].layer &&
                              s.vertical == m_seams[reach].vertical && s.at == m_seams[reach].at;
        if (sameLine && s.lo <= m_seams[reach].hi) {
            const Pt where = s.vertical ? Pt{s.at, s.lo} : Pt{s.lo, s.at};
            join(m_seams[reach].piece, s.piece, where);
            if (s.hi > m_seams[reach].hi) {
                reach = i;
            }
        } else {
            reach = i;
        }
    }
}

Copper CopperTracer::collect() {
    Copper out;
    out.warnings = std::move(m_warnings);
    // islands in the order of their first pad
    std::vector<int> islandOfRoot(m_objects.size(), -1);
    for (size_t p = 0; p < m_pads.size(); ++p) {
        const std::uint32_t root = m_uf.find(m_padObject[p]);
        if (islandOfRoot[root] < 0) {
            islandOfRoot[root] = static_cast<int>(out.islands.size());
            out.islands.emplace_back();
            out.islands.back().x = m_pads[p].x;
            out.islands.back().y = m_pads[p].y;
        }
        m_pads[p].island = islandOfRoot[root];
        out.islands[static_cast<size_t>(islandOfRoot[root])].pads.push_back(static_cast<int>(p));
    }
    out.objectIsland.resize(m_objects.size());
    for (size_t o = 0; o < m_objects.size(); ++o) {
        out.objectIsland[o] = islandOfRoot[m_uf.find(static_cast<std::uint32_t>(o))];
    }
    // objects with copper; the pieces of one pour count once per island
    std::vector<bool> hasCopper(m_objects.size(), false);
    for (size_t i = 0; i < m_shapes.size(); ++i) {
        if (m_shapes[i].layers) {
            hasCopper[m_owner[i]] = true;
        }
    }
    out.layersUsed = m_layersUsed;
    std::vector<std::array<bool, 2>> pourCounted(out.islands.size(), {false, false});
    for (size_t o = 0; o < m_objects.size(); ++o) {
        const int island = out.objectIsland[o];
        if (island < 0) {
            continue;
        }
        const ObjectInfo& info = m_objects[o];
        if (info.kind == ObjectKind::Pour) {
            auto& counted = pourCounted[static_cast<size_t>(island)][info.layer];
            if (counted) {
                continue;
            }
            counted = true;
        } else if (info.kind != ObjectKind::Pad && info.kind != ObjectKind::Plane &&
                   !hasCopper[o]) {
            continue;
        }
        ++out.islands[static_cast<size_t>(island)].objects;
    }
    size_t via = 0;
    for (size_t o = 0; o < m_objects.size() && via < m_vias.size(); ++o) {
        if (m_objects[o].kind == ObjectKind::Via) {
            m_vias[via++].island = out.objectIsland[o];
        }
    }
    // texts that touch copper of two islands
    std::sort(m_textTouches.begin(), m_textTouches.end());
    for (size_t i = 0; i < m_textTouches.size();) {
        const std::uint32_t t = m_textTouches[i].first;
        std::vector<int> islands;
        for (; i < m_textTouches.size() && m_textTouches[i].first == t; ++i) {
            const int island = out.objectIsland[m_textTouches[i].second];
            if (island >= 0) {
                islands.push_back(island);
            }
        }
        std::sort(islands.begin(), islands.end());
        islands.erase(std::unique(islands.begin(), islands.end()), islands.end());
        if (islands.size() >= 2) {
            const TextInfo& info = m_texts[t];
            out.textContacts.push_back(TextContact{info.text, info.x, info.y, info.line, islands});
        }
    }
    for (DrawnCopper& d : m_drawn) {
        d.island = out.objectIsland[static_cast<size_t>(d.island)];
    }
    out.drawn = std::move(m_drawn);
    out.pads = std::move(m_pads);
    out.vias = std::move(m_vias);
    out.padObject = std::move(m_padObject);
    out.joints = std::move(m_joints);
    return out;
}

Copper CopperTracer::run() {
    read();
    if (m_options.pours) {
        // 1-mil tracks on a pour layer are its outline pieces: the pour stands for them
        for (int which = 0; which < 2; ++which) {
            if (m_pourLayer[which]) {
                for (size_t i : m_oneMilTracks[which]) {
                    m_shapes[i].layers &= ~(1u << (kPourLayers[which] - 1));
                }
            }
        }
    }
    joinTouching();
    // a pad tied to a plane by its plane code joins that plane's copper
    for (const auto& [pad, plane] : m_planeTies) {
        if (!m_planes[plane]) {
            m_planes[plane] = newObject(ObjectKind::Plane, plane);
        }
        const PadInfo& p = m_pads[pad];
        join(*m_planes[plane], m_padObject[pad], at(p.x, p.y));
    }
    if (m_options.pours) {
        for (int which = 0; which < 2; ++which) {
            if (m_pourLayer[which]) {
                pours(which);
            }
        }
        joinSeams();
    }
    return collect();
}

}  // namespace

Copper traceCopper(const std::string& boardPath, const CopperOptions& options,
                   const std::function<void(const std::string&)>& skippedLine) {
    return CopperTracer(boardPath, options, skippedLine).run();
}

}  // namespace padloom::nets
