#include "view/excellon_reader.h"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "view/aperture_shapes.h"
#include "view/file_attributes.h"
#include "view/reader_support.h"

namespace padloom::view {

namespace {

constexpr double kMillimetre = 1.0 / 25.4;
// Hits of a tool the file gives no diameter for are drawn this wide, so they can be seen.
constexpr double kUnsizedDiameter = 0.010;

// "T01", as drill files name their tools.
std::string toolName(int number) {
    return (number < 10 ? "T0" : "T") + std::to_string(number);
}

struct Word {
    char letter;
    std::string value;
};

// Splits "T01C0.032" or "X01000Y-00950G85X..." into letter/value words; false on anything else.
bool splitWords(std::string_view line, std::vector<Word>& words) {
    words.clear();
    size_t p = 0;
    while (p < line.size()) {
        char c = line[p];
        if (c < 'A' || c > 'Z') {
            return false;
        }
        ++p;
        size_t start = p;
        while (p < line.size() && (std::isdigit(static_cast<unsigned char>(line[p])) ||
                                   line[p] == '.' || line[p] == '-' || line[p] == '+')) {
            ++p;
        }
        words.push_back({c, std::string(line.substr(start, p - start))});
    }
    return true;
}

class ExcellonParser {
public:
    ExcellonParser(LayerImage& image, const std::string& bytes)
        : m_image(image), m_bytes(bytes), m_problems(image) {}

    void run();

private:
    void line(std::string_view text, long number);
    bool headerLine(std::string_view text, long number);
    void unitsLine(std::string_view text, long number);
    void comment(std::string_view text, long number);
    void toolWords(const std::vector<Word>& words, long number);
    void bodyWords(const std::vector<Word>& words, std::string_view text, long number);
    std::optional<double> coordinate(const std::string& value, long number);
    DrillTool& tool(int number, long line);
    void hit(Point p, long line);
    void slot(Point from, Point to, long line);
    void setMetric(bool metric);

    LayerImage& m_image;
    const std::string& m_bytes;
    ProblemList m_problems;

    bool m_inHeader = false;
    bool m_ended = false;
    bool m_metric = false;
    bool m_leadingZerosKept = true;  // "LZ": numbers are read from the left
    bool m_zerosGiven = false;
    bool m_formatGiven = false;
    int m_integerDigits = 2;
    int m_decimals = 4;
    bool m_incremental = false;
    bool m_routing = false;
    bool m_routingReported = false;
    std::map<int, size_t> m_toolIndex;  // tool number to index in m_image.tools
    int m_tool = -1;                    // index of the selected tool
    Point m_current;
};

void ExcellonParser::run() {
    m_image.format = FileFormat::Excellon;
    size_t pos = 0;
    long number = 0;
    while (pos < m_bytes.size() && !m_ended) {
        size_t end = m_bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            end = m_bytes.size();
        }
        ++number;
        std::string_view text(m_bytes.data() + pos, end - pos);
        pos = end + 1;
        if (end + 1 < m_bytes.size() && m_bytes[end] == '\r' && m_bytes[end + 1] == '\n') {
            ++pos;  // CR LF is one line end
        }
        line(text, number);
    }
    if (!m_ended) {
        m_problems.add(Severity::Warning, number, "no end of program (M30)");
    }
    checkFunctionAgainstName(m_image, m_problems);
    m_image.lineCount = number;
    m_image.units = m_metric ? Units::Millimetre : Units::Inch;
    m_image.coordinateFormat =
        std::to_string(m_integerDigits) + "." + std::to_string(m_decimals) +
        (m_leadingZerosKept ? ", leading zeros kept (LZ)" : ", trailing zeros kept (TZ)") +
        (m_incremental ? ", incremental" : ", absolute");
    if (!m_formatGiven && !m_zerosGiven) {
        m_image.coordinateFormat += " (assumed)";
    }
    for (const DrillTool& t : m_image.tools) {
        if (!t.sized && t.hits + t.slotCount > 0) {
            m_problems.add(Severity::Warning, 0,
                           "tool " + toolName(t.number) +
                               " has no diameter in the file; its hits are drawn 10 mils wide");
        }
    }
}

void ExcellonParser::line(std::string_view text, long number) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return;
    }
    if (text.front() == ';') {
        comment(text, number);
        return;
    }
    if (text == "M48") {
        m_inHeader = true;
        return;
    }
    if (m_inHeader) {
        if (text == "%" || text == "M95") {
            m_inHeader = false;
            return;
        }
        if (headerLine(text, number)) {
            return;
        }
    } else if (text == "%") {
        return;  // rewind stop
    }
    if (text.starts_with("INCH") || text.starts_with("METRIC")) {
        unitsLine(text, number);
        return;
    }
    std::vector<Word> words;
    if (!splitWords(text, words) || words.empty()) {
        m_problems.add(Severity::Warning, number,
                       "\"" + clipped(text) + "\" not understood; ignored");
        return;
    }
    if (words[0].letter == 'T') {
        toolWords(words, number);
        return;
    }
    bodyWords(words, text, number);
}

