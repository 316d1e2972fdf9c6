#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "board/run_values.h"
#include "common/host.h"
#include "plot/pass_output.h"
#include "plot/plot_run.h"

namespace padloom::plot {

/// The comparison of BOM texts when the caller gives none: byte order of the texts with the
/// letters a to z taken as capitals; other bytes compare as they are.
int compareIgnoringAsciiCase(std::string_view a, std::string_view b);

/// A BOM text as a quoted CSV field: in double quotes, with each double quote inside doubled.
std::string csvQuoted(std::string_view text);

/// Writes the bill of materials (base name + ".csv"): one row per component comment, compared
/// without regard to letter case and written as the first component in the file spells it,
/// with the number of components and their designators. Rows and designators are in the order
/// of options.compareText (compareIgnoringAsciiCase when it is empty).
void writeBillOfMaterials(common::Host& host, const PlotOptions& options,
                          const board::RunValues& runValues);

/// writeBillOfMaterials as an output of a pass over the board shared with other outputs.
std::unique_ptr<PassOutput> billOfMaterialsOutput(common::Host& host, const PlotOptions& options,
                                                  const board::RunValues& runValues);

}  // namespace padloom::plot
