#include "view/gerber_reader.h"

#include <charconv>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <unordered_map>

#include "view/aperture_shapes.h"
#include "view/file_attributes.h"
#include "view/reader_support.h"

namespace padloom::view {

namespace {

constexpr double kMillimetre = 1.0 / 25.4;

enum class Interpolation { Linear, Clockwise, CounterClockwise };

class GerberParser {
public:
    GerberParser(LayerImage& image, const std::string& bytes)
        : m_image(image), m_bytes(bytes), m_problems(image) {}

    void run();

private:
    // reading the byte stream
    void newlineAt(size_t& pos);
    void extendedBlock();
    void dataStatement(std::string_view text, long line);

    // parameters
    void parameter(std::string_view command, long line);
    void formatStatement(std::string_view text, long line);
    void apertureDefinition(std::string_view text, long line);
    void macroDefinition(const std::vector<std::pair<std::string, long>>& commands, size_t& i);

    // operations
    void gCode(int code, long line);
    void operate(int op, std::optional<Point> target, double i, double j, long line);
    bool arcGeometry(Point from, Point to, double i, double j, ArcGeometry& arc, long line);
    void closeContour();
    void closeRegion(long line);
    void addObject(GraphicObject object, const Box& extent);
    bool needAperture(const char* what, long line);

    std::optional<double> number(std::string_view digits, int integerDigits, int decimals,
                                 long line);
    void needFormat(long line);
    void needUnits(long line);

    LayerImage& m_image;
    const std::string& m_bytes;
    ProblemList m_problems;
    size_t m_pos = 0;
    long m_line = 1;
    long m_lastLine = 1;  // line of the last statement

    // format
    bool m_formatSeen = false;
    bool m_formatReported = false;
    bool m_unitsSeen = false;
    bool m_unitsReported = false;
    char m_zeros = 'L';
    bool m_incremental = false;
    int m_xInteger = 2, m_xDecimals = 3, m_yInteger = 2, m_yDecimals = 3;
    double m_scale = 1.0;  // file units to inches

    // apertures
    std::map<std::string, ApertureMacro> m_macros;
    std::unordered_map<int, int> m_byDcode;  // D-code to index in m_image.apertures
    int m_aperture = -1;
    std::unordered_map<int, bool> m_undefinedReported;

    // graphics state
    Interpolation m_interpolation = Interpolation::Linear;
    bool m_singleQuadrant = true;
    int m_modalOperation = 2;
    Point m_current;
    bool m_clear = false;
    bool m_ended = false;
    bool m_nonRoundDrawReported = false;

