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
        layer.draw(view, banded.band(b), banded.bandSize(b), target, rasters[worker]);
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

namespace {

// A premultiplied colour's four channels scaled by a / 255, rounded as the painter does.
QRgb scaled(QRgb x, unsigned a) {
    std::uint32_t t = (x & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    std::uint32_t u = ((x >> 8) & 0xff00ff) * a;
    u = (u + ((u >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return u | t;
}

}  // namespace

QImage LayerRenderer::composeMasks(const std::vector<std::pair<const QImage*, QColor>>& masks,
                                   QSize size, const QColor& background) {
    // each pixel as the painter lays a tinted mask over the picture (source over), row by row
    // on the machine's cores
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    const QRgb ground = qPremultiply(background.rgba());
    std::vector<QRgb> colours;
    for (const auto& mask : masks) {
        colours.push_back(qPremultiply(mask.second.rgba()));
    }
    std::uint8_t* bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    const int rows = bandRows(size.width());
    forEachInParallel((size.height() + rows - 1) / rows, 0, [&](size_t band, unsigned) {
        const int top = static_cast<int>(band) * rows;
        for (int y = top; y < std::min(top + rows, size.height()); ++y) {
            auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
            std::fill(line, line + size.width(), ground);
            for (size_t i = 0; i < masks.size(); ++i) {
                const std::uint8_t* cover = masks[i].first->constScanLine(y);
                const QRgb colour = colours[i];
                const bool opaque = qAlpha(colour) == 255;
                for (int x = 0; x < size.width(); ++x) {
                    // eight empty pixels at a time
                    std::uint64_t eight;
                    while (x + 8 <= size.width() &&
                           (std::memcpy(&eight, cover + x, 8), eight == 0)) {
                        x += 8;
                    }
                    if (x == size.width()) {
                        break;
                    }
                    const unsigned c = cover[x];
                    if (c == 0) {
                        continue;
                    }
                    if (c == 255 && opaque) {
                        line[x] = colour;
                        continue;
                    }
                    const QRgb source = scaled(colour, c);
                    line[x] = source + scaled(line[x], 255 - qAlpha(source));
                }
            }
        }
    });
    return out;
}

QImage LayerRenderer::compose(const std::vector<StyledLayer>& layers, const ViewWindow& view,
                              const QColor& background) {
    std::vector<QImage> drawn;
    std::vector<std::pair<const QImage*, QColor>> masks;
    for (const StyledLayer& layer : layers) {
        if (layer.visible && layer.image) {
            drawn.push_back(mask(*layer.image, view));
        }
    }
    for (size_t i = 0, k = 0; i < layers.size(); ++i) {
        if (layers[i].visible && layers[i].image) {
            masks.emplace_back(&drawn[k++], layers[i].colour);
        }
    }
    return composeMasks(masks, view.size, background);
}

std::vector<size_t> stackOrder(const std::vector<const LayerImage*>& images) {
    std::vector<size_t> order(images.size());
    std::iota(order.begin(), order.end(), 0);
    auto rank = [&](size_t i) {
        return images[i]->format == FileFormat::Excellon
                   ? 60.0
                   : stackRankOf(images[i]->path, images[i]->fileFunction);
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
