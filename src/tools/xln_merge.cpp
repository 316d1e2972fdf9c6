#include "tools/xln_merge.h"

#include <algorithm>

#include "common/base_name.h"
#include "common/errors.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::tools {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isFieldSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',';
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

// Skips separators, then reads the digits there; reading stops at the first other
// character, keeping what was read (none reads as 0).
int readInteger(std::string_view s, size_t& i) {
    while (i < s.size() && isFieldSeparator(s[i])) {
        ++i;
    }
    long long value = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        if (value <= 999999999) {
            value = value * 10 + (s[i] - '0');
        }
    }
    return value > 999999999 ? 0 : static_cast<int>(value);
}

// Skips separators, then reads a drill size: whole mils ("28"), or decimal inches when it has
// a point ("0.028", ".028"), rounded to whole mils. Reading stops at the first character that
// belongs to neither, keeping what was read (none reads as 0).
int readSize(std::string_view s, size_t& i) {
    size_t start = i;
    while (start < s.size() && isFieldSeparator(s[start])) {
        ++start;
    }
    size_t point = start;
    while (point < s.size() && isDigit(s[point])) {
        ++point;
    }
    if (point == s.size() || s[point] != '.') {
        return readInteger(s, i);
    }
    // whole mils from the inches and the first three decimals; the decimals after them round
    // it, halves to the even neighbour
    long long mils = 0;
    for (size_t k = start; k < point; ++k) {
        mils = std::min(mils * 10 + (s[k] - '0'), 1000000000LL);
    }
    i = point + 1;
    for (int decimals = 0; decimals < 3; ++decimals) {
        const bool digit = i < s.size() && isDigit(s[i]);
        mils = mils * 10 + (digit ? s[i] - '0' : 0);
        i += digit ? 1 : 0;
    }
    if (i < s.size() && isDigit(s[i])) {
        const char first = s[i++];
        bool beyondHalf = false;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            beyondHalf = beyondHalf || s[i] != '0';
        }
        if (first > '5' || (first == '5' && (beyondHalf || mils % 2 == 1))) {
            ++mils;
        }
    }
    return mils > 999999999 ? 0 : static_cast<int>(mils);
}

}  // namespace

int ToolTable::diameter(int tool) const {
    return tool >= 1 && tool <= kToolCount ? m_diameters[tool] : 0;
}

void ToolTable::set(int tool, int diameter) {
    if (tool >= 1 && tool <= kToolCount) {
        m_diameters[tool] = diameter;
    }
}

bool ToolTable::anySized() const {
    for (int tool = 1; tool <= kToolCount; ++tool) {
        if (m_diameters[tool] > 0) {
            return true;
        }
    }
    return false;
}

std::optional<ToolLine> parseToolLine(std::string_view line) {
    if (line.empty() || line.front() != 'T') {
        return std::nullopt;
    }
    size_t i = 1;
    ToolLine t;
    t.tool = readInteger(line, i);
    // the size is the field after the tool number, so a one-digit tool number ("T1 28")
    // reads the same as a two-digit one; the tables the aperture tool writes give it in
    // decimal inches ("T01<TAB>0.028<TAB>40")
    t.diameter = readSize(line, i);
    return t;
}

std::string sizedToolLine(std::string_view line, const ToolTable& table) {
    std::string out(line);
    if (line.empty() || line.front() != 'T' || line.find('C') != std::string_view::npos) {
        return out;  // not a tool line, or one that already carries its size
    }
    size_t i = 1;
    int d = table.diameter(readInteger(line, i));
    if (d > 0) {
        out += "C" + common::decimal(d / 1000) + "." + common::zeroPadded(d % 1000, 3);
    }
    return out;
}

common::Outcome loadToolTable(common::Host& host, ToolTable& table) {
    auto chosen = host.askOpen(common::FileAsk{2, "", false, ""});
    if (chosen.empty()) {
        return common::Outcome::Cancelled;  // the table keeps what it had
    }
    common::LineReader in(chosen.front());
    if (in.looksBinary()) {
        throw common::FormatError(chosen.front(),
                                  "not a drill tool table: it holds binary data, not text");
    }
    table.clear();
    table.path = chosen.front();
    std::string line;
    while (in.next(line)) {
        auto tool = parseToolLine(trimmed(line));
        if (!tool || tool->tool < 1 || tool->tool > ToolTable::kToolCount) {
            continue;
        }
        table.set(tool->tool, tool->diameter);
        host.addLine("T" + common::decimal(tool->tool) + " = " + common::decimal(tool->diameter));
    }
    if (!table.anySized()) {
        host.addLine("No diameters found in " + common::fileNameOf(table.path) +
                     ": tool sizes must be whole mils, as in \"T01 28\", or decimal inches, as "
                     "in \"T01 0.028\"");
    }
    return common::Outcome::Done;
}

common::Outcome mergeDrillFile(common::Host& host, const ToolTable& table) {
    auto chosen = host.askOpen(common::FileAsk{1, "", false, ""});
    if (chosen.empty()) {
        return common::Outcome::Cancelled;
    }
    const std::string& drillPath = chosen.front();
    const std::string xlnPath = drillPath + ".xln";
    std::vector<std::string> inputs{drillPath};
    if (!table.path.empty()) {
        inputs.push_back(table.path);
    }
    common::refuseOverwritingInput(xlnPath, inputs);

    common::LineReader in(drillPath);
    if (in.looksBinary()) {
        throw common::FormatError(drillPath, "not a drill file: it holds binary data, not text");
    }
    common::LineWriter out(xlnPath);
    bool header = true;
    long toolLines = 0;  // in the header
    std::string line;
    while (in.next(line)) {
        if (!header) {
            out.line(line);
            continue;
        }
        std::string_view text = trimmed(line);
        if (!text.empty() && text.front() == 'T') {
            toolLines += text.size() > 1 && isDigit(text[1]) ? 1 : 0;
            std::string sized = sizedToolLine(text, table);
            host.addLine(sized);
            out.line(sized);
        } else {
            out.line(text);
        }
        header = text != "%";
    }
    // a copy that sizes nothing would pass for a merged drill file
    if (in.lineNumber() == 0) {
        throw common::FormatError(drillPath, "not a drill file: it is empty");
    }
    if (toolLines == 0) {
        throw common::FormatError(drillPath,
                                  "not a drill file: no tool line (\"T01\") before its \"%\" line");
    }
    out.commit();
    host.addLine("Created: " + common::fileNameOf(drillPath) + ".xln");
    host.addLine("Done");
    host.show(common::Box::Plain, "Done", common::Place::Screen);
    return common::Outcome::Done;
}

}  // namespace padloom::tools
