#pragma once

#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/text_io.h"

namespace padloom::plot {

struct Point {
    int x = -1;
    int y = -1;
    bool operator==(const Point&) const = default;
};

/// Plot step operations.
enum PlotOp : int { kDraw = 1, kMove = 2, kFlash = 3 };

/// How a point of a region's contour is reached from the one before.
enum class Reach : unsigned char { Line, Clockwise, CounterClockwise };

/// One point of a region's contour, and how it is reached: a straight line, or an arc around
/// (cx, cy). The first point of a contour is where it starts.
struct ContourPoint {
    long long x = 0;
    long long y = 0;
    Reach reach = Reach::Line;
    long long cx = 0;
    long long cy = 0;
};

using Contour = std::vector<ContourPoint>;

/// How an aperture that would be an aperture macro is flashed without one: standard apertures
/// the file defines, flashed at the same point, and regions, in mils from the point.
struct FlashRecipe {
    std::vector<int> apertures;
    std::vector<Contour> contours;
};

/// The recipes of a file by the D-code they stand for.
using FlashRecipes = std::unordered_map<int, FlashRecipe>;

/// One open RS274X layer file and its plotting state: the current aperture shared by every
/// writer, the current position, and whether the first string has written its aperture; and
/// how the file is written, which its header sets.
struct LayerFile {
    static constexpr int kNoAperture = -1;

    explicit LayerFile(const std::string& path) : out(path) {}

    common::LineWriter out;
    int currentAperture = kNoAperture;
    Point currentPos{-1, -1};
    bool textApertureWritten = false;
    /// The current Gerber syntax (with X2 attributes): every coordinate carries its own D01,
    /// D02 or D03, interpolation codes stand in words of their own, the file is in linear and
    /// multi-quadrant mode from its header on, and no aperture is selected inside a region.
    /// Otherwise the forms this program has always written.
    bool currentSyntax = false;
    /// The apertures flashed by a recipe instead of an aperture macro; null when the file
    /// defines its macros.
    std::shared_ptr<const FlashRecipes> recipes;

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
/// aperture must be a D-code that the file defines, or one it flashes by a recipe (those are
/// only ever flashed).
void plotStep(LayerFile& file, int x, int y, int op, int aperture);

/// Plots an arc record (centre, radius, quadrant mask) as clockwise quarters: single-quadrant
/// (G74) ones, or in the current syntax multi-quadrant ones. A radius of 0 is drawn as 1. The
/// position is unknown afterwards.
void plotArc(LayerFile& file, int cx, int cy, int radius, int quadrantMask, int aperture);

/// Writes one region statement (G36 ... G37) of closed contours in the current syntax: each
/// contour's first point with D02, every other with D01, arcs in multi-quadrant mode with
/// signed centre offsets, no aperture selection. A file in the older forms is set to
/// multi-quadrant mode first when the region has arcs (its own arc writers set their mode each
/// time). The file is left in linear interpolation, its position unknown and its aperture as
/// it was. The contours are moved by (dx, dy).
void writeRegion(LayerFile& file, std::span<const Contour> contours, long long dx = 0,
                 long long dy = 0);

}  // namespace padloom::plot
