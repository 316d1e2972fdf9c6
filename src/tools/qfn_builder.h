#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "common/host.h"

namespace padloom::tools {

/// Unit of the five size fields of the QFN builder.
enum class QfnUnit { Imperial, Metric };

/// The seven fields of the QFN builder as typed, and the unit of the size fields.
struct QfnFields {
    std::string padX;      // pad length along its side of the package
    std::string padY;      // pad length across its side, toward the package centre
    std::string numX;      // pads on the bottom row and on the top row
    std::string numY;      // pads on the right column and on the left column
    std::string pitch;     // centre-to-centre distance of neighbouring pads on a side
    std::string xSpacing;  // between the centres of the left and right columns
    std::string ySpacing;  // between the centres of the bottom and top rows
    QfnUnit unit = QfnUnit::Imperial;
};

/// The footprint in integer mils and pad counts, every value checked to be 0 or more.
struct QfnValues {
    int padX = 0, padY = 0;
    int numX = 0, numY = 0;
    int pitch = 0, xSpacing = 0, ySpacing = 0;
};

/// One pad of the footprint: centre, sizes, pad shape (4 rounded rectangle for pad 1, 2
/// rectangle for the others) and pad number.
struct QfnPad {
    long long x = 0, y = 0;
    int xSize = 0, ySize = 0;
    int shape = 2;
    long long number = 0;
};

/// Centre of the footprint, in mils.
constexpr int kQfnCentre = 6000;

/// The most pads a side of the footprint may have.
constexpr int kMaxPadsPerSide = 1000;

/// Reads a size text as a real number: optional blanks around it, an optional sign, digits with
/// an optional "." and an optional exponent ("1.00E+003"). The decimal point is always ".",
/// whatever the platform's locale, so a text the window wrote always reads back.
std::optional<double> parseSizeText(std::string_view text);

/// The value of a size field in mils, rounded to the nearest integer (halves to the even
/// neighbour); a metric value is converted from millimetres first. nullopt when the text is
/// not a number.
std::optional<double> sizeInMils(std::string_view text, QfnUnit unit);

/// The text a size field shows after its unit changed to `newUnit`. To "Metric" the value, in
/// mils, becomes millimetres rounded to three significant digits with six decimals ("1.520000"
/// for 60), in the exponent form "1.00E+003" from 1000 mm on; to "Imperial" the value, in
/// millimetres, becomes whole mils. A text that is not a number becomes the field's prompt:
/// "In Mills" or "In mm".
std::string convertSizeText(std::string_view text, QfnUnit newUnit);

/// Millimetres of a size in mils as the metric field shows them: three significant digits,
/// six decimals, exponent form from 1000 mm on.
std::string metricText(double mils);

/// Why the fields do not make a footprint: the message to show.
struct QfnRefusal {
    std::string message;
    /// The field a negative size was given in, by its label ("Pad X"), at the start of the
    /// message; empty when the message names no single field.
    std::string field;
};

/// The message that names a size field given a negative value.
std::string negativeSizeMessage(std::string_view field);

/// Checks and reads the fields. Sizes are converted to whole mils; the pad counts are read once,
/// as whole numbers. An empty or non-numeric field, or a negative count, gives "Not all
/// parameters are entered"; a negative size is refused naming its field; more than kMaxPadsPerSide pads a side, a pitch of 0 where a side has two pads or
/// more (they would lie on top of each other), and a footprint whose values or pad positions
/// fall outside the 32-bit range of board coordinates are refused with their own messages.
std::optional<QfnValues> readQfnFields(const QfnFields& fields, QfnRefusal* refusal = nullptr);

/// Every pad of the footprint in numbering order: bottom row left to right, right column bottom
/// to top, top row right to left, left column top to bottom, so the numbers run
/// counter-clockwise from pad 1 at the left end of the bottom row.
void forEachQfnPad(const QfnValues& values, const std::function<void(const QfnPad&)>& fn);

/// Writes the footprint as a new board file holding one component. Throws IoError.
void writeQfnBoard(const std::string& path, const QfnValues& values);

/// "Generate": checks the fields, asks for the board file to write, writes it and reports
/// "Done". Throws IoError on a file error.
common::Outcome generateQfn(common::Host& host, const QfnFields& fields);

}  // namespace padloom::tools
