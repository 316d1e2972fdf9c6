#include "view/file_kind.h"

#include <cctype>
#include <functional>
#include <optional>

#include "common/text_io.h"
#include "view/reader_support.h"

namespace padloom::view {

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

// The lines of a text with their blanks trimmed, blank lines left out.
class TextLines {
public:
    explicit TextLines(std::string_view text) : m_text(text) {}
    std::optional<std::string_view> next() {
        while (m_pos < m_text.size()) {
            size_t end = m_text.find_first_of("\r\n", m_pos);
            if (end == std::string_view::npos) {
                end = m_text.size();
            }
            std::string_view line = common::trimmedBlanks(m_text.substr(m_pos, end - m_pos));
            m_pos = end + 1;
            if (!line.empty()) {
                return line;
            }
        }
        return std::nullopt;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// The whitespace-separated words of a line.
std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t start = line.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) {
            break;
        }
        size_t end = line.find_first_of(" \t", start);
        end = end == std::string_view::npos ? line.size() : end;
        words.push_back(line.substr(start, end - start));
        pos = end;
    }
    return words;
}

// An Excellon statement: words of capitals, digits and the signs of numbers and header
// settings ("M48", "INCH,LZ", "T01C0.0350", "X012500Y-004000", "FMAT,2").
bool isExcellonStatement(std::string_view line) {
    for (std::string_view word : wordsOf(line)) {
        if (!isUpper(word.front())) {
            return false;
        }
        for (char c : word) {
            if (!isUpper(c) && !isDigit(c) && std::string_view("+-.,:=_").find(c) == word.npos) {
                return false;
            }
        }
    }
    return true;
}

// A Gerber data block begins with a code letter and its number: "G01", "D10", "X100", "M02".
bool beginsGerberBlock(std::string_view line) {
    return line.size() >= 2 && std::string_view("GDMXYIJN").find(line[0]) != line.npos &&
           (isDigit(line[1]) || line[1] == '-' || line[1] == '+');
}

// Letter and number, then more words: "T01  0.025  18" of a tool table, "D10  CIRCULAR ..." of
// an aperture list.
bool isCodeThenWord(std::string_view line, char code, bool wordIsNumber) {
    const auto words = wordsOf(line);
    if (words.size() < 2 || words[0].size() < 2 || words[0][0] != code) {
        return false;
    }
    for (char c : words[0].substr(1)) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return wordIsNumber ? isDigit(words[1].front()) || words[1].front() == '.'
                        : isUpper(words[1].front());
}

FileIdentity other(std::string reason) {
    return {FileKind::Other, std::move(reason)};
}

}  // namespace

FileIdentity identifyFile(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);  // a byte order mark some editors put first
    }
    TextLines lines(bytes);
    auto first = lines.next();
    if (!first) {
        return {FileKind::Gerber, ""};  // nothing but blanks: the reader calls it empty
    }
    // files of our own and of the CAD programs around a fab set, known by their first line
    if (first->front() == '{') {
        if (bytes.find("\"FilesAttributes\"") != bytes.npos &&
            bytes.find("\"Header\"") != bytes.npos) {
            return {FileKind::GerberJob, ""};
        }
        return other("JSON text");
    }
    if (first->starts_with("PCB FILE")) {
        return other("an Autotrax board file");
    }
    if (*first == "0") {
        const auto second = lines.next();
        if (second && *second == "SECTION") {
            return other("a DXF drawing");
        }
    }
    if (first->size() >= 3 && (first->starts_with("C  ") || first->starts_with("P  "))) {
        return other("an IPC-D-356 test netlist");
    }
    // the first statement, past comments and the rewind stop of a drill tape
    TextLines statements(bytes);
    while (auto line = statements.next()) {
        if (line->front() == ';' || *line == "%") {
            continue;
        }
        if (line->starts_with("M48")) {
            return {FileKind::Excellon, ""};
        }
        if (line->front() == '%' || line->starts_with("G04") || line->starts_with("G4 ")) {
            return {FileKind::Gerber, ""};
        }
        if (line->find('*') != line->npos && beginsGerberBlock(*line)) {
            return {FileKind::Gerber, ""};
        }
        if (isCodeThenWord(*line, 'T', true)) {
            return other("a drill tool table (tool, size, count), not a drill file");
        }
        if (isCodeThenWord(*line, 'D', false)) {
            return other("an aperture list");
        }
        // drill files need not end their statements with "*"; a Gerber block always does
        if (line->find('*') == line->npos && isExcellonStatement(*line)) {
            return {FileKind::Excellon, ""};
        }
        return other("it begins \"" + clipped(*line) + "\", which is no Gerber or drill statement");
    }
    return {FileKind::Excellon, ""};  // comments only: the drill reader says what is missing
}

