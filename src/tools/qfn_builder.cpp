#include "tools/qfn_builder.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::tools {

namespace {

constexpr double kInt32Max = std::numeric_limits<std::int32_t>::max();

const char* const kNotAllEntered = "Not all parameters are entered";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// millimetres to mils, multiplied in this order so converted values match fields already typed
double millimetresToMils(double mm) {
    return mm * 0.03937007874015748 * 1000;
}

// Three significant digits of a finite value: the digits as a number 100..999 (0 for zero)
// and the power of ten of the first digit.
void threeSignificantDigits(double value, int& digits, int& exponent) {
    char text[32];
    auto result =
        std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific, 2);
    // "d.dde+XX"
    std::string_view s(text, static_cast<size_t>(result.ptr - text));
    digits = (s[0] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
    int e = 0;
    std::from_chars(s.data() + 5 + (s[5] == '+' ? 1 : 0), s.data() + s.size(), e);
    exponent = digits == 0 ? 0 : e;
}

// "d.ddE+eee": three significant digits and an exponent of at least three digits.
std::string exponentText(double value) {
    int digits = 0;
    int exponent = 0;
    threeSignificantDigits(value, digits, exponent);
    std::string text = value < 0 ? "-" : "";
    text += static_cast<char>('0' + digits / 100);
    text += '.';
    text += common::zeroPadded(digits % 100, 2);
    text += exponent < 0 ? "E-" : "E+";
    text += common::zeroPadded(exponent < 0 ? -exponent : exponent, 3);
    return text;
}

// A pad count: a whole number, optional blanks around it. A value too large for a count reads
// as one more than the largest, so the caller can tell it from a text that is no number.
std::optional<long long> readCount(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty() || !isDigit(text.front())) {
        return std::nullopt;  // empty, not a number or negative
    }
    long long value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ptr != text.data() + text.size()) {
        return std::nullopt;  // "8.5", "1e3": a pad count is a whole number
    }
    if (result.ec != std::errc() || value > kInt32Max) {
        return static_cast<long long>(kInt32Max) + 1;
    }
    return value;
}

}  // namespace

std::optional<double> parseSizeText(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // digits with an optional point, at least one digit, then an optional exponent
    size_t i = 0;
    size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        size_t start = i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
        }
        if (i == start) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;  // beyond the range of a real number
    }
    return negative ? -value : value;
}

std::optional<double> sizeInMils(std::string_view text, QfnUnit unit) {
    auto value = parseSizeText(text);
    if (!value) {
        return std::nullopt;
    }
    double mils = unit == QfnUnit::Metric ? millimetresToMils(*value) : *value;
    return std::nearbyint(mils);  // halves to the even neighbour
}

std::string metricText(double mils) {
    double mm = mils / 1000 * 25.4;
    int digits = 0;
    int exponent = 0;
    threeSignificantDigits(mm, digits, exponent);
    if (exponent >= 3) {
        return exponentText(mm);  // 1000 mm and more
    }
    // millionths of a millimetre of the three-digit value, halves up
    long long millionths = digits;
    int shift = exponent + 4;  // digits are in units of 10^(exponent - 2) mm
    if (shift >= 0) {
        for (int k = 0; k < shift; ++k) {
            millionths *= 10;
        }
    } else if (shift < -3) {
        millionths = 0;
    } else {
        long long divisor = 1;
        for (int k = 0; k < -shift; ++k) {
            divisor *= 10;
        }
        millionths = (millionths + divisor / 2) / divisor;
    }
    std::string text = mm < 0 && millionths != 0 ? "-" : "";
    return text + common::decimal(millionths / 1000000) + "." +
           common::zeroPadded(millionths % 1000000, 6);
}

