#pragma once

#include <memory>
#include <string>
#include <vector>

#include "board/aperture_table.h"
#include "board/run_values.h"
#include "common/errors.h"
#include "common/host.h"

namespace padloom::convert {

/// Options of the PCB to APT window.
struct AptOptions {
    board::Enlargements enlargements;  // solder mask 6, paste 0, plane 6, pour 6
    int drillGuideSize = 6;
    bool fillApertures = false;  // "Apertures for fills"; in plot mode the plot window's "D3 flash"
    bool pourEnable = false;     // the plot window's "Enable" (pours from .001 outline)
    bool plotMode = false;       // run as the first step of a plot run
    bool openNotepad = false;    // the X/Y window's "Open notepad"
};

/// An aperture list entry as built: shape code and sizes; its D-code is its position.
struct AptEntry {
    int shape = 0;
    int xSize = 0;
    int ySize = 0;
};

/// What one reading pass over a board gives: the aperture list from D10 on, the drill tally
/// (ascending hole size), the board extents, the pour outline flags and the list position of
/// the drill-guide circle.
struct AptBuild {
    std::vector<AptEntry> apertures;  // apertures[i] is D-code 10 + i
    std::vector<board::DrillTallyEntry> drillTally;
    board::Extents extents;
    std::array<bool, board::RunValues::kPourFlagCount> pourOutline{};
    int drillGuideDCode = 13;
    std::vector<std::string> problems;  // e.g. pad shapes outside 1 to 10
    bool hasHeader = true;              // whether the board starts with its "PCB FILE" line
    bool cutShort = false;              // whether it ends without its "ENDPCB" line
    std::shared_ptr<const board::BoardImage> boardImage;  // the board as read, in plot mode
};

/// Reads a board file and builds its aperture list and drill tally. Throws IoError.
AptBuild buildApertureList(const std::string& boardPath, const AptOptions& options);

/// Puts into `runValues` what a plot run takes from the build of the board at `boardPath`: the
/// board and its kept image, its base name and aperture file name, extents, pour outline
/// flags, drill tally and drill-guide aperture, whether it was cut short, and `enlargements`.
void takeBuild(board::RunValues& runValues, AptBuild&& build, const std::string& boardPath,
               const board::Enlargements& enlargements);

/// The .APT file text of an aperture list (CR LF lines).
std::string aptFileText(const std::vector<AptEntry>& apertures);
/// The .TOL file text of a drill tally (CR LF lines).
std::string tolFileText(const std::vector<board::DrillTallyEntry>& tally);

/// The "Make APT file" run: asks for the board through the Host's open dialog, writes the
/// .APT and .TOL files beside it (asking before replacing an existing .APT), fills the run
/// values for a plot run, and reports "Done". Throws IoError on a file error.
common::Outcome makeAptFile(common::Host& host, const AptOptions& options,
                            board::RunValues& runValues);

}  // namespace padloom::convert