    // region being built
    bool m_inRegion = false;
    long m_regionLine = 0;
    bool m_contourOpen = false;
    Contour m_contour;
    std::vector<Contour> m_regionContours;
};

void GerberParser::run() {
    m_image.format = FileFormat::Gerber;
    while (m_pos < m_bytes.size()) {
        char c = m_bytes[m_pos];
        if (c == '\r' || c == '\n') {
            newlineAt(m_pos);
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\0') {
            ++m_pos;
            continue;
        }
        if (m_ended) {
            m_problems.add(Severity::Warning, m_line, "data after the end of file (M02) ignored");
            break;
        }
        if (c == '%') {
            extendedBlock();
            continue;
        }
        // a data statement runs to its "*"; line ends inside it are ignored
        long line = m_line;
        std::string text;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != '*' && m_bytes[m_pos] != '%') {
            char d = m_bytes[m_pos];
            if (d == '\r' || d == '\n') {
                newlineAt(m_pos);
                continue;
            }
            text.push_back(d);
            ++m_pos;
        }
        if (m_pos >= m_bytes.size() || m_bytes[m_pos] == '%') {
            m_problems.add(Severity::Error, line,
                           "\"" + clipped(text) + "\" does not end with \"*\"");
        } else {
            ++m_pos;  // the "*"
        }
        m_lastLine = line;
        dataStatement(text, line);
    }
    if (m_inRegion) {
        m_problems.add(Severity::Error, m_regionLine, "region (G36) not closed by G37");
        closeRegion(m_line);
    }
    if (!m_ended) {
        m_problems.add(Severity::Error, m_lastLine, "no end of file (M02)");
    }
    checkFunctionAgainstName(m_image, m_problems);
    m_image.lineCount = m_line;
    m_image.coordinateFormat =
        describeFormat(m_xInteger, m_xDecimals, m_zeros, m_incremental, m_formatSeen);
}

void GerberParser::newlineAt(size_t& pos) {
    // CR LF, LF and a lone CR each end one line
    if (m_bytes[pos] == '\r' && pos + 1 < m_bytes.size() && m_bytes[pos + 1] == '\n') {
        ++pos;
    }
    ++pos;
    ++m_line;
}

void GerberParser::extendedBlock() {
    long blockLine = m_line;
    m_lastLine = blockLine;
    ++m_pos;  // the opening "%"
    std::vector<std::pair<std::string, long>> commands;
    std::string command;
    long commandLine = m_line;
    bool closed = false;
    while (m_pos < m_bytes.size()) {
        char c = m_bytes[m_pos];
        if (c == '%') {
            ++m_pos;
            closed = true;
            break;
        }
        if (c == '\r' || c == '\n') {
            newlineAt(m_pos);
            continue;
        }
        if (c == '*') {
            commands.emplace_back(std::move(command), commandLine);
            command.clear();
            commandLine = m_line;  // an empty command has the line of its "*"
            ++m_pos;
            continue;
        }
        if (command.empty() && (c == ' ' || c == '\t')) {
            ++m_pos;
            continue;
        }
        if (command.empty()) {
            commandLine = m_line;  // a command's line is the one it starts on
        }
        command.push_back(c);
        ++m_pos;
    }
    if (!closed) {
        m_problems.add(Severity::Error, blockLine, "parameter block not closed by \"%\"");
    }
    if (!command.empty()) {
        m_problems.add(Severity::Error, commandLine,
                       "\"" + clipped(command) + "\" in a parameter block does not end with \"*\"");
        commands.emplace_back(std::move(command), commandLine);
    }
    for (size_t i = 0; i < commands.size(); ++i) {
        const auto& [text, line] = commands[i];
        if (text.starts_with("AM")) {
            macroDefinition(commands, i);
            continue;
        }
        parameter(text, line);
    }
}

void GerberParser::macroDefinition(const std::vector<std::pair<std::string, long>>& commands,
                                   size_t& i) {
    ApertureMacro macro;
    macro.name = commands[i].first.substr(2);
    macro.line = commands[i].second;
    // every further command of the block is a statement of the macro
    for (++i; i < commands.size(); ++i) {
        macro.statements.push_back(commands[i].first);
    }
    --i;
    if (macro.name.empty()) {
        m_problems.add(Severity::Error, macro.line, "aperture macro without a name");
        return;
    }
    auto found = m_macros.find(macro.name);
    if (found != m_macros.end()) {
        if (found->second.statements != macro.statements) {
            m_problems.add(Severity::Warning, macro.line,
                           "aperture macro " + macro.name + " defined again differently (line " +
                               std::to_string(found->second.line) + "); the new one is used");
        }
        found->second = std::move(macro);
        return;
    }
    m_macros.emplace(macro.name, std::move(macro));
}

void GerberParser::parameter(std::string_view text, long line) {
    if (text.empty()) {
        return;
    }
    std::string_view code = text.substr(0, 2);
    std::string_view rest = text.size() > 2 ? text.substr(2) : std::string_view();
    if (code == "FS") {
        formatStatement(rest, line);
    } else if (code == "MO") {
        if (rest == "IN") {
            m_scale = 1.0;
            m_image.units = Units::Inch;
        } else if (rest == "MM") {
            m_scale = kMillimetre;
            m_image.units = Units::Millimetre;
        } else {
            m_problems.add(Severity::Error, line, "unknown units \"" + std::string(rest) + "\"");
            return;
        }
        m_unitsSeen = true;
    } else if (code == "IP") {
        if (rest == "POS" || rest == "NEG") {
            m_image.negative = rest == "NEG";
        } else {
            m_problems.add(Severity::Error, line,
                           "unknown image polarity \"" + std::string(rest) + "\"");
        }
    } else if (code == "LP") {
        if (rest == "D" || rest == "C") {
            m_clear = rest == "C";
        } else {
            m_problems.add(Severity::Error, line,
                           "unknown layer polarity \"" + std::string(rest) + "\"");
        }
    } else if (code == "LN") {
        m_image.layerNames.emplace_back(rest);
    } else if (code == "AD") {
        apertureDefinition(rest, line);
    } else if (code == "TF") {
        readFileAttribute(m_image, m_problems, rest, line);
    } else if (code == "TA") {
        checkApertureAttribute(m_problems, rest, line);
    } else if (code == "IN" || code == "TO" || code == "TD" || code == "IJ" || code == "IC") {
        // image name and file attributes do not change the picture
    } else if (code == "OF" || code == "SF" || code == "IO" || code == "AS" || code == "IR" ||
               code == "MI" || code == "SR" || code == "LM" || code == "LR" || code == "LS" ||
               code == "KO" || code == "PF") {
        static const std::string kNeutral[] = {"OFA0B0", "OFA0.0B0.0", "SFA1B1", "SFA1.0B1.0",
                                               "ASAXBY", "IR0",        "MIA0B0", "SRX1Y1I0J0",
                                               "SR",     "LMN",        "LR0",    "LS1"};
        for (const std::string& neutral : kNeutral) {
            if (text == neutral) {
                return;
            }
        }
        m_problems.add(Severity::Warning, line,
                       "\"" + clipped(text) + "\" is not supported; it is ignored");
    } else {
        m_problems.add(Severity::Warning, line,
                       "unknown parameter \"" + clipped(text) + "\" ignored");
    }
}

void GerberParser::formatStatement(std::string_view text, long line) {
    size_t i = 0;
    auto bad = [&](const std::string& why) {
        m_problems.add(Severity::Error, line,
                       "bad format statement \"FS" + std::string(text) + "\": " + why);
    };
    if (i < text.size() && (text[i] == 'L' || text[i] == 'T' || text[i] == 'D')) {
        m_zeros = text[i++];
    }
    if (i < text.size() && (text[i] == 'A' || text[i] == 'I')) {
        m_incremental = text[i++] == 'I';
    }
    bool x = false;
    bool y = false;
    while (i < text.size()) {
        char c = text[i++];
        if ((c == 'X' || c == 'Y') && i + 1 < text.size() + 0 &&
            std::isdigit(static_cast<unsigned char>(text[i])) &&
            std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            int integer = text[i] - '0';
            int decimals = text[i + 1] - '0';
            i += 2;
            (c == 'X' ? m_xInteger : m_yInteger) = integer;
            (c == 'X' ? m_xDecimals : m_yDecimals) = decimals;
            (c == 'X' ? x : y) = true;
        } else if ((c == 'N' || c == 'G' || c == 'D' || c == 'M') && i < text.size() &&
                   std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;  // old sequence, G, D and M digit counts
        } else {
            bad("unexpected \"" + clipped(std::string(1, c)) + "\"");
            return;
        }
    }
    if (!x || !y) {
        bad("the X and Y digit counts are missing");
        if (!x && !y) {
            return;
        }
    }
    if (m_xInteger + m_xDecimals > 16 || m_yInteger + m_yDecimals > 16) {
        bad("too many digits");
    }
    m_formatSeen = true;
}

void GerberParser::apertureDefinition(std::string_view text, long line) {
    if (text.empty() || text[0] != 'D') {
        m_problems.add(Severity::Error, line,
                       "bad aperture definition \"AD" + std::string(text) + "\"");
        return;
    }
    size_t i = 1;
    int dcode = 0;
    auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), dcode);
    if (ec != std::errc()) {
        m_problems.add(Severity::Error, line,
                       "bad aperture definition \"AD" + std::string(text) + "\": no D-code");
        return;
    }
    i = static_cast<size_t>(end - text.data());
    if (dcode < 10) {
        m_problems.add(Severity::Error, line,
                       "aperture D" + std::to_string(dcode) + " is below D10, which is reserved");
        return;
    }
    size_t comma = text.find(',', i);
    Aperture a;
    a.dcode = dcode;
    a.line = static_cast<int>(line);
    a.templateName = std::string(text.substr(i, comma == text.npos ? text.npos : comma - i));
    if (a.templateName.empty()) {
        m_problems.add(Severity::Error, line,
                       "aperture D" + std::to_string(dcode) + " has no shape");
        return;
    }
    if (comma != text.npos) {
        std::string_view params = text.substr(comma + 1);
        size_t start = 0;
        while (start <= params.size()) {
            size_t x = params.find('X', start);
            std::string_view field =
                params.substr(start, x == params.npos ? params.npos : x - start);
            double v = 0;
            auto [e, err] = std::from_chars(field.data(), field.data() + field.size(), v);
            if (field.empty() || err != std::errc() || e != field.data() + field.size()) {
                m_problems.add(Severity::Error, line,
                               "aperture D" + std::to_string(dcode) + ": \"" + std::string(field) +
                                   "\" is not a number");
                return;
            }
            a.parameters.push_back(v);
            if (x == params.npos) {
                break;
            }
            start = x + 1;
        }
    }
    needUnits(line);
    const bool standard =
        a.templateName.size() == 1 &&
        std::string_view("CROP").find(a.templateName[0]) != std::string_view::npos;
    if (standard) {
        std::string error = buildStandardAperture(a, m_scale);
        if (!error.empty()) {
            m_problems.add(Severity::Error, line,
                           "aperture D" + std::to_string(dcode) + ": " + error);
            return;
        }
    } else {
        auto macro = m_macros.find(a.templateName);
        if (macro == m_macros.end()) {
            m_problems.add(Severity::Error, line,
                           "aperture D" + std::to_string(dcode) + " uses the macro " +
                               a.templateName + ", which is not defined before it");
            return;
        }
        std::vector<std::string> problems;
        buildMacroAperture(a, macro->second, m_scale, problems);
        for (const std::string& p : problems) {
            m_problems.add(Severity::Error, line, "aperture D" + std::to_string(dcode) + ": " + p);
        }
    }
    auto found = m_byDcode.find(dcode);
    if (found != m_byDcode.end()) {
        m_problems.add(Severity::Warning, line,
                       "aperture D" + std::to_string(dcode) + " defined again (line " +
                           std::to_string(m_image.apertures[found->second].line) +
                           "); the new definition is used from here on");
    }
    m_byDcode[dcode] = static_cast<int>(m_image.apertures.size());
    if (found != m_byDcode.end() && m_aperture == found->second) {
        m_aperture = m_byDcode[dcode];
    }
    m_image.apertures.push_back(std::move(a));
}