std::string convertSizeText(std::string_view text, QfnUnit newUnit) {
    auto value = parseSizeText(text);
    if (!value) {
        return newUnit == QfnUnit::Imperial ? "In Mills" : "In mm";  // sic
    }
    if (newUnit == QfnUnit::Metric) {
        return metricText(*value);
    }
    double mils = std::nearbyint(millimetresToMils(*value));
    if (std::fabs(mils) < 1e15) {
        return common::decimal(static_cast<long long>(mils));
    }
    return exponentText(mils);  // far beyond any board; refused when the footprint is built
}

std::string negativeSizeMessage(std::string_view field) {
    return std::string(field) + " must be 0 or more";
}

std::optional<QfnValues> readQfnFields(const QfnFields& f, QfnRefusal* refusal) {
    auto refuse = [refusal](std::string message) -> std::optional<QfnValues> {
        if (refusal) {
            refusal->message = std::move(message);
        }
        return std::nullopt;
    };

    // the pad sizes and counts are checked first, then pitch and spacings, as the window did
    struct Named {
        const char* name;
        double value;
    };
    // a size typed as a number but below 0 is named, so that the user knows which to mend
    auto refuseNegative = [&](std::initializer_list<Named> sizes) {
        for (const Named& n : sizes) {
            if (n.value < 0) {
                if (refusal) {
                    refusal->field = n.name;
                }
                refuse(negativeSizeMessage(n.name));
                return true;
            }
        }
        return false;
    };
    auto padX = sizeInMils(f.padX, f.unit);
    auto padY = sizeInMils(f.padY, f.unit);
    auto numX = readCount(f.numX);
    auto numY = readCount(f.numY);
    if (!padX || !padY || !numX || !numY) {
        return refuse(kNotAllEntered);
    }
    if (refuseNegative({{"Pad X", *padX}, {"Pad Y", *padY}})) {
        return std::nullopt;
    }
    auto pitch = sizeInMils(f.pitch, f.unit);
    auto xSpacing = sizeInMils(f.xSpacing, f.unit);
    auto ySpacing = sizeInMils(f.ySpacing, f.unit);
    if (!pitch || !xSpacing || !ySpacing) {
        return refuse(kNotAllEntered);
    }
    if (refuseNegative(
            {{"Pitch", *pitch}, {"X Spacing", *xSpacing}, {"Y Spacing", *ySpacing}})) {
        return std::nullopt;
    }

    for (const Named& n : {Named{"Pad X", *padX}, Named{"Pad Y", *padY}, Named{"Pitch", *pitch},
                           Named{"X Spacing", *xSpacing}, Named{"Y Spacing", *ySpacing}}) {
        if (n.value > kInt32Max) {
            return refuse(std::string(n.name) +
                          " is too large: a board file holds at most 2147483647 mils");
        }
    }
    if (*numX > kMaxPadsPerSide || *numY > kMaxPadsPerSide) {
        // checked before anything is written: a count in the millions would write a board
        // file of gigabytes
        return refuse("Num X and Num Y must be whole numbers from 0 to " +
                      common::decimal(kMaxPadsPerSide));
    }
    if (*pitch == 0 && (*numX > 1 || *numY > 1)) {
        return refuse("Pitch must be more than 0 when a side has more than one pad");
    }

    QfnValues v;
    v.padX = static_cast<int>(*padX);
    v.padY = static_cast<int>(*padY);
    v.numX = static_cast<int>(*numX);
    v.numY = static_cast<int>(*numY);
    v.pitch = static_cast<int>(*pitch);
    v.xSpacing = static_cast<int>(*xSpacing);
    v.ySpacing = static_cast<int>(*ySpacing);

    // the farthest pad centres from the footprint centre must stay board coordinates
    auto reach = [&v](int count) -> long long {
        return count > 0 ? (static_cast<long long>(count - 1) * v.pitch + 1) / 2 : 0;
    };
    long long farthest =
        std::max({reach(v.numX), reach(v.numY), static_cast<long long>(v.xSpacing / 2),
                  static_cast<long long>(v.ySpacing / 2)});
    if (kQfnCentre + farthest > kInt32Max) {
        return refuse(
            "The footprint is too large: its pad centres must lie within -2147483648 to "
            "2147483647 mils");
    }
    return v;
}

