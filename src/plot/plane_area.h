#pragma once

#include <vector>

#include "board/run_values.h"
#include "plot/layer_file.h"

namespace padloom::plot {

/// Where a positive plane is dark: closed contours over the board, in mils.
struct PlaneArea {
    std::vector<Contour> contours;
};

/// The rectangle over the extent of a board's copper: every pad, via, track, arc, fill and
/// text on the copper layers (1 to 6) and the multi layer, with its size. Empty for a board
/// without copper. Throws IoError when the board cannot be read.
board::Extents copperExtent(const board::RunValues& runValues);

/// The area of a board's positive planes: the extent of its copper (see copperExtent) as one
/// rectangle; no contour for a board without copper. Throws IoError.
PlaneArea planeAreaOf(const board::RunValues& runValues);

}  // namespace padloom::plot
