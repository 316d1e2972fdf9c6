#pragma once

#include <array>
#include <string>
#include <vector>

#include "board/aperture_table.h"
#include "board/run_values.h"
#include "common/errors.h"
#include "common/host.h"
#include "plot/nc_drill.h"
#include "tango/tango_reader.h"

namespace padloom::tango {

/// The first D-code of a TANGO plot: the drill guide circle, then the 6-mil drawing pen.
constexpr int kFirstDcode = 20;
/// Room in the aperture table: D20 to D1019.
constexpr size_t kApertureCapacity = 1000;
/// Component numbers run from 0 to this.
constexpr int kLastComponentNumber = 1000;
/// The pen of the drill drawing: a round 6-mil aperture.
constexpr int kDrillPenSize = 6;

/// The sizes a run adds to pads and vias, in mils (the window's spin edits).
struct TangoSizes {
    int solderMask = 6;
    int paste = 6;
    int drillGuide = 0;  // diameter of the round flash that marks each hole on the drill guide
};

/// The shape and sizes of one aperture.
struct ApertureKey {
    int shape = kUnset;
    int xSize = 0;
    int ySize = 0;
};

/// The drawing aperture of a line, polygon, arc or text (round, of its width), or the own
/// aperture of a pad or via (its shape and sizes). Sizes below 0 (a missing field) count as 0.
ApertureKey ownAperture(const PlotObject& object);
/// A pad's or via's aperture enlarged by `enlargement` mils on each axis, never below 0.
ApertureKey enlargedAperture(const PlotObject& object, int enlargement);
/// The D-code of an aperture in the table, or board::kNotFound.
int findAperture(const board::ApertureTable& table, const ApertureKey& key);

/// What the collection pass gathers from a TANGO board before any output is written.
struct TangoBoard {
    std::string path;
    board::ApertureTable apertures;         // D20 upward, in the order sizes are first needed
    board::Extents extents;                 // over the end points of lines on a plotted layer
    std::vector<plot::DrillHit> drillHits;  // "AL" pads and vias, in file order
    std::vector<int> holeSizes;  // distinct hole sizes above 0, in order of first appearance
    std::array<std::string, kLastComponentNumber + 1> componentNames;  // by component number
};

/// The collection pass: reads the whole board once and fills `board` afresh (the component
/// names too). Notes on records that cannot be plotted as they stand (a pad of unknown shape or
/// layer, an arc with a sweep of 0, a negative hole) go to the message list with their line
/// numbers; the pass ends with one empty line there. A board that needs more than 1000
/// apertures, or a component number outside 0 to 1000 on a COMP record or a ".REFDES" text,
/// is refused: the message names the file and line, is shown as an error and added to the
/// message list, and the result is Refused. Throws IoError when the board cannot be read, and
/// FormatError when it holds binary data or no TANGO record at all.
common::Outcome collectBoard(common::Host& host, const std::string& path, const TangoSizes& sizes,
                             TangoBoard& board);

}  // namespace padloom::tango
