#pragma once

#include <cstddef>
#include <vector>

namespace padloom::plot {

/// One end of a pour edge: the point, and the edge's kind (0 straight, or the quadrant bit
/// 1, 2, 4, 8 of a quarter circle), radius and centre (all 0 for a straight piece).
struct EndRecord {
    int x = 0;
    int y = 0;
    int kind = 0;
    int radius = 0;
    int centreX = 0;
    int centreY = 0;
    bool operator==(const EndRecord&) const = default;
};

/// A straight or quarter-circle piece of a 1-mil pour outline, from end A to end B (a quarter
/// circle runs clockwise from A to B).
struct PourEdge {
    EndRecord a;
    EndRecord b;
};

/// The pieces of a layer's pour outlines, in insertion order. Outlines are walked by finding
/// the piece that continues at a point and removing it, so no piece is used twice.
class PourEdgeTable {
public:
    void clear() { m_edges.clear(); }
    bool empty() const { return m_edges.empty(); }
    std::size_t size() const { return m_edges.size(); }
    const PourEdge& operator[](std::size_t i) const { return m_edges[i]; }

    /// Appends a piece from (x1, y1) to (x2, y2); straight pieces pass kind 0, radius 0 and
    /// centre (0, 0).
    void add_fill_entry(int x1, int y1, int x2, int y2, int kind, int radius, int centreX,
                        int centreY);
    /// Removes the piece at a 0-based index; later pieces move up by one. An index outside
    /// the table removes nothing.
    void delete_fill_entry(int index);
    /// The first piece, in table order, with an end at the point of `point` (end A tested
    /// before end B); copies that piece's other end into `otherEnd`. -1 when no piece touches
    /// the point, leaving `otherEnd` unchanged.
    int find_point(const EndRecord& point, EndRecord& otherEnd) const;

private:
    std::vector<PourEdge> m_edges;
};

/// The end points of the quarter circle of a quadrant bit around (cx, cy), as A then B.
PourEdge quarterCircle(int quadrantBit, int cx, int cy, int radius);

}  // namespace padloom::plot
