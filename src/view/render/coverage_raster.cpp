#include "view/render/coverage_raster.h"

#include <algorithm>
#include <cmath>

namespace padloom::view {

namespace {
// An edge rising less than this many pixels is taken as level.
constexpr double kFlat = 1e-12;

// Turns an edge to run down the picture, with +1 for an edge that did and -1 for one that ran
// up; false for a (nearly) level edge, which crosses no row.
bool downward(PixelPoint& a, PixelPoint& b, double& direction) {
    if (std::abs(a.y - b.y) < kFlat) {
        return false;
    }
    direction = a.y > b.y ? -1 : 1;
    if (a.y > b.y) {
        std::swap(a, b);
    }
    return true;
}
}  // namespace

void CoverageRaster::addOutline(const PixelPoint* points, size_t count) {
    if (count < 2) {
        return;
    }
    if (m_edges.empty()) {
        m_x0 = m_x1 = points[0].x;
        m_y0 = m_y1 = points[0].y;
    }
    for (size_t i = 0; i < count; ++i) {
        const PixelPoint& p = points[i];
        m_x0 = std::min(m_x0, p.x);
        m_x1 = std::max(m_x1, p.x);
        m_y0 = std::min(m_y0, p.y);
        m_y1 = std::max(m_y1, p.y);
        m_edges.push_back({p, points[i + 1 < count ? i + 1 : 0]});
    }
}

// Adds the signed area an edge sweeps to the pixels of a row it crosses, as the sum of the
// cells from the left edge of the box to a pixel gives that pixel's coverage by the outlines
// (an edge going down counts positive, up negative). Rows above and below the box are left out;
// the edge lies within 0 <= x <= width.
void CoverageRaster::accumulate(PixelPoint a, PixelPoint b, int width, int height) {
    double direction;
    if (!downward(a, b, direction)) {
        return;
    }
    if (b.y <= 0 || a.y >= height) {
        return;
    }
    const double dxdy = (b.x - a.x) / (b.y - a.y);
    double x = a.x;
    double yStart = a.y;
    if (yStart < 0) {
        x = std::clamp(x - yStart * dxdy, 0.0, static_cast<double>(width));
        yStart = 0;
    }
    const double yEnd = std::min(b.y, static_cast<double>(height));
    const int firstRow = static_cast<int>(yStart);
    const int endRow = static_cast<int>(std::ceil(yEnd));
    for (int row = firstRow; row < endRow; ++row) {
        float* cells = m_cells.data() + static_cast<size_t>(row) * m_stride;
        const double dy = std::min(row + 1.0, yEnd) - std::max(static_cast<double>(row), yStart);
        // (rounding may carry x a hair beyond the sides)
        const double xNext = std::clamp(x + dxdy * dy, 0.0, static_cast<double>(width));
        const double d = dy * direction;
        const double xa = std::min(x, xNext);
        const double xb = std::max(x, xNext);
        const double xaFloor = std::floor(xa);
        const int ia = static_cast<int>(xaFloor);
        const double xbCeil = std::ceil(xb);
        const int ib = static_cast<int>(xbCeil);
        if (ib <= ia + 1) {
            // within one pixel: split at the middle of its part of the row
            const double middle = 0.5 * (x + xNext) - xaFloor;
            cells[ia] += static_cast<float>(d - d * middle);
            cells[ia + 1] += static_cast<float>(d * middle);
        } else {
            const double perPixel = 1 / (xb - xa);
            const double fa = xa - xaFloor;
            const double first = 0.5 * perPixel * (1 - fa) * (1 - fa);
            const double fb = xb - xbCeil + 1;
            const double last = 0.5 * perPixel * fb * fb;
            cells[ia] += static_cast<float>(d * first);
            if (ib == ia + 2) {
                cells[ia + 1] += static_cast<float>(d * (1 - first - last));
            } else {
                const double second = perPixel * (1.5 - fa);
                cells[ia + 1] += static_cast<float>(d * (second - first));
                const auto step = static_cast<float>(d * perPixel);
                for (int i = ia + 2; i < ib - 1; ++i) {
                    cells[i] += step;
                }
                const double beforeLast = second + (ib - ia - 3) * perPixel;
                cells[ib - 1] += static_cast<float>(d * (1 - beforeLast - last));
            }
            cells[ib] += static_cast<float>(d * last);
        }
        x = xNext;
    }
}

// An edge reaching left of the box or right of it: the parts outside run along the box's
// side instead, which leaves the winding of every pixel inside as it was.
void CoverageRaster::accumulateClipped(PixelPoint a, PixelPoint b, int width, int height) {
    const double w = width;
    if (a.x >= 0 && a.x <= w && b.x >= 0 && b.x <= w) {
        accumulate(a, b, width, height);
        return;
    }
    double cuts[4] = {0, 0, 0, 1};
    int n = 1;
    for (double side : {0.0, w}) {
        if ((a.x - side) * (b.x - side) < 0) {
            cuts[n++] = (side - a.x) / (b.x - a.x);
        }
    }
    if (n == 3 && cuts[1] > cuts[2]) {
        std::swap(cuts[1], cuts[2]);
    }
    cuts[n] = 1;
    auto at = [&](double t) {
        PixelPoint p{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        p.x = std::clamp(p.x, 0.0, w);
        return p;
    };
    PixelPoint from = at(0);
    for (int i = 1; i <= n; ++i) {
        const PixelPoint to = i == n ? PixelPoint{std::clamp(b.x, 0.0, w), b.y} : at(cuts[i]);
        accumulate(from, to, width, height);
        from = to;
    }
}

// Without antialiasing a pixel is covered when its centre is: the edge adds its direction to
// the first pixel of each row whose centre lies right of it. An edge covers the rows whose
// centres lie from its top (included) to its bottom (excluded), so that edges meeting at a
// corner count once.
void CoverageRaster::accumulateCentres(PixelPoint a, PixelPoint b, int width, int height) {
    double direction;
    if (!downward(a, b, direction)) {
        return;
    }
    const double rows = height;
    const int firstRow = static_cast<int>(std::clamp(std::ceil(a.y - 0.5), 0.0, rows));
    const int endRow = static_cast<int>(std::clamp(std::ceil(b.y - 0.5), 0.0, rows));
    const double dxdy = (b.x - a.x) / (b.y - a.y);
    for (int row = firstRow; row < endRow; ++row) {
        const double x = a.x + (row + 0.5 - a.y) * dxdy;
        const int column = static_cast<int>(std::clamp(std::ceil(x - 0.5), 0.0, double(width)));
        m_cells[static_cast<size_t>(row) * m_stride + column] += static_cast<float>(direction);
    }
}

void CoverageRaster::fill(const CoverageTarget& target, bool clear, FillRule rule) {
    if (m_edges.empty()) {
        return;
    }
    // the box of the outlines within the target, in whole pixels
    auto within = [](double v, int from, int size) {
        return static_cast<int>(std::clamp(v, static_cast<double>(from), double(from) + size));
    };
    if (!std::isfinite(m_x0 + m_x1 + m_y0 + m_y1)) {
        m_edges.clear();
        return;
    }
    const int left = within(std::floor(m_x0), target.left, target.width);
    const int right = within(std::ceil(m_x1), target.left, target.width);
    const int top = within(std::floor(m_y0), target.top, target.height);
    const int bottom = within(std::ceil(m_y1), target.top, target.height);
    if (right <= left || bottom <= top) {
        m_edges.clear();
        return;
    }
    const int width = right - left;
    const int height = bottom - top;
    m_stride = width + 2;
    const size_t cells = static_cast<size_t>(m_stride) * height;
    if (m_cells.size() < cells) {
        m_cells.resize(cells, 0.0f);
    }
    for (const Edge& e : m_edges) {
        const PixelPoint a{e.a.x - left, e.a.y - top};
        const PixelPoint b{e.b.x - left, e.b.y - top};
        if (m_antialias) {
            accumulateClipped(a, b, width, height);
        } else {
            accumulateCentres(a, b, width, height);
        }
    }
    m_edges.clear();

    // the running sum along each row is the winding of each pixel, weighted by its area; the
    // cells are left zero for the next shape
    for (int row = 0; row < height; ++row) {
        float* line = m_cells.data() + static_cast<size_t>(row) * m_stride;
        std::uint8_t* out =
            target.bits + (top - target.top + row) * target.stride + (left - target.left);
        float winding = 0;
        for (int i = 0; i < width; ++i) {
            winding += line[i];
            line[i] = 0;
            float c = std::abs(winding);
            if (rule == FillRule::NonZero) {
                c = std::min(c, 1.0f);
            } else {
                c = std::fmod(c, 2.0f);
                c = c > 1 ? 2 - c : c;
            }
            const unsigned level =
                m_antialias ? static_cast<unsigned>(c * 255 + 0.5f) : (c > 0.5f ? 255u : 0u);
            if (level == 255) {
                out[i] = clear ? 0 : 255;
            } else if (level != 0) {
                paintCoverage(out[i], level, clear);
            }
        }
        line[width] = 0;
        line[width + 1] = 0;
    }
}

void CoverageRaster::fillSpeck(const CoverageTarget& target, bool clear, double x, double y,
                               double width, double height, double area) {
    m_edges.clear();
    if (!(area > 0) ||
        !(x + width >= target.left - 1 && x - width <= target.left + target.width + 1 &&
          y + height >= target.top - 1 && y - height <= target.top + target.height + 1)) {
        return;  // nothing, or nothing of it in the target
    }
    // the share of the box in each pixel [i, i + 1) it reaches, along one axis
    static constexpr int kMost = 4;
    auto shares = [](double centre, double size, int& first, double share[kMost]) {
        const double lo = centre - size / 2;
        const double hi = centre + size / 2;
        first = static_cast<int>(std::floor(lo));
        const int last = static_cast<int>(std::floor(hi));
        if (size < 1e-9 || last == first) {
            first = static_cast<int>(std::floor(centre));
            share[0] = 1;
            return 1;
        }
        const int n = std::min(last - first + 1, kMost);
        for (int k = 0; k < n; ++k) {
            share[k] = (std::min(hi, first + k + 1.0) - std::max(lo, first + k + 0.0)) / size;
        }
        return n;
    };
    int column = 0;
    int row = 0;
    double across[kMost];
    double down[kMost];
    const int columns = shares(x, width, column, across);
    const int rows = shares(y, height, row, down);
    for (int j = 0; j < rows; ++j) {
        const int py = row + j;
        if (py < target.top || py >= target.top + target.height) {
            continue;
        }
        std::uint8_t* line = target.bits + (py - target.top) * target.stride - target.left;
        for (int i = 0; i < columns; ++i) {
            const int px = column + i;
            if (px < target.left || px >= target.left + target.width) {
                continue;
            }
            const double c = std::min(area * across[i] * down[j], 1.0);
            const unsigned level =
                m_antialias ? static_cast<unsigned>(c * 255 + 0.5) : (c > 0.5 ? 255u : 0u);
            if (level != 0) {
                paintCoverage(line[px], level, clear);
            }
        }
    }
}

}  // namespace padloom::view
