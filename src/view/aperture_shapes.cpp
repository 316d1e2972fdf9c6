#include "view/aperture_shapes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "view/reader_support.h"

namespace padloom::view {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kSegmentsPerHalfCircle = 32;

// Recursive descent over one macro expression.
class ExpressionParser {
public:
    ExpressionParser(std::string_view text, const std::vector<double>& variables)
        : m_text(text), m_variables(variables) {}

    bool parse(double& value, std::string& error) {
        value = expression();
        skipBlanks();
        if (m_error.empty() && m_pos != m_text.size()) {
            m_error = "unexpected \"" + std::string(m_text.substr(m_pos, 1)) + "\"";
        }
        if (!m_error.empty()) {
            error = "bad expression \"" + std::string(m_text) + "\": " + m_error;
            return false;
        }
        return true;
    }

private:
    void skipBlanks() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) {
            ++m_pos;
        }
    }
    char peek() {
        skipBlanks();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    double expression() {
        double v = term();
        for (char c = peek(); m_error.empty() && (c == '+' || c == '-'); c = peek()) {
            ++m_pos;
            double rhs = term();
            v = c == '+' ? v + rhs : v - rhs;
        }
        return v;
    }
    double term() {
        double v = factor();
        for (char c = peek(); m_error.empty() && (c == 'x' || c == 'X' || c == '/'); c = peek()) {
            ++m_pos;
            double rhs = factor();
            if (c == '/') {
                if (rhs == 0) {
                    m_error = "division by zero";
                    return 0;
                }
                v /= rhs;
            } else {
                v *= rhs;
            }
        }
        return v;
    }
    double factor() {
        if (++m_depth > 100) {
            m_error = "nested too deeply";
            return 0;
        }
        double v = 0;
        char c = peek();
        if (c == '-' || c == '+') {
            ++m_pos;
            v = factor();
            v = c == '-' ? -v : v;
        } else if (c == '(') {
            ++m_pos;
            v = expression();
            if (peek() != ')') {
                if (m_error.empty()) {
                    m_error = "missing \")\"";
                }
            } else {
                ++m_pos;
            }
        } else if (c == '$') {
            ++m_pos;
            int n = 0;
            auto [end, ec] =
                std::from_chars(m_text.data() + m_pos, m_text.data() + m_text.size(), n);
            if (ec != std::errc() || n < 1) {
                m_error = "bad variable";
            } else {
                m_pos = static_cast<size_t>(end - m_text.data());
                v = static_cast<size_t>(n) < m_variables.size() ? m_variables[n] : 0.0;
            }
        } else if ((c >= '0' && c <= '9') || c == '.') {
            size_t start = m_pos;
            while (m_pos < m_text.size() &&
                   ((m_text[m_pos] >= '0' && m_text[m_pos] <= '9') || m_text[m_pos] == '.')) {
                ++m_pos;
            }
            std::string_view digits = m_text.substr(start, m_pos - start);
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (ec != std::errc() || end != digits.data() + digits.size()) {
                m_error = "bad number \"" + std::string(digits) + "\"";
            }
        } else {
            m_error =
                c == '\0' ? "value missing" : "unexpected \"" + clipped(std::string(1, c)) + "\"";
        }
        --m_depth;
        return v;
    }

    std::string_view m_text;
    const std::vector<double>& m_variables;
    size_t m_pos = 0;
    int m_depth = 0;
    std::string m_error;
};

Point rotated(Point p, double degrees) {
    if (degrees == 0) {
        return p;
    }
    double a = degrees * kPi / 180.0;
    double c = std::cos(a);
    double s = std::sin(a);
    return {p.x * c - p.y * s, p.x * s + p.y * c};
}

Outline circle(Point centre, double diameter) {
    Outline o;
    o.circle = true;
    o.centre = centre;
    o.diameter = diameter;
    return o;
}

// Rectangle centred on (cx, cy), turned by `degrees` about the origin.
Outline rectangle(double cx, double cy, double w, double h, double degrees) {
    Outline o;
    for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
        o.points.push_back(rotated({cx + dx * w / 2, cy + dy * h / 2}, degrees));
    }
    return o;
}

