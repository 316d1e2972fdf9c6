#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "annotate/placement.h"
#include "board/run_values.h"
#include "common/host.h"
#include "fab/fab_profile.h"
#include "nets/ipc356.h"
#include "plot/board_outline.h"
#include "plot/plot_run.h"
#include "view/layer_image.h"

namespace padloom::fab {

/// One file of a fab package: where it is, its name in the package, what it is for and, for a
/// Gerber or drill file, its function and polarity as the X2 attributes give them.
struct PackageFile {
    std::string path;  // empty for a file made in memory (the README, the job file)
    std::string name;
    std::string role;
    std::string function;
    std::string polarity;
    /// The plot set's row of a Gerber or drill file; null for the other files.
    const plot::SetFile* set = nullptr;
};

/// What a board house asks and a board cannot tell: given when packaging, else left to be
/// chosen when ordering. Texts are as the user gives them ("1 oz", "ENIG", "green").
struct OrderChoices {
    std::optional<double> thickness;  // millimetres
    std::string copper;
    std::string finish;
    std::string maskColour;
    std::string legendColour;
};

/// The choices of a package run.
struct PackageOptions {
    /// How the layers are drawn (fill mode, drill format, pours, thermals, X2 attributes); the
    /// layers and outputs are the package's own.
    plot::PlotOptions plot;
    /// The X/Y file's fill layers and format; each part's side is told by the overlays.
    annotate::PlacementOptions placement;
    /// Where the board outline is taken from.
    plot::OutlineSource outline = plot::OutlineSource::Auto;
    /// Draw the board layer (11) into every layer file, as the plain plot does by default.
    bool includeBoardLayer = false;
    /// A Protel netlist the test netlist takes its nets from; empty: the board's NETDEF blocks.
    std::string netlist;
    OrderChoices order;
    /// The board house's profile: the names in the zip, X2 attributes and job file, aperture
    /// macros, drill format and files, planes, the assembly files. Null: the generic profile.
    std::shared_ptr<const FabProfile> profile;
};

/// What a package run made.
struct PackageResult {
    std::string zipPath;
    std::vector<PackageFile> files;  // in zip order, README.md last
    std::string readme;
    /// Problems found reading the Gerber and drill files back ("file:line: ..."); errors
    /// among them make the package unfit to send.
    std::vector<std::string> problems;
    bool hasErrors = false;
    /// The job file beside the board that the plot run wrote for the same files (with X2
    /// attributes; empty otherwise): the set to look at.
    std::string jobFile;
};

/// The plot layers a board's fab set holds: top and bottom copper, the mid layers and planes
/// the board uses (a record on the layer, or for a plane a pad connected to it), both solder
/// masks, the legends and paste masks of the sides that have something on them, the board
/// outline and the drill drawing. Reads the board once; throws IoError.
std::array<bool, plot::kPlotLayerCount + 1> fabLayers(const std::string& boardPath);

/// What the README of a package tells.
struct ReadmeFacts {
    std::string boardPath;
    std::vector<PackageFile> files;
    /// The Gerber and drill files of `files` read back, in any order.
    std::vector<view::LayerImage> images;
    plot::DrillFormat drillFormat;  // of the drill files
    plot::BoardOutline outline;
    int copperLayers = 2;
    /// Where the test netlist's nets come from and the netlist check; none without one.
    std::optional<nets::NetSource> netSource;
    OrderChoices order;
    /// The board house's profile, which the README names with what it changes; none: not told.
    const FabProfile* profile = nullptr;
};

/// The README of a package (markdown, its tables as indented blocks, CR LF lines): at the top
/// "No board outline: ..." when there is none; the board's size (the outline's extent along
/// the centre of its lines), its copper layers and the files' formats; the layer stack from
/// top to bottom with each file's function and polarity; the other files; the drill table of
/// the drill files with each tool's plating; where the test netlist's nets come from with the
/// netlist check; the order choices, "to be chosen when ordering" where none was given; the
/// board house's profile, what it changes and how the CPL gives positions and rotations; and
/// the problems found reading the files back.
std::string packageReadme(const ReadmeFacts& facts);

/// The fab package of a board whose aperture file the run values say was made: plots the fab
/// set beside the board (the layers of fabLayers(), the outline file drawing only the board
/// outline and missing when there is none, NC drill and BOM, with the drawing options given,
/// X2 attributes when `options.plot.x2`), writes the plated and non-plated holes in drill
/// files of their own, the X/Y placement file and the IPC-D-356A test netlist, reads every
/// Gerber and drill file back and puts them, under the names board houses' CAM software
/// recognises, with a README.md (and with X2 attributes a Gerber job file) into the zip
/// `zipPath`, which is written whole or not at all. Messages go to the Host's message list,
/// warnings (no board outline) through Host::warn. Throws IoError.
///
/// The profile (`options.profile`, else generic) names the files in the zip and sets X2
/// attributes (off when the options or the profile turn them off), the job file, aperture
/// macros, the drill format, one drill file or plated and non-plated apart, positive planes,
/// and the assembly files: the X/Y file, the plot's bill, a CPL and a BOM in its columns.
PackageResult makeFabPackage(common::Host& host, const PackageOptions& options,
                             const board::RunValues& runValues, const std::string& zipPath);

/// Refuses, with an IoError, a zip path that cannot be written before any work is done: its
/// folder missing ("no such folder") or not a folder, or the path itself a folder.
void checkZipPath(const std::string& zipPath);

/// Writes a zip of the files (stored under their names) and of `extra` texts (name, bytes),
/// in that order, each readable by all and writable by its owner (mode 0644), replacing
/// `zipPath` only when the whole archive could be written. Throws IoError.
void writeZip(const std::string& zipPath, const std::vector<PackageFile>& files,
              const std::vector<std::pair<std::string, std::string>>& extra);

}  // namespace padloom::fab
