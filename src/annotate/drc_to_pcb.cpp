#include "annotate/drc_to_pcb.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "board/board_reader.h"
#include "common/text_io.h"

namespace padloom::annotate {

namespace {

constexpr std::string_view kClearanceError = "Clearance Error";
constexpr std::string_view kEndPcb = "ENDPCB";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
        text.remove_suffix(1);
    }
    return text;
}

/// The coordinate text, trimmed, when it is a whole number a board file can hold.
std::optional<std::string_view> coordinate(std::string_view text) {
    text = trimmed(text);
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() == '+' || digits.front() == '-') {
        return std::nullopt;
    }
    int value = 0;
    auto [end, ec] =
        std::from_chars(text.data() + (text.front() == '+'), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return text;
}

/// The text between the first `open` of `text` and the first `close` after it.
std::optional<std::string_view> between(std::string_view text, char open, char close) {
    size_t start = text.find(open);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    size_t end = text.find(close, start + 1);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return text.substr(start + 1, end - start - 1);
}

/// Bytes of a raw file, read in blocks.
class RawFile {
public:
    explicit RawFile(const std::string& path) : m_path(path) {
        common::checkInputFile(path);
        m_file = std::fopen(path.c_str(), "rb");
        if (!m_file) {
            throw common::IoError(path, std::generic_category().message(errno));
        }
    }
    ~RawFile() { std::fclose(m_file); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    /// The next block; empty at the end of the file.
    std::string_view next() {
        size_t n = std::fread(m_block, 1, sizeof m_block, m_file);
        if (n == 0 && std::ferror(m_file)) {
            throw common::IoError(m_path, "read error");
        }
        return {m_block, n};
    }

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
    char m_block[1 << 16];
};

/// Where the last "ENDPCB" line of a board lies: the offset of its first byte and the offset
/// just past its line end. Lines end in CR LF, LF or a lone CR.
struct EndLine {
    long long start = -1;
    long long end = -1;
};

EndLine findLastEndLine(const std::string& boardPath) {
    EndLine found;
    RawFile file(boardPath);
    long long offset = 0;
    long long lineStart = 0;
    std::string line;  // the current line, kept only while it can still be "ENDPCB"
    bool tooLong = false;
    bool afterCr = false;
    auto endOfLine = [&](long long end) {
        if (!tooLong && line == kEndPcb) {
            found = {lineStart, end};
        }
        line.clear();
        tooLong = false;
        lineStart = end;
    };
    for (auto block = file.next(); !block.empty(); block = file.next()) {
        for (char c : block) {
            const long long at = offset++;
            if (afterCr && c == '\n') {
                // the LF of a CR LF belongs to the line end before it
                afterCr = false;
                if (found.end == at) {
                    found.end = offset;
                }
                lineStart = offset;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                endOfLine(offset);
            } else if (!tooLong) {
                if (line.size() < kEndPcb.size()) {
                    line += c;
                } else {
                    tooLong = true;
                }
            }
        }
    }
    if (offset > lineStart) {
        endOfLine(offset);  // a last line without a line end
    }
    return found;
}

/// Copies the bytes [from, to) of a file to the writer; `to` < 0 copies to the end.
void copyBytes(const std::string& path, long long from, long long to, common::LineWriter& out) {
    RawFile file(path);
    long long offset = 0;
    for (auto block = file.next(); !block.empty(); block = file.next()) {
        const long long blockEnd = offset + static_cast<long long>(block.size());
        const long long a = std::max(from, offset);
        const long long b = to < 0 ? blockEnd : std::min(to, blockEnd);
        if (a < b) {
            out.write(block.substr(static_cast<size_t>(a - offset), static_cast<size_t>(b - a)));
        }
        offset = blockEnd;
        if (to >= 0 && offset >= to) {
            break;
        }
    }
}

bool endsWithLineEnd(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size == 0) {
        return true;
    }
    RawFile file(path);
    char last = 0;
    for (auto block = file.next(); !block.empty(); block = file.next()) {
        last = block.back();
    }
    return last == '\r' || last == '\n';
}

}  // namespace

std::optional<std::string> highlightRecord(std::string_view line) {
    const size_t firstComma = line.find(',');
    if (firstComma == std::string_view::npos || firstComma == line.rfind(',')) {
        // a point object: "(x,y)"
        auto xText = between(line, '(', ',');
        auto yText = between(line, ',', ')');
        if (!xText || !yText) {
            return std::nullopt;
        }
        auto x = coordinate(*xText);
        auto y = coordinate(*yText);
        if (!x || !y) {
            return std::nullopt;
        }
        return "FA\r\n" + std::string(*x) + " " + std::string(*y) + " 50 15 30 12\r\n";
    }
    // a segment object: "(x1,y1 x2,y2)"
    const size_t open = line.find('(');
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view t = line.substr(open + 1);
    const size_t comma1 = t.find(',');
    const size_t blank1 = comma1 == std::string_view::npos ? comma1 : t.find(' ', comma1 + 1);
    if (blank1 == std::string_view::npos) {
        return std::nullopt;
    }
    auto x1 = coordinate(t.substr(0, comma1));
    auto y1 = coordinate(t.substr(comma1 + 1, blank1 - comma1 - 1));
    std::string_view rest = t.substr(blank1);
    while (!rest.empty() && static_cast<unsigned char>(rest.front()) <= ' ') {
        rest.remove_prefix(1);
    }
    const size_t comma2 = rest.find(',');
    const size_t close = comma2 == std::string_view::npos ? comma2 : rest.find(')', comma2 + 1);
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    auto x2 = coordinate(rest.substr(0, comma2));
    auto y2 = coordinate(rest.substr(comma2 + 1, close - comma2 - 1));
    if (!x1 || !y1 || !x2 || !y2) {
        return std::nullopt;
    }
    return "FT\r\n" + std::string(*x1) + " " + std::string(*y1) + " " + std::string(*x2) + " " +
           std::string(*y2) + " 30 12 1\r\n";
}