void ExcellonParser::comment(std::string_view text, long number) {
    // attributes as header comments: "; #@! TF.FileFunction,Plated,1,2,PTH"
    if (readAttributeComment(m_image, m_problems, text.substr(1), number)) {
        return;
    }
    constexpr std::string_view kFormat = ";FILE_FORMAT=";
    if (!text.starts_with(kFormat)) {
        return;
    }
    std::string_view f = text.substr(kFormat.size());
    size_t colon = f.find(':');
    int integer = 0;
    int decimals = 0;
    if (colon != f.npos && std::from_chars(f.data(), f.data() + colon, integer).ec == std::errc() &&
        std::from_chars(f.data() + colon + 1, f.data() + f.size(), decimals).ec == std::errc() &&
        integer >= 0 && decimals >= 0 && integer + decimals <= 12) {
        m_integerDigits = integer;
        m_decimals = decimals;
        m_formatGiven = true;
        return;
    }
    m_problems.add(Severity::Warning, number, "bad number format \"" + std::string(text) + "\"");
}

void ExcellonParser::setMetric(bool metric) {
    if (!m_formatGiven && metric != m_metric) {
        m_integerDigits = metric ? 3 : 2;
        m_decimals = metric ? 3 : 4;
    }
    m_metric = metric;
}

void ExcellonParser::unitsLine(std::string_view text, long number) {
    // INCH|METRIC [,LZ|,TZ] [,000.000]
    size_t comma = text.find(',');
    setMetric(text.substr(0, comma).starts_with("METRIC"));
    while (comma != text.npos) {
        size_t next = text.find(',', comma + 1);
        std::string_view part =
            text.substr(comma + 1, next == text.npos ? text.npos : next - comma - 1);
        comma = next;
        if (part == "LZ" || part == "TZ") {
            m_leadingZerosKept = part == "LZ";
            m_zerosGiven = true;
        } else if (!part.empty() && part.find_first_not_of("0.") == part.npos &&
                   part.find('.') != part.npos) {
            size_t dot = part.find('.');
            m_integerDigits = static_cast<int>(dot);
            m_decimals = static_cast<int>(part.size() - dot - 1);
            m_formatGiven = true;
        } else {
            m_problems.add(Severity::Warning, number,
                           "\"" + clipped(part) + "\" in \"" + clipped(text) + "\" not understood");
        }
    }
}

bool ExcellonParser::headerLine(std::string_view text, long number) {
    if (text == "M72") {
        setMetric(false);
        return true;
    }
    if (text == "M71") {
        setMetric(true);
        return true;
    }
    if (text.starts_with("ICI")) {
        m_incremental = text.ends_with("ON");
        return true;
    }
    for (std::string_view skip :
         {"FMAT", "VER",  "DETECT", "ATC",      "OM48", "BLKD", "SBK",     "TCST", "R,",
          "G90",  "M70",  "AFS",    "CCW",      "CP",   "DN",   "DTMDIST", "FSB",  "HBCK",
          "LOFF", "NCSL", "OSTOP",  "PCKPARAM", "PF",   "PVS",  "RTFSB",   "SG",   "TOFF",
          "UP",   "ZA",   "ZC",     "ZS",       "Z+#",  "Z-#"}) {
        if (text.starts_with(skip)) {
            return true;
        }
    }
    (void)number;
    return false;
}

