#pragma once

#include <string>
#include <vector>

#include "board/run_values.h"
#include "plot/plot_run.h"

namespace padloom::plot {

/// The copper, plane and mask layers (plot layers 1 to 6 and 11 to 16) the board has objects
/// for but `options` leaves unticked, in plot layer order: top and bottom copper with copper
/// on their own layer or on Multi Layer, a mid layer with a record of its own, a plane with a
/// record or a pad connected to it, a solder mask with a pad or via to open it over, a paste
/// mask with a pad of its side. None when no layer file is ticked at all (a run for the drill
/// file or the BOM alone). Reads the board (its kept image when there is one); throws IoError.
std::vector<int> untickedLayersWithObjects(const PlotOptions& options,
                                           const board::RunValues& runValues);

/// The warning that names those layers, so that a plane or mask left out does not pass
/// unnoticed; "" when there are none.
std::string untickedLayersWarning(const std::vector<int>& layers);

}  // namespace padloom::plot