void GerberParser::needFormat(long line) {
    if (!m_formatSeen && !m_formatReported) {
        m_problems.add(Severity::Error, line,
                       "coordinates before any format statement (%FS); read as 2.3 with leading "
                       "zeros omitted");
        m_formatReported = true;
    }
}

void GerberParser::needUnits(long line) {
    if (!m_unitsSeen && !m_unitsReported) {
        m_problems.add(Severity::Warning, line, "no units given (%MO); inches assumed");
        m_unitsReported = true;
    }
}

std::optional<double> GerberParser::number(std::string_view digits, int integerDigits, int decimals,
                                           long line) {
    auto value = readFixedNumber(digits, integerDigits, decimals, m_zeros == 'T');
    if (!value) {
        m_problems.add(Severity::Error, line, "\"" + clipped(digits) + "\" is not a coordinate");
        return std::nullopt;
    }
    return *value * m_scale;
}

void GerberParser::dataStatement(std::string_view text, long line) {
    std::optional<double> x, y;
    double i = 0;
    double j = 0;
    std::optional<int> op;
    bool any = false;
    size_t p = 0;
    auto readInt = [&](int& n) {
        size_t start = p;
        while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) {
            ++p;
        }
        if (p == start || p - start > 9) {
            return false;
        }
        std::from_chars(text.data() + start, text.data() + p, n);
        return true;
    };
    while (p < text.size()) {
        char c = text[p++];
        if (c == ' ' || c == '\t') {
            continue;
        }
        int n = 0;
        if (c == 'G') {
            if (!readInt(n)) {
                m_problems.add(Severity::Error, line,
                               "G without a number in \"" + clipped(text) + "\"");
                return;
            }
            if (n == 4) {
                // a comment runs to the end of the statement; it may hold an attribute
                readAttributeComment(m_image, m_problems, text.substr(p), line);
                return;
            }
            gCode(n, line);
        } else if (c == 'D') {
            if (!readInt(n)) {
                m_problems.add(Severity::Error, line,
                               "D without a number in \"" + clipped(text) + "\"");
                return;
            }
            if (n >= 10) {
                auto found = m_byDcode.find(n);
                if (found == m_byDcode.end()) {
                    if (!m_undefinedReported[n]) {
                        m_problems.add(Severity::Error, line,
                                       "aperture D" + std::to_string(n) + " is not defined");
                        m_undefinedReported[n] = true;
                    }
                    m_aperture = -1;
                } else {
                    m_aperture = found->second;
                }
            } else if (n >= 1 && n <= 3) {
                op = n;
            } else {
                m_problems.add(Severity::Error, line, "unknown operation D" + std::to_string(n));
            }
        } else if (c == 'M') {
            if (!readInt(n)) {
                m_problems.add(Severity::Error, line,
                               "M without a number in \"" + clipped(text) + "\"");
                return;
            }
            if (n == 0 || n == 1 || n == 2) {
                m_ended = n != 1;
                if (m_ended) {
                    break;
                }
            } else {
                m_problems.add(Severity::Warning, line,
                               "unknown code M" + std::to_string(n) + " ignored");
            }
        } else if (c == 'X' || c == 'Y' || c == 'I' || c == 'J') {
            size_t start = p;
            if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
                ++p;
            }
            while (p < text.size() &&
                   (std::isdigit(static_cast<unsigned char>(text[p])) || text[p] == '.')) {
                ++p;
            }
            if (p == start ||
                (p == start + 1 && !std::isdigit(static_cast<unsigned char>(text[start])))) {
                m_problems.add(Severity::Error, line,
                               std::string(1, c) + " without a number in \"" + clipped(text) +
                                   "\"; statement ignored");
                return;
            }
            needFormat(line);
            needUnits(line);
            const bool isX = c == 'X' || c == 'I';
            auto v = number(text.substr(start, p - start), isX ? m_xInteger : m_yInteger,
                            isX ? m_xDecimals : m_yDecimals, line);
            if (!v) {
                return;
            }
            any = true;
            switch (c) {
                case 'X':
                    x = v;
                    break;
                case 'Y':
                    y = v;
                    break;
                case 'I':
                    i = *v;
                    break;
                default:
                    j = *v;
                    break;
            }
        } else if (c == 'N') {
            if (!readInt(n)) {
                m_problems.add(Severity::Error, line, "N without a number");
                return;
            }
        } else {
            m_problems.add(Severity::Error, line,
                           "unknown code \"" + clipped(std::string(1, c)) + "\" in \"" +
                               clipped(text) + "\"; statement ignored");
            return;
        }
    }
    if (!any && !op) {
        return;
    }
    // coordinates without an operation code repeat the last one, as RS274D plots expect
    int operation = op.value_or(m_modalOperation);
    m_modalOperation = operation;
    std::optional<Point> target;
    if (x || y) {
        Point t = m_current;
        if (m_incremental) {
            t.x += x.value_or(0);
            t.y += y.value_or(0);
        } else {
            t.x = x.value_or(m_current.x);
            t.y = y.value_or(m_current.y);
        }
        target = t;
    }
    operate(operation, target, i, j, line);
}

