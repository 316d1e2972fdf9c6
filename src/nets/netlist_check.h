#pragma once

#include <string>
#include <vector>

#include "board/aperture_table.h"
#include "common/host.h"
#include "nets/board_nets.h"
#include "plot/plot_run.h"

namespace padloom::nets {

/// What a check of a board against its netlist shows: the nets, how they differ from the
/// netlist, and the board's copper plotted for looking at them.
struct NetlistCheck {
    std::string board;
    BoardNets nets;
    NetDifferences differences;
    /// The copper layer files (top, bottom and the mid layers with copper of their own) and
    /// the NC drill file, in plot layer order.
    std::vector<std::string> files;
};

/// The copper options of a plot run with these options and enlargements.
CopperOptions copperOptionsOf(const plot::PlotOptions& options, const board::Enlargements& e);

/// Checks the copper of `boardPath` against `netlistPath` (the board's NETDEF blocks when it is
/// empty), with the copper as a plot run with `options` and `enlargements` draws it, and plots
/// that copper and the drill file into `folder` (the board's own outputs are left alone); the
/// plot's messages go to `host`. Throws IoError, and FormatError when there is no netlist to
/// check against.
NetlistCheck checkAgainstNetlist(common::Host& host, const std::string& boardPath,
                                 const std::string& netlistPath, plot::PlotOptions options,
                                 const board::Enlargements& enlargements,
                                 const std::string& folder);

}  // namespace padloom::nets
