#include "nets/spatial_grid.h"

#include <algorithm>
#include <cmath>

namespace padloom::nets {

SpatialGrid::SpatialGrid(const std::vector<Box>& boxes) : m_boxes(boxes), m_seen(boxes.size()) {
    size_t count = 0;
    double sizes = 0;
    for (const Box& b : boxes) {
        if (!b.empty()) {
            m_bounds.add(b);
            ++count;
            sizes += double(std::max(b.x1 - b.x0, b.y1 - b.y0));
        }
    }
    if (count == 0) {
        m_start.assign(2, 0);
        return;
    }
    const double width = double(m_bounds.x1 - m_bounds.x0) + 1;
    const double height = double(m_bounds.y1 - m_bounds.y0) + 1;
    // cells about as large as a typical box, and never many more cells than boxes
    double cell = std::max(sizes / double(count), std::sqrt(width * height / double(count)));
    cell = std::max(cell, 1.0);
    while ((width / cell + 1) * (height / cell + 1) > 4.0 * double(count) + 16) {
        cell *= 1.5;
    }
    m_cell = static_cast<std::int64_t>(std::ceil(cell));
    m_columns = static_cast<int>((m_bounds.x1 - m_bounds.x0) / m_cell + 1);
    m_rows = static_cast<int>((m_bounds.y1 - m_bounds.y0) / m_cell + 1);
    const size_t cells = static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows);

    // count, then place: one array of entries, cell after cell
    m_start.assign(cells + 1, 0);
    for (const Box& b : boxes) {
        if (b.empty()) {
            continue;
        }
        for (int r = row(b.y0); r <= row(b.y1); ++r) {
            for (int c = column(b.x0); c <= column(b.x1); ++c) {
                ++m_start[static_cast<size_t>(r) * m_columns + c + 1];
            }
        }
    }
    for (size_t i = 0; i < cells; ++i) {
        m_start[i + 1] += m_start[i];
    }
    m_entries.resize(m_start[cells]);
    std::vector<std::uint32_t> next(m_start.begin(), m_start.end() - 1);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Box& b = boxes[i];
        if (b.empty()) {
            continue;
        }
        for (int r = row(b.y0); r <= row(b.y1); ++r) {
            for (int c = column(b.x0); c <= column(b.x1); ++c) {
                m_entries[next[static_cast<size_t>(r) * m_columns + c]++] =
                    static_cast<std::uint32_t>(i);
            }
        }
    }
}

}  // namespace padloom::nets
