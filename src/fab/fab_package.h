#pragma once

#include <array>
#include <string>
#include <vector>

#include "annotate/placement.h"
#include "board/run_values.h"
#include "common/host.h"
#include "fab/fab_profile.h"
#include "plot/plot_run.h"
#include "view/layer_image.h"

namespace padloom::fab {

/// One file of a fab package: where it is, its name in the package, what it is for and, for a
/// Gerber or drill file, its function as the X2 attributes give it.
struct PackageFile {
    std::string path;  // empty for a file made in memory (the README, the job file)
    std::string name;
    std::string role;
    std::string function;
    /// The plot set's row of a Gerber or drill file; null for the other files.
    const plot::SetFile* set = nullptr;
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
};

/// The plot layers a board's fab set holds: top and bottom copper, the mid layers and planes
/// the board uses (a record on the layer, or for a plane a pad connected to it), both solder
/// masks, the legends and paste masks of the sides that have something on them, the board
/// outline and the drill drawing. Reads the board once; throws IoError.
std::array<bool, plot::kPlotLayerCount + 1> fabLayers(const std::string& boardPath);

/// The README of a package (markdown, its tables as indented blocks): each file's role and
/// function, the board size (the extent of the board outline along the centre of its lines),
/// the copper layer count and the drill table of the NC drill file. `images` are the Gerber and
/// drill files of `files` read back, in any order; the drill file's number format is the
/// plot's (2.3 or 2.4 digits, leading zeros kept).
std::string packageReadme(const std::string& boardPath, const std::vector<PackageFile>& files,
                          const std::vector<view::LayerImage>& images, bool drillFormat24,
                          const FabProfile* profile = nullptr);

/// The fab package of a board whose aperture file the run values say was made: plots the fab
/// set beside the board (the layers of fabLayers(), NC drill and BOM, with the other plot
/// options as given, X2 attributes when `options.x2`), writes the X/Y placement file (with the
/// fill layers and format of `placement`, each part's side told by the top and bottom
/// overlays), reads every Gerber and drill file back and puts them, under the names board
/// houses' CAM software recognises, with a README.md (and with X2 attributes a Gerber job
/// file) into the zip `zipPath`, which is written whole or not at all. Messages go to the
/// Host's message list. Throws IoError.
///
/// `profile` is the board house's (null: the generic profile): the names in the zip, X2
/// attributes (off when either the options or the profile turn them off), the job file, the
/// drill format when the profile gives one, and the assembly files (X/Y file, the plot's bill,
/// CPL and BOM in the profile's columns); the README names it and what it changes.
PackageResult makeFabPackage(common::Host& host, plot::PlotOptions options,
                             const annotate::PlacementOptions& placement,
                             const board::RunValues& runValues, const std::string& zipPath,
                             const FabProfile* profile = nullptr);

/// Refuses, with an IoError, a zip path that cannot be written before any work is done: its
/// folder missing ("no such folder") or not a folder, or the path itself a folder.
void checkZipPath(const std::string& zipPath);

/// Writes a zip of the files (stored under their names) and of `extra` texts (name, bytes),
/// in that order, each readable by all and writable by its owner (mode 0644), replacing
/// `zipPath` only when the whole archive could be written. Throws IoError.
void writeZip(const std::string& zipPath, const std::vector<PackageFile>& files,
              const std::vector<std::pair<std::string, std::string>>& extra);

}  // namespace padloom::fab
