#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace padloom::view {

/// A point in pixels of a picture: x to the right, y down.
struct PixelPoint {
    double x = 0;
    double y = 0;
};

/// A rectangle of an 8-bit coverage picture that shapes are drawn into: `bits` is its pixel
/// (left, top) of the picture, rows `stride` bytes apart.
struct CoverageTarget {
    std::uint8_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class FillRule { NonZero, EvenOdd };

/// Fills outlines into a coverage picture one shape at a time, as a painter does: a dark shape
/// is laid over what is there (coverage c over a gives c + a (1 - c)), a clear one takes its
/// coverage away (a (1 - c)). With antialiasing each pixel is covered by the exact share of
/// its area inside the shape; without it a pixel is covered when its centre is.
/// The outlines of one shape are filled together, so a shape may have holes and overlapping
/// parts. One rasterizer per thread; it keeps its scratch memory between shapes.
class CoverageRaster {
public:
    explicit CoverageRaster(bool antialias) : m_antialias(antialias) {}

    /// Adds a closed outline (the last point joins the first) to the shape being built.
    void addOutline(const PixelPoint* points, size_t count);
    void addOutline(const std::vector<PixelPoint>& points) {
        addOutline(points.data(), points.size());
    }
    /// Fills the shape built so far into the target and starts the next one.
    void fill(const CoverageTarget& target, bool clear, FillRule rule = FillRule::NonZero);
    /// A shape of a pixel or two: `area` square pixels spread evenly over the box of `width` x
    /// `height` pixels (at most 3) centred on (x, y), shared among the pixels the box overlaps.
    void fillSpeck(const CoverageTarget& target, bool clear, double x, double y, double width,
                   double height, double area);
    bool antialias() const { return m_antialias; }

private:
    struct Edge {
        PixelPoint a;
        PixelPoint b;
    };
    void accumulate(PixelPoint a, PixelPoint b, int width, int height);
    void accumulateClipped(PixelPoint a, PixelPoint b, int width, int height);
    void accumulateCentres(PixelPoint a, PixelPoint b, int width, int height);

    bool m_antialias;
    std::vector<Edge> m_edges;
    double m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0;  // box of the edges
    std::vector<float> m_cells;  // signed area added to each pixel of the box, row by row
    int m_stride = 0;
};

/// Lays coverage `c` (0 to 255) over the coverage at `a`, or takes it away when `clear`.
inline void paintCoverage(std::uint8_t& a, unsigned c, bool clear) {
    auto div255 = [](unsigned x) { return (x + (x >> 8) + 0x80) >> 8; };
    a = static_cast<std::uint8_t>(clear ? div255(a * (255 - c)) : c + div255(a * (255 - c)));
}

}  // namespace padloom::view