void GerberParser::gCode(int code, long line) {
    switch (code) {
        case 1:
            m_interpolation = Interpolation::Linear;
            break;
        case 2:
            m_interpolation = Interpolation::Clockwise;
            break;
        case 3:
            m_interpolation = Interpolation::CounterClockwise;
            break;
        case 36:
            if (m_inRegion) {
                m_problems.add(Severity::Error, line, "region (G36) inside a region");
                closeRegion(line);
            }
            m_inRegion = true;
            m_regionLine = line;
            m_contourOpen = false;
            break;
        case 37:
            if (!m_inRegion) {
                m_problems.add(Severity::Error, line, "end of region (G37) outside a region");
                break;
            }
            closeRegion(line);
            break;
        case 74:
            m_singleQuadrant = true;
            break;
        case 75:
            m_singleQuadrant = false;
            break;
        case 70:
            m_scale = 1.0;
            m_image.units = Units::Inch;
            m_unitsSeen = true;
            break;
        case 71:
            m_scale = kMillimetre;
            m_image.units = Units::Millimetre;
            m_unitsSeen = true;
            break;
        case 90:
            m_incremental = false;
            break;
        case 91:
            m_incremental = true;
            break;
        case 54:  // "select aperture": the D-code that follows does it
        case 55:  // "prepare for flash"
            break;
        default:
            m_problems.add(Severity::Warning, line,
                           "unknown code G" + std::to_string(code) + " ignored");
            break;
    }
}

