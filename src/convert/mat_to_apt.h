#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "common/host.h"

namespace padloom::convert {

/// One usable line of an Autotrax aperture matrix: its D-code and where in the line the "D"
/// that gave it stands (0-based).
struct MatLine {
    int dcode = 0;
    size_t dPos = 0;
};

/// Reads one aperture matrix line. A line is used when it has a ":" before its last
/// character, a "D" after that ":" and before the last character, and after that "D" a run of
/// digits ending at a separator (blank, TAB, ",", ")") that is not the line's last character;
/// the D-code must be 1 or more. Any other line gives nullopt.
std::optional<MatLine> parseMatLine(std::string_view line);

/// The aperture file line made from a matrix line: the text from the D-code's "D" to the end,
/// a TAB, then what stands before the "D" less its last two characters (normally ": ").
/// "CIRC10: D12 CIRCLE 10 X" gives "D12 CIRCLE 10 X\tCIRC10".
std::string aptLineOfMat(std::string_view line, const MatLine& parsed);

/// The most distinct D-codes an aperture matrix may hold.
constexpr size_t kMatMaxDcodes = 4096;

/// The aperture file text (CR LF lines) of a whole matrix file: the first line of each D-code,
/// sorted by D-code. Returns nullopt, after telling the host which line overflowed, when the
/// matrix holds more than kMatMaxDcodes distinct D-codes. Throws IoError, and FormatError when
/// it holds binary data or no aperture line at all (an empty aperture file would replace a
/// good one).
std::optional<std::string> aptTextOfMatFile(common::Host& host, const std::string& matPath);

struct MatToAptOptions {
    bool openNotepad = false;  // the X/Y window's "Open notepad"
};

/// The ".MAT --> .APT" run: asks for the matrix through the shared open dialog (its "MAT
/// files" filter), writes the aperture file beside it (asking before replacing one), shows
/// its progress on the host's status label and progress bar, and opens the result in the text
/// viewer when asked to. Refuses to write over the matrix itself. `aptPathOut`, when given,
/// receives the path of the aperture file written. Throws IoError.
common::Outcome matToApt(common::Host& host, const MatToAptOptions& options,
                         std::string* aptPathOut = nullptr);

}  // namespace padloom::convert