DrillTool& ExcellonParser::tool(int number, long line) {
    auto found = m_toolIndex.find(number);
    if (found != m_toolIndex.end()) {
        return m_image.tools[found->second];
    }
    (void)line;
    DrillTool t;
    t.number = number;
    t.sized = false;
    m_toolIndex[number] = m_image.tools.size();
    m_image.tools.push_back(t);
    return m_image.tools.back();
}

void ExcellonParser::toolWords(const std::vector<Word>& words, long number) {
    int n = 0;
    const std::string& v = words[0].value;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || ec != std::errc() || end != v.data() + v.size() || n < 0) {
        m_problems.add(Severity::Error, number, "bad tool number \"T" + v + "\"");
        return;
    }
    if (n == 0) {
        m_tool = -1;  // unload the tool
        return;
    }
    std::optional<double> diameter;
    for (size_t i = 1; i < words.size(); ++i) {
        if (words[i].letter == 'C') {
            double d = 0;
            const std::string& c = words[i].value;
            auto [e, err] = std::from_chars(c.data(), c.data() + c.size(), d);
            if (c.empty() || err != std::errc() || e != c.data() + c.size() || d < 0) {
                m_problems.add(Severity::Error, number, "bad tool diameter \"C" + c + "\"");
                return;
            }
            // a diameter without a point is read in the coordinate format
            if (c.find('.') == c.npos) {
                d = readFixedNumber(c, m_integerDigits, m_decimals, m_leadingZerosKept).value_or(0);
            }
            diameter = d * (m_metric ? kMillimetre : 1.0);
        }
    }
    DrillTool& t = tool(n, number);
    if (diameter) {
        if (t.sized && std::fabs(t.diameter - *diameter) > 1e-9 && t.hits + t.slotCount > 0) {
            m_problems.add(Severity::Warning, number,
                           "tool " + toolName(n) + " given another diameter after use");
        }
        t.diameter = *diameter;
        t.sized = true;
        Aperture a;
        a.dcode = n;
        a.templateName = "C";
        a.parameters = {*diameter};
        a.line = static_cast<int>(number);
        buildStandardAperture(a, 1.0);
        t.aperture = static_cast<int>(m_image.apertures.size());
        m_image.apertures.push_back(std::move(a));
    }
    if (!m_inHeader) {
        m_tool = static_cast<int>(m_toolIndex[n]);
    }
}

std::optional<double> ExcellonParser::coordinate(const std::string& value, long number) {
    auto v = readFixedNumber(value, m_integerDigits, m_decimals, m_leadingZerosKept);
    if (!v) {
        m_problems.add(Severity::Error, number, "\"" + clipped(value) + "\" is not a coordinate");
        return std::nullopt;
    }
    return *v * (m_metric ? kMillimetre : 1.0);
}

void ExcellonParser::hit(Point p, long line) {
    if (m_tool < 0) {
        m_problems.add(Severity::Error, line, "hole with no tool selected");
        return;
    }
    DrillTool& t = m_image.tools[m_tool];
    if (t.aperture < 0) {
        Aperture a;
        a.dcode = t.number;
        a.templateName = "C";
        a.parameters = {kUnsizedDiameter};
        a.line = static_cast<int>(line);
        buildStandardAperture(a, 1.0);
        t.aperture = static_cast<int>(m_image.apertures.size());
        m_image.apertures.push_back(std::move(a));
    }
    ++t.hits;
    Aperture& a = m_image.apertures[t.aperture];
    ++a.flashes;
    GraphicObject o;
    o.kind = ObjectKind::Flash;
    o.aperture = t.aperture;
    o.from = p;
    m_image.objects.push_back(o);
    m_image.extent.add(a.extent.moved(p));
}