DrcHighlights readDrcReport(const std::string& reportPath) {
    DrcHighlights h;
    common::LineReader reader(reportPath);
    if (reader.looksBinary()) {
        throw common::FormatError(reportPath,
                                  "not a design rule check report: it holds binary data, not text");
    }
    std::string line;
    while (reader.next(line)) {
        if (line.compare(0, kClearanceError.size(), kClearanceError) != 0) {
            continue;
        }
        ++h.errors;
        const long errorLine = reader.lineNumber();
        // the next two lines name the two objects in conflict
        for (int i = 0; i < 2; ++i) {
            std::string object;
            if (!reader.next(object)) {
                h.skipped.push_back(reportPath + ":" + std::to_string(errorLine) +
                                    ": the report ends before the error's two objects");
                break;
            }
            if (auto record = highlightRecord(object)) {
                h.records += *record;
                ++h.objects;
            } else {
                h.skipped.push_back(reportPath + ":" + std::to_string(reader.lineNumber()) +
                                    ": x or y is not a whole number: " + object);
            }
        }
    }
    return h;
}

void writeErrorBoard(const DrcHighlights& h, const std::string& reportPath,
                     const std::string& outputPath) {
    common::refuseOverwritingInput(outputPath, {reportPath});
    common::LineWriter out(outputPath);
    out.line("PCB FILE 4");
    out.write(h.records);
    out.line(kEndPcb);
    out.commit();
}

bool writeHighlightedBoard(const DrcHighlights& h, const std::string& reportPath,
                           const std::string& boardPath, const std::string& outputPath) {
    common::refuseOverwritingInput(outputPath, {reportPath, boardPath});
    const bool hasHeader = board::checkBoardFile(boardPath);
    const EndLine endLine = findLastEndLine(boardPath);
    common::LineWriter out(outputPath);
    if (endLine.start >= 0) {
        copyBytes(boardPath, 0, endLine.start, out);
        out.write(h.records);
        out.line(kEndPcb);
        copyBytes(boardPath, endLine.end, -1, out);  // whatever followed the closing line
    } else {
        copyBytes(boardPath, 0, -1, out);
        if (!endsWithLineEnd(boardPath)) {
            out.endLine();
        }
        out.write(h.records);
        out.line(kEndPcb);
    }
    out.commit();
    return hasHeader;
}

std::string drcDoneText(const DrcHighlights& h) {
    if (h.skipped.empty()) {
        return "Done";
    }
    constexpr size_t kShown = 20;
    std::string text = "Done\n\n" + std::to_string(h.skipped.size()) +
                       (h.skipped.size() == 1 ? " object line was" : " object lines were") +
                       " left out:";
    for (size_t i = 0; i < h.skipped.size() && i < kShown; ++i) {
        text += "\n" + h.skipped[i];
    }
    if (h.skipped.size() > kShown) {
        text += "\n... and " + std::to_string(h.skipped.size() - kShown) + " more";
    }
    return text;
}

common::Outcome drcToPcb(common::Host& host, DrcMode mode) {
    auto report = host.askOpen(common::FileAsk{1, "Select DRC file", false, ""});
    if (report.empty()) {
        return common::Outcome::Cancelled;
    }
    const std::string reportPath = report.front();
    const DrcHighlights highlights = readDrcReport(reportPath);
    if (mode == DrcMode::ErrorBoard) {
        auto output = host.askSave(common::FileAsk{1, "", false, ""});
        if (!output) {
            return common::Outcome::Cancelled;
        }
        writeErrorBoard(highlights, reportPath, *output);
    } else {
        auto board = host.askOpen(common::FileAsk{2, "Select PCB file", false, ""});
        if (board.empty()) {
            return common::Outcome::Cancelled;
        }
        const std::string boardPath = board.front();
        common::checkInputFile(boardPath);
        if (!common::fileExists(boardPath)) {
            throw common::IoError(boardPath, "no such file");
        }
        auto output = host.askSave(common::FileAsk{1, "", false, ""});
        if (!output) {
            return common::Outcome::Cancelled;
        }
        if (!writeHighlightedBoard(highlights, reportPath, boardPath, *output)) {
            host.warn(board::missingHeaderWarning(boardPath));
        }
    }
    host.show(common::Box::Plain, drcDoneText(highlights), common::Place::Screen);
    return common::Outcome::Done;
}

}  // namespace padloom::annotate
