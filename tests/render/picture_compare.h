#pragma once

#include <QImage>

namespace padloom::view {

// Whether a pixel is lit: more than half way from the black background to the white layer.
inline bool lit(QRgb p) {
    return qGray(p) > 127;
}

// Whether some pixel within one pixel of (x, y) is lit (or dark, as `state` says).
inline bool near(const QImage& image, int x, int y, bool state) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int xx = x + dx;
            int yy = y + dy;
            if (xx >= 0 && yy >= 0 && xx < image.width() && yy < image.height() &&
                lit(image.pixel(xx, yy)) == state) {
                return true;
            }
        }
    }
    return false;
}

// How many pixels have a state (lit or not) that the other picture has nowhere within one
// pixel; -1 when the sizes differ. gerbv snaps the ends and widths of strokes to whole pixels
// when it writes a PNG, so an edge may lie one pixel apart; anything further is a
// disagreement.
inline long differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return -1;
    }
    long count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            bool la = lit(a.pixel(x, y));
            bool lb = lit(b.pixel(x, y));
            count += la != lb && (!near(b, x, y, la) || !near(a, x, y, lb));
        }
    }
    return count;
}

}  // namespace padloom::view
