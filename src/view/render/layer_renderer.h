#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include "view/layer_image.h"
#include "view/render/layer_shapes.h"

namespace padloom::view {

/// Which part of the board a picture shows: the inch coordinates of its lower-left corner and
/// its scale. Pixel (0, 0) is the top-left corner; y grows upward on the board.
struct ViewWindow {
    double left = 0;    // inches
    double bottom = 0;  // inches
    double pixelsPerInch = 100;
    QSize size;

    /// The window showing `box` at `dpi`, its size rounded to whole pixels.
    static ViewWindow over(const Box& box, double dpi);
    double right() const { return left + size.width() / pixelsPerInch; }
    double top() const { return bottom + size.height() / pixelsPerInch; }
    /// Board point under a pixel position.
    Point boardPoint(double px, double py) const;
};

/// The most pixels a picture is drawn with: 64 million, some 8000 pixels square, is more than
/// anyone looks at at once, and each layer's mask of a larger picture takes gigabytes.
constexpr double kMaxPicturePixels = 64e6;

/// Whether a picture of `box` at `dpi` has a finite size of at most `maxPixels` pixels.
bool pictureFits(const Box& box, double dpi, double maxPixels = kMaxPicturePixels);

/// One file drawn in a colour.
struct StyledLayer {
    const LayerImage* image = nullptr;
    QColor colour;
    bool visible = true;
};

/// Draws read layers into pictures. Each layer is first drawn as a coverage mask (dark and
/// clear polarity in order; a negative image is a field over the file's extent from which
/// what it draws is cleared), then tinted and laid over the layers under it. The shapes of a
/// layer's apertures and the boxes of its objects are worked out once per layer and kept; a
/// mask is drawn in bands of rows on several threads, each band the same whatever the number
/// of threads.
class LayerRenderer {
public:
    /// `threads`: how many threads draw a mask; 0 for every core (at most 8).
    explicit LayerRenderer(bool antialias = true, unsigned threads = 0)
        : m_antialias(antialias), m_threads(threads) {}
    ~LayerRenderer();

    /// The coverage of one layer: alpha 255 where it is dark, 0 where it is empty.
    QImage mask(const LayerImage& image, const ViewWindow& view);
    /// Draws the layer anew into `area` (pixels of the view) of `mask`, a mask of the whole
    /// view, leaving the rest of it as it is.
    void drawMask(const LayerImage& image, const ViewWindow& view, QImage& mask, QRect area);
    /// The mask in a colour (alpha scaled by the mask).
    static QImage tint(const QImage& mask, const QColor& colour);
    /// Background, then each visible layer in order, later ones over earlier ones.
    QImage compose(const std::vector<StyledLayer>& layers, const ViewWindow& view,
                   const QColor& background);
    /// Lays already drawn masks in their colours over a background.
    static QImage composeMasks(const std::vector<std::pair<const QImage*, QColor>>& masks,
                               QSize size, const QColor& background);
    /// What drawing the layer needs, worked out on its first use and kept.
    const LayerShapes& shapes(const LayerImage& image);
    /// Drops what was kept for the layers drawn so far; call it before the layers go away.
    void forget();

    bool antialias() const { return m_antialias; }
    unsigned threads() const { return m_threads; }

private:
    bool m_antialias;
    unsigned m_threads;
    std::unordered_map<const LayerImage*, std::unique_ptr<LayerShapes>> m_shapes;
};

/// The rows of a band a picture `width` pixels wide is drawn in: 64, fewer for very wide
/// pictures, so that a band stays a few megabytes.
int bandRows(int width);

/// The stacking order of files as the viewer shows them: bottom side first, drills last;
/// files of equal rank keep their order.
std::vector<size_t> stackOrder(const std::vector<const LayerImage*>& images);

/// The colour of the file at `index` of a render or viewer list, by its role.
QColor defaultColour(const LayerImage& image, int index);

}  // namespace padloom::view
