#include "view/render/layer_renderer.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QTransform>

#include "view/layer_roles.h"

namespace padloom::view {

namespace {

// Aperture shapes are united in units of a tenth of a mil: Qt turns curves into straight
// pieces at a fixed tolerance of the path's own units before uniting, which in inches would
// make a 30-mil circle a decagon.
constexpr double kShapeUnitsPerInch = 10000;

QPainterPath outlinePath(const Outline& o) {
    constexpr double k = kShapeUnitsPerInch;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (o.circle) {
        path.addEllipse(QPointF(o.centre.x * k, o.centre.y * k), o.diameter / 2 * k,
                        o.diameter / 2 * k);
    } else if (!o.points.empty()) {
        QPolygonF polygon;
        for (const Point& p : o.points) {
            polygon << QPointF(p.x * k, p.y * k);
        }
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    return path;
}

QPainterPath unionOf(const std::vector<Outline>& outlines) {
    QPainterPath result;
    for (size_t i = 0; i < outlines.size(); ++i) {
        QPainterPath p = outlinePath(outlines[i]);
        result = i == 0 ? p : result.united(p);
    }
    return result;
}

// Arc of a path in board coordinates: Qt's angles turn the other way once y points up.
void addArc(QPainterPath& path, const ArcGeometry& arc, bool moveFirst) {
    QRectF rect(arc.centre.x - arc.radius, arc.centre.y - arc.radius, 2 * arc.radius,
                2 * arc.radius);
    if (moveFirst) {
        path.arcMoveTo(rect, -arc.startDegrees);
    }
    path.arcTo(rect, -arc.startDegrees, -arc.sweepDegrees);
}

// The area a rectangle covers when swept along a straight line: the convex hull of its
// corners at both ends.
QPolygonF sweptRectangle(Point from, Point to, double w, double h) {
    std::vector<QPointF> corners;
    for (Point c : {from, to}) {
        for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
            corners.emplace_back(c.x + dx * w / 2, c.y + dy * h / 2);
        }
    }
    std::sort(corners.begin(), corners.end(), [](const QPointF& a, const QPointF& b) {
        return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
    });
    auto cross = [](const QPointF& o, const QPointF& a, const QPointF& b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<QPointF> hull(2 * corners.size());
    size_t k = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], corners[i]) <= 0) {
            --k;
        }
        hull[k++] = corners[i];
    }
    for (size_t i = corners.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], corners[i - 1]) <= 0) {
            --k;
        }
        hull[k++] = corners[i - 1];
    }
    hull.resize(k > 0 ? k - 1 : 0);
    return QPolygonF(QList<QPointF>(hull.begin(), hull.end()));
}

bool outside(const Box& b, const Box& view) {
    return b.empty() || b.x1 < view.x0 || b.x0 > view.x1 || b.y1 < view.y0 || b.y0 > view.y1;
}

}  // namespace

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

const QPainterPath& LayerRenderer::aperturePath(const LayerImage& image, int aperture) {
    auto& paths = m_paths[&image];
    auto found = paths.find(aperture);
    if (found != paths.end()) {
        return found->second;
    }
    const Aperture& a = image.apertures[aperture];
    QPainterPath result;
    bool first = true;
    for (const AperturePiece& piece : a.pieces) {
        QPainterPath area = unionOf(piece.add);
        if (!piece.cut.empty()) {
            area = area.subtracted(unionOf(piece.cut));
        }
        if (piece.dark) {
            result = first ? area : result.united(area);
            first = false;
        } else if (!first) {
            result = result.subtracted(area);
        }
    }
    const QTransform toInches =
        QTransform::fromScale(1 / kShapeUnitsPerInch, 1 / kShapeUnitsPerInch);
    return paths.emplace(aperture, toInches.map(result)).first->second;
}