namespace {

// Just enough JSON to walk a job file: strings, and any other value skipped whole.
class JsonWalk {
public:
    explicit JsonWalk(std::string_view text) : m_text(text) {}

    bool take(char c) {
        blanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool peek(char c) {
        blanks();
        return m_pos < m_text.size() && m_text[m_pos] == c;
    }
    std::optional<std::string> string() {
        if (!take('"')) {
            return std::nullopt;
        }
        std::string out;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos++];
            if (c == '"') {
                return out;
            }
            if (c == '\\' && m_pos < m_text.size()) {
                c = m_text[m_pos++];
                if (c == 'u') {
                    // names in a job file are plain; a \u escape is kept as "?"
                    m_pos = std::min(m_text.size(), m_pos + 4);
                    c = '?';
                } else if (c == 'n' || c == 't' || c == 'r' || c == 'b' || c == 'f') {
                    c = ' ';
                }
            }
            out += c;
        }
        return std::nullopt;
    }
    // Skips one value of any kind; false on malformed text.
    bool skipValue(int depth = 0) {
        blanks();
        if (m_pos >= m_text.size() || depth > 64) {
            return false;
        }
        const char c = m_text[m_pos];
        if (c == '"') {
            return string().has_value();
        }
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++m_pos;
            if (take(close)) {
                return true;
            }
            do {
                if (c == '{' && (!string() || !take(':'))) {
                    return false;
                }
                if (!skipValue(depth + 1)) {
                    return false;
                }
            } while (take(','));
            return take(close);
        }
        const size_t start = m_pos;
        while (m_pos < m_text.size() &&
               std::string_view(",:]} \t\r\n{[\"").find(m_text[m_pos]) == std::string_view::npos) {
            ++m_pos;
        }
        return m_pos > start;
    }

private:
    void blanks() {
        while (m_pos < m_text.size() &&
               std::string_view(" \t\r\n").find(m_text[m_pos]) != std::string_view::npos) {
            ++m_pos;
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

}  // namespace

std::vector<JobFileEntry> readJobFileList(std::string_view json) {
    std::vector<JobFileEntry> entries;
    JsonWalk walk(json);
    if (!walk.take('{')) {
        return entries;
    }
    do {
        auto key = walk.string();
        if (!key || !walk.take(':')) {
            return entries;
        }
        if (*key != "FilesAttributes" || !walk.peek('[')) {
            if (!walk.skipValue()) {
                return entries;
            }
            continue;
        }
        walk.take('[');
        if (walk.take(']')) {
            return entries;
        }
        do {
            if (!walk.take('{')) {
                return entries;
            }
            JobFileEntry entry;
            if (!walk.take('}')) {
                do {
                    auto name = walk.string();
                    if (!name || !walk.take(':')) {
                        return entries;
                    }
                    std::string* field = *name == "Path"           ? &entry.path
                                         : *name == "FileFunction" ? &entry.fileFunction
                                         : *name == "FilePolarity" ? &entry.filePolarity
                                                                   : nullptr;
                    if (field && walk.peek('"')) {
                        auto value = walk.string();
                        if (!value) {
                            return entries;
                        }
                        *field = std::move(*value);
                    } else if (!walk.skipValue()) {
                        return entries;
                    }
                } while (walk.take(','));
                if (!walk.take('}')) {
                    return entries;
                }
            }
            entries.push_back(std::move(entry));
        } while (walk.take(','));
        return entries;
    } while (walk.take(','));
    return entries;
}

JobHeader readJobHeader(std::string_view json) {
    JobHeader header;
    JsonWalk walk(json);
    // calls `member(name)` with the walk at each member's value of the object that starts
    // here; `member` reads the value or returns false to have it skipped; false on
    // malformed text
    std::function<bool(const std::function<bool(const std::string&)>&)> object =
        [&](const std::function<bool(const std::string&)>& member) {
            if (!walk.take('{')) {
                return false;
            }
            if (walk.take('}')) {
                return true;
            }
            do {
                auto name = walk.string();
                if (!name || !walk.take(':')) {
                    return false;
                }
                if (!member(*name) && !walk.skipValue()) {
                    return false;
                }
            } while (walk.take(','));
            return walk.take('}');
        };
    auto text = [&](std::string& into) {
        if (!walk.peek('"')) {
            return false;
        }
        into = walk.string().value_or("");
        return true;
    };
    auto projectId = [&] {
        return walk.peek('{') && object([&](const std::string& name) {
                   return name == "GUID" && text(header.projectGuid);
               });
    };
    object([&](const std::string& section) {
        if ((section != "Header" && section != "GeneralSpecs") || !walk.peek('{')) {
            return false;
        }
        object([&](const std::string& name) {
            return name == "CreationDate" ? text(header.creationDate)
                   : name == "ProjectId"  ? projectId()
                                          : false;
        });
        return true;
    });
    return header;
}

}  // namespace padloom::view
