#include "view/ui/board_view.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace padloom::ui {

namespace {
constexpr double kWheelStep = 1.25;  // zoom factor per wheel notch
constexpr double kMinPixelsPerInch = 1;
constexpr double kMaxPixelsPerInch = 200000;  // a tenth of a mil per pixel and more
constexpr int kSettleMs = 150;  // the view is drawn anew this long after it last changed
}  // namespace

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
    setObjectName("BoardView");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

BoardView::~BoardView() = default;

QColor BoardView::boardColour() {
    return QColor(0x10, 0x1c, 0x14);
}

void BoardView::setLayers(std::vector<view::LayerImage> images) {
    m_renderer.forget();
    m_layers.clear();
    std::vector<const view::LayerImage*> pointers;
    for (const auto& image : images) {
        pointers.push_back(&image);
    }
    std::vector<size_t> order = view::stackOrder(pointers);
    m_layers.reserve(images.size());
    for (size_t i : order) {
        Layer layer;
        layer.colour = view::defaultColour(images[i], static_cast<int>(i));
        layer.image = std::move(images[i]);
        m_layers.push_back(std::move(layer));
    }
    fit();
}

void BoardView::setLayerColour(size_t i, const QColor& colour) {
    m_layers[i].colour = colour;
    m_picture = QImage();
    update();
}

void BoardView::setLayerVisible(size_t i, bool visible) {
    m_layers[i].visible = visible;
    m_picture = QImage();
    update();
}

void BoardView::fit() {
    // a fitted view stays fitted while the widget is resized (shown, the layer list widened by
    // the names of new layers, the window resized) until the user zooms or pans
    m_fitted = true;
    view::Box all;
    for (const Layer& l : m_layers) {
        all.add(l.image.extent);
    }
    if (all.empty() || width() <= 0 || height() <= 0) {
        viewChanged();
        return;
    }
    double span = std::max(all.width(), all.height());
    all = all.grown(std::max(span * 0.03, 0.01));
    m_centre = {(all.x0 + all.x1) / 2, (all.y0 + all.y1) / 2};
    m_pixelsPerInch = std::clamp(std::min(width() / all.width(), height() / all.height()),
                                 kMinPixelsPerInch, kMaxPixelsPerInch);
    viewChanged();
}

void BoardView::zoomAt(double factor, QPointF pixel) {
    view::Point anchor = viewWindow().boardPoint(pixel.x(), pixel.y());
    double ppi = std::clamp(m_pixelsPerInch * factor, kMinPixelsPerInch, kMaxPixelsPerInch);
    // keep the anchor under the same pixel
    m_centre.x = anchor.x - (pixel.x() - width() / 2.0) / ppi;
    m_centre.y = anchor.y + (pixel.y() - height() / 2.0) / ppi;
    m_pixelsPerInch = ppi;
    m_fitted = false;
    viewChanged();
}

void BoardView::panBy(QPointF pixels) {
    m_centre.x -= pixels.x() / m_pixelsPerInch;
    m_centre.y += pixels.y() / m_pixelsPerInch;
    m_fitted = false;
    viewChanged();
}

view::ViewWindow BoardView::viewWindow() const {
    view::ViewWindow v;
    v.pixelsPerInch = m_pixelsPerInch;
    v.size = QSize(std::max(width(), 1), std::max(height(), 1));
    v.left = m_centre.x - v.size.width() / 2.0 / m_pixelsPerInch;
    v.bottom = m_centre.y - v.size.height() / 2.0 / m_pixelsPerInch;
    return v;
}

void BoardView::viewChanged() {
    for (Layer& l : m_layers) {
        l.mask = QImage();
    }
    if (!m_picture.isNull()) {
        m_stale = m_picture;
        m_staleView = m_pictureView;
    }
    m_picture = QImage();
    if (isVisible()) {
        m_settle.start();
    }
    update();
}

QImage BoardView::picture() {
    const view::ViewWindow view = viewWindow();
    if (!m_picture.isNull() && m_picture.size() == view.size) {
        return m_picture;
    }
    std::vector<std::pair<const QImage*, QColor>> masks;
    for (Layer& l : m_layers) {
        if (!l.visible) {
            continue;
        }
        if (l.mask.isNull() || l.mask.size() != view.size) {
            l.mask = m_renderer.mask(l.image, view);
        }
        masks.emplace_back(&l.mask, l.colour);
    }
    m_picture = view::LayerRenderer::composeMasks(masks, view.size, boardColour());
    m_pictureView = view;
    return m_picture;
}