QImage LayerRenderer::mask(const LayerImage& image, const ViewWindow& view) {
    QImage out(view.size, QImage::Format_Alpha8);
    out.fill(0);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing, m_antialias);
    const double s = view.pixelsPerInch;
    const QTransform base(s, 0, 0, -s, -view.left * s, view.size.height() + view.bottom * s);
    p.setTransform(base);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const Box window{view.left, view.bottom, view.right(), view.top()};
    // lines thinner than a pixel are drawn one pixel wide, so that a 3-mil pen or a zero-size
    // aperture still shows when the board is zoomed out
    const double hairline = 1.0 / s;

    if (image.negative && !image.extent.empty()) {
        // a negative image (a plane): a field over everything the file reaches, from which
        // what it draws is cleared
        const Box& e = image.extent;
        p.fillRect(QRectF(e.x0, e.y0, e.width(), e.height()), Qt::black);
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    p.setCompositionMode(mode);
    for (const GraphicObject& o : image.objects) {
        const bool erase = o.clear != image.negative;
        QPainter::CompositionMode wanted =
            erase ? QPainter::CompositionMode_Clear : QPainter::CompositionMode_SourceOver;
        if (wanted != mode) {
            p.setCompositionMode(wanted);
            mode = wanted;
        }
        switch (o.kind) {
            case ObjectKind::Flash: {
                const Aperture& a = image.apertures[o.aperture];
                if (outside(a.extent.moved(o.from), window) || a.pieces.empty()) {
                    break;
                }
                if (a.plainCircle) {
                    double r = a.width / 2;
                    if (r > 0) {
                        p.drawEllipse(QPointF(o.from.x, o.from.y), r, r);
                    }
                    break;
                }
                p.setTransform(QTransform::fromTranslate(o.from.x, o.from.y) * base);
                p.fillPath(aperturePath(image, o.aperture), Qt::black);
                p.setTransform(base);
                break;
            }
            case ObjectKind::Line: {
                const Aperture& a = image.apertures[o.aperture];
                Box b = a.extent.moved(o.from);
                b.add(a.extent.moved(o.to));
                if (outside(b, window)) {
                    break;
                }
                if (a.rectangular) {
                    p.drawPolygon(sweptRectangle(o.from, o.to, a.width, a.height));
                    break;
                }
                double d = std::max(a.circular ? a.width : a.penDiameter, hairline);
                if (o.from.x == o.to.x && o.from.y == o.to.y) {
                    p.drawEllipse(QPointF(o.from.x, o.from.y), d / 2, d / 2);
                    break;
                }
                p.setPen(QPen(Qt::black, d, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.drawLine(QPointF(o.from.x, o.from.y), QPointF(o.to.x, o.to.y));
                p.setPen(Qt::NoPen);
                break;
            }
            case ObjectKind::Arc: {
                const Aperture& a = image.apertures[o.aperture];
                double d = std::max(a.circular ? a.width : a.penDiameter, hairline);
                if (outside(o.arc.extent().grown(d / 2), window)) {
                    break;
                }
                if (o.arc.radius <= 0 || o.arc.sweepDegrees == 0) {
                    p.drawEllipse(QPointF(o.from.x, o.from.y), d / 2, d / 2);
                    break;
                }
                QPainterPath path;
                addArc(path, o.arc, true);
                p.strokePath(path, QPen(Qt::black, d, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                break;
            }
            case ObjectKind::Region: {
                QPainterPath path;
                path.setFillRule(Qt::WindingFill);
                for (size_t c = 0; c < o.contourCount; ++c) {
                    const Contour& contour = image.contours[o.firstContour + c];
                    path.moveTo(contour.start.x, contour.start.y);
                    for (const ContourSegment& seg : contour.segments) {
                        if (seg.arc) {
                            addArc(path, seg.arcGeometry, false);
                        }
                        path.lineTo(seg.to.x, seg.to.y);
                    }
                    path.closeSubpath();
                }
                p.fillPath(path, Qt::black);
                break;
            }
        }
    }
    return out;
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
