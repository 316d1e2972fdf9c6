#include "plot/pour_edges.h"

namespace padloom::plot {

void PourEdgeTable::add_fill_entry(int x1, int y1, int x2, int y2, int kind, int radius,
                                   int centreX, int centreY) {
    m_edges.push_back(PourEdge{EndRecord{x1, y1, kind, radius, centreX, centreY},
                               EndRecord{x2, y2, kind, radius, centreX, centreY}});
}

void PourEdgeTable::delete_fill_entry(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < m_edges.size()) {
        m_edges.erase(m_edges.begin() + index);
    }
}

int PourEdgeTable::find_point(const EndRecord& point, EndRecord& otherEnd) const {
    for (std::size_t i = 0; i < m_edges.size(); ++i) {
        const auto& e = m_edges[i];
        if (e.a.x == point.x && e.a.y == point.y) {
            otherEnd = e.b;
            return static_cast<int>(i);
        }
        if (e.b.x == point.x && e.b.y == point.y) {
            otherEnd = e.a;
            return static_cast<int>(i);
        }
    }
    return -1;
}

PourEdge quarterCircle(int quadrantBit, int cx, int cy, int r) {
    auto end = [&](int x, int y) { return EndRecord{x, y, quadrantBit, r, cx, cy}; };
    switch (quadrantBit) {
        case 1:
            return {end(cx, cy + r), end(cx + r, cy)};
        case 2:
            return {end(cx - r, cy), end(cx, cy + r)};
        case 4:
            return {end(cx, cy - r), end(cx - r, cy)};
        default:
            return {end(cx + r, cy), end(cx, cy - r)};
    }
}

}  // namespace padloom::plot
