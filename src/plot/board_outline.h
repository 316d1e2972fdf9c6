#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::board {
class BoardImage;
}

namespace padloom::plot {

/// Where a board's outline is looked for: the board layer (11) when it has lines, else the
/// keep-out layer (12); one of them only; or nowhere.
enum class OutlineSource { Auto, Board, KeepOut, None };

/// "auto", "board", "keepout", "none".
std::string_view outlineSourceName(OutlineSource source);
/// The source of one of those names; nullopt for any other text.
std::optional<OutlineSource> outlineSourceNamed(std::string_view name);

/// One piece of an outline loop: a straight line, or one quarter of a circle (an arc record
/// of the board gives one piece per quarter of its quadrant mask), from (x1, y1) to (x2, y2)
/// in the order the loop runs. Board mils.
struct OutlinePiece {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    /// 0 for a straight line; for a quarter circle its bit of the board's quadrant mask: 1 from
    /// the top point to the right one, 2 left to top, 4 bottom to left, 8 right to bottom.
    int quadrant = 0;
    int cx = 0, cy = 0, radius = 0;  // a quarter circle's centre and radius
    int width = 0;                   // the line's width as the board gives it
    long line = 0;                   // the board line of its record
    bool arc() const { return quadrant != 0; }
};

/// The extent of an outline along the centre of its lines, in mils.
struct OutlineExtent {
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    int width() const { return maxX - minX; }
    int height() const { return maxY - minY; }
};

/// A board's outline: the closed loops of lines and arcs on one board layer that enclose the
/// board's pads and holes. Usually one loop; a file holding several boards side by side (a
/// panel) has one loop per board. Empty when the board has none, and `absence` then says why.
struct BoardOutline {
    int boardLayer = 0;  // 11 or 12; 0 when there is no outline
    /// Every loop's pieces, loop after loop; within a loop each piece ends where the next
    /// begins, and the last ends where the first begins. Loops run counter-clockwise.
    std::vector<OutlinePiece> pieces;
    /// Where each loop begins in `pieces`.
    std::vector<size_t> loopStarts;
    /// Why there is no outline: "the keep-out layer (12) has lines, but no closed loop of
    /// them: the line at ... ends where no other line does"; empty when there is one.
    std::string absence;
    /// What a board house should know of the layer's other lines: closed loops inside the
    /// outline (cut-outs or keep-out zones), which the outline leaves out.
    std::vector<std::string> notes;

    bool empty() const { return pieces.empty(); }
    /// The extent along the centre of the lines; all zero for an empty outline.
    OutlineExtent extent() const;
    /// Whether the point lies inside a loop or on the centre line of one.
    bool contains(double x, double y) const;
    /// The distance from the point to the nearest centre line of the outline; infinite for an
    /// empty outline.
    double distance(double x, double y) const;
};

/// Finds a board's outline on the layer `source` names (Auto: the board layer when it has a
/// track or arc, else the keep-out layer): the outermost closed loops of its tracks and arcs
/// (ends meeting within 2 mils count as joined; lines that lead nowhere are left out) that
/// enclose every pad and via centre of the board, each holding at least one of them. Loops
/// inside another (inner keep-out zones, cut-outs) stay out. Replays `image` when it stands
/// for the board. Throws what BoardReader throws.
BoardOutline findBoardOutline(const std::string& boardPath, OutlineSource source,
                              std::shared_ptr<const board::BoardImage> image = nullptr);

/// The warning of a missing outline, for every place that gives it: "No board outline: "
/// and why, and what it means for the order.
std::string noOutlineWarning(const BoardOutline& outline);

}  // namespace padloom::plot
