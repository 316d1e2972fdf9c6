#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QSize>

#include "view/layer_image.h"

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
/// what it draws is cleared), then tinted and laid over the layers under it. Aperture shapes are
/// built once per layer and kept.
class LayerRenderer {
public:
    explicit LayerRenderer(bool antialias = true) : m_antialias(antialias) {}

    /// The coverage of one layer: alpha 255 where it is dark, 0 where it is empty.
    QImage mask(const LayerImage& image, const ViewWindow& view);
    /// The mask in a colour (alpha scaled by the mask).
    static QImage tint(const QImage& mask, const QColor& colour);
    /// Background, then each visible layer in order, later ones over earlier ones.
    QImage compose(const std::vector<StyledLayer>& layers, const ViewWindow& view,
                   const QColor& background);
    /// Lays already drawn masks in their colours over a background.
    static QImage composeMasks(const std::vector<std::pair<const QImage*, QColor>>& masks,
                               QSize size, const QColor& background);
    /// Drops the aperture shapes kept for the layers drawn so far; call it before the layers
    /// go away.
    void forget() { m_paths.clear(); }

private:
    const QPainterPath& aperturePath(const LayerImage& image, int aperture);

    bool m_antialias;
    std::unordered_map<const LayerImage*, std::unordered_map<int, QPainterPath>> m_paths;
};

/// The stacking order of files as the viewer shows them: bottom side first, drills last;
/// files of equal rank keep their order.
std::vector<size_t> stackOrder(const std::vector<const LayerImage*>& images);

/// The colour of the file at `index` of a render or viewer list, by its role.
QColor defaultColour(const LayerImage& image, int index);

}  // namespace padloom::view