bool GerberParser::needAperture(const char* what, long line) {
    if (m_aperture >= 0) {
        return true;
    }
    m_problems.add(Severity::Error, line, std::string(what) + " without a defined aperture");
    return false;
}

void GerberParser::addObject(GraphicObject object, const Box& extent) {
    object.clear = m_clear;
    m_image.objects.push_back(std::move(object));
    m_image.extent.add(extent);
}

void GerberParser::operate(int op, std::optional<Point> target, double i, double j, long line) {
    Point to = target.value_or(m_current);
    if (op == 2) {
        if (m_inRegion) {
            closeContour();
        }
        m_current = to;
        return;
    }
    if (op == 3) {
        if (m_inRegion) {
            m_problems.add(Severity::Error, line, "flash (D03) inside a region ignored");
            m_current = to;
            return;
        }
        m_current = to;
        if (!needAperture("flash", line)) {
            return;
        }
        Aperture& a = m_image.apertures[m_aperture];
        ++a.flashes;
        GraphicObject o;
        o.kind = ObjectKind::Flash;
        o.aperture = m_aperture;
        o.from = to;
        addObject(o, a.extent.moved(to));
        return;
    }
    // D01: a draw, straight or along an arc
    Point from = m_current;
    m_current = to;
    ArcGeometry arc;
    const bool isArc = m_interpolation != Interpolation::Linear;
    if (isArc && !arcGeometry(from, to, i, j, arc, line)) {
        return;
    }
    if (m_inRegion) {
        if (!m_contourOpen) {
            m_contour = Contour{from, {}};
            m_contourOpen = true;
        }
        ContourSegment s;
        s.to = to;
        s.arc = isArc;
        s.arcGeometry = arc;
        m_contour.segments.push_back(s);
        return;
    }
    if (!needAperture("draw", line)) {
        return;
    }
    Aperture& a = m_image.apertures[m_aperture];
    ++a.draws;
    GraphicObject o;
    o.aperture = m_aperture;
    o.from = from;
    o.to = to;
    Box extent;
    if (isArc) {
        o.kind = ObjectKind::Arc;
        o.arc = arc;
        extent = arc.extent().grown(std::max(a.width, a.height) / 2);
    } else {
        o.kind = ObjectKind::Line;
        extent = a.extent.moved(from);
        extent.add(a.extent.moved(to));
    }
    if (!a.circular && !a.rectangular && !m_nonRoundDrawReported) {
        m_problems.add(Severity::Warning, line,
                       "draw with the aperture D" + std::to_string(a.dcode) + " (" +
                           a.templateName +
                           "), which is neither a circle nor a rectangle; drawn "
                           "as a round pen of its width");
        m_nonRoundDrawReported = true;
    }
    addObject(o, extent);
}

