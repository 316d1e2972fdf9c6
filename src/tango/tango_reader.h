#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "board/board_reader.h"
#include "common/text_io.h"

namespace padloom::tango {

/// A value the record does not supply.
constexpr int kUnset = -1;

/// Object layer of an object that goes on no layer file (an unmapped TANGO layer).
constexpr int kNoLayer = 0;

/// Object layer of "AL" pads and vias: every copper layer, and drilled. A marker of its own,
/// deliberately outside the plot layer numbers 1 to 17: 13 is the Ground plane file, and an
/// all-layer pad must never land there because of a shared number.
constexpr int kAllCopperLayers = 1013;

/// Field values are held within plus or minus this many mils, the limit of the Autotrax board
/// reader, so that sizes, enlargements and coordinate offsets added to them can never
/// overflow. A field beyond it reads as 0.
constexpr int kFieldLimit = board::kFieldLimit;

/// Plotted text heights are held within plus or minus this many mils.
constexpr int kTextHeightLimit = 1000000;

/// Field n (counted from 0, the keyword) of a line as an integer. Fields are separated by
/// single blanks outside double-quoted stretches; every such blank counts, so two blanks in a
/// row shift the numbering. -1 when the line has fewer than n separating blanks or the n-th
/// is its last character. Leading blanks are skipped, then an optional sign and the digits up
/// to the first other character are read (no digits: 0). A value beyond kFieldLimit reads as 0
/// and sets `outOfRange` when given.
int integerField(std::string_view line, int n, bool* outOfRange = nullptr);

/// Field n of a line as text: up to the next separating blank, blanks trimmed at both ends
/// and every double quote removed; empty when the field is missing.
std::string textField(std::string_view line, int n);

/// Object layer of a TANGO drawing layer: 0 top copper (plot layer 1), 1 bottom copper (6),
/// 8 and 14 top legend (7); every other layer kNoLayer.
int objectLayerOfTangoLayer(int tangoLayer);

/// The TANGO layer of the board outline.
constexpr int kBoardOutlineLayer = 14;

/// Aperture shape code of a pad shape keyword: "SQ" rectangle (2), "EL" and "MH" round (1).
std::optional<int> padShapeOf(std::string_view keyword);

/// Object layer of a pad layer keyword: "TL" top copper (1), "BL" bottom copper (6), "AL"
/// every copper layer (kAllCopperLayers).
std::optional<int> padLayerOf(std::string_view keyword);

/// Kinds of plot object. A Polygon is the POLY record that starts an outline: it draws
/// nothing itself, but its width is the aperture of the points that follow.
enum class ObjectKind { Nothing, Line, Polygon, PolylinePoint, Pad, Via, Arc, Text, Component };

/// What one line of a TANGO board yields. Values the record does not supply are kUnset.
struct PlotObject {
    ObjectKind kind = ObjectKind::Nothing;
    int layer = kUnset;  // object layer: 1, 6, 7, kNoLayer, kAllCopperLayers or kUnset
    int x = kUnset;      // pads, vias, texts, points; a line's start; an arc's centre
    int y = kUnset;
    int x2 = kUnset;  // a line's end
    int y2 = kUnset;
    int width = kUnset;  // line, arc and polygon width; the stroke width of a text
    int shape = kUnset;  // pads and vias: aperture shape code
    int xSize = kUnset;
    int ySize = kUnset;
    int holeSize = kUnset;
    int radius = kUnset;
    int startAngle = kUnset;
    int sweepAngle = kUnset;
    int height = kUnset;       // a text's plotted height: nine tenths of the file's height
    int orientation = kUnset;  // a text's rotation code
    int number = kUnset;       // component number of a COMP or a text
    bool firstPoint = false;   // a polyline point that starts its outline (a move)
    bool boardOutline = false;  // a line, outline, point, arc or text on the board-outline layer
    std::string text;          // a text; a component's reference designator
    std::string keyword;       // a pad's shape keyword, kept for messages
    std::string layerKeyword;  // a pad's layer keyword, kept for messages
    int outOfRangeField = 0;   // the first field beyond kFieldLimit (read as 0), or 0
};

/// Whether a line is the first line of an Autotrax board file ("PCB FILE"), which the TANGO
/// plotter cannot read.
bool isAutotraxBoardHeader(std::string_view line);

/// Whether a text names its component's designator (".REFDES"), and whether a text is
/// plotted at all: texts that begin with "." are attribute names, and only ".REFDES" draws
/// (with the designator in its place).
bool isDesignatorText(std::string_view text);
bool isHiddenText(std::string_view text);

/// One pass over a TANGO board: hands out the plot object of each line in file order. The
/// one piece of state carried from line to line is the polygon mode: a POLY record and the
/// PNT lines after it form one outline; LINE, ARC and TEXT records end it, PAD, VIA, COMP and
/// other lines do not.
class TangoReader {
public:
    /// Opens the board; throws IoError when it cannot be opened and FormatError when it holds
    /// binary data rather than text, or is an Autotrax board.
    explicit TangoReader(const std::string& path);

    /// Reads the next line; false at the end of the file. Lines that are no record give an
    /// object of kind Nothing.
    bool next();
    const PlotObject& object() const { return m_object; }
    /// How many lines read so far were records (any kind but Nothing).
    long records() const { return m_records; }
    /// 1-based number of the line last read.
    long lineNumber() const { return m_lines.lineNumber(); }
    const std::string& path() const { return m_lines.path(); }

    /// The plot object of one line, given the polygon state before it; updates that state.
    struct PolygonState {
        bool active = false;
        bool nextIsFirst = false;
        int width = kUnset;
        int layer = kUnset;
        bool boardOutline = false;
    };
    static PlotObject parseLine(std::string_view line, PolygonState& polygon);

private:
    common::LineReader m_lines;
    std::string m_line;
    PlotObject m_object;
    PolygonState m_polygon;
    long m_records = 0;
};

}  // namespace padloom::tango
