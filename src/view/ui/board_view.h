#pragma once

#include <vector>

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QTimer>
#include <QWidget>

#include "view/layer_image.h"
#include "view/render/layer_renderer.h"

class QPainter;

namespace padloom::ui {

/// A mark drawn over the picture: a ring round a board point, the outline of a pad, or
/// outlines of copper.
struct BoardMark {
    double x = 0, y = 0;           // inches
    double width = 0, height = 0;  // inches; 0 for a ring of a fixed size on the screen
    bool round = false;
    QColor colour;
    QPainterPath outline;  // board inches; when not empty, drawn instead of the above
};

/// The picture of a set of fab files: layers stacked in colour over the board colour, drills
/// on top. Wheel zooms about the cursor, dragging pans, F or Home fits. Each layer keeps its
/// drawn image for the current view, so toggling or recolouring a layer only lays the images
/// over each other again. When the view changes, the last picture is shown moved and scaled
/// at once, and the layers are drawn anew once the view has settled for a moment, so large
/// files stay fluid while zooming and panning.
class BoardView : public QWidget {
    Q_OBJECT
public:
    explicit BoardView(QWidget* parent = nullptr);
    ~BoardView() override;

    /// The colour the board shows through where no layer covers it.
    static QColor boardColour();

    /// Shows these files, ordered as the stack is drawn (bottom first), and fits them.
    void setLayers(std::vector<view::LayerImage> images);
    size_t layerCount() const { return m_layers.size(); }
    /// Layer `i` of the stack, bottom first.
    const view::LayerImage& layerImage(size_t i) const { return m_layers[i].image; }
    QColor layerColour(size_t i) const { return m_layers[i].colour; }
    void setLayerColour(size_t i, const QColor& colour);
    bool layerVisible(size_t i) const { return m_layers[i].visible; }
    void setLayerVisible(size_t i, bool visible);

    /// Shows everything drawn, with a small border.
    void fit();
    /// Scales the view by `factor` keeping the board point under `pixel` where it is.
    void zoomAt(double factor, QPointF pixel);
    void panBy(QPointF pixels);
    /// The part of the board the widget shows now.
    view::ViewWindow viewWindow() const;
    /// The picture at the current view, as it is painted.
    QImage picture();

    /// Marks to draw over the picture (they move with it).
    void setMarks(std::vector<BoardMark> marks);
    const std::vector<BoardMark>& marks() const { return m_marks; }
    /// Shows the board point (x, y) in the middle, `span` inches across the smaller side.
    void showAround(double x, double y, double span);

signals:
    /// A click that moved nothing, at a board point in inches.
    void clicked(double x, double y);
    /// The board point under the mouse, in inches.
    void cursorMoved(double x, double y);
    void cursorLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Layer {
        view::LayerImage image;
        QColor colour;
        bool visible = true;
        QImage mask;  // drawn at the current view; null when it must be drawn again
    };
    void viewChanged();
    void drawMarks(QPainter& p, QPoint offset) const;

    std::vector<Layer> m_layers;
    view::LayerRenderer m_renderer;
    view::Point m_centre{1, 1};
    double m_pixelsPerInch = 100;
    bool m_fitted = true;
    QImage m_picture;  // the layers laid over each other; null when it must be laid again
    view::ViewWindow m_pictureView;
    QImage m_stale;  // the last picture, shown moved and scaled until the view settles
    view::ViewWindow m_staleView;
    QTimer m_settle;
    bool m_dragging = false;
    QPoint m_dragFrom;
    QPoint m_dragOffset;
    std::vector<BoardMark> m_marks;
};

}  // namespace padloom::ui