bool GerberParser::arcGeometry(Point from, Point to, double i, double j, ArcGeometry& arc,
                               long line) {
    const bool ccw = m_interpolation == Interpolation::CounterClockwise;
    auto angleOf = [](Point c, Point p) {
        return std::atan2(p.y - c.y, p.x - c.x) * 180 / std::numbers::pi;
    };
    auto sweepBetween = [&](Point c, bool full) {
        double a0 = angleOf(c, from);
        double a1 = angleOf(c, to);
        double s = ccw ? a1 - a0 : a0 - a1;
        s = std::fmod(s + 720.0, 360.0);
        if (full && s < 1e-9) {
            s = 360.0;
        }
        return ccw ? s : -s;
    };
    const bool samePoint = std::hypot(to.x - from.x, to.y - from.y) < 1e-9;
    if (!m_singleQuadrant) {
        arc.centre = {from.x + i, from.y + j};
        arc.radius = std::hypot(from.x - arc.centre.x, from.y - arc.centre.y);
        arc.startDegrees = angleOf(arc.centre, from);
        arc.sweepDegrees = sweepBetween(arc.centre, samePoint);
        return true;
    }
    // single quadrant: the offsets are unsigned; the centre is the one of the four
    // candidates that gives an arc of at most 90 degrees with equal radii at both ends
    double best = std::numeric_limits<double>::infinity();
    bool found = false;
    for (double si : {1.0, -1.0}) {
        for (double sj : {1.0, -1.0}) {
            Point c{from.x + si * std::fabs(i), from.y + sj * std::fabs(j)};
            double r0 = std::hypot(from.x - c.x, from.y - c.y);
            double r1 = std::hypot(to.x - c.x, to.y - c.y);
            double sweep = samePoint ? 0.0 : sweepBetween(c, false);
            if (std::fabs(sweep) > 90.0 + 1e-6) {
                continue;
            }
            double error = std::fabs(r0 - r1);
            if (error < best) {
                best = error;
                found = true;
                arc.centre = c;
                arc.radius = r0;
                arc.startDegrees = angleOf(c, from);
                arc.sweepDegrees = sweep;
            }
        }
    }
    if (!found) {
        m_problems.add(Severity::Error, line,
                       "single-quadrant arc (G74) spanning more than a quadrant ignored");
        return false;
    }
    return true;
}

