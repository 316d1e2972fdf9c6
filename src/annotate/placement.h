#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "common/host.h"

namespace padloom::annotate {

/// Options of the X/Y placement file: the layers that tell a part's side, and the format.
struct PlacementOptions {
    int topLegendLayer = 7;     // "Top side legend layer"
    int bottomLegendLayer = 3;  // "Bottom side legend layer" ("3 - 2nd mid" by default)
    int topFillLayer = 1;       // "Top side fill layer"
    int bottomFillLayer = 6;    // "Bottom side fill layer"
    bool ignoreRobberPads = false;
    bool commaDelimited = false;  // "," between fields instead of TAB
    bool sortResults = false;
    bool openNotepad = true;  // open the written file in the user's text viewer (window run)
    /// Decimal separator of the numbers in TAB-delimited files and the size labels: the
    /// user's locale's. Comma-delimited files always use ".", or the fields could not be split.
    char decimalSeparator = '.';
};

/// What a placement run reports while it works; every member may be left empty.
struct PlacementProgress {
    std::function<void(std::string_view text)> status;  // the status label
    std::function<void(int percent)> progress;          // -1 hides the bar
    /// The board size after the first pass, as the two size labels show it ("x = 4.000").
    std::function<void(std::string_view x, std::string_view y)> boardSize;
};

/// What a placement run wrote.
struct PlacementResult {
    std::string outputPath;
    int minX = 0, minY = 0, maxX = 0, maxY = 0;  // board extents from the first pass
    size_t components = 0;
    /// Damaged records met on the way ("file:line: ..."); the run went on with what it read.
    std::vector<std::string> problems;
};

/// Reads a board file twice and writes its X/Y placement file: the board corners, a header and
/// one line per component with its designator, centre in inches, side and rotation. The output
/// is `outputPath`, or the board's base name + ".UCM" when that is empty; it never replaces
/// the board itself. Throws IoError.
PlacementResult writePlacementFile(const std::string& boardPath, const PlacementOptions& options,
                                   const std::string& outputPath = {},
                                   const PlacementProgress& progress = {});

/// One component as the X/Y file finds it, seen from the top for parts on both sides.
struct PlacedPart {
    std::string designator;
    std::string pattern;     // footprint name
    std::string comment;     // value or part number
    long long x = 0, y = 0;  // centre in mils, in board coordinates (never mirrored)
    char side = 'T';         // 'T' or 'B'
    /// Degrees as the X/Y file counts them (0 with pin 1 left of the centre, 90 with it above),
    /// taken in the top view for bottom parts too; -1 when unknown.
    int rotation = -1;
};

/// The components of a board in file order, with the centres, sides and rotations of the X/Y
/// file (its layers and robber-pad rule from `options`) but never mirrored. Damaged records go
/// to `problems`. Throws IoError.
std::vector<PlacedPart> placedParts(const std::string& boardPath, const PlacementOptions& options,
                                    std::vector<std::string>& problems);

/// The "Create XY file" run: asks for the board through the Host's open dialog, writes the
/// placement file with status and progress on the Host, then opens it in the text viewer when
/// `openNotepad` is set. No completion message. Throws IoError on a file error.
common::Outcome createXyFile(
    common::Host& host, const PlacementOptions& options,
    const std::function<void(std::string_view x, std::string_view y)>& showBoardSize = {});

/// Mils as inches with exactly three decimals and the given separator: "1.100", "-0.050",
/// "12.345".
std::string placementNumber(long long mils, char separator);

/// Rounds to a multiple of m: a remainder above m / 2 rounds up, so 12 snaps to 0 and 13 to 25
/// on the 25-mil grid; negative values are cut toward zero to a multiple of m.
long long roundToMultiple(long long value, int m);

}  // namespace padloom::annotate
