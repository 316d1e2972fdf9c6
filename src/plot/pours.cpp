#include "plot/pours.h"

#include <cstdlib>

#include "board/board_reader.h"
#include "common/number_format.h"

namespace padloom::plot {

using common::decimal;

void collectPourPieces(PourEdgeTable& edges, const board::RunValues& runValues, int layer,
                       const board::ApertureTable& apertures) {
    edges.clear();
    board::BoardReader reader(runValues.boardFile, runValues.boardImage);
    while (auto kind = reader.next()) {
        const board::CurrentRecord& r = reader.record();
        if (!reader.isFree() || r.layer != layer) {
            continue;  // component tracks and arcs never outline a pour
        }
        const bool oneMilTrack =
            *kind == board::RecordKind::Track &&
            apertures.FindAperture(board::kCircular, r.width, r.width) == kOneMilDcode;
        addPourPieces(edges, *kind, r, oneMilTrack);
    }
}

void addPourPieces(PourEdgeTable& edges, board::RecordKind kind, const board::CurrentRecord& r,
                   bool oneMilTrack) {
    if (kind == board::RecordKind::Track && oneMilTrack) {
        edges.add_fill_entry(r.x1, r.y1, r.x2, r.y2, 0, 0, 0, 0);
    } else if (kind == board::RecordKind::Arc && r.width == 1) {
        for (int bit : {1, 2, 4, 8}) {
            if (r.quadrantMask & bit) {
                const PourEdge q = quarterCircle(bit, r.x1, r.y1, r.radius);
                edges.add_fill_entry(q.a.x, q.a.y, q.b.x, q.b.y, bit, r.radius, r.x1, r.y1);
            }
        }
    }
}

int bearing(int x, int y, int centreX, int centreY) {
    if (x < centreX) {
        return 270;
    }
    if (x > centreX) {
        return 90;
    }
    return y < centreY ? 180 : 0;
}

ArcTurn arcTurn(const EndRecord& from, const EndRecord& to) {
    const int a = bearing(from.x, from.y, to.centreX, to.centreY);
    const int b = bearing(to.x, to.y, to.centreX, to.centreY);
    if (b == (a + 90) % 360) {
        return ArcTurn::Clockwise;
    }
    if (a == (b + 90) % 360) {
        return ArcTurn::CounterClockwise;
    }
    return ArcTurn::Undetermined;
}

namespace {

bool samePoint(const EndRecord& p, const EndRecord& q) {
    return p.x == q.x && p.y == q.y;
}

// The pieces left when no walk can start: one dropped outline per connected chain, its first
// point the A end of its first piece in table order.
void dropLeftovers(PourEdgeTable& edges,
                   const std::function<void(const DroppedOutline&)>& dropped) {
    while (!edges.empty()) {
        const PourEdge first = edges[0];
        edges.delete_fill_entry(0);
        DroppedOutline chain{first.a, 1, DroppedOutline::Why::NoStraightPiece};
        bool straight = first.a.kind == 0;
        std::vector<EndRecord> ends{first.a, first.b};
        while (!ends.empty()) {
            const EndRecord at = ends.back();
            ends.pop_back();
            EndRecord other;
            for (int i = edges.find_point(at, other); i >= 0; i = edges.find_point(at, other)) {
                straight = straight || edges[i].a.kind == 0;
                edges.delete_fill_entry(i);
                ++chain.pieces;
                ends.push_back(other);
            }
        }
        if (straight) {
            chain.why = DroppedOutline::Why::NotClosed;
        }
        dropped(chain);
    }
}

}  // namespace

void walkPourOutlines(PourEdgeTable& edges,
                      const std::function<void(const std::vector<EndRecord>&)>& closed,
                      const std::function<void(const DroppedOutline&)>& dropped) {
    while (edges.size() >= 2) {
        int start = -1;
        for (std::size_t i = 0; i < edges.size(); ++i) {
            if (edges[i].a.kind == 0) {
                start = static_cast<int>(i);
                break;
            }
        }
        if (start < 0) {
            break;  // only arcs are left: no walk can start on them
        }
        const EndRecord s = edges[start].a;
        EndRecord e = edges[start].b;
        edges.delete_fill_entry(start);
        std::vector<EndRecord> points{s};
        int pending = 1;  // pieces taken since the outline was last handed over
        for (;;) {
            EndRecord other;
            const int next = edges.find_point(e, other);
            if (next < 0) {
                if (pending > 0) {
                    dropped(DroppedOutline{s, pending, DroppedOutline::Why::NotClosed});
                }
                break;
            }
            // A walk that goes on through the start point after a closing (a second loop that
            // touches the first there) continues the same list: e is then the closing point,
            // already at its end, and is not appended a second time. Taken again it would only
            // add a draw of zero length to the region: the area is the same either way, and a
            // contour without degenerate segments is the one every reader agrees on.
            if (pending > 0) {
                points.push_back(e);
            }
            e = other;
            edges.delete_fill_entry(next);
            ++pending;
            if (samePoint(e, s)) {
                points.push_back(e);
                closed(points);
                pending = 0;
            }
        }
    }
    dropLeftovers(edges, dropped);
}

namespace {

std::string_view copperCaption(int layer) {
    return layer == 6 ? "Bottom Copper" : "Top Copper";
}

// Writes closed outlines as regions. "G74*" is written once, before the first arc point; the
// interpolation mode carries from one outline to the next, as the file's modal state does. In
// the current syntax each outline is a region of writeRegion's, with the same arcs.
class RegionWriter {
public:
    explicit RegionWriter(LayerFile& file) : m_file(file), m_out(file.out) {}