void GerberParser::closeContour() {
    if (m_contourOpen && !m_contour.segments.empty()) {
        m_regionContours.push_back(std::move(m_contour));
    }
    m_contour = Contour{};
    m_contourOpen = false;
}

void GerberParser::closeRegion(long line) {
    closeContour();
    m_inRegion = false;
    if (m_regionContours.empty()) {
        return;
    }
    GraphicObject o;
    o.kind = ObjectKind::Region;
    o.firstContour = m_image.contours.size();
    o.contourCount = m_regionContours.size();
    Box extent;
    for (Contour& c : m_regionContours) {
        extent.add(c.start);
        Point last = c.start;
        for (const ContourSegment& s : c.segments) {
            if (s.arc) {
                extent.add(s.arcGeometry.extent());
            }
            extent.add(s.to);
            last = s.to;
        }
        if (std::hypot(last.x - c.start.x, last.y - c.start.y) > 1e-6) {
            m_problems.add(Severity::Warning, line,
                           "region contour does not end where it starts; closed with a straight "
                           "line");
        }
        m_image.contours.push_back(std::move(c));
    }
    m_regionContours.clear();
    addObject(o, extent);
}

}  // namespace

void readGerber(LayerImage& image, const std::string& bytes) {
    GerberParser(image, bytes).run();
}

}  // namespace padloom::view
