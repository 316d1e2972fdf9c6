#include "board/board_reader.h"

#include <charconv>
#include <limits>

#include "common/errors.h"

namespace padloom::board {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ')';
}

// Blanks and control characters at either end of an attribute line are dropped.
std::string_view trimmed(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ') {
        ++start;
    }
    size_t end = text.size();
    while (end > start && static_cast<unsigned char>(text[end - 1]) <= ' ') {
        --end;
    }
    return text.substr(start, end - start);
}

// Scans `count` fields into `fields` in order; false when any was missing or malformed.
template <size_t N>
bool scanFields(std::string_view line, int (&fields)[N]) {
    bool allOk = true;
    size_t pos = 1;
    for (auto& field : fields) {
        bool ok = true;
        field = NextField(line, pos, &ok);
        allOk = allOk && ok;
    }
    return allOk;
}

constexpr std::string_view kLayerNames[] = {
    "0 - None",         "1 - Top",    "2 - 1st mid",   "3 - 2nd mid",        "4 - 3rd mid",
    "5 - 4th mid",      "6 - Bottom", "7 - Overlay",   "8 - Bottom overlay", "9 - Ground Plane",
    "10 - Power Plane", "11 - Board", "12 - Keep Out", "13 - Multi Layer"};

}  // namespace

void ClearRecordFields(CurrentRecord& rec) {
    std::string text = std::move(rec.text);
    text.clear();
    rec = CurrentRecord{};
    rec.text = std::move(text);  // keeps the string's capacity from record to record
}

int NextField(std::string_view line, size_t& pos, bool* ok) {
    // positions are 1-based, as the line is scanned after one blank was appended to it
    size_t i = pos == 0 ? 0 : pos - 1;
    while (i < line.size() && isSeparator(line[i])) {
        ++i;
    }
    size_t start = i;
    while (i < line.size() && !isSeparator(line[i])) {
        ++i;
    }
    pos = i + 1;
    std::string_view digits = line.substr(start, i - start);
    // the common case first: a short run of digits, with or without a minus sign
    if (!digits.empty() && digits.size() <= 9) {
        const bool negative = digits[0] == '-';
        size_t d = negative ? 1 : 0;
        int quick = 0;
        for (; d < digits.size() && digits[d] >= '0' && digits[d] <= '9'; ++d) {
            quick = quick * 10 + (digits[d] - '0');
        }
        if (d == digits.size() && d > (negative ? 1u : 0u) && quick <= kFieldLimit) {
            return negative ? -quick : quick;
        }
    }
    if (!digits.empty() && digits[0] == '+') {
        digits.remove_prefix(1);
    }
    int value = 0;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
        value > kFieldLimit || value < -kFieldLimit) {
        if (ok) {
            *ok = false;
        }
        return 0;
    }
    return value;
}

bool ReadPadRecord(std::string_view line, CurrentRecord& rec) {
    int f[8];
    bool ok = scanFields(line, f);
    rec.x1 = f[0];
    rec.y1 = f[1];
    rec.xSize = f[2];
    rec.ySize = f[3];
    rec.shape = f[4];
    rec.holeSize = f[5];
    rec.planeCode = f[6];
    rec.layer = f[7];
    return ok;
}

bool ReadViaRecord(std::string_view line, CurrentRecord& rec) {
    int f[4];
    bool ok = scanFields(line, f);
    rec.x1 = f[0];
    rec.y1 = f[1];
    rec.viaSize = f[2];
    rec.holeSize = f[3];
    rec.layer = kMultiLayer;
    return ok;
}

bool ReadTrackRecord(std::string_view line, CurrentRecord& rec) {
    int f[6];
    bool ok = scanFields(line, f);
    rec.x1 = f[0];
    rec.y1 = f[1];
    rec.x2 = f[2];
    rec.y2 = f[3];
    rec.width = f[4];
    rec.layer = f[5];
    return ok;
}

bool ReadArcRecord(std::string_view line, CurrentRecord& rec) {
    int f[6];
    bool ok = scanFields(line, f);
    rec.x1 = f[0];
    rec.y1 = f[1];
    rec.radius = f[2];
    rec.quadrantMask = f[3];
    rec.width = f[4];
    rec.layer = f[5];
    return ok;
}

bool ReadFillRecord(std::string_view line, CurrentRecord& rec) {
    int f[5];
    bool ok = scanFields(line, f);
    rec.x1 = f[0];
    rec.y1 = f[1];
    rec.x2 = f[2];
    rec.y2 = f[3];
    rec.layer = f[4];
    return ok;
}

bool ReadStringRecord(std::string_view line, CurrentRecord& rec) {
    int f[6];
    bool ok = scanFields(line, f);
    rec.x1 = f[0];
    rec.y1 = f[1];
    rec.ySize = f[2];
    rec.rotation = f[3];
    rec.width = f[4];
    rec.layer = f[5];
    return ok;
}

bool ReadComponentHeader(const std::function<std::string()>& nextLine, ComponentHeader& header) {
    header.designator = nextLine();
    header.pattern = nextLine();
    header.comment = nextLine();
    bool allOk = true;
    auto readAttributes = [&](TextAttributes& attr) {
        int f[6];
        allOk = scanFields(trimmed(nextLine()), f) && allOk;
        attr = TextAttributes{f[0], f[1], f[2], f[3], f[4], f[5]};
    };
    readAttributes(header.commentText);
    readAttributes(header.designatorText);
    int f[5];
    allOk = scanFields(trimmed(nextLine()), f) && allOk;
    // the first three fields land in one place, so the designator flag is the third
    header.designatorShown = f[2];
    header.commentShown = f[3];
    return allOk;
}

