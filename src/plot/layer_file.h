#pragma once

#include <string>

#include "common/text_io.h"

namespace padloom::plot {

struct Point {
    int x = -1;
    int y = -1;
    bool operator==(const Point&) const = default;
};

/// Plot step operations.
enum PlotOp : int { kDraw = 1, kMove = 2, kFlash = 3 };

/// One open RS274X layer file and its plotting state: the current aperture shared by every
/// writer, the current position, and whether the first string has written its aperture.
struct LayerFile {
    static constexpr int kNoAperture = -1;

    explicit LayerFile(const std::string& path) : out(path) {}

    common::LineWriter out;
    int currentAperture = kNoAperture;
    Point currentPos{-1, -1};
    bool textApertureWritten = false;

    /// State of a freshly started file.
    void reset() {
        currentAperture = kNoAperture;
        forgetPosition();
        textApertureWritten = false;
    }
    void forgetPosition() { currentPos = {-1, -1}; }
    bool positionUnknown() const { return currentPos.x == -1 || currentPos.y == -1; }
};

/// "D" and the D-code with at least two digits ("D05"), as the plot step and arc writers
/// select apertures.
std::string apertureCode(int dcode);

/// Writes the line that selects an aperture: apertureCode(dcode) and "*".
void selectAperture(common::LineWriter& out, int dcode);

/// One plot step (draw, move or flash) on the file's shared aperture and position. The
/// aperture must be a D-code that the file defines.
void plotStep(LayerFile& file, int x, int y, int op, int aperture);

/// Plots an arc record (centre, radius, quadrant mask) as clockwise single-quadrant quarters.
/// A radius of 0 is drawn as 1. The position is unknown afterwards.
void plotArc(LayerFile& file, int cx, int cy, int radius, int quadrantMask, int aperture);

}  // namespace padloom::plot
