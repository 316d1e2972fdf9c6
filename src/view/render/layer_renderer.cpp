#include "view/render/layer_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include <QPainter>

#include "view/layer_roles.h"

namespace padloom::view {

ViewWindow ViewWindow::over(const Box& box, double dpi) {
    ViewWindow v;
    v.left = box.x0;
    v.bottom = box.y0;
    v.pixelsPerInch = dpi;
    int w = static_cast<int>(std::lround(box.width() * dpi));
    int h = static_cast<int>(std::lround(box.height() * dpi));
    v.size = QSize(std::max(w, 1), std::max(h, 1));
    return v;
}

bool pictureFits(const Box& box, double dpi, double maxPixels) {
    const double width = box.width() * dpi;
    const double height = box.height() * dpi;
    return std::isfinite(width) && std::isfinite(height) &&
           std::max(width, 1.0) * std::max(height, 1.0) <= maxPixels;
}

Point ViewWindow::boardPoint(double px, double py) const {
    return {left + px / pixelsPerInch, bottom + (size.height() - py) / pixelsPerInch};
}

LayerRenderer::~LayerRenderer() = default;

void LayerRenderer::forget() {
    m_shapes.clear();
}

const LayerShapes& LayerRenderer::shapes(const LayerImage& image) {
    std::unique_ptr<LayerShapes>& kept = m_shapes[&image];
    if (!kept) {
        kept = std::make_unique<LayerShapes>(image);
    }
    return *kept;
}

int bandRows(int width) {
    return std::clamp((1 << 22) / std::max(width, 1), 1, 64);
}

QImage LayerRenderer::mask(const LayerImage& image, const ViewWindow& view) {
    QImage out(view.size, QImage::Format_Alpha8);
    drawMask(image, view, out, out.rect());
    return out;
}

void LayerRenderer::drawMask(const LayerImage& image, const ViewWindow& view, QImage& mask,
                             QRect area) {
    area &= mask.rect();
    if (area.isEmpty()) {
        return;
    }
    std::uint8_t* bits = mask.bits();
    const qsizetype stride = mask.bytesPerLine();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::memset(bits + y * stride + area.left(), 0, static_cast<size_t>(area.width()));
    }
    const LayerShapes& layer = shapes(image);
    const int rows = bandRows(view.size.width());
    // bands of the whole view, so that a part is drawn as it is in the whole picture
    const int firstBand = area.top() / rows;
    const BandedObjects banded(layer, view, area.left(), firstBand * rows, area.right() + 1,
                               area.bottom() + 1, rows);
    std::vector<CoverageRaster> rasters(threadsToUse(m_threads), CoverageRaster(m_antialias));
    forEachInParallel(banded.bands(), m_threads, [&](size_t b, unsigned worker) {
        const int top = std::max(area.top(), banded.top + static_cast<int>(b) * rows);
        const int bottom = std::min(area.bottom() + 1, banded.top + static_cast<int>(b + 1) * rows);
        const CoverageTarget target{bits + top * stride + area.left(),
                                    stride,
                                    area.left(),
                                    top,
                                    area.width(),
                                    bottom - top};
        layer.draw(view, banded.band(b), banded.bandSize(b), true, target, rasters[worker]);
    });
}

QImage LayerRenderer::tint(const QImage& mask, const QColor& colour) {
    QImage out(mask.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(colour);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(0, 0, mask);
    return out;
}

QImage LayerRenderer::composeMasks(const std::vector<std::pair<const QImage*, QColor>>& masks,
                                   QSize size, const QColor& background) {
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(background);
    QPainter p(&out);
    for (const auto& [mask, colour] : masks) {
        p.drawImage(0, 0, tint(*mask, colour));
    }
    return out;
}

QImage LayerRenderer::compose(const std::vector<StyledLayer>& layers, const ViewWindow& view,
                              const QColor& background) {
    QImage out(view.size, QImage::Format_ARGB32_Premultiplied);
    out.fill(background);
    QPainter p(&out);
    for (const StyledLayer& layer : layers) {
        if (layer.visible && layer.image) {
            p.drawImage(0, 0, tint(mask(*layer.image, view), layer.colour));
        }
    }
    return out;
}

std::vector<size_t> stackOrder(const std::vector<const LayerImage*>& images) {
    std::vector<size_t> order(images.size());
    std::iota(order.begin(), order.end(), 0);
    auto rank = [&](size_t i) {
        return images[i]->format == FileFormat::Excellon ? 60 : stackRankOf(images[i]->path);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return rank(a) < rank(b); });
    return order;
}

QColor defaultColour(const LayerImage& image, int index) {
    LayerRole role = layerRole(image.path, index);
    std::uint32_t c = role.colour;
    if (image.format == FileFormat::Excellon && !role.drill) {
        c = layerRole("drill.TXT").colour;
    }
    return QColor(static_cast<int>(c >> 24), static_cast<int>((c >> 16) & 255),
                  static_cast<int>((c >> 8) & 255), static_cast<int>(c & 255));
}

}  // namespace padloom::view
