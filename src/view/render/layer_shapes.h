#pragma once

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "view/layer_image.h"
#include "view/render/coverage_raster.h"

namespace padloom::view {

struct ViewWindow;

/// What drawing a layer needs besides the layer itself, worked out once: the outline of each
/// flashed aperture that is not a plain circle, and the box of each object (with its pen).
/// Built on one thread, then read by any number of threads drawing at once.
class LayerShapes {
public:
    explicit LayerShapes(const LayerImage& image);

    const LayerImage& image() const { return *m_image; }
    /// The objects that may reach into a box of the board (inches), in drawing order, into
    /// `objects`; false (and nothing in `objects`) when the box takes in most of the layer,
    /// which is then quicker to go through whole.
    bool objectsIn(const Box& box, std::vector<std::uint32_t>& objects) const;
    /// Draws objects `objects` (indices in drawing order) of the layer into the target, which
    /// shows part of `view`, after the field of a negative image.
    void draw(const ViewWindow& view, const std::uint32_t* objects, size_t count,
              const CoverageTarget& target, CoverageRaster& raster) const;

private:
    using Outlines = std::vector<std::vector<Point>>;  // inches, from the flash point
    struct ApertureOutlines {
        // as exact as the shape was made, then less and less so, for flashes that take few
        // pixels: level k strays at most kCoarseStep^k tenths of a mil from the shape
        std::vector<Outlines> levels;
        FillRule rule = FillRule::NonZero;
        double area = 0;  // square inches
    };
    struct ObjectBox {
        float x0, y0, x1, y1;  // inches, rounded outward; empty when x0 > x1
    };
    void drawObject(const GraphicObject& o, const ViewWindow& view, const CoverageTarget& target,
                    CoverageRaster& raster) const;

    void buildGrid();
    friend struct BandedObjects;

    const LayerImage* m_image;
    std::vector<ApertureOutlines> m_apertures;  // by aperture index; empty when not needed
    std::vector<ObjectBox> m_boxes;             // by object
    // by object: the area (square inches) of a flash or region, which is all that is drawn of
    // it when it is no larger than a pixel; 0 for a line or arc
    std::vector<float> m_areas;
    // a grid of cells over the objects, each listing the objects that reach into it; objects
    // reaching into many cells are listed once, as large
    Box m_grid;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<std::uint32_t> m_cellStarts;
    std::vector<std::uint32_t> m_cellObjects;
    std::vector<std::uint32_t> m_large;
};

/// The objects of a layer that reach into each band of `bandRows` rows of an area of a view
/// (columns [left, right), rows [top, bottom)), each band's in drawing order.
struct BandedObjects {
    int top = 0;
    int bandRows = 64;
    std::vector<std::uint32_t> starts;  // band b: objects[starts[b]] to objects[starts[b + 1]]
    std::vector<std::uint32_t> objects;

    BandedObjects(const LayerShapes& shapes, const ViewWindow& view, int left, int top, int right,
                  int bottom, int bandRows);
    size_t bands() const { return starts.empty() ? 0 : starts.size() - 1; }
    const std::uint32_t* band(size_t b) const { return objects.data() + starts[b]; }
    size_t bandSize(size_t b) const { return starts[b + 1] - starts[b]; }
};

/// Runs `job(i, worker)` for i from 0 to n - 1 on up to `threads` threads (0: every core, at
/// most 8); `worker` numbers the thread running it, from 0. The first exception thrown stops
/// the rest and is thrown again here.
void forEachInParallel(size_t n, unsigned threads,
                       const std::function<void(size_t, unsigned)>& job);

/// Starts up to `count` threads running `work(i)`, i from 0: as many as the system gives.
std::vector<std::thread> startThreads(unsigned count, const std::function<void(unsigned)>& work);

/// The threads `threads` stands for: itself, or with 0 the machine's cores, at most 8.
unsigned threadsToUse(unsigned threads);

}  // namespace padloom::view
