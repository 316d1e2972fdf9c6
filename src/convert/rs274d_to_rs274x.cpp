#include "convert/rs274d_to_rs274x.h"

#include <algorithm>

#include "common/base_name.h"
#include "common/number_format.h"

namespace padloom::convert {

namespace {

constexpr std::string_view kSeparators = " \t,)";

bool isSeparator(char c) {
    return kSeparators.find(c) != std::string_view::npos;
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// How a run of characters up to the next separator reads as a number.
enum class RunRead { Number, NotDigits, TooLong };

// Reads the run starting at `i` up to the next separator or the end of the line.
RunRead readRun(std::string_view line, size_t& i, int& value) {
    long long v = 0;
    bool tooLong = false;
    size_t start = i;
    for (; i < line.size() && !isSeparator(line[i]); ++i) {
        if (!isDigit(line[i])) {
            while (i < line.size() && !isSeparator(line[i])) {
                ++i;
            }
            return RunRead::NotDigits;
        }
        if (!tooLong) {
            v = v * 10 + (line[i] - '0');
            tooLong = v > 999999999;
        }
    }
    if (i == start) {
        return RunRead::NotDigits;
    }
    value = static_cast<int>(v);
    return tooLong ? RunRead::TooLong : RunRead::Number;
}

// Moves `i` to the next digit; false when the line has none.
bool skipToDigit(std::string_view line, size_t& i) {
    while (i < line.size() && !isDigit(line[i])) {
        ++i;
    }
    return i < line.size();
}

std::string_view trimmed(std::string_view s) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Text inside an RS274X data block or parameter must not hold "%" or "*".
std::string blockSafe(std::string text) {
    std::replace(text.begin(), text.end(), '%', '_');
    std::replace(text.begin(), text.end(), '*', '_');
    return text;
}

// Alphabetical order with letter case aside; names equal but for case by their bytes.
bool lessAlphabetically(const std::string& a, const std::string& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        auto x = static_cast<unsigned char>(upper(a[i]));
        auto y = static_cast<unsigned char>(upper(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

void writeBodyOf(common::LineWriter& out, const std::string& plot) {
    out.line("G04 data from " + blockSafe(plot) + "*");
    out.line("%IN" + imageNameOf(plot) + "*%");
    copyPlotBody(out, plot);
}

// Refuses, before anything is written, an aperture file or a plot that is not what it claims:
// binary data, an aperture file without a single aperture line, a plot without a data block.
void checkInputs(const Rs274xOptions& o) {
    {
        common::LineReader apertures(o.aptFile);
        if (apertures.looksBinary()) {
            throw common::FormatError(o.aptFile,
                                      "not an aperture file: it holds binary data, not text");
        }
        bool any = false;
        std::string line;
        while (!any && apertures.next(line)) {
            std::string_view text = trimmed(line);
            any = !text.empty() && text.front() != ';' && text.front() != '#' &&
                  parseConverterAptLine(text).has_value();
        }
        if (!any) {
            throw common::FormatError(o.aptFile,
                                      "not an aperture file: no line gives a D-code and a shape");
        }
    }
    for (const auto& plot : o.plots) {
        common::LineReader in(plot);
        if (in.looksBinary()) {
            throw common::FormatError(plot, "not an RS274D plot: it holds binary data, not text");
        }
        bool any = false;
        std::string line;
        while (!any && in.next(line)) {
            any = line.find('*') != std::string::npos;
        }
        if (!any) {
            throw common::FormatError(plot, "not an RS274D plot: no data block (ended by \"*\")");
        }
    }
}

}  // namespace

std::optional<ConverterAperture> parseConverterAptLine(std::string_view line) {
    ConverterAperture a;
    size_t i = 1;  // the first character, normally "D", is not part of the D-code
    if (readRun(line, i, a.dcode) != RunRead::Number) {
        return std::nullopt;
    }
    while (i < line.size() && isSeparator(line[i])) {
        ++i;
    }
    while (i < line.size() && !isSeparator(line[i])) {
        a.word.push_back(upper(line[i++]));
    }
    if (!skipToDigit(line, i)) {
        return std::nullopt;
    }
    RunRead x = readRun(line, i, a.xSize);
    if (a.word == "ROUND" || a.word == "SQUARE") {
        if (x == RunRead::NotDigits) {
            return std::nullopt;
        }
        if (x == RunRead::TooLong) {
            a.xSize = 10;  // a number too long to be a size reads as 10 mils
        }
        a.ySize = a.xSize;
        a.hasYSize = true;
        return a;
    }
    if (x != RunRead::Number) {
        return std::nullopt;
    }
    if (skipToDigit(line, i)) {
        if (readRun(line, i, a.ySize) != RunRead::Number) {
            return std::nullopt;
        }
        a.hasYSize = true;
    }
    return a;
}

std::string converterSizeText(long long mils, bool metric) {
    if (!metric) {
        return common::inchFormA(mils);
    }
    // one mil is exactly 0.0254 mm: work in ten-thousandths of a millimetre
    long long tenThousandths = mils * 254;
    std::string fraction = common::zeroPadded(tenThousandths % 10000, 4);
    if (fraction.back() == '0') {
        fraction.pop_back();
    }
    return common::decimal(tenThousandths / 10000) + "." + fraction;
}

std::string converterApertureDefinition(const ConverterAperture& a, bool metric) {
    const std::string n = common::decimal(a.dcode);
    auto size = [&](long long mils) { return converterSizeText(mils, metric); };
    const std::string& w = a.word;
    if (w == "CIRCULAR" || w == "ROUND") {
        return "%ADD" + n + "C," + size(a.xSize) + "*%\r\n";
    }
    if (w == "OCTAGONAL") {
        return "%ADD" + n + "P," + size(a.xSize) + "X8*%\r\n";
    }
    if (w == "RELIEF") {
        const std::string name = "THERM" + common::decimal(a.xSize);
        return "%AM" + name + "*7,0,0," + size(a.xSize + 20LL) + "," + size(a.xSize) + "," +
               size(a.xSize / 4) + ",0*%\r\n" + "%ADD" + n + name + "*%\r\n";
    }
    if (!a.hasYSize) {
        return "";  // the two-size shapes below need a y size
    }
    if (w == "RECTANGULAR" || w == "SQUARE") {
        return "%ADD" + n + "R," + size(a.xSize) + "X" + size(a.ySize) + "*%\r\n";
    }
    if (w == "ROUNDRECT") {
        return "%ADD" + n + "O," + size(a.xSize) + "X" + size(a.ySize) + "*%\r\n";
    }
    return "";
}

std::string formatStatement(const Rs274xOptions& o) {
    static constexpr char kZeroLetters[] = {'L', 'T', 'D'};
    std::string digits = common::decimal(o.digits) + common::decimal(o.precision);
    return std::string("%FS") + kZeroLetters[static_cast<int>(o.zeros)] +
           (o.incremental ? "I" : "A") + "X" + digits + "Y" + digits + "*%";
}

void writeRs274xHeader(common::LineWriter& out, const Rs274xOptions& o) {
    common::LineReader apertures(o.aptFile);
    out.line("G04 Format statement*");
    out.line(formatStatement(o));
    out.line(o.metric ? "%MOMM*%" : "%MOIN*%");
    out.line("G04 Apeture information*");  // sic
    std::string line;
    while (apertures.next(line)) {
        std::string_view text = trimmed(line);
        if (text.empty() || text.front() == ';' || text.front() == '#') {
            continue;
        }
        if (auto aperture = parseConverterAptLine(text)) {
            out.write(converterApertureDefinition(*aperture, o.metric));
        }
    }
    out.line("G04 End of aperture information*");
}

std::string imageNameOf(const std::string& plotPath) {
    std::string name = blockSafe(common::fileNameOf(plotPath));
    std::transform(name.begin(), name.end(), name.begin(), upper);
    return name;
}

void copyPlotBody(common::LineWriter& out, const std::string& plotPath) {
    common::LineReader in(plotPath);
    std::string line;
    while (in.next(line)) {
        size_t end = line.find("M02");
        if (end != std::string::npos) {
            line.replace(end, std::string::npos, "    ");
        }
        if (line.empty() || line.front() == '\b') {
            continue;
        }
        out.line(line);
    }
}

void addPlotFiles(std::vector<std::string>& list, const std::vector<std::string>& chosen) {
    for (const auto& path : chosen) {
        if (std::find(list.begin(), list.end(), path) == list.end()) {
            list.push_back(path);
        }
    }
    std::stable_sort(list.begin(), list.end(), lessAlphabetically);
}

common::Outcome createExtendedGerbers(common::Host& host, const Rs274xOptions& o) {
    using common::Box;
    using common::Place;
    std::optional<std::string> singleOutput;
    if (o.single) {
        singleOutput = host.askSave(common::FileAsk{1, "", false, ""});
        if (!singleOutput) {
            return common::Outcome::Cancelled;
        }
    }
    if (o.aptFile.empty() || o.plots.empty()) {
        host.show(Box::Plain, "No source files defined", Place::Screen);
        return common::Outcome::Refused;
    }
    std::vector<std::string> inputs = o.plots;
    inputs.push_back(o.aptFile);
    checkInputs(o);

    if (singleOutput) {
        common::refuseOverwritingInput(*singleOutput, inputs);
        common::LineWriter out(*singleOutput);
        writeRs274xHeader(out, o);
        for (const auto& plot : o.plots) {
            writeBodyOf(out, plot);
        }
        out.line("M02*");
        out.commit();
    } else {
        // every name is checked before the first file is written
        for (const auto& plot : o.plots) {
            common::refuseOverwritingInput(plot + ".xgerber", inputs);
        }
        for (const auto& plot : o.plots) {
            common::LineWriter out(plot + ".xgerber");
            writeRs274xHeader(out, o);
            writeBodyOf(out, plot);
            out.line("M02*");
            out.commit();
        }
    }
    host.show(Box::Plain, "Done!", Place::Screen);
    return common::Outcome::Done;
}

}  // namespace padloom::convert
