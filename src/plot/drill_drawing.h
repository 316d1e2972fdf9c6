#pragma once

#include <memory>
#include <vector>

#include "board/run_values.h"
#include "common/host.h"
#include "plot/layer_file.h"
#include "plot/pass_output.h"
#include "plot/plot_run.h"

namespace padloom::plot {

/// Mark unit of the drill drawing in mils: mark figures are drawn on its grid, and it is the
/// radius of the circle marks.
constexpr int kMarkUnit = 40;

/// How one drill mark was drawn.
enum class MarkResult { Drawn, NoFigure, NotInTally };

/// Draws the drill mark of a hole size centred on (x, y) with the pen: a square for tools 1 to
/// 32 and a circle for tools 33 to 64, each with its tool figure. A tool above 64 gets the
/// circle without a figure (NoFigure); a hole size missing from the tally draws nothing
/// (NotInTally).
MarkResult placeDrillMark(LayerFile& file, long long x, long long y, int holeSize, int pen,
                          const std::vector<board::DrillTallyEntry>& tally);

/// Draws with the pen the board's dimensions (a width line above the board and a height line
/// to its right, with arrows and figures in inches) and, beside the board, the legend: per
/// entry of `tally`, in its order, a drill mark, the hole size in inches and the hole count.
/// Without extents no dimensions are drawn (the message list says so) and the legend goes
/// beside the marks' extents `marks`.
void drawDimensionsAndLegend(common::Host& host, LayerFile& file, const board::Extents& extents,
                             const board::Extents& marks,
                             const std::vector<board::DrillTallyEntry>& tally, int pen);

/// Writes the drill drawing (base name + ".GDD"): a mark on every drilled hole, the board
/// outline (board layer 11 tracks and arcs), the board's width and height dimensioned in
/// inches, and a legend of one mark per tool with its size and count. A board without tracks
/// has no extents: marks and legend are drawn, the dimensions left out, and the message list
/// says so.
void plotDrillDrawing(common::Host& host, const PlotOptions& options,
                      const board::RunValues& runValues, int layer = 9);

/// plotDrillDrawing as an output of a pass over the board shared with other outputs.
std::unique_ptr<PassOutput> drillDrawingOutput(common::Host& host, const PlotOptions& options,
                                               const board::RunValues& runValues, int layer = 9);

}  // namespace padloom::plot
