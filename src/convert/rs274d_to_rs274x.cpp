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

void writeBodyOf(common::LineWriter& out, const std::string& plot, PlotSelections& selections) {
    out.line("G04 data from " + blockSafe(plot) + "*");
    out.line("%IN" + imageNameOf(plot) + "*%");
    copyPlotBody(out, plot, &selections);
}

// The D-codes an output selects that neither its header nor its plots define.
void findUndefined(const HeaderApertures& header, const PlotSelections& selections,
                   std::vector<UndefinedDcode>& undefined) {
    for (const auto& [dcode, use] : selections.selected) {
        if (header.defined.count(dcode) || selections.defined.count(dcode)) {
            continue;
        }
        auto known = std::find_if(undefined.begin(), undefined.end(),
                                  [dcode](const UndefinedDcode& u) { return u.dcode == dcode; });
        if (known != undefined.end()) {
            continue;  // named already, at its first use in an earlier output
        }
        auto line = header.notDefined.find(dcode);
        undefined.push_back(
            {dcode, use, line != header.notDefined.end() ? line->second : std::string()});
    }
}

// The warning shown instead of "Done!" when the outputs select apertures they do not define.
std::string undefinedWarning(const std::vector<UndefinedDcode>& undefined) {
    std::string text = "Written, but not usable as it stands: " +
                       common::decimal(static_cast<long long>(undefined.size())) +
                       (undefined.size() == 1 ? " D-code is" : " D-codes are") +
                       " selected and not defined. Define them in the aperture file and "
                       "convert again.";
    for (const UndefinedDcode& u : undefined) {
        text += "\nD" + common::decimal(u.dcode) + " (first selected in " +
                common::fileNameOf(u.firstUse.plot) + ", line " + common::decimal(u.firstUse.line) +
                "): ";
        text += u.apertureLine.empty()
                    ? std::string("the aperture file has no line for it")
                    : "the aperture line \"" + u.apertureLine + "\" defines no aperture";
    }
    return text;
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
            if (text.empty() || text.front() == ';' || text.front() == '#') {
                continue;
            }
            // a line that merely parses is not enough: the number lines of a board do
            const auto aperture = parseConverterAptLine(text);
            any = aperture && !converterApertureDefinition(*aperture, o.metric).empty();
        }
        if (!any) {
            throw common::FormatError(o.aptFile,
                                      "not an aperture file: no line defines an aperture (a "
                                      "D-code, a shape and its size)");
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
    if (w == "MOIRE") {
        // a target: at most five rings, their thickness and gaps a tenth of the diameter (at
        // least a mil), no cross hair
        const std::string name = "MOIRE" + common::decimal(a.xSize);
        const std::string t = size(std::max((a.xSize + 5LL) / 10, 1LL));
        return "%AM" + name + "*6,0,0," + size(a.xSize) + "," + t + "," + t + ",5,0,0,0*%\r\n" +
               "%ADD" + n + name + "*%\r\n";
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

HeaderApertures writeRs274xHeader(common::LineWriter& out, const Rs274xOptions& o) {
    common::LineReader apertures(o.aptFile);
    out.line("G04 Format statement*");
    out.line(formatStatement(o));
    out.line(o.metric ? "%MOMM*%" : "%MOIN*%");
    out.line("G04 Apeture information*");  // sic
    HeaderApertures header;
    std::string line;
    while (apertures.next(line)) {
        std::string_view text = trimmed(line);
        if (text.empty() || text.front() == ';' || text.front() == '#') {
            continue;
        }
        auto aperture = parseConverterAptLine(text);
        std::string definition =
            aperture ? converterApertureDefinition(*aperture, o.metric) : std::string();
        if (!definition.empty()) {
            out.write(definition);
            header.defined.insert(aperture->dcode);
            continue;
        }
        // a line that defines nothing: kept to tell the user why a D-code is missing
        size_t i = 1;
        int dcode = 0;
        if (readRun(text, i, dcode) == RunRead::Number) {
            header.notDefined.emplace(dcode, std::string(text));
        }
    }
    out.line("G04 End of aperture information*");
    return header;
}

void PlotSelections::scan(std::string_view line, const std::string& plot, long lineNumber) {
    // a line holds data blocks ended by "*"; "%" opens and closes a parameter
    bool parameter = false;
    size_t blockStart = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '%') {
            parameter = !parameter;
            blockStart = i + 1;
        } else if (c == '*') {
            blockStart = i + 1;
        } else if (i == blockStart && line.substr(i, 3) == "G04") {
            // a comment: its text runs to the end of the block
            size_t end = line.find('*', i);
            if (end == std::string_view::npos) {
                return;
            }
            i = end;
            blockStart = end + 1;
        } else if (c == 'D' && i + 1 < line.size() && isDigit(line[i + 1])) {
            long long value = 0;
            size_t j = i + 1;
            for (; j < line.size() && isDigit(line[j]); ++j) {
                value = std::min(value * 10 + (line[j] - '0'), 1000000000LL);
            }
            const int dcode = static_cast<int>(value);
            if (parameter) {
                // "%ADD<code>...": an aperture the plot defines itself
                if (i == blockStart + 2 && line.substr(blockStart, 2) == "AD") {
                    defined.insert(dcode);
                }
            } else if (dcode >= 10) {
                selected.emplace(dcode, DcodeUse{plot, lineNumber});
            }
            i = j - 1;
        }
    }
}

std::string imageNameOf(const std::string& plotPath) {
    std::string name = blockSafe(common::fileNameOf(plotPath));
    std::transform(name.begin(), name.end(), name.begin(), upper);
    return name;
}

void copyPlotBody(common::LineWriter& out, const std::string& plotPath,
                  PlotSelections* selections) {
    common::LineReader in(plotPath);
    std::string line;
    while (in.next(line)) {
        if (selections) {
            selections->scan(line, plotPath, in.lineNumber());
        }
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

common::Outcome createExtendedGerbers(common::Host& host, const Rs274xOptions& o,
                                      std::vector<UndefinedDcode>* undefinedOut) {
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

    std::vector<UndefinedDcode> undefined;
    if (singleOutput) {
        common::refuseOverwritingInput(*singleOutput, inputs);
        common::LineWriter out(*singleOutput);
        const HeaderApertures header = writeRs274xHeader(out, o);
        PlotSelections selections;
        for (const auto& plot : o.plots) {
            writeBodyOf(out, plot, selections);
        }
        out.line("M02*");
        out.commit();
        findUndefined(header, selections, undefined);
    } else {
        // every name is checked before the first file is written
        for (const auto& plot : o.plots) {
            common::refuseOverwritingInput(plot + ".xgerber", inputs);
        }
        for (const auto& plot : o.plots) {
            common::LineWriter out(plot + ".xgerber");
            const HeaderApertures header = writeRs274xHeader(out, o);
            PlotSelections selections;
            writeBodyOf(out, plot, selections);
            out.line("M02*");
            out.commit();
            findUndefined(header, selections, undefined);
        }
    }
    if (undefined.empty()) {
        host.show(Box::Plain, "Done!", Place::Screen);
    } else {
        host.show(Box::Warning, undefinedWarning(undefined), Place::Screen);
    }
    if (undefinedOut) {
        *undefinedOut = std::move(undefined);
    }
    return common::Outcome::Done;
}

}  // namespace padloom::convert