void BoardView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), boardColour());
    if (m_picture.isNull() && !m_stale.isNull() && m_settle.isActive()) {
        // the view is still moving: the last picture where its board area now lies
        const view::ViewWindow v = viewWindow();
        const double s = v.pixelsPerInch;
        QRectF target((m_staleView.left - v.left) * s,
                      v.size.height() - (m_staleView.top() - v.bottom) * s,
                      m_stale.width() * s / m_staleView.pixelsPerInch,
                      m_stale.height() * s / m_staleView.pixelsPerInch);
        p.drawImage(target.translated(m_dragOffset), m_stale);
        drawMarks(p, m_dragOffset);
        return;
    }
    // while dragging, the picture moves with the mouse; it is drawn anew when the drag ends
    p.drawImage(m_dragOffset, picture());
    drawMarks(p, m_dragOffset);
}

void BoardView::setMarks(std::vector<BoardMark> marks) {
    m_marks = std::move(marks);
    update();
}

void BoardView::showAround(double x, double y, double span) {
    m_centre = {x, y};
    m_pixelsPerInch = std::clamp(std::min(width(), height()) / std::max(span, 1e-3),
                                 kMinPixelsPerInch, kMaxPixelsPerInch);
    m_fitted = false;
    viewChanged();
}

void BoardView::drawMarks(QPainter& p, QPoint offset) const {
    const view::ViewWindow v = viewWindow();
    p.setRenderHint(QPainter::Antialiasing);
    for (const BoardMark& m : m_marks) {
        const QPointF centre((m.x - v.left) * v.pixelsPerInch + offset.x(),
                             v.size.height() - (m.y - v.bottom) * v.pixelsPerInch + offset.y());
        p.setPen(QPen(m.colour, 2));
        p.setBrush(Qt::NoBrush);
        if (!m.outline.isEmpty()) {
            const double s = v.pixelsPerInch;
            p.drawPath(QTransform(s, 0, 0, -s, offset.x() - v.left * s,
                                  v.size.height() + v.bottom * s + offset.y())
                           .map(m.outline));
            continue;
        }
        if (m.width <= 0) {
            // a ring with a cross, the same size at every zoom
            p.drawEllipse(centre, 12, 12);
            p.drawLine(centre + QPointF(-18, 0), centre + QPointF(18, 0));
            p.drawLine(centre + QPointF(0, -18), centre + QPointF(0, 18));
            continue;
        }
        const double w = std::max(m.width * v.pixelsPerInch, 4.0) + 4;
        const double h = std::max(m.height * v.pixelsPerInch, 4.0) + 4;
        const QRectF box(centre.x() - w / 2, centre.y() - h / 2, w, h);
        if (m.round) {
            p.drawEllipse(box);
        } else {
            p.drawRect(box);
        }
    }
}

void BoardView::resizeEvent(QResizeEvent*) {
    if (m_fitted) {
        fit();
    } else {
        viewChanged();
    }
}

void BoardView::wheelEvent(QWheelEvent* event) {
    double notches = event->angleDelta().y() / 120.0;
    if (notches != 0) {
        zoomAt(std::pow(kWheelStep, notches), event->position());
    }
    event->accept();
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        m_dragging = true;
        m_dragFrom = event->position().toPoint();
        m_dragOffset = QPoint();
        setCursor(Qt::ClosedHandCursor);
    }
}

void BoardView::mouseMoveEvent(QMouseEvent* event) {
    QPointF at = event->position();
    if (m_dragging) {
        m_dragOffset = at.toPoint() - m_dragFrom;
        update();
    }
    view::Point p = viewWindow().boardPoint(at.x() - m_dragOffset.x(), at.y() - m_dragOffset.y());
    emit cursorMoved(p.x, p.y);
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging) {
        return;
    }
    m_dragging = false;
    setCursor(Qt::CrossCursor);
    QPoint offset = m_dragOffset;
    m_dragOffset = QPoint();
    if (!offset.isNull()) {
        panBy(offset);
    } else if (event->button() == Qt::LeftButton) {
        const QPointF at = event->position();
        const view::Point p = viewWindow().boardPoint(at.x(), at.y());
        emit clicked(p.x, p.y);
    }
}

void BoardView::leaveEvent(QEvent*) {
    emit cursorLeft();
}

void BoardView::keyPressEvent(QKeyEvent* event) {
    QPointF middle(width() / 2.0, height() / 2.0);
    switch (event->key()) {
        case Qt::Key_F:
        case Qt::Key_Home:
            fit();
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoomAt(kWheelStep, middle);
            break;
        case Qt::Key_Minus:
            zoomAt(1 / kWheelStep, middle);
            break;
        case Qt::Key_Left:
            panBy({width() / 8.0, 0});
            break;
        case Qt::Key_Right:
            panBy({-width() / 8.0, 0});
            break;
        case Qt::Key_Up:
            panBy({0, height() / 8.0});
            break;
        case Qt::Key_Down:
            panBy({0, -height() / 8.0});
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace padloom::ui
