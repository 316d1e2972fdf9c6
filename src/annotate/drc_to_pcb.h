#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "common/host.h"

namespace padloom::annotate {

/// The highlight records for the clearance errors of a design-rule report.
struct DrcHighlights {
    std::string records;  // board records, CR LF lines, in report order
    int errors = 0;       // "Clearance Error" lines read
    int objects = 0;      // highlight records made, two per error when every line reads
    /// Object lines left out because their x or y is not a whole number, as "file:line: text".
    std::vector<std::string> skipped;
};

/// The highlight record of one object line of a clearance error: a keep-out ring ("FA") round
/// a point object "(x,y)", a wide keep-out line ("FT") over a segment "(x1,y1 x2,y2)". Nothing
/// when a coordinate is not a whole number.
std::optional<std::string> highlightRecord(std::string_view objectLine);

/// Reads a design-rule report and makes a highlight record for both objects of every clearance
/// error. Throws IoError, and FormatError when the report holds binary data.
DrcHighlights readDrcReport(const std::string& reportPath);

/// Writes the highlights as a board file of their own: "PCB FILE 4", the records, "ENDPCB".
/// Throws IoError; refuses to write over the report.
void writeErrorBoard(const DrcHighlights& highlights, const std::string& reportPath,
                     const std::string& outputPath);

/// Writes a copy of the board with the highlights inserted before its last "ENDPCB" line,
/// whatever that line's end; a board without one gets the highlights and "ENDPCB" appended.
/// Every other byte of the board is copied unchanged. Throws IoError, and FormatError when the
/// board is no Autotrax board; refuses to write over the report or the board. Returns whether
/// the board starts with its "PCB FILE" line.
bool writeHighlightedBoard(const DrcHighlights& highlights, const std::string& reportPath,
                           const std::string& boardPath, const std::string& outputPath);

/// The completion text: "Done", followed by the object lines left out when there are any.
std::string drcDoneText(const DrcHighlights& highlights);

/// Output of the tool: a board of its own ('Create "error.pcb"') or the checked board with the
/// highlights ("Create new PCB file").
enum class DrcMode { ErrorBoard = 0, HighlightedCopy = 1 };

/// The "DRC --> PCB" run: asks for the report, in the second mode for the board, then for the
/// output through the Host's dialogs; writes it and shows "Done". A cancelled dialog ends the
/// run silently with nothing written. Throws IoError.
common::Outcome drcToPcb(common::Host& host, DrcMode mode);

}  // namespace padloom::annotate
