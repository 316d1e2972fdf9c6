#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "nets/geometry.h"

namespace padloom::nets {

/// A uniform grid of square cells over a set of boxes: each cell lists the boxes that reach
/// into it. Built once; memory grows with the number of boxes and the cells each covers.
class SpatialGrid {
public:
    /// Indexes `boxes` (empty ones are left out); the cell size follows their count, their
    /// sizes and the area they cover, so that a cell holds a few boxes.
    explicit SpatialGrid(const std::vector<Box>& boxes);

    /// Calls `f(i, j)` once for every pair of indexed boxes that meet, i < j.
    template <class F>
    void forEachMeetingPair(F&& f) const;

    /// Cells of more boxes than this are crowded.
    static constexpr std::uint32_t kCrowded = 64;

    /// As forEachMeetingPair, but every crowded cell goes whole to `crowd(region, boxes)`: its
    /// region (edges included) and the boxes that reach into it. A pair whose shared part begins
    /// in a crowded cell goes to `f` in every other cell of few boxes the two share, as whoever
    /// joins the crowd looks only at what meets inside its region.
    template <class F, class C>
    void forEachMeetingPair(F&& f, C&& crowd) const;

    /// Calls `f(i)` for every indexed box that meets `box`, once each.
    template <class F>
    void forEachMeeting(const Box& box, F&& f) const;

private:
    int column(std::int64_t x) const;
    int row(std::int64_t y) const;

    const std::vector<Box>& m_boxes;
    Box m_bounds;
    std::int64_t m_cell = 1;
    int m_columns = 1;
    int m_rows = 1;
    std::vector<std::uint32_t> m_start;  // per cell, where its entries begin in m_entries
    std::vector<std::uint32_t> m_entries;
    mutable std::vector<std::uint32_t> m_seen;  // per box, the query that last met it
    mutable std::uint32_t m_query = 0;
};

inline int SpatialGrid::column(std::int64_t x) const {
    const std::int64_t c = (x - m_bounds.x0) / m_cell;
    return static_cast<int>(c < 0 ? 0 : c >= m_columns ? m_columns - 1 : c);
}

inline int SpatialGrid::row(std::int64_t y) const {
    const std::int64_t r = (y - m_bounds.y0) / m_cell;
    return static_cast<int>(r < 0 ? 0 : r >= m_rows ? m_rows - 1 : r);
}

template <class F>
void SpatialGrid::forEachMeetingPair(F&& f) const {
    forEachMeetingPair(f, nullptr);
}

template <class F, class C>
void SpatialGrid::forEachMeetingPair(F&& f, C&& crowd) const {
    constexpr bool crowds = !std::is_same_v<std::decay_t<C>, std::nullptr_t>;
    auto crowded = [&](size_t cell) {
        return crowds && m_start[cell + 1] - m_start[cell] > kCrowded;
    };
    std::vector<std::uint32_t> boxes;
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c) {
            const size_t cell = static_cast<size_t>(r) * m_columns + c;
            const std::uint32_t* begin = m_entries.data() + m_start[cell];
            const std::uint32_t* end = m_entries.data() + m_start[cell + 1];
            if (crowded(cell)) {
                if constexpr (crowds) {
                    boxes.assign(begin, end);
                    const Box region{m_bounds.x0 + c * m_cell, m_bounds.y0 + r * m_cell,
                                     m_bounds.x0 + (c + 1) * m_cell,
                                     m_bounds.y0 + (r + 1) * m_cell};
                    crowd(region, boxes);
                }
                continue;
            }
            for (const std::uint32_t* p = begin; p != end; ++p) {
                const Box& a = m_boxes[*p];
                for (const std::uint32_t* q = p + 1; q != end; ++q) {
                    const Box& b = m_boxes[*q];
                    if (!a.meets(b)) {
                        continue;
                    }
                    // a pair that shares several cells is met in one only: the cell of the
                    // low corner of the part the two boxes share, unless that one is crowded
                    const int oc = column(std::max(a.x0, b.x0)), orow = row(std::max(a.y0, b.y0));
                    if ((oc != c || orow != r) &&
                        !crowded(static_cast<size_t>(orow) * m_columns + oc)) {
                        continue;
                    }
                    f(std::min(*p, *q), std::max(*p, *q));
                }
            }
        }
    }
}

template <class F>
void SpatialGrid::forEachMeeting(const Box& box, F&& f) const {
    if (box.empty() || m_entries.empty() || !box.meets(m_bounds)) {
        return;
    }
    if (++m_query == 0) {
        std::fill(m_seen.begin(), m_seen.end(), 0);
        m_query = 1;
    }
    const int c0 = column(box.x0), c1 = column(box.x1);
    const int r0 = row(box.y0), r1 = row(box.y1);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            const size_t cell = static_cast<size_t>(r) * m_columns + c;
            for (std::uint32_t k = m_start[cell]; k < m_start[cell + 1]; ++k) {
                const std::uint32_t i = m_entries[k];
                if (m_seen[i] != m_query && m_boxes[i].meets(box)) {
                    m_seen[i] = m_query;
                    f(i);
                }
            }
        }
    }
}

}  // namespace padloom::nets
