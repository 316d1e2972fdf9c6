#include "tango/tango_reader.h"

#include <algorithm>

#include "common/errors.h"

namespace padloom::tango {

namespace {

constexpr size_t kNone = std::string_view::npos;

// Position of the blank that opens field n (the n-th blank met outside a quoted stretch), or
// kNone. `quotes` receives the number of double quotes before it.
size_t fieldSeparator(std::string_view line, int n, int& quotes) {
    if (n < 1) {
        return kNone;
    }
    int blanks = 0;
    quotes = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            ++quotes;
        } else if (line[i] == ' ' && quotes % 2 == 0 && ++blanks == n) {
            return i;
        }
    }
    return kNone;
}

bool startsWith(std::string_view line, std::string_view keyword) {
    return line.substr(0, keyword.size()) == keyword;
}

}  // namespace

int integerField(std::string_view line, int n, bool* outOfRange) {
    int quotes = 0;
    size_t blank = fieldSeparator(line, n, quotes);
    if (blank == kNone || blank + 1 == line.size()) {
        return kUnset;
    }
    std::string_view window = line.substr(blank + 1, 20);
    size_t i = 0;
    while (i < window.size() && window[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < window.size() && (window[i] == '+' || window[i] == '-')) {
        negative = window[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < window.size() && window[i] >= '0' && window[i] <= '9'; ++i) {
        if (value <= kFieldLimit) {
            value = value * 10 + (window[i] - '0');
        }
    }
    if (value > kFieldLimit) {
        if (outOfRange) {
            *outOfRange = true;
        }
        return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

std::string textField(std::string_view line, int n) {
    int quotes = 0;
    size_t blank = fieldSeparator(line, n, quotes);
    if (blank == kNone || blank + 1 == line.size()) {
        return {};
    }
    std::string_view window = line.substr(blank + 1, 80);
    size_t end = 0;
    for (; end < window.size(); ++end) {
        if (window[end] == '"') {
            ++quotes;
        } else if (window[end] == ' ' && quotes % 2 == 0) {
            break;
        }
    }
    window = window.substr(0, end);
    size_t first = window.find_first_not_of(' ');
    if (first == kNone) {
        return {};
    }
    window = window.substr(first, window.find_last_not_of(' ') - first + 1);
    std::string text;
    for (char c : window) {
        if (c != '"') {
            text += c;
        }
    }
    return text;
}

int objectLayerOfTangoLayer(int tangoLayer) {
    switch (tangoLayer) {
        case 0:
            return 1;  // top copper
        case 1:
            return 6;  // bottom copper
        case 8:
        case 14:
            return 7;  // top legend
        default:
            return kNoLayer;
    }
}

std::optional<int> padShapeOf(std::string_view keyword) {
    if (keyword == "SQ") {
        return 2;  // rectangle
    }
    if (keyword == "EL" || keyword == "MH") {
        return 1;  // round
    }
    return std::nullopt;
}

std::optional<int> padLayerOf(std::string_view keyword) {
    if (keyword == "TL") {
        return 1;
    }
    if (keyword == "BL") {
        return 6;
    }
    if (keyword == "AL") {
        return kAllCopperLayers;
    }
    return std::nullopt;
}

bool isDesignatorText(std::string_view text) {
    return startsWith(text, ".REFDES");
}

bool isHiddenText(std::string_view text) {
    return startsWith(text, ".") && !isDesignatorText(text);
}

bool isAutotraxBoardHeader(std::string_view line) {
    return startsWith(line, "PCB FILE");
}

PlotObject TangoReader::parseLine(std::string_view line, PolygonState& polygon) {
    PlotObject o;
    // notes the first field beyond the limit
    auto checked = [&o](std::string_view text, int n) {
        bool outOfRange = false;
        const int value = integerField(text, n, &outOfRange);
        if (outOfRange && o.outOfRangeField == 0) {
            o.outOfRangeField = n;
        }
        return value;
    };
    auto field = [&](int n) { return checked(line, n); };
    if (startsWith(line, "LINE")) {
        polygon.active = false;
        o.kind = ObjectKind::Line;
        o.width = field(1);
        o.layer = objectLayerOfTangoLayer(field(2));
        o.boardOutline = field(2) == kBoardOutlineLayer;
        o.x = field(3);
        o.y = field(4);
        o.x2 = field(5);
        o.y2 = field(6);
    } else if (startsWith(line, "POLY")) {
        o.kind = ObjectKind::Polygon;
        o.width = field(1);
        o.layer = objectLayerOfTangoLayer(field(2));
        o.boardOutline = field(2) == kBoardOutlineLayer;
        polygon = {true, true, o.width, o.layer, o.boardOutline};
    } else if (startsWith(line, "PNT")) {
        if (polygon.active) {
            o.kind = ObjectKind::PolylinePoint;
            o.x = field(1);
            o.y = field(2);
            o.width = polygon.width;
            o.layer = polygon.layer;
            o.boardOutline = polygon.boardOutline;
            o.firstPoint = polygon.nextIsFirst;
            polygon.nextIsFirst = false;
        }
    } else if (startsWith(line, "PAD")) {
        o.kind = ObjectKind::Pad;
        o.keyword = textField(line, 1);
        o.shape = padShapeOf(o.keyword).value_or(kUnset);
        o.xSize = field(2);
        o.ySize = field(3);
        o.holeSize = field(4);
        o.layerKeyword = textField(line, 5);
        o.layer = padLayerOf(o.layerKeyword).value_or(kUnset);
        o.x = field(8);
        o.y = field(9);
    } else if (startsWith(line, "VIA")) {
        o.kind = ObjectKind::Via;
        o.shape = 1;
        o.layer = kAllCopperLayers;
        o.xSize = o.ySize = field(2);
        o.holeSize = field(3);
        o.x = field(5);
        o.y = field(6);
    } else if (startsWith(line, "ARC")) {
        polygon.active = false;
        o.kind = ObjectKind::Arc;
        o.radius = field(1);
        o.startAngle = field(2);
        o.sweepAngle = field(3);
        o.width = field(4);
        o.layer = objectLayerOfTangoLayer(field(5));
        o.boardOutline = field(5) == kBoardOutlineLayer;
        o.x = field(6);
        o.y = field(7);
    } else if (startsWith(line, "TEXT")) {
        polygon.active = false;
        // one blank appended, so that a field ending the line is still read
        std::string padded = std::string(line) + " ";
        auto number = [&](int n) { return checked(padded, n); };
        o.kind = ObjectKind::Text;
        o.text = textField(padded, 1);
        // a thousand inches at most, so that a text's characters cannot run past the
        // coordinate range however many there are
        o.height = std::clamp(static_cast<int>(static_cast<long long>(number(2)) * 9 / 10),
                              -kTextHeightLimit, kTextHeightLimit);
        o.orientation = number(3);
        o.width = number(4);
        o.layer = objectLayerOfTangoLayer(number(5));
        o.boardOutline = number(5) == kBoardOutlineLayer;
        o.x = number(6);
        o.y = number(7);
        o.number = number(12);
    } else if (startsWith(line, "COMP")) {
        o.kind = ObjectKind::Component;
        o.text = textField(line, 1).substr(0, 32);
        o.number = field(12);
    }
    return o;
}

TangoReader::TangoReader(const std::string& path) : m_lines(path) {
    if (m_lines.looksBinary()) {
        throw common::FormatError(path, "not a TANGO board file: it holds binary data, not text");
    }
}

bool TangoReader::next() {
    if (!m_lines.next(m_line)) {
        return false;
    }
    if (m_lines.lineNumber() == 1 && isAutotraxBoardHeader(m_line)) {
        // its COMP records would read as TANGO components without numbers
        throw common::FormatError(path(),
                                  "an Autotrax board file (it begins with \"PCB FILE\"), not a "
                                  "TANGO board: plot it with the .PCB --> RS274 Gerber tool");
    }
    m_object = parseLine(m_line, m_polygon);
    if (m_object.kind != ObjectKind::Nothing) {
        ++m_records;
    }
    return true;
}

}  // namespace padloom::tango