// Rectangle with rounded short ends (an obround), centred on the origin.
Outline obround(double w, double h) {
    if (w == h) {
        return circle({0, 0}, w);
    }
    Outline o;
    const bool wide = w > h;
    const double r = std::min(w, h) / 2;
    const double d = (std::max(w, h) - std::min(w, h)) / 2;  // centre to end-circle centre
    for (int end = 0; end < 2; ++end) {
        double sign = end == 0 ? 1.0 : -1.0;
        Point c = wide ? Point{sign * d, 0} : Point{0, sign * d};
        double startAngle = (wide ? -90.0 : 0.0) + end * 180.0;
        for (int i = 0; i <= kSegmentsPerHalfCircle; ++i) {
            double a = (startAngle + 180.0 * i / kSegmentsPerHalfCircle) * kPi / 180.0;
            o.points.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
        }
    }
    return o;
}

// Regular polygon of `vertices` corners on a circle of `diameter`, the first corner at
// `degrees` from the x axis around `centre`, then the whole turned by `turn` about the origin.
Outline regularPolygon(Point centre, double diameter, int vertices, double degrees, double turn) {
    Outline o;
    for (int i = 0; i < vertices; ++i) {
        double a = (degrees + 360.0 * i / vertices) * kPi / 180.0;
        Point p{centre.x + diameter / 2 * std::cos(a), centre.y + diameter / 2 * std::sin(a)};
        o.points.push_back(rotated(p, turn));
    }
    return o;
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return std::string(s);
}

std::vector<std::string> splitFields(std::string_view s) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t comma = s.find(',', start);
        fields.push_back(trimmed(s.substr(start, comma == s.npos ? s.npos : comma - start)));
        if (comma == s.npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// Modifier i of a primitive (0-based after the code), 0 when it is not given.
double modifier(const std::vector<double>& m, size_t i) {
    return i < m.size() ? m[i] : 0.0;
}

}  // namespace

bool evaluateMacroExpression(std::string_view text, const std::vector<double>& variables,
                             double& value, std::string& error) {
    return ExpressionParser(text, variables).parse(value, error);
}

std::string buildStandardAperture(Aperture& a, double scale) {
    const auto& p = a.parameters;
    auto param = [&](size_t i) { return i < p.size() ? p[i] * scale : 0.0; };
    const std::string& t = a.templateName;
    size_t holeAt = 0;
    AperturePiece piece;
    if (t == "C") {
        if (p.empty() || p.size() > 2) {
            return "a circle aperture takes a diameter and an optional hole";
        }
        piece.add.push_back(circle({0, 0}, param(0)));
        holeAt = 1;
    } else if (t == "R" || t == "O") {
        if (p.size() < 2 || p.size() > 3) {
            return std::string(t == "R" ? "a rectangle" : "an obround") +
                   " aperture takes its width, height and an optional hole";
        }
        piece.add.push_back(t == "R" ? rectangle(0, 0, param(0), param(1), 0)
                                     : obround(param(0), param(1)));
        holeAt = 2;
    } else if (t == "P") {
        if (p.size() < 2 || p.size() > 4) {
            return "a polygon aperture takes its diameter, corner count, and optional rotation "
                   "and hole";
        }
        int corners = static_cast<int>(std::lround(p[1]));
        if (corners < 3 || corners > 12) {
            return "a polygon aperture has 3 to 12 corners, not " + std::to_string(corners);
        }
        piece.add.push_back(regularPolygon({0, 0}, param(0), corners, p.size() > 2 ? p[2] : 0, 0));
        holeAt = 3;
    } else {
        return "unknown standard aperture \"" + t + "\"";
    }
    for (double v : p) {
        if (v < 0) {
            return "negative size";
        }
    }
    if (p.size() > holeAt && param(holeAt) > 0) {
        piece.cut.push_back(circle({0, 0}, param(holeAt)));
    }
    a.pieces.push_back(std::move(piece));
    finishAperture(a);
    return "";
}