    void outline(const std::vector<EndRecord>& points) {
        if (m_file.currentSyntax) {
            Contour contour;
            for (std::size_t k = 0; k < points.size(); ++k) {
                const EndRecord& p = points[k];
                ContourPoint point{p.x, p.y};
                if (k > 0 && p.kind != 0 && p.radius != 0 && turnOf(points[k - 1], p)) {
                    point = {p.x, p.y, m_prefix == "G02X" ? Reach::Clockwise : Reach::CounterClockwise,
                             p.centreX, p.centreY};
                }
                contour.push_back(point);
            }
            writeRegion(m_file, std::span(&contour, 1));
            return;
        }
        m_out.line(apertureCode(kOneMilDcode) + "*");
        m_file.currentAperture = kOneMilDcode;
        m_out.line("G36*");
        for (std::size_t k = 0; k < points.size(); ++k) {
            const EndRecord& p = points[k];
            if (k > 0 && p.kind != 0 && p.radius != 0 && turnOf(points[k - 1], p)) {
                arcPoint(points[k - 1], p);
            } else {
                straightPoint(p, k == 0);
            }
        }
        m_out.line("D02*G37*");
    }

    // Leaves the file in linear interpolation, so that the draws after the regions are
    // straight lines and not arcs around their own start.
    void finish() {
        if (m_lastWasArc) {
            m_out.line("G01*");
            m_lastWasArc = false;
        }
        m_file.forgetPosition();
    }

private:
    // Sets the arc prefix from the turn of the quarter; an undetermined turn keeps the
    // previous arc's prefix. False when there is no prefix to use.
    bool turnOf(const EndRecord& from, const EndRecord& to) {
        switch (arcTurn(from, to)) {
            case ArcTurn::Clockwise:
                m_prefix = "G02X";
                break;
            case ArcTurn::CounterClockwise:
                m_prefix = "G03X";
                break;
            case ArcTurn::Undetermined:
                break;
        }
        return !m_prefix.empty();
    }

    // The coordinates and their operation in one block: a coordinate block of its own would
    // take the modal D02 of the move that starts the contour, so that the first side became a
    // move and the contour closed only by the implicit closing line.
    void straightPoint(const EndRecord& p, bool first) {
        if (m_lastWasArc) {
            m_out.write("G01*");
            m_lastWasArc = false;
        }
        m_out.write("X").write(p.x).write("Y").write(p.y);
        m_out.line(first ? "D02*" : "D01*");
    }

    void arcPoint(const EndRecord& from, const EndRecord& p) {
        if (!m_g74Written) {
            m_out.write("G74*");
            m_g74Written = true;
        }
        // single-quadrant mode takes the centre offsets unsigned
        m_out.write(m_prefix).write(p.x).write("Y").write(p.y);
        m_out.write("I").write(std::abs(static_cast<long long>(from.x) - p.centreX));
        m_out.write("J").write(std::abs(static_cast<long long>(from.y) - p.centreY));
        m_out.line("D01*");
        m_lastWasArc = true;
    }

    LayerFile& m_file;
    common::LineWriter& m_out;
    bool m_g74Written = false;
    bool m_lastWasArc = false;
    std::string m_prefix;
};

}  // namespace

void writePourRegions(LayerFile& file, PourEdgeTable& edges, common::Host& host, int layer) {
    file.currentAperture = LayerFile::kNoAperture;
    file.forgetPosition();
    RegionWriter writer(file);
    walkPourOutlines(
        edges, [&](const std::vector<EndRecord>& points) { writer.outline(points); },
        [&](const DroppedOutline& d) {
            const bool open = d.why == DroppedOutline::Why::NotClosed;
            host.addLine("Warning: pour outline on " + std::string(copperCaption(layer)) +
                         (open ? " not closed" : " has no straight piece") +
                         ", no pour made: first point " + decimal(d.first.x) + "," +
                         decimal(d.first.y) + ", " + decimal(d.pieces) +
                         (d.pieces == 1 ? " piece" : " pieces"));
        });
    writer.finish();
}

}  // namespace padloom::plot
