#pragma once

#include <string>

#include "board/run_values.h"
#include "convert/pcb_to_apt.h"
#include "plot/plot_run.h"

namespace CLI {
class App;
}

namespace padloom::cli {

class CliHost;

/// --drill-format, as `plot`, `package` and `tango` take it: "2.3", "2.4" or a format in
/// Excellon's terms (plot::parseDrillFormat).
void addDrillFormatOption(CLI::App& app, std::string& drillFormat);

/// --no-macros, as `plot`, `package` and `tango` take it.
void addNoMacrosFlag(CLI::App& app, bool& noMacros);

/// The options that `plot` and `package` share: how the layers are drawn and the aperture
/// file they are drawn with.
struct PlotSetup {
    std::string drillFormat = "2.3";
    std::string fillMode = "polygon";
    std::string planes = "negative";
    bool noMacros = false;
    bool noIncludeBoard = false;
    bool includeKeepOut = false;
    bool thermals = false;
    bool pours = false;
    convert::AptOptions apt;
    bool yes = false;

    /// Adds the shared options to a subcommand.
    void addOptions(CLI::App& app);
    /// Sets the drawing options of a plot run; the layers and outputs are left as they are.
    void applyTo(plot::PlotOptions& options) const;
    /// Makes the aperture file as the plot window's first step does: an existing one is kept
    /// unless --yes, but the board is still read for its extents and drill tally. False when
    /// no aperture file was made.
    bool makeApertures(CliHost& host, board::RunValues& runValues) const;
};

}  // namespace padloom::cli