void ExcellonParser::slot(Point from, Point to, long line) {
    if (m_tool < 0) {
        m_problems.add(Severity::Error, line, "slot with no tool selected");
        return;
    }
    hit(from, line);  // gives the tool its aperture when it has none
    DrillTool& t = m_image.tools[m_tool];
    --t.hits;
    ++t.slotCount;
    Aperture& a = m_image.apertures[t.aperture];
    --a.flashes;
    m_image.objects.back().kind = ObjectKind::Line;
    m_image.objects.back().to = to;
    ++a.draws;
    m_image.extent.add(a.extent.moved(to));
}

void ExcellonParser::bodyWords(const std::vector<Word>& words, std::string_view text, long number) {
    Point p = m_current;
    Point raw;  // the values as written: a repeat's step
    bool moved = false;
    std::optional<Point> slotStart;
    int repeats = 0;
    auto code = [](const Word& w) {
        int n = -1;
        std::from_chars(w.value.data(), w.value.data() + w.value.size(), n);
        return n;
    };
    for (const Word& w : words) {
        switch (w.letter) {
            case 'X':
            case 'Y': {
                auto v = coordinate(w.value, number);
                if (!v) {
                    return;
                }
                double& axis = w.letter == 'X' ? p.x : p.y;
                axis = m_incremental ? axis + *v : *v;
                (w.letter == 'X' ? raw.x : raw.y) = *v;
                moved = true;
                break;
            }
            case 'G': {
                int g = code(w);
                if (g == 85) {
                    slotStart = p;  // the slot runs from the point before G85 to the one after
                    moved = false;
                } else if (g == 90) {
                    m_incremental = false;
                } else if (g == 91) {
                    m_incremental = true;
                } else if (g == 5 || g == 81) {
                    m_routing = false;
                } else if (g >= 0 && g <= 3) {
                    m_routing = true;
                    if (!m_routingReported) {
                        m_problems.add(Severity::Warning, number,
                                       "routing (G00 to G03) is not shown");
                        m_routingReported = true;
                    }
                } else {
                    m_problems.add(Severity::Warning, number,
                                   "unknown code G" + w.value + " ignored");
                }
                break;
            }
            case 'M': {
                int m = code(w);
                if (m == 30 || m == 0) {
                    m_ended = true;
                    return;
                }
                if (m == 71 || m == 72) {
                    setMetric(m == 71);
                } else if (m == 15 || m == 16 || m == 17 || m == 47 || m == 97 || m == 98 ||
                           m == 1 || m == 2 || m == 6 || m == 9 || m == 8 || m == 70 || m == 18) {
                    return;  // routing tool up/down, operator messages, canned text, stops
                } else {
                    m_problems.add(Severity::Warning, number,
                                   "unknown code M" + w.value + " ignored");
                    return;
                }
                break;
            }
            case 'R': {
                int n = code(w);
                if (n < 1) {
                    m_problems.add(Severity::Error, number, "bad repeat \"R" + w.value + "\"");
                    return;
                }
                repeats = n;
                break;
            }
            case 'F':
            case 'S':
            case 'N':
                break;  // feed, speed, sequence number
            default:
                m_problems.add(Severity::Warning, number,
                               "\"" + clipped(text) + "\" not understood; ignored");
                return;
        }
    }
    if (m_routing) {
        m_current = p;
        return;
    }
    if (slotStart) {
        slot(*slotStart, p, number);
        m_current = p;
        return;
    }
    if (!moved) {
        return;
    }
    if (repeats > 0) {
        // "R n" with an offset drills n further holes, each offset from the one before
        Point step = raw;
        Point q = m_current;
        for (int i = 0; i < repeats && i < 100000; ++i) {
            q.x += step.x;
            q.y += step.y;
            hit(q, number);
        }
        m_current = q;
        return;
    }
    hit(p, number);
    m_current = p;
}

}  // namespace

void readExcellon(LayerImage& image, const std::string& bytes) {
    ExcellonParser(image, bytes).run();
}

}  // namespace padloom::view
