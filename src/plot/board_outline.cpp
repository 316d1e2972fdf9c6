#include "plot/board_outline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <unordered_map>
#include <unordered_set>

#include "board/board_reader.h"
#include "common/number_format.h"

namespace padloom::plot {

using common::decimal;

std::string_view outlineSourceName(OutlineSource source) {
    switch (source) {
        case OutlineSource::Auto:
            return "auto";
        case OutlineSource::Board:
            return "board";
        case OutlineSource::KeepOut:
            return "keepout";
        case OutlineSource::None:
            return "none";
    }
    return "auto";
}

std::optional<OutlineSource> outlineSourceNamed(std::string_view name) {
    for (OutlineSource s :
         {OutlineSource::Auto, OutlineSource::Board, OutlineSource::KeepOut, OutlineSource::None}) {
        if (name == outlineSourceName(s)) {
            return s;
        }
    }
    return std::nullopt;
}

namespace {

constexpr int kBoardLayer = 11;
constexpr int kKeepOutLayer = 12;
// Ends this close together (mils, along each axis) are one point of the outline: a router
// follows the centre line, and a hand-drawn corner may miss by a mil or two.
constexpr int kJoin = 2;
// Loops considered at most, the largest first: a board outline encloses every pad, so it is
// among the largest; a layer of thousands of small rings is no outline.
constexpr size_t kMostLoops = 1000;

std::string layerName(int layer) {
    return layer == kBoardLayer ? "the board layer (11)" : "the keep-out layer (12)";
}

std::string at(double x, double y) {
    return decimal(static_cast<long long>(std::lround(x))) + "," +
           decimal(static_cast<long long>(std::lround(y)));
}

// --- geometry of one piece --------------------------------------------------------------------

// Whether a horizontal ray from (px, py) towards +x crosses the piece; the half-open rule on y
// counts a ray through a shared end once. A quarter circle is monotonic in x and y, so it is
// crossed at most once, on the side of the circle its quadrant lies.
bool rayCrosses(const OutlinePiece& p, double px, double py) {
    const bool above1 = p.y1 > py;
    const bool above2 = p.y2 > py;
    if (above1 == above2) {
        return false;
    }
    double x = 0;
    if (!p.arc()) {
        x = p.x1 + (py - p.y1) * (double(p.x2) - p.x1) / (double(p.y2) - p.y1);
    } else {
        const double dy = py - p.cy;
        const double dx = std::sqrt(std::max(0.0, double(p.radius) * p.radius - dy * dy));
        x = (p.quadrant == 1 || p.quadrant == 8) ? p.cx + dx : p.cx - dx;
    }
    return x > px;
}

double segmentDistance(double px, double py, double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((px - x1) * dx + (py - y1) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

double pieceDistance(const OutlinePiece& p, double px, double py) {
    if (!p.arc()) {
        return segmentDistance(px, py, p.x1, p.y1, p.x2, p.y2);
    }
    const double dx = px - p.cx;
    const double dy = py - p.cy;
    // within the quarter's angle the nearest point is on the circle, else an end
    const bool right = dx >= 0;
    const bool top = dy >= 0;
    const bool within = (p.quadrant == 1 && right && top) || (p.quadrant == 2 && !right && top) ||
                        (p.quadrant == 4 && !right && !top) || (p.quadrant == 8 && right && !top);
    if (within) {
        return std::abs(std::hypot(dx, dy) - p.radius);
    }
    return std::min(std::hypot(px - p.x1, py - p.y1), std::hypot(px - p.x2, py - p.y2));
}

// --- the layer's lines as a graph -------------------------------------------------------------

struct Edge {
    OutlinePiece piece;  // as the record gives it: a quarter runs clockwise from (x1, y1)
    int from = -1;       // the node at (x1, y1)
    int to = -1;         // the node at (x2, y2)
    bool alive = true;
};

struct EdgeEnd {
    int edge;
    bool atFrom;  // the end at the edge's `from` node
    double angle = 0;
};

struct Node {
    int x, y;
    std::vector<EdgeEnd> ends;  // sorted counter-clockwise by the direction they leave in
};

// The direction an edge leaves a node in, counter-clockwise from +x. A quarter circle leaves
// along its tangent, turned a hair towards the side it bends to, so that a line and an arc
// leaving along the same tangent keep the order of their bends.
double leavingAngle(const OutlinePiece& p, bool atFrom) {
    if (!p.arc()) {
        return atFrom ? std::atan2(double(p.y2) - p.y1, double(p.x2) - p.x1)
                      : std::atan2(double(p.y1) - p.y2, double(p.x1) - p.x2);
    }
    constexpr double kBend = 1e-9;
    const double vx = atFrom ? p.x1 - p.cx : p.x2 - p.cx;
    const double vy = atFrom ? p.y1 - p.cy : p.y2 - p.cy;
    // clockwise from its start, counter-clockwise back from its end
    return atFrom ? std::atan2(-vx, vy) - kBend : std::atan2(vx, -vy) + kBend;
}

class LineGraph {
public:
    // Adds a straight piece, or the quarters of an arc record, with joined ends.
    void addTrack(int x1, int y1, int x2, int y2, int width, long line) {
        OutlinePiece p;
        p.x1 = x1, p.y1 = y1, p.x2 = x2, p.y2 = y2, p.width = width, p.line = line;
        add(p);
    }
    void addArc(int cx, int cy, int radius, int mask, int width, long line) {
        if (radius <= 0) {
            return;
        }
        for (int q : {1, 2, 4, 8}) {
            if ((mask & q) == 0) {
                continue;
            }
            OutlinePiece p;
            p.quadrant = q, p.cx = cx, p.cy = cy, p.radius = radius, p.width = width, p.line = line;
            const int r = radius;
            // clockwise from its first point to its second
            switch (q) {
                case 1:
                    p.x1 = cx, p.y1 = cy + r, p.x2 = cx + r, p.y2 = cy;
                    break;
                case 2:
                    p.x1 = cx - r, p.y1 = cy, p.x2 = cx, p.y2 = cy + r;
                    break;
                case 4:
                    p.x1 = cx, p.y1 = cy - r, p.x2 = cx - r, p.y2 = cy;
                    break;
                default:
                    p.x1 = cx + r, p.y1 = cy, p.x2 = cx, p.y2 = cy - r;
                    break;
            }
            add(p);
        }
    }

    // Removes the lines that lead nowhere, repeatedly; returns the first loose end in board
    // order, for telling the user where a chain is open.
    std::optional<std::pair<OutlinePiece, bool>> pruneLooseEnds() {
        std::optional<std::pair<OutlinePiece, bool>> first;  // the piece, and whether at (x1, y1)
        std::vector<int> degree(m_nodes.size(), 0);
        for (const Edge& e : m_edges) {
            ++degree[static_cast<size_t>(e.from)];
            ++degree[static_cast<size_t>(e.to)];
        }
        std::vector<int> loose;
        for (size_t n = 0; n < m_nodes.size(); ++n) {
            if (degree[n] == 1) {
                loose.push_back(static_cast<int>(n));
                for (const EdgeEnd& end : m_nodes[n].ends) {
                    const Edge& e = m_edges[static_cast<size_t>(end.edge)];
                    if (!first || e.piece.line < first->first.line) {
                        first = std::make_pair(e.piece, end.atFrom);
                    }
                }
            }
        }
        while (!loose.empty()) {
            const int n = loose.back();
            loose.pop_back();
            for (const EdgeEnd& end : m_nodes[static_cast<size_t>(n)].ends) {
                Edge& e = m_edges[static_cast<size_t>(end.edge)];
                if (!e.alive) {
                    continue;
                }
                e.alive = false;
                for (int m : {e.from, e.to}) {
                    if (--degree[static_cast<size_t>(m)] == 1) {
                        loose.push_back(m);
                    }
                }
            }
        }
        return first;
    }

    // The outer boundary of each connected part of the lines left, as a loop of pieces.
    std::vector<std::vector<OutlinePiece>> outerLoops() {
        for (Node& n : m_nodes) {
            std::erase_if(n.ends, [&](const EdgeEnd& e) {
                return !m_edges[static_cast<size_t>(e.edge)].alive;
            });
            for (EdgeEnd& end : n.ends) {
                end.angle = leavingAngle(m_edges[static_cast<size_t>(end.edge)].piece, end.atFrom);
            }
            std::stable_sort(n.ends.begin(), n.ends.end(),
                             [](const EdgeEnd& a, const EdgeEnd& b) { return a.angle < b.angle; });
        }
        // the parts: nodes joined by the lines left
        std::vector<size_t> part(m_nodes.size());
        for (size_t i = 0; i < part.size(); ++i) {
            part[i] = i;
        }
        auto root = [&](size_t n) {
            while (part[n] != n) {
                n = part[n] = part[part[n]];
            }
            return n;
        };
        for (const Edge& e : m_edges) {
            if (e.alive) {
                part[root(static_cast<size_t>(e.from))] = root(static_cast<size_t>(e.to));
            }
        }
        // each part's start: its leftmost node, the lowest of those
        std::unordered_map<size_t, int> start;
        for (size_t n = 0; n < m_nodes.size(); ++n) {
            if (m_nodes[n].ends.empty()) {
                continue;
            }
            auto [it, added] = start.emplace(root(n), static_cast<int>(n));
            const Node& a = m_nodes[n];
            const Node& b = m_nodes[static_cast<size_t>(it->second)];
            if (!added && (a.x < b.x || (a.x == b.x && a.y < b.y))) {
                it->second = static_cast<int>(n);
            }
        }
        std::vector<int> starts;
        for (const auto& [r, n] : start) {
            starts.push_back(n);
        }
        std::sort(starts.begin(), starts.end());
        std::vector<std::vector<OutlinePiece>> loops;
        for (int s : starts) {
            if (auto loop = walkOuter(s)) {
                loops.push_back(std::move(*loop));
            }
        }
        return loops;
    }

private:
    int node(int x, int y) {
        const auto cell = [](int v) {
            return static_cast<std::int64_t>(std::floor(v / double(kJoin + 1)));
        };
        const std::int64_t cx = cell(x);
        const std::int64_t cy = cell(y);
        for (std::int64_t i = cx - 1; i <= cx + 1; ++i) {
            for (std::int64_t j = cy - 1; j <= cy + 1; ++j) {
                auto it = m_cells.find(key(i, j));
                for (int n = it == m_cells.end() ? -1 : it->second; n >= 0;
                     n = m_nextInCell[static_cast<size_t>(n)]) {
                    const Node& candidate = m_nodes[static_cast<size_t>(n)];
                    if (std::abs(candidate.x - x) <= kJoin && std::abs(candidate.y - y) <= kJoin) {
                        return n;
                    }
                }
            }
        }
        m_nodes.push_back(Node{x, y, {}});
        const int n = static_cast<int>(m_nodes.size()) - 1;
        // the cell's nodes as a list: the newest first
        auto [it, added] = m_cells.emplace(key(cx, cy), n);
        m_nextInCell.push_back(added ? -1 : it->second);
        it->second = n;
        return n;
    }
    static std::uint64_t key(std::int64_t i, std::int64_t j) {
        return (static_cast<std::uint64_t>(i) << 32) ^ static_cast<std::uint32_t>(j);
    }

    void add(const OutlinePiece& p) {
        Edge e{p, node(p.x1, p.y1), node(p.x2, p.y2)};
        if (e.from == e.to) {
            return;  // a dot, or an arc too small to go anywhere
        }
        // a line drawn twice is one line
        const auto [lo, hi] = std::minmax(e.from, e.to);
        const Twin twin{lo, hi, p.quadrant, p.arc() ? p.cx : 0, p.arc() ? p.cy : 0, p.radius};
        if (!m_seen.insert(twin).second) {
            return;
        }
        const int index = static_cast<int>(m_edges.size());
        m_edges.push_back(e);
        m_nodes[static_cast<size_t>(e.from)].ends.push_back({index, true});
        m_nodes[static_cast<size_t>(e.to)].ends.push_back({index, false});
    }

    // Walks the outer boundary of the part that node `s` (its leftmost, lowest node) is in,
    // keeping the outside on the right: at each node the walk takes the first line counter-
    // clockwise from the one it came by, the sharpest right turn. From the start, which nothing
    // lies left of, it takes the first line counter-clockwise from due left. The loop it gives
    // runs counter-clockwise.
    std::optional<std::vector<OutlinePiece>> walkOuter(int s) {
        const Node& first = m_nodes[static_cast<size_t>(s)];
        size_t take = 0;
        double best = 10;
        for (size_t i = 0; i < first.ends.size(); ++i) {
            double turn = first.ends[i].angle - std::numbers::pi;
            while (turn <= 0) {
                turn += 2 * std::numbers::pi;
            }
            if (turn < best) {
                best = turn;
                take = i;
            }
        }
        std::vector<OutlinePiece> loop;
        int n = s;
        size_t slot = take;
        const size_t most = 2 * m_edges.size() + 2;
        do {
            const EdgeEnd& end = m_nodes[static_cast<size_t>(n)].ends[slot];
            const Edge& e = m_edges[static_cast<size_t>(end.edge)];
            OutlinePiece p = e.piece;
            if (!end.atFrom) {
                std::swap(p.x1, p.x2);
                std::swap(p.y1, p.y2);
            }
            loop.push_back(p);
            // on to the far node, and the line after the one we came by
            const int next = end.atFrom ? e.to : e.from;
            const std::vector<EdgeEnd>& there = m_nodes[static_cast<size_t>(next)].ends;
            size_t back = 0;
            while (back < there.size() &&
                   !(there[back].edge == end.edge && there[back].atFrom == !end.atFrom)) {
                ++back;
            }
            if (back == there.size() || loop.size() > most) {
                return std::nullopt;
            }
            n = next;
            slot = (back + 1) % there.size();
        } while (!(n == s && slot == take));
        return loop;
    }

    std::vector<Node> m_nodes;
    std::vector<Edge> m_edges;
    std::unordered_map<std::uint64_t, int> m_cells;  // a cell's newest node
    std::vector<int> m_nextInCell;                    // per node, the cell's node before it
    // what tells two lines apart: their ends, and for a quarter circle its quarter and circle
    struct Twin {
        int lo, hi, quadrant, cx, cy, radius;
        bool operator==(const Twin&) const = default;
    };
    struct TwinHash {
        size_t operator()(const Twin& t) const {
            size_t h = 0;
            for (int v : {t.lo, t.hi, t.quadrant, t.cx, t.cy, t.radius}) {
                h = h * 1000003u ^ std::hash<int>()(v);
            }
            return h;
        }
    };
    std::unordered_set<Twin, TwinHash> m_seen;
};

// --- loops and the points they enclose --------------------------------------------------------

// A loop with its extent and an index of its pieces by horizontal band, so that telling many
// points inside or outside costs a few pieces each.
class IndexedLoop {
public:
    explicit IndexedLoop(std::vector<OutlinePiece> pieces) : m_pieces(std::move(pieces)) {
        m_minX = m_minY = std::numeric_limits<int>::max();
        m_maxX = m_maxY = std::numeric_limits<int>::min();
        for (const OutlinePiece& p : m_pieces) {
            for (auto [x, y] : {std::pair{p.x1, p.y1}, std::pair{p.x2, p.y2}}) {
                m_minX = std::min(m_minX, x), m_maxX = std::max(m_maxX, x);
                m_minY = std::min(m_minY, y), m_maxY = std::max(m_maxY, y);
            }
        }
        const size_t bands =
            std::clamp<size_t>(static_cast<size_t>(std::sqrt(double(m_pieces.size()))), 1, 1024);
        m_bandHeight = std::max(1.0, (double(m_maxY) - m_minY + 1) / double(bands));
        m_bands.resize(bands);
        for (size_t i = 0; i < m_pieces.size(); ++i) {
            const OutlinePiece& p = m_pieces[i];
            for (size_t b = band(std::min(p.y1, p.y2)); b <= band(std::max(p.y1, p.y2)); ++b) {
                m_bands[b].push_back(i);
            }
        }
        // the signed area of the chords: a walk that went round clockwise is turned
        double area = 0;
        for (const OutlinePiece& p : m_pieces) {
            area += double(p.x1) * p.y2 - double(p.x2) * p.y1;
        }
        if (area < 0) {
            std::reverse(m_pieces.begin(), m_pieces.end());
            for (OutlinePiece& p : m_pieces) {
                std::swap(p.x1, p.x2);
                std::swap(p.y1, p.y2);
            }
        }
        m_area = std::abs(area) / 2;
    }

    bool boxHolds(double x, double y) const {
        return x >= m_minX && x <= m_maxX && y >= m_minY && y <= m_maxY;
    }
    bool boxHolds(const IndexedLoop& other) const {
        return other.m_minX >= m_minX && other.m_maxX <= m_maxX && other.m_minY >= m_minY &&
               other.m_maxY <= m_maxY;
    }
    // Inside, or on the centre line (within half a mil).
    bool holds(double x, double y) const {
        if (!boxHolds(x, y)) {
            return false;
        }
        bool inside = false;
        for (size_t i : m_bands[band(y)]) {
            const OutlinePiece& p = m_pieces[i];
            if (pieceDistance(p, x, y) <= 0.5) {
                return true;
            }
            inside = inside != rayCrosses(p, x, y);
        }
        return inside;
    }
    double boxArea() const { return (double(m_maxX) - m_minX) * (double(m_maxY) - m_minY); }
    // "from 100,200 to 300,400": where the loop lies
    std::string span() const { return "from " + at(m_minX, m_minY) + " to " + at(m_maxX, m_maxY); }
    const std::vector<OutlinePiece>& pieces() const { return m_pieces; }
    const OutlinePiece& first() const { return m_pieces.front(); }

private:
    size_t band(double y) const {
        const double b = std::floor((y - m_minY) / m_bandHeight);
        return static_cast<size_t>(std::clamp(b, 0.0, double(m_bands.size() - 1)));
    }

    std::vector<OutlinePiece> m_pieces;
    int m_minX, m_minY, m_maxX, m_maxY;
    double m_bandHeight = 1;
    std::vector<std::vector<size_t>> m_bands;
    double m_area = 0;
};

struct Mark {
    int x, y;
    long line;
};

// What one reading of the board gives the finder: the lines of both layers, the pads and vias.
struct BoardLines {
    LineGraph graph[2];  // board layer, keep-out layer
    bool hasLines[2] = {false, false};
    std::vector<Mark> marks;  // pad and via centres
};

BoardLines readBoardLines(const std::string& boardPath,
                          std::shared_ptr<const board::BoardImage> image) {
    BoardLines lines;
    board::BoardReader reader(boardPath, std::move(image));
    reader.onlyKinds({board::RecordKind::Pad, board::RecordKind::Via, board::RecordKind::Track,
                      board::RecordKind::Arc});
    while (auto kind = reader.next()) {
        const board::CurrentRecord& r = reader.record();
        switch (*kind) {
            case board::RecordKind::Pad:
            case board::RecordKind::Via:
                lines.marks.push_back({r.x1, r.y1, reader.recordLine()});
                break;
            case board::RecordKind::Track:
            case board::RecordKind::Arc:
                if (r.layer == kBoardLayer || r.layer == kKeepOutLayer) {
                    const int i = r.layer == kBoardLayer ? 0 : 1;
                    lines.hasLines[i] = true;
                    if (*kind == board::RecordKind::Track) {
                        lines.graph[i].addTrack(r.x1, r.y1, r.x2, r.y2, r.width,
                                                reader.recordLine());
                    } else {
                        lines.graph[i].addArc(r.x1, r.y1, r.radius, r.quadrantMask, r.width,
                                              reader.recordLine());
                    }
                }
                break;
            default:
                break;
        }
    }
    return lines;
}

std::string plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The outline on one layer: its outer loops that hold the pads and vias.
BoardOutline outlineOn(int layer, LineGraph& graph, const std::vector<Mark>& marks) {
    BoardOutline outline;
    const auto loose = graph.pruneLooseEnds();
    std::vector<std::vector<OutlinePiece>> walked = graph.outerLoops();
    if (walked.empty()) {
        outline.absence = layerName(layer) + " has lines, but no closed loop of them";
        if (loose) {
            const OutlinePiece& p = loose->first;
            outline.absence += ": the line of board line " + decimal(p.line) + " ends at " +
                               (loose->second ? at(p.x1, p.y1) : at(p.x2, p.y2)) +
                               ", where no other line does";
        }
        return outline;
    }
    std::vector<IndexedLoop> loops;
    for (auto& w : walked) {
        loops.emplace_back(std::move(w));
    }
    std::stable_sort(loops.begin(), loops.end(), [](const IndexedLoop& a, const IndexedLoop& b) {
        return a.boxArea() > b.boxArea();
    });
    if (loops.size() > kMostLoops) {
        loops.erase(loops.begin() + kMostLoops, loops.end());
    }
    // a loop inside another is a cut-out or a keep-out zone, never the edge
    std::vector<bool> inner(loops.size(), false);
    for (size_t i = 0; i < loops.size(); ++i) {
        const OutlinePiece& p = loops[i].first();
        for (size_t j = 0; j < i && !inner[i]; ++j) {
            inner[i] = loops[j].boxHolds(loops[i]) && loops[j].holds(p.x1, p.y1);
        }
    }
    std::vector<size_t> holding(loops.size(), 0);
    std::vector<Mark> outside;
    for (const Mark& m : marks) {
        bool held = false;
        for (size_t i = 0; i < loops.size() && !held; ++i) {
            if (!inner[i] && loops[i].holds(m.x, m.y)) {
                ++holding[i];
                held = true;
            }
        }
        if (!held) {
            outside.push_back(m);
        }
    }
    if (!outside.empty()) {
        const Mark& m =
            *std::min_element(outside.begin(), outside.end(),
                              [](const Mark& a, const Mark& b) { return a.line < b.line; });
        size_t outer = 0;
        for (bool in : inner) {
            outer += in ? 0 : 1;
        }
        outline.absence = plural(outside.size(), "pad or via lies", "pads and vias lie") +
                          " outside " + (outer == 1 ? "the closed loop" : "every closed loop") +
                          " of " + layerName(layer) + ", the first at " + at(m.x, m.y) +
                          " (board line " + decimal(m.line) + ")";
        return outline;
    }
    outline.boardLayer = layer;
    for (size_t i = 0; i < loops.size(); ++i) {
        const std::string where =
            loops[i].span() + " (board line " + decimal(loops[i].first().line) + ")";
        if (inner[i]) {
            if (layer == kBoardLayer) {
                outline.notes.push_back("a closed loop of the board layer (11) " + where +
                                        " lies inside the outline and is left out of it (a "
                                        "cut-out must be asked for)");
            }
            continue;
        }
        if (holding[i] == 0 && !marks.empty()) {
            outline.notes.push_back("a closed loop of " + layerName(layer) + " " + where +
                                    " holds no pad and is left out of the outline");
            continue;
        }
        outline.loopStarts.push_back(outline.pieces.size());
        outline.pieces.insert(outline.pieces.end(), loops[i].pieces().begin(),
                              loops[i].pieces().end());
    }
    return outline;
}

}  // namespace

OutlineExtent BoardOutline::extent() const {
    if (pieces.empty()) {
        return {};
    }
    OutlineExtent e{pieces[0].x1, pieces[0].y1, pieces[0].x1, pieces[0].y1};
    // a quarter circle's extent is that of its two ends
    for (const OutlinePiece& p : pieces) {
        for (auto [x, y] : {std::pair{p.x1, p.y1}, std::pair{p.x2, p.y2}}) {
            e.minX = std::min(e.minX, x), e.maxX = std::max(e.maxX, x);
            e.minY = std::min(e.minY, y), e.maxY = std::max(e.maxY, y);
        }
    }
    return e;
}

bool BoardOutline::contains(double x, double y) const {
    bool inside = false;
    for (const OutlinePiece& p : pieces) {
        if (pieceDistance(p, x, y) <= 0.5) {
            return true;
        }
        inside = inside != rayCrosses(p, x, y);
    }
    return inside;
}

double BoardOutline::distance(double x, double y) const {
    double best = std::numeric_limits<double>::infinity();
    for (const OutlinePiece& p : pieces) {
        best = std::min(best, pieceDistance(p, x, y));
    }
    return best;
}

BoardOutline findBoardOutline(const std::string& boardPath, OutlineSource source,
                              std::shared_ptr<const board::BoardImage> image) {
    BoardOutline none;
    if (source == OutlineSource::None) {
        none.absence = "none was asked for";
        return none;
    }
    BoardLines lines = readBoardLines(boardPath, std::move(image));
    int layer = source == OutlineSource::KeepOut ? kKeepOutLayer : kBoardLayer;
    if (source == OutlineSource::Auto && !lines.hasLines[0]) {
        layer = kKeepOutLayer;
    }
    const int i = layer == kBoardLayer ? 0 : 1;
    if (!lines.hasLines[i]) {
        none.absence = source == OutlineSource::Auto
                           ? "neither the board layer (11) nor the keep-out layer (12) has lines"
                           : layerName(layer) + " has no lines";
        return none;
    }
    return outlineOn(layer, lines.graph[i], lines.marks);
}

std::string noOutlineWarning(const BoardOutline& outline) {
    return "No board outline: " + outline.absence +
           "; no outline file is made, and the board house must be told the board's shape and "
           "size";
}

}  // namespace padloom::plot
