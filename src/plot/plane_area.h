#pragma once

#include <vector>

#include "board/run_values.h"
#include "plot/board_outline.h"
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

/// The loops of a board outline as closed contours, each quarter circle an arc.
std::vector<Contour> outlineContours(const BoardOutline& outline);

/// The area of a board's positive planes: inside its board outline, each loop of it (`outline`
/// when given, else findBoardOutline's from the board layer or else the keep-out layer);
/// without an outline the extent of its copper (see copperExtent) as one rectangle; no contour
/// for a board with neither. Throws IoError.
PlaneArea planeAreaOf(const board::RunValues& runValues, const BoardOutline* outline = nullptr);

}  // namespace padloom::plot