void forEachQfnPad(const QfnValues& v, const std::function<void(const QfnPad&)>& fn) {
    // A side of n pads spans (n - 1) x pitch and is centred on the footprint centre. When the
    // span is odd its centred positions fall on half mils, which a board file cannot hold: the
    // first pad then sits at centre - floor(span / 2) and the rest follow at the exact pitch, so
    // the pitch is never disturbed and the side's middle lies half a mil past the centre. Both
    // rows (and both columns) use the same positions, so opposite pads stay face to face.
    auto sideStart = [&v](int count) -> long long {
        long long span = static_cast<long long>(count - 1) * v.pitch;
        return kQfnCentre - span / 2;
    };
    const long long bottom = kQfnCentre - v.ySpacing / 2;
    const long long top = kQfnCentre + v.ySpacing / 2;
    const long long left = kQfnCentre - v.xSpacing / 2;
    const long long right = kQfnCentre + v.xSpacing / 2;

    long long number = 0;
    auto emit = [&](long long x, long long y, int xSize, int ySize) {
        QfnPad pad;
        pad.x = x;
        pad.y = y;
        pad.xSize = xSize;
        pad.ySize = ySize;
        pad.number = ++number;
        pad.shape = number == 1 ? 4 : 2;  // pad 1 rounded, the others rectangular
        fn(pad);
    };

    const long long rowStart = sideStart(v.numX);
    const long long columnStart = sideStart(v.numY);
    for (int k = 0; k < v.numX; ++k) {  // bottom row, left to right
        emit(rowStart + static_cast<long long>(k) * v.pitch, bottom, v.padX, v.padY);
    }
    for (int k = 0; k < v.numY; ++k) {  // right column, bottom to top
        emit(right, columnStart + static_cast<long long>(k) * v.pitch, v.padY, v.padX);
    }
    for (int k = v.numX - 1; k >= 0; --k) {  // top row, right to left
        emit(rowStart + static_cast<long long>(k) * v.pitch, top, v.padX, v.padY);
    }
    for (int k = v.numY - 1; k >= 0; --k) {  // left column, top to bottom
        emit(left, columnStart + static_cast<long long>(k) * v.pitch, v.padY, v.padX);
    }
}

void writeQfnBoard(const std::string& path, const QfnValues& values) {
    common::LineWriter out(path);
    out.line("PCB FILE 4");
    out.line("COMP");
    out.line("U1");                  // designator
    out.line("NEW_QFP");             // pattern
    out.line("NEW_COMMENT");         // comment
    out.line("5000 5000 60 1 8 7");  // comment text: x, y, height, rotation, width, layer
    out.line("5000 5040 60 1 8 7");  // designator text
    out.line("4000 4000 1 2 2");     // designator shown, comment hidden
    forEachQfnPad(values, [&out](const QfnPad& pad) {
        using common::decimal;
        out.line("CP");
        // hole 0, plane code 1, layer 1 (top)
        out.line(decimal(pad.x) + " " + decimal(pad.y) + " " + decimal(pad.xSize) + " " +
                 decimal(pad.ySize) + " " + decimal(pad.shape) + " 0 1 1");
        out.line(decimal(pad.number));
    });
    out.line("ENDCOMP");
    out.line("ENDPCB");
    out.commit();
}

common::Outcome generateQfn(common::Host& host, const QfnFields& fields) {
    QfnRefusal refusal;
    auto values = readQfnFields(fields, &refusal);
    if (!values) {
        host.show(common::Box::Plain, refusal.message, common::Place::Screen);
        return common::Outcome::Refused;
    }
    common::FileAsk ask;
    ask.filter = 1;
    auto path = host.askSave(ask);
    if (!path || path->empty()) {
        return common::Outcome::Cancelled;
    }
    writeQfnBoard(*path, *values);
    host.show(common::Box::Plain, "Done", common::Place::Screen);
    return common::Outcome::Done;
}

}  // namespace padloom::tools
