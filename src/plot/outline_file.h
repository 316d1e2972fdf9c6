#pragma once

#include "board/run_values.h"
#include "common/host.h"
#include "plot/board_outline.h"
#include "plot/plot_run.h"

namespace padloom::plot {

/// Writes the board outline file (base name + ".GBD") of a found outline: the header and the
/// aperture definitions as every layer file has them, then the outline's lines and quarter
/// circles in loop order, each with the round aperture of its own width, and "M02*". With X2
/// attributes the apertures that draw it are the Profile. A piece whose aperture the aperture
/// file lacks is reported and left out. Throws IoError.
void plotOutlineFile(common::Host& host, const PlotOptions& options,
                     const board::RunValues& runValues, const BoardOutline& outline);

}  // namespace padloom::plot