void buildMacroAperture(Aperture& a, const ApertureMacro& macro, double scale,
                        std::vector<std::string>& problems) {
    std::vector<double> vars(1, 0.0);  // $0 unused
    for (double v : a.parameters) {
        vars.push_back(v);
    }
    for (const std::string& raw : macro.statements) {
        std::string s = trimmed(raw);
        if (s.empty()) {
            continue;
        }
        if (s[0] == '0' && (s.size() == 1 || !std::isdigit(static_cast<unsigned char>(s[1])))) {
            if (s.size() == 1 || s[1] == ' ' || std::isalpha(static_cast<unsigned char>(s[1]))) {
                continue;  // a comment
            }
        }
        if (s[0] == '$') {
            size_t eq = s.find('=');
            int n = 0;
            auto [end, ec] = std::from_chars(s.data() + 1, s.data() + s.size(), n);
            if (eq == s.npos || ec != std::errc() || n < 1 || n > 9999) {
                problems.push_back("macro " + macro.name + ": bad variable definition \"" + s +
                                   "\"");
                continue;
            }
            double v = 0;
            std::string error;
            if (!evaluateMacroExpression(std::string_view(s).substr(eq + 1), vars, v, error)) {
                problems.push_back("macro " + macro.name + ": " + error);
                continue;
            }
            if (vars.size() <= static_cast<size_t>(n)) {
                vars.resize(n + 1, 0.0);
            }
            vars[n] = v;
            continue;
        }
        std::vector<std::string> fields = splitFields(s);
        int code = 0;
        auto [end, ec] =
            std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), code);
        if (ec != std::errc() || end != fields[0].data() + fields[0].size()) {
            problems.push_back("macro " + macro.name + ": \"" + s + "\" is not a primitive");
            continue;
        }
        std::vector<double> m;
        bool ok = true;
        for (size_t i = 1; i < fields.size(); ++i) {
            double v = 0;
            std::string error;
            if (!evaluateMacroExpression(fields[i], vars, v, error)) {
                problems.push_back("macro " + macro.name + ": " + error);
                ok = false;
                break;
            }
            m.push_back(v);
        }
        if (!ok) {
            continue;
        }
        auto len = [&](size_t i) { return modifier(m, i) * scale; };
        auto needs = [&](size_t count, const char* what) {
            if (m.size() < count) {
                problems.push_back("macro " + macro.name + ": the " + what + " primitive needs " +
                                   std::to_string(count) + " values, \"" + s + "\" has " +
                                   std::to_string(m.size()));
                return false;
            }
            return true;
        };
        AperturePiece piece;
        switch (code) {
            case 1: {  // circle: exposure, diameter, centre x, y [, rotation]
                if (!needs(4, "circle")) {
                    continue;
                }
                piece.dark = m[0] != 0;
                piece.add.push_back(circle(rotated({len(2), len(3)}, modifier(m, 4)), len(1)));
                break;
            }
            case 2:
            case 20: {  // vector line: exposure, width, start x, y, end x, y, rotation
                if (!needs(6, "vector line")) {
                    continue;
                }
                piece.dark = m[0] != 0;
                double w = len(1);
                Point s0{len(2), len(3)};
                Point s1{len(4), len(5)};
                double dx = s1.x - s0.x;
                double dy = s1.y - s0.y;
                double l = std::hypot(dx, dy);
                if (l == 0) {
                    dx = 1;
                    dy = 0;
                    l = 1;
                }
                double nx = -dy / l * w / 2;
                double ny = dx / l * w / 2;
                Outline o;
                double rot = modifier(m, 6);
                o.points = {
                    rotated({s0.x + nx, s0.y + ny}, rot), rotated({s1.x + nx, s1.y + ny}, rot),
                    rotated({s1.x - nx, s1.y - ny}, rot), rotated({s0.x - nx, s0.y - ny}, rot)};
                piece.add.push_back(std::move(o));
                break;
            }
            case 21: {  // centre line: exposure, width, height, centre x, y, rotation
                if (!needs(5, "centre line")) {
                    continue;
                }
                piece.dark = m[0] != 0;
                piece.add.push_back(rectangle(len(3), len(4), len(1), len(2), modifier(m, 5)));
                break;
            }
            case 22: {  // lower-left line: exposure, width, height, lower-left x, y, rotation
                if (!needs(5, "lower-left line")) {
                    continue;
                }
                piece.dark = m[0] != 0;
                piece.add.push_back(rectangle(len(3) + len(1) / 2, len(4) + len(2) / 2, len(1),
                                              len(2), modifier(m, 5)));
                break;
            }
            case 4: {  // outline: exposure, n, n + 1 points, rotation
                if (!needs(2, "outline")) {
                    continue;
                }
                long n = std::lround(m[1]);
                if (n < 1 || m.size() < static_cast<size_t>(2 + 2 * (n + 1))) {
                    problems.push_back("macro " + macro.name + ": the outline \"" + s +
                                       "\" does not hold the points it announces");
                    continue;
                }
                piece.dark = m[0] != 0;
                double rot = modifier(m, 2 + 2 * (n + 1));
                Outline o;
                for (long i = 0; i <= n; ++i) {
                    o.points.push_back(rotated({len(2 + 2 * i), len(3 + 2 * i)}, rot));
                }
                piece.add.push_back(std::move(o));
                break;
            }
            case 5: {  // polygon: exposure, corners, centre x, y, diameter, rotation
                if (!needs(5, "polygon")) {
                    continue;
                }
                int corners = static_cast<int>(std::lround(m[1]));
                if (corners < 3 || corners > 12) {
                    problems.push_back("macro " + macro.name + ": a polygon has 3 to 12 corners");
                    continue;
                }
                piece.dark = m[0] != 0;
                piece.add.push_back(
                    regularPolygon({len(2), len(3)}, len(4), corners, 0, modifier(m, 5)));
                break;
            }
            case 6: {  // moire: centre x, y, outer diameter, ring thickness, gap, rings,
                       // crosshair thickness, crosshair length, rotation
                if (!needs(8, "moire")) {
                    continue;
                }
                double rot = modifier(m, 8);
                Point c = rotated({len(0), len(1)}, rot);
                double outer = len(2);
                double ring = len(3);
                double gap = len(4);
                long rings = std::lround(m[5]);
                for (long i = 0; i < rings && i < 1000 && outer > 0; ++i) {
                    AperturePiece r;
                    r.add.push_back(circle(c, outer));
                    double inner = outer - 2 * ring;
                    if (inner > 0) {
                        r.cut.push_back(circle(c, inner));
                    }
                    a.pieces.push_back(std::move(r));
                    outer = inner - 2 * gap;
                }
                double t = len(6);
                double l = len(7);
                if (t > 0 && l > 0) {
                    AperturePiece cross;
                    cross.add.push_back(rectangle(len(0), len(1), l, t, rot));
                    cross.add.push_back(rectangle(len(0), len(1), t, l, rot));
                    a.pieces.push_back(std::move(cross));
                }
                continue;
            }
            case 7: {  // thermal: centre x, y, outer diameter, inner diameter, gap, rotation
                if (!needs(5, "thermal")) {
                    continue;
                }
                double rot = modifier(m, 5);
                double outer = len(2);
                double gap = len(4);
                piece.add.push_back(circle(rotated({len(0), len(1)}, rot), outer));
                if (len(3) > 0) {
                    piece.cut.push_back(circle(rotated({len(0), len(1)}, rot), len(3)));
                }
                if (gap > 0) {
                    double span = outer * 1.01 + 2 * gap;
                    piece.cut.push_back(rectangle(len(0), len(1), span, gap, rot));
                    piece.cut.push_back(rectangle(len(0), len(1), gap, span, rot));
                }
                break;
            }
            default:
                problems.push_back("macro " + macro.name + ": unknown primitive " +
                                   std::to_string(code) + " in \"" + s + "\"");
                continue;
        }
        a.pieces.push_back(std::move(piece));
    }
    finishAperture(a);
}

void finishAperture(Aperture& a) {
    a.extent = Box{};
    for (const AperturePiece& piece : a.pieces) {
        if (!piece.dark) {
            continue;
        }
        for (const Outline& o : piece.add) {
            if (o.circle) {
                a.extent.add(o.centre.x - o.diameter / 2, o.centre.y - o.diameter / 2);
                a.extent.add(o.centre.x + o.diameter / 2, o.centre.y + o.diameter / 2);
            } else {
                for (const Point& p : o.points) {
                    a.extent.add(p);
                }
            }
        }
    }
    a.circular = a.templateName == "C";
    a.rectangular = a.templateName == "R";
    a.width = a.extent.width();
    a.height = a.extent.height();
    a.penDiameter = a.circular ? a.width : std::min(a.width, a.height);
    a.plainCircle = a.circular && a.pieces.size() == 1 && a.pieces[0].cut.empty();
}

}  // namespace padloom::view
