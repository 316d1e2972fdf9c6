#pragma once

#include <functional>
#include <string>
#include <vector>

#include "board/aperture_table.h"
#include "board/run_values.h"
#include "common/host.h"
#include "plot/layer_file.h"
#include "plot/pour_edges.h"

namespace padloom::plot {

/// D-code of the 1-mil circle that every aperture file made here has: pour outlines are drawn
/// with it, and pour regions and polygon fills are written with it.
constexpr int kOneMilDcode = 12;

/// Gathers the pieces of the pour outlines of copper layer `layer` (1 top, 6 bottom) into
/// `edges`, emptying it first: every free track of that layer drawn with the 1-mil aperture,
/// and every quarter of every free 1-mil arc of that layer (quadrant bits in the order 1, 2, 4,
/// 8). Component tracks and arcs are never outline pieces. Throws IoError.
void collectPourPieces(PourEdgeTable& edges, const board::RunValues& runValues, int layer,
                       const board::ApertureTable& apertures);

/// Adds the outline pieces of one free track or arc record of the layer: the track when it is
/// drawn with the 1-mil aperture (`oneMilTrack`), each quarter of an arc 1 mil wide.
void addPourPieces(PourEdgeTable& edges, board::RecordKind kind, const board::CurrentRecord& r,
                   bool oneMilTrack);

/// Which way a quarter arc turns from its previous point to its own point.
enum class ArcTurn { Clockwise, CounterClockwise, Undetermined };

/// The bearing of a point around a centre: 270 left of it, 90 right of it, otherwise 0 above
/// (or on it) and 180 below. Only the four axis points of a circle get meaningful bearings,
/// which is all that quarter-arc ends can be.
int bearing(int x, int y, int centreX, int centreY);

/// The turn of the quarter arc from `from` to `to` around the centre that `to` carries:
/// clockwise for bearings 0->90, 90->180, 180->270, 270->0, counter-clockwise the other way
/// round, undetermined otherwise (equal or opposite bearings, a zero radius).
ArcTurn arcTurn(const EndRecord& from, const EndRecord& to);

/// An outline that could not be made into a pour: its first point and how many pieces it had.
struct DroppedOutline {
    enum class Why { NotClosed, NoStraightPiece };
    EndRecord first;
    int pieces = 0;
    Why why = Why::NotClosed;
};

/// Walks the pieces into closed outlines, consuming the table. Each walk starts on the first
/// straight piece left, from its A end, and follows the first piece (in table order) that
/// continues at the current point until it is back at the start; the closed outline (start
/// point first and last, each later point carrying the kind, radius and centre of the piece
/// that arrives at it) goes to `closed`. If another piece touches the start point the walk
/// carries on through it, and when it closes again the whole point list goes to `closed` once
/// more. Chains that end open, and the pieces left when no straight piece remains, go to
/// `dropped`, one call per connected chain.
void walkPourOutlines(PourEdgeTable& edges,
                      const std::function<void(const std::vector<EndRecord>&)>& closed,
                      const std::function<void(const DroppedOutline&)>& dropped);

/// Writes the closed outlines of a pour layer as filled regions drawn with the 1-mil aperture:
/// "D12*", "G36*", the points ("X..Y..*D02*" for the first, "D01*" for the others; quarter arcs
/// as single-quadrant "G02X"/"G03X" points with unsigned I and J, "G74*" before the first of
/// them, "G01*" before the first straight point after arcs) and "D02*G37*". A quarter arc of
/// radius 0 is written as a straight point. In the current syntax each outline is a region of
/// writeRegion's instead, the same arcs taken with signed centre offsets. The file is left in
/// linear interpolation. Every dropped outline adds a warning line, naming the layer, to the
/// message list.
void writePourRegions(LayerFile& file, PourEdgeTable& edges, common::Host& host, int layer);

}  // namespace padloom::plot
