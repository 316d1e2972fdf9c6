#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/host.h"
#include "plot/layer_file.h"
#include "plot/plot_run.h"
#include "plot/x2_attributes.h"
#include "tango/collection.h"

namespace padloom::tango {

/// Options of the "TANGO -> Generate XGerbers" window.
struct TangoOptions {
    std::array<bool, plot::kPlotLayerCount + 1> layers{};  // layers[p] for plot layer p
    bool ncDrill = false;
    bool bom = false;            // offered disabled: a TANGO board has no component list
    bool drillFormat24 = false;  // "2,4"; otherwise the 2,3 form
    /// The drill file's units and format in Excellon's terms when given; otherwise drillFormat24.
    std::optional<plot::DrillFormat> drillFormat;
    /// No aperture macros in any file. A TANGO plot defines round and rectangular apertures
    /// only, so its files never have one; the option is there for the plots that do.
    bool noMacros = false;
    TangoSizes sizes;
    /// Gerber X2 attributes in the files and a Gerber job file (base name + ".gbrjob"), the
    /// files in the current syntax, and the board-outline layer's lines on the outline file too.
    bool x2 = false;
    /// The creation date the attributes give (ISO 8601 with offset); empty: the run's time.
    std::string creationDate;
};

/// The name every output is named from: the board's path with each ".PCB" of its file name
/// replaced by ".OUT" (folder names are left alone), so "BOARD.PCB" gives "BOARD.OUT" and the
/// layer files "BOARD.OUT.GTL" beside it. A name without ".PCB" is used whole.
std::string outputBaseName(const std::string& path);
/// The aperture file name shown in the message list: ".PCB" replaced by ".APT" likewise.
std::string apertureNameShown(const std::string& path);

/// Plot layers a TANGO board can have nothing on and that this tool does not write: the
/// ground and power planes (13, 14); their apertures would not exist.
bool isPlaneLayer(int plotLayer);

/// Header and aperture definitions of one TANGO layer file: every aperture of the table in
/// D-code order, round ("C") and rectangular ("R") ones; with `x2`, the file attributes after
/// the format and units and the aperture functions before the definitions.
void writeTangoHeader(plot::LayerFile& file, int plotLayer, const board::ApertureTable& apertures,
                      const plot::X2Facts* x2 = nullptr);

/// r cos(a) and r sin(a) for a whole number of degrees, each truncated toward zero. Right
/// angles are exact, and values within 1e-9 of a whole number count as that number, so the
/// result does not depend on the last bit of the platform's trigonometry.
std::pair<int, int> polarOffset(int radius, int degrees);

/// Writes an arc counter-clockwise from `start` over `sweep` degrees around (cx, cy) as one
/// multi-quadrant (G75) circular interpolation. The line is left open: the next output
/// continues it. A radius of 0 is drawn as 1; a negative sweep is drawn from start + sweep
/// to start; a sweep of 0 writes nothing and returns false (G75 would draw a full ring).
bool writeTangoArc(plot::LayerFile& file, int cx, int cy, int radius, int start, int sweep,
                   int aperture);

/// Writes a text with the stroke font, one line per character; the aperture selection, when
/// the aperture is not the current one, opens the first character's line. The position of
/// the plot steps is left as it was.
void writeTangoText(plot::LayerFile& file, int x, int y, int aperture, std::string_view text,
                    int height, int rotation);

/// The plot run on a chosen board: names and dimensions in the message list, the collection
/// pass, each ticked layer in plot layer order (the drill drawing as the 9th), the NC drill
/// file, with X2 attributes the job file, and "Done". Refused when the collection pass refuses the
/// board (nothing is written). Throws IoError on a file error; files finished before it stay.
common::Outcome plotTangoBoard(common::Host& host, const TangoOptions& options,
                               const std::string& path);

/// The files a plot run with `options` writes for the board at `path`: each ticked layer file
/// but the planes, in plot layer order, then the NC drill file when it is ticked.
std::vector<std::string> tangoOutputPaths(const TangoOptions& options, const std::string& path);

/// The window's "Plot": asks for the TANGO board, then plotTangoBoard. Cancelled when the
/// open dialog is cancelled (no message, no output). The chosen board's path is stored in
/// `chosenBoard` when it is given, before the run starts.
common::Outcome plotTango(common::Host& host, const TangoOptions& options,
                          std::string* chosenBoard = nullptr);

}  // namespace padloom::tango