int recordLineCount(std::string_view line) {
    if (line == "CP" || line == "FP" || line == "CS" || line == "FS") {
        return 2;  // number line, then the pad name or the text
    }
    if (line == "CV" || line == "FV" || line == "CT" || line == "FT" || line == "CA" ||
        line == "FA" || line == "CF" || line == "FF") {
        return 1;
    }
    if (line == "COMP") {
        return 6;
    }
    return -1;
}

std::string_view boardLayerName(int layer) {
    if (layer < 0 || layer > 13) {
        return "";
    }
    return kLayerNames[layer];
}

BoardReader::BoardReader(const std::string& path, ProblemHandler onProblem)
    : m_lines(path), m_onProblem(std::move(onProblem)) {
    if (m_lines.looksBinary()) {
        throw common::FormatError(path,
                                  "not an Autotrax board file: it holds binary data, not text");
    }
}

std::string missingHeaderWarning(const std::string& path) {
    return path + ":1: the first line is not \"PCB FILE\"; read as an Autotrax board all the same";
}

bool checkBoardFile(const std::string& path) {
    BoardReader reader(path);
    while (reader.next()) {
    }
    return reader.hasHeader();
}

std::string BoardReader::nextLine() {
    std::string line;
    if (!m_lines.next(line)) {
        line.clear();
    }
    return line;
}

void BoardReader::nextLine(std::string& line) {
    if (!m_lines.next(line)) {
        line.clear();
    }
}

namespace {

// The record kind a keyword line starts; keywords are whole lines, compared exactly.
std::optional<RecordKind> kindOfKeyword(std::string_view k) {
    if (k.size() == 2 && (k[0] == 'C' || k[0] == 'F')) {
        switch (k[1]) {
            case 'P':
                return RecordKind::Pad;
            case 'A':
                return RecordKind::Arc;
            case 'T':
                return RecordKind::Track;
            case 'F':
                return RecordKind::Fill;
            case 'S':
                return RecordKind::String;
            case 'V':
                return RecordKind::Via;
            default:
                return std::nullopt;
        }
    }
    if (k == "COMP") {
        return RecordKind::Component;
    }
    return std::nullopt;
}

}  // namespace

void BoardReader::problem(const std::string& what) {
    if (m_onProblem) {
        m_onProblem(m_lines.path() + ":" + std::to_string(m_lines.lineNumber()) + ": " + what);
    }
}

std::optional<RecordKind> BoardReader::next() {
    while (!m_stopped && m_lines.next(m_line)) {
        if (m_lines.lineNumber() == 1) {
            m_hasHeader = m_line.compare(0, 8, "PCB FILE") == 0;
        }
        ClearRecordFields(m_record);
        const std::optional<RecordKind> kind = kindOfKeyword(m_line);
        if (!kind) {
            if (m_line == "ENDCOMP") {
                ++m_componentEnds;
            }
            if (m_onSkippedLine && !m_onSkippedLine(m_line)) {
                m_stopped = true;
                return std::nullopt;
            }
            continue;
        }
        m_keyword = m_line;
        m_recordLine = m_lines.lineNumber();
        ++m_records;
        if (*kind == RecordKind::Component) {
            readComponentHeader();
            return kind;
        }
        std::string& numbers = m_numbers;
        nextLine(numbers);
        bool ok = true;
        switch (*kind) {
            case RecordKind::Pad:
                ok = ReadPadRecord(numbers, m_record);
                nextLine(m_record.text);  // the pad name line
                {
                    size_t pos = 1;
                    bool nameOk = true;
                    int value = NextField(m_record.text, pos, &nameOk);
                    m_record.padName = nameOk ? value : -1;
                }
                break;
            case RecordKind::Via:
                ok = ReadViaRecord(numbers, m_record);
                break;
            case RecordKind::Track:
                ok = ReadTrackRecord(numbers, m_record);
                break;
            case RecordKind::Arc:
                ok = ReadArcRecord(numbers, m_record);
                break;
            case RecordKind::Fill:
                ok = ReadFillRecord(numbers, m_record);
                break;
            case RecordKind::String:
                ok = ReadStringRecord(numbers, m_record);
                nextLine(m_record.text);
                break;
            case RecordKind::Component:
                break;
        }
        if (!ok) {
            problem(m_keyword +
                    " record: a field is missing, not a whole number or out of range; read as 0");
        }
        return kind;
    }
    if (!m_stopped && !m_hasHeader && m_records == 0) {
        throw common::FormatError(path(),
                                  "not an Autotrax board file: its first line is not \"PCB FILE\" "
                                  "and it holds no board record");
    }
    return std::nullopt;
}

void BoardReader::readComponentHeader() {
    if (!ReadComponentHeader([this] { return nextLine(); }, m_component)) {
        problem(
            "COMP header: a text attribute field is missing, not a whole number or out of range; "
            "read as 0");
    }
}

}  // namespace padloom::board
