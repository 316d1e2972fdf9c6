#include "board/board_reader.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <limits>
#include <span>
#include <system_error>
#include <thread>

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

// Scans `count` fields into `fields` in order, as NextField reads them one after the other;
// false when any was missing or malformed. Fields of up to nine digits, with or without a minus
// sign, are read here in one pass; any other goes to NextField.
template <size_t N>
bool scanFields(std::string_view line, int (&fields)[N]) {
    bool allOk = true;
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin;
    for (auto& field : fields) {
        while (p != end && isSeparator(*p)) {
            ++p;
        }
        const bool negative = p != end && *p == '-';
        const char* const first = negative ? p + 1 : p;
        const char* d = first;
        int quick = 0;
        while (d != end && d - first < 9 && static_cast<unsigned>(*d - '0') <= 9u) {
            quick = quick * 10 + (*d - '0');
            ++d;
        }
        if (d != first && (d == end || isSeparator(*d)) && quick <= kFieldLimit) {
            field = negative ? -quick : quick;
            p = d;
            continue;
        }
        size_t pos = static_cast<size_t>(p - begin) + 1;
        bool ok = true;
        field = NextField(line, pos, &ok);
        allOk = allOk && ok;
        p = begin + std::min(pos - 1, line.size());
    }
    return allOk;
}

constexpr std::string_view kLayerNames[] = {
    "0 - None",         "1 - Top",    "2 - 1st mid",   "3 - 2nd mid",        "4 - 3rd mid",
    "5 - 4th mid",      "6 - Bottom", "7 - Overlay",   "8 - Bottom overlay", "9 - Ground Plane",
    "10 - Power Plane", "11 - Board", "12 - Keep Out", "13 - Multi Layer"};

}  // namespace

void ClearRecordFields(CurrentRecord& rec) {
    // field by field, as this runs for every record of every pass; the text keeps its capacity
    static_assert(sizeof(CurrentRecord) == 16 * sizeof(int) + sizeof(std::string),
                  "every integer field of CurrentRecord is cleared here");
    rec.x1 = rec.y1 = rec.x2 = rec.y2 = -1;
    rec.layer = rec.ySize = rec.xSize = rec.width = rec.viaSize = rec.radius = -1;
    rec.holeSize = rec.padName = rec.planeCode = rec.shape = -1;
    rec.rotation = rec.quadrantMask = -1;
    rec.text.clear();
}

int NextField(std::string_view line, size_t& pos, bool* ok) {
    // positions are 1-based, as the line is scanned after one blank was appended to it
    size_t i = pos == 0 ? 0 : std::min(pos - 1, line.size());
    while (i < line.size() && isSeparator(line[i])) {
        ++i;
    }
    const size_t start = i;
    // the common case first, in one pass: up to 9 digits, with or without a minus sign, up to
    // a separator or the end of the line
    {
        const bool negative = i < line.size() && line[i] == '-';
        const size_t first = negative ? i + 1 : i;
        size_t d = first;
        int quick = 0;
        while (d < line.size() && d - first < 9 &&
               static_cast<unsigned>(line[d] - '0') <= 9u) {
            quick = quick * 10 + (line[d] - '0');
            ++d;
        }
        if (d != first && (d == line.size() || isSeparator(line[d])) && quick <= kFieldLimit) {
            pos = d + 1;
            return negative ? -quick : quick;
        }
    }
    while (i < line.size() && !isSeparator(line[i])) {
        ++i;
    }
    pos = i + 1;
    std::string_view digits = line.substr(start, i - start);
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

bool ReadComponentHeader(const std::function<void(std::string&)>& readLine,
                         ComponentHeader& header) {
    readLine(header.designator);
    readLine(header.pattern);
    readLine(header.comment);
    bool allOk = true;
    std::string line;
    auto readAttributes = [&](TextAttributes& attr) {
        int f[6];
        readLine(line);
        allOk = scanFields(trimmed(line), f) && allOk;
        attr = TextAttributes{f[0], f[1], f[2], f[3], f[4], f[5]};
    };
    readAttributes(header.commentText);
    readAttributes(header.designatorText);
    int f[5];
    readLine(line);
    allOk = scanFields(trimmed(line), f) && allOk;
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
    : m_path(path), m_lines(std::in_place, path), m_onProblem(std::move(onProblem)) {
    if (m_lines->looksBinary()) {
        throw common::FormatError(path,
                                  "not an Autotrax board file: it holds binary data, not text");
    }
}

BoardReader::BoardReader(const std::string& path, std::shared_ptr<const BoardImage> image,
                         ProblemHandler onProblem)
    : m_path(path), m_onProblem(std::move(onProblem)) {
    if (image && image->matches(path)) {
        m_replayed = std::move(image);
        m_cursor.emplace(*m_replayed);
        return;
    }
    m_lines.emplace(path);
    if (m_lines->looksBinary()) {
        throw common::FormatError(path,
                                  "not an Autotrax board file: it holds binary data, not text");
    }
}

BoardReader::BoardReader(const std::string& path, std::uint64_t from,
                         std::optional<std::uint64_t> joinAt)
    : m_path(path), m_lines(std::in_place, path, from), m_from(from), m_joinAt(joinAt) {
    // only the start of a file tells a board from binary data
    if (from == 0 && m_lines->looksBinary()) {
        throw common::FormatError(path,
                                  "not an Autotrax board file: it holds binary data, not text");
    }
}

BoardReader::BoardReader(const std::string& path, std::shared_ptr<const BoardImage> image,
                         size_t part, ProblemHandler onProblem)
    : BoardReader(path, image, std::move(onProblem)) {
    if (!m_cursor || image->parts() == 1) {
        if (part > 0) {
            m_stopped = true;  // the whole board is read as its first part; no second part
        }
        return;
    }
    m_part = part;
    const size_t split = image->m_secondPart;
    if (part == 0) {
        m_cursor.emplace(*image, 0, split);
    } else {
        m_cursor.emplace(*image, split, image->m_blocks.size());
    }
}

void BoardReader::keepImage() {
    if (m_replayed || m_kept) {
        return;
    }
    m_kept = std::make_shared<BoardImage>();
    m_kept->m_path = m_path;
    // the file as it is now: a later change to it makes the image stale
    std::error_code ec;
    m_kept->m_size = std::filesystem::file_size(m_path, ec);
    m_kept->m_time = std::filesystem::last_write_time(m_path, ec);
    if (ec) {
        m_kept.reset();
        return;
    }
    m_keeper.emplace(*m_kept);
}

std::shared_ptr<const BoardImage> BoardReader::takeImage() {
    if (!m_kept || !m_reachedEnd) {
        return nullptr;
    }
    m_kept->m_hasHeader = m_hasHeader;
    m_kept->m_cutShort = m_cutShort;
    m_kept->m_records = m_records;
    m_keeper->finish();
    m_keeper.reset();
    return std::move(m_kept);
}

std::string missingHeaderWarning(const std::string& path) {
    return path + ":1: the first line is not \"PCB FILE\"; read as an Autotrax board all the same";
}

std::vector<std::string> problemsShown(const std::vector<std::string>& problems, size_t most) {
    if (problems.size() <= most) {
        return problems;
    }
    std::vector<std::string> shown(problems.begin(), problems.begin() + static_cast<long>(most));
    const bool endKept = problems.back().ends_with(kCutShortProblem);
    const size_t more = problems.size() - most - (endKept ? 1 : 0);
    if (more > 0) {
        shown.push_back("... and " + std::to_string(more) + " more");
    }
    if (endKept) {
        shown.push_back(problems.back());
    }
    return shown;
}

bool checkBoardFile(const std::string& path) {
    BoardReader reader(path);
    while (reader.next()) {
    }
    return reader.hasHeader();
}

void BoardReader::nextLine(std::string& line) {
    if (!m_lines->next(line)) {
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
    if (!m_onProblem && !m_keeper) {
        return;
    }
    const long line = m_lines->lineNumber();
    if (m_keeper) {
        m_keeper->put(image_entry::kProblem);
        m_keeper->put(static_cast<std::int32_t>(line));
        keepText(what);
    }
    if (m_onProblem) {
        m_onProblem(m_path + ":" + std::to_string(line) + ": " + what);
    }
}

namespace {

// The fields each record kind sets, in the order the image keeps them.
using Field = int CurrentRecord::*;
constexpr Field kPadFields[] = {&CurrentRecord::x1,        &CurrentRecord::y1,
                                &CurrentRecord::xSize,     &CurrentRecord::ySize,
                                &CurrentRecord::shape,     &CurrentRecord::holeSize,
                                &CurrentRecord::planeCode, &CurrentRecord::layer,
                                &CurrentRecord::padName};
constexpr Field kViaFields[] = {&CurrentRecord::x1, &CurrentRecord::y1, &CurrentRecord::viaSize,
                                &CurrentRecord::holeSize, &CurrentRecord::layer};
constexpr Field kTrackFields[] = {&CurrentRecord::x1, &CurrentRecord::y1,
                                  &CurrentRecord::x2, &CurrentRecord::y2,
                                  &CurrentRecord::width, &CurrentRecord::layer};
constexpr Field kArcFields[] = {&CurrentRecord::x1,           &CurrentRecord::y1,
                                &CurrentRecord::radius,       &CurrentRecord::quadrantMask,
                                &CurrentRecord::width,        &CurrentRecord::layer};
constexpr Field kFillFields[] = {&CurrentRecord::x1, &CurrentRecord::y1, &CurrentRecord::x2,
                                 &CurrentRecord::y2, &CurrentRecord::layer};
constexpr Field kStringFields[] = {&CurrentRecord::x1,       &CurrentRecord::y1,
                                   &CurrentRecord::ySize,    &CurrentRecord::rotation,
                                   &CurrentRecord::width,    &CurrentRecord::layer};

std::span<const Field> fieldsOf(RecordKind kind) {
    switch (kind) {
        case RecordKind::Pad:
            return kPadFields;
        case RecordKind::Via:
            return kViaFields;
        case RecordKind::Track:
            return kTrackFields;
        case RecordKind::Arc:
            return kArcFields;
        case RecordKind::Fill:
            return kFillFields;
        case RecordKind::String:
            return kStringFields;
        case RecordKind::Component:
            break;
    }
    return {};
}

// Sets the fields of a record kind from the image, as the loop over fieldsOf(kind) would; the
// kinds written out, as this runs for every record of every replay.
void setFields(CurrentRecord& r, RecordKind kind, const std::int32_t* w) {
    switch (kind) {
        case RecordKind::Pad:
            r.x1 = w[0], r.y1 = w[1], r.xSize = w[2], r.ySize = w[3], r.shape = w[4];
            r.holeSize = w[5], r.planeCode = w[6], r.layer = w[7], r.padName = w[8];
            break;
        case RecordKind::Via:
            r.x1 = w[0], r.y1 = w[1], r.viaSize = w[2], r.holeSize = w[3], r.layer = w[4];
            break;
        case RecordKind::Track:
            r.x1 = w[0], r.y1 = w[1], r.x2 = w[2], r.y2 = w[3], r.width = w[4], r.layer = w[5];
            break;
        case RecordKind::Arc:
            r.x1 = w[0], r.y1 = w[1], r.radius = w[2], r.quadrantMask = w[3], r.width = w[4];
            r.layer = w[5];
            break;
        case RecordKind::Fill:
            r.x1 = w[0], r.y1 = w[1], r.x2 = w[2], r.y2 = w[3], r.layer = w[4];
            break;
        case RecordKind::String:
            r.x1 = w[0], r.y1 = w[1], r.ySize = w[2], r.rotation = w[3], r.width = w[4];
            r.layer = w[5];
            break;
        case RecordKind::Component:
            break;
    }
}

// Words of a component header in the image after its entry: line, two flags, two texts'
// attributes.
constexpr size_t kComponentWords = 3 + 12;
constexpr size_t kMostFields = std::size(kPadFields);

unsigned kindBit(RecordKind kind) {
    return 1u << static_cast<unsigned>(kind);
}

bool hasText(RecordKind kind) {
    return kind == RecordKind::Pad || kind == RecordKind::String;
}

// The keyword line of a record kind: "COMP", or "C" or "F" and the kind's letter.
std::string_view keywordOf(RecordKind kind, bool free) {
    static constexpr std::string_view kComponent[] = {"CP", "CA", "CT", "CF", "CS", "", "CV"};
    static constexpr std::string_view kFree[] = {"FP", "FA", "FT", "FF", "FS", "", "FV"};
    if (kind == RecordKind::Component) {
        return "COMP";
    }
    return (free ? kFree : kComponent)[static_cast<int>(kind)];
}

void putAttributes(ImageWriter& out, const TextAttributes& a) {
    for (int v : {a.x, a.y, a.height, a.rotation, a.width, a.layer}) {
        out.put(v);
    }
}


}  // namespace

void BoardReader::keepText(std::string_view text) {
    // a text too long for the image's length word: the image is given up, the reading goes on
    if (text.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max() / 2)) {
        m_keeper.reset();
        m_kept.reset();
        return;
    }
    m_keeper->putText(text);
}

namespace {

// Counts a record into what the board holds.
void count(BoardContents& contents, RecordKind kind, const CurrentRecord& r,
           const ComponentHeader& c) {
    auto on = [&contents](int layer) -> LayerContents* {
        return layer >= 0 && layer < BoardContents::kLayers
                   ? &contents.layers[static_cast<size_t>(layer)]
                   : nullptr;
    };
    ++contents.records;
    // a record on a layer outside the table is counted into a sink
    LayerContents elsewhere;
    LayerContents* onLayer = kind == RecordKind::Component ? nullptr : on(r.layer);
    LayerContents& l = onLayer ? *onLayer : elsewhere;
    switch (kind) {
        case RecordKind::Pad:
        case RecordKind::Via:
            ++l.flashes;
            if (r.holeSize > 0 && r.layer == kMultiLayer) {
                ++contents.holes;
            }
            break;
        case RecordKind::Track:
            ++l.lines;
            break;
        case RecordKind::Arc:
            l.arcQuarters += std::popcount(static_cast<unsigned>(r.quadrantMask) & 15u);
            break;
        case RecordKind::Fill:
            ++l.fills;
            break;
        case RecordKind::String:
            l.textChars += static_cast<long long>(r.text.size());
            break;
        case RecordKind::Component:
            ++contents.components;
            if (LayerContents* t = on(c.commentText.layer); t && c.commentShown == 1) {
                t->textChars += static_cast<long long>(c.comment.size());
            }
            if (LayerContents* t = on(c.designatorText.layer); t && c.designatorShown == 1) {
                t->textChars += static_cast<long long>(c.designator.size());
            }
            break;
    }
}

}  // namespace

void BoardReader::keep(RecordKind kind) {
    if (m_recordLine > std::numeric_limits<std::int32_t>::max()) {
        m_keeper.reset();  // a board of more lines than the image counts: read, not kept
        m_kept.reset();
        return;
    }
    count(m_kept->m_contents, kind, m_record, m_component);
    ImageWriter& out = *m_keeper;
    out.reserve(2 + (kind == RecordKind::Component ? kComponentWords : kMostFields + 1) + 1);
    out.put(static_cast<std::int32_t>(kind) | (isFree() ? image_entry::kFreeFlag : 0));
    out.put(static_cast<std::int32_t>(m_recordLine));
    if (kind == RecordKind::Component) {
        const ComponentHeader& c = m_component;
        out.put(c.designatorShown);
        out.put(c.commentShown);
        putAttributes(out, c.commentText);
        putAttributes(out, c.designatorText);
        keepText(c.designator);
        if (m_keeper) {
            keepText(c.pattern);
        }
        if (m_keeper) {
            keepText(c.comment);
        }
        return;
    }
    for (Field f : fieldsOf(kind)) {
        out.put(m_record.*f);
    }
    if (hasText(kind)) {
        keepText(m_record.text);
    }
}

std::optional<RecordKind> BoardReader::endOfFile() {
    const bool firstTime = !m_reachedEnd;
    m_reachedEnd = !m_stopped;
    // a part of a file after its start says nothing about the whole; a replay of an image
    // knows the whole
    const long records = m_replayed ? m_replayed->m_records : m_records;
    if (!m_stopped && m_from == 0 && m_part == 0 && !m_hasHeader && records == 0) {
        throw common::FormatError(path(),
                                  "not an Autotrax board file: its first line is not \"PCB FILE\" "
                                  "and it holds no board record");
    }
    if (m_stopped || !firstTime) {
        return std::nullopt;
    }
    if (m_replayed) {
        m_cutShort = m_replayed->m_cutShort;  // its problem was replayed with the others
    } else if (!m_endLineLast) {
        // a reading of the last part of the file (or of all of it) has come to its end
        m_cutShort = true;
        problem(std::string(kCutShortProblem));
    }
    return std::nullopt;
}

void BoardReader::replayProblem() {
    ImageCursor& in = *m_cursor;
    const long line = m_lineBase + in.get();
    in.getText(m_line);
    if (m_onProblem) {
        m_onProblem(m_path + ":" + std::to_string(line) + ": " + m_line);
    }
}

std::optional<RecordKind> BoardReader::replayNext() {
    ImageCursor& in = *m_cursor;
    m_hasHeader = m_replayed->m_hasHeader;
    while (!m_stopped && !in.atEnd()) {
        const std::int32_t entry = in.get();
        ClearRecordFields(m_record);
        if (entry == image_entry::kLineBase) {
            m_lineBase = in.get();
            m_componentEnds = in.get();
            continue;
        }
        if (entry == image_entry::kProblem) {
            replayProblem();  // a problem of no record: the end of the board
            continue;
        }
        if (entry == image_entry::kComponentEnd || entry == image_entry::kSkippedLine) {
            if (entry == image_entry::kComponentEnd) {
                ++m_componentEnds;
                if (m_onSkippedLine) {
                    m_line = "ENDCOMP";
                }
            } else {
                in.getText(m_line);
            }
            if (m_onSkippedLine && !m_onSkippedLine(m_line)) {
                m_stopped = true;
                return std::nullopt;
            }
            continue;
        }
        const auto kind = static_cast<RecordKind>(entry & ~image_entry::kFreeFlag);
        ++m_records;
        const bool wanted = (m_kinds & kindBit(kind)) != 0;
        if (kind == RecordKind::Component) {
            std::int32_t spare[kComponentWords];
            const std::int32_t* w = in.take(kComponentWords, spare);
            if (wanted) {
                m_recordLine = m_lineBase + w[0];
                ComponentHeader& c = m_component;
                c.designatorShown = w[1];
                c.commentShown = w[2];
                c.commentText = TextAttributes{w[3], w[4], w[5], w[6], w[7], w[8]};
                c.designatorText = TextAttributes{w[9], w[10], w[11], w[12], w[13], w[14]};
                in.getText(c.designator);
                in.getText(c.pattern);
                in.getText(c.comment);
            } else {
                in.skipText();
                in.skipText();
                in.skipText();
            }
        } else {
            const std::span<const Field> fields = fieldsOf(kind);
            std::int32_t spare[kMostFields + 1];
            const std::int32_t* w = in.take(fields.size() + 1, spare);
            if (wanted) {
                m_recordLine = m_lineBase + w[0];
                setFields(m_record, kind, w + 1);
            }
            if (hasText(kind)) {
                if (wanted) {
                    in.getText(m_record.text);
                } else {
                    in.skipText();
                }
            }
        }
        if (wanted) {
            m_keyword = keywordOf(kind, (entry & image_entry::kFreeFlag) != 0);
        }
        while (!in.atEnd() && in.peek() == image_entry::kProblem) {
            in.get();
            replayProblem();
        }
        if (wanted) {
            return kind;
        }
    }
    return endOfFile();
}

std::optional<RecordKind> BoardReader::next() {
    if (m_cursor) {
        return replayNext();
    }
    std::optional<RecordKind> kind;
    do {
        kind = readNext();
    } while (kind && !(m_kinds & kindBit(*kind)));
    return kind;
}

namespace {

// "PCB FILE", then perhaps a version number; blanks and control characters may follow.
bool isHeaderLine(std::string_view line) {
    line.remove_prefix(8);
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t i = 0;
    while (i < line.size() && blank(line[i])) {
        ++i;
    }
    while (i < line.size() && ((line[i] >= '0' && line[i] <= '9') || line[i] == '.')) {
        ++i;
    }
    while (i < line.size() && blank(line[i])) {
        ++i;
    }
    return i == line.size();
}

}  // namespace

std::optional<RecordKind> BoardReader::readNext() {
    while (!m_stopped) {
        if (m_joinAt && m_lines->offset() == *m_joinAt) {
            m_joined = true;  // the next part of the file was read from here on
            m_reachedEnd = true;
            return std::nullopt;
        }
        if (!m_lines->next(m_line)) {
            break;
        }
        if (m_lines->lineNumber() == 1 && m_from == 0) {
            m_hasHeader = m_line.compare(0, 8, "PCB FILE") == 0;
            if (m_hasHeader && !isHeaderLine(m_line)) {
                // the records on the header line: a board whose line ends were lost
                throw common::FormatError(
                    path(),
                    "not an Autotrax board file: its first line holds more than \"PCB "
                    "FILE\" and its version (were its line ends lost?)");
            }
        }
        ClearRecordFields(m_record);
        const std::optional<RecordKind> kind = kindOfKeyword(m_line);
        if (!kind) {
            if (m_line == "ENDCOMP") {
                ++m_componentEnds;
                m_endLineLast = false;
            } else if (trimmed(m_line) == "ENDPCB") {
                m_endLineLast = true;
            }
            // other lines passed over leave it: a board saved with its netlist carries the
            // NETDEF blocks after its ENDPCB line
            if (m_keeper) {
                if (m_line == "ENDCOMP") {
                    m_keeper->put(image_entry::kComponentEnd);
                } else {
                    m_keeper->put(image_entry::kSkippedLine);
                    keepText(m_line);
                }
            }
            if (m_onSkippedLine && !m_onSkippedLine(m_line)) {
                m_stopped = true;
                return std::nullopt;
            }
            continue;
        }
        m_keyword = keywordOf(*kind, m_line[0] == 'F');
        m_recordLine = m_lines->lineNumber();
        ++m_records;
        m_endLineLast = false;
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
        if (m_keeper) {
            keep(*kind);
        }
        if (!ok) {
            problem(std::string(m_keyword) +
                    " record: a field is missing, not a whole number or out of range; read as 0");
        }
        return kind;
    }
    return endOfFile();
}

void BoardReader::readComponentHeader() {
    const bool ok =
        ReadComponentHeader([this](std::string& line) { nextLine(line); }, m_component);
    if (m_keeper) {
        keep(RecordKind::Component);
    }
    if (!ok) {
        problem(
            "COMP header: a text attribute field is missing, not a whole number or out of range; "
            "read as 0");
    }
}

namespace {

// The offset of the first keyword line after byte `from` of a file, where a record most
// likely starts; none when there is none in the next thousand lines. Line starts are those a
// reading from the start of the file finds: a CR ends a line whatever came before it, and so
// does an LF, unless it follows a CR (the line starts after it either way).
std::optional<std::uint64_t> recordStartAfter(const std::string& path, std::uint64_t from) {
    common::LineReader reader(path, from);
    std::string line;
    if (!reader.next(line)) {
        return std::nullopt;  // the part of a line `from` falls in
    }
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t start = reader.offset();
        if (!reader.next(line)) {
            return std::nullopt;
        }
        if (recordLineCount(line) >= 0) {
            return start;
        }
    }
    return std::nullopt;
}

}  // namespace

std::shared_ptr<const BoardImage> readBoardImage(const std::string& path,
                                                 std::uintmax_t halvesFrom) {
    return readBoardImage(path, halvesFrom, nullptr, nullptr);
}

namespace {

// Reads with `reader` to its end, showing each record and problem to `visitor` when given.
void readThrough(BoardReader& reader, RecordVisitor* visitor) {
    while (auto kind = reader.next()) {
        if (visitor) {
            visitor->record(*kind, reader);
        }
    }
}

}  // namespace

std::shared_ptr<const BoardImage> readBoardImage(const std::string& path, std::uintmax_t halvesFrom,
                                                 RecordVisitor* firstVisitor,
                                                 RecordVisitor* secondVisitor) {
    auto tell = [](BoardReader& reader, RecordVisitor* visitor) {
        if (visitor) {
            reader.m_onProblem = [visitor](const std::string& message) {
                visitor->problem(message);
            };
        }
    };
    auto whole = [&path, &tell, firstVisitor] {
        BoardReader reader(path);
        tell(reader, firstVisitor);
        reader.keepImage();
        readThrough(reader, firstVisitor);
        return reader.takeImage();
    };
    // a small board: one reading
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size < halvesFrom) {
        return whole();
    }
    // the first block tells a board from binary data before any half of the file is read
    BoardReader{path};
    const std::optional<std::uint64_t> middle = recordStartAfter(path, size / 2);
    if (!middle || *middle >= size) {
        return whole();
    }

    // The second half is read on a thread of its own from the first keyword line after the
    // middle, as if a board began there. The first half is read from the start; when it comes
    // to that line between two records, the two readings agree from there on and are joined.
    // When that line lies inside a record (the text of a string that reads "CP"), the first
    // reading goes on to the end and the second is not used.
    std::shared_ptr<const BoardImage> second;
    std::exception_ptr secondError;
    std::jthread secondHalf([&] {
        try {
            BoardReader reader(path, *middle, std::nullopt);
            tell(reader, secondVisitor);
            reader.keepImage();
            readThrough(reader, secondVisitor);
            second = reader.takeImage();
        } catch (...) {
            secondError = std::current_exception();
        }
    });
    BoardReader first(path, 0, *middle);
    tell(first, firstVisitor);
    first.keepImage();
    readThrough(first, firstVisitor);
    secondHalf.join();
    if (!first.m_joined) {
        return first.takeImage();
    }
    if (secondError) {
        std::rethrow_exception(secondError);
    }
    const long linesBefore = first.m_lines->lineNumber();
    std::shared_ptr<BoardImage> joined = std::const_pointer_cast<BoardImage>(first.takeImage());
    if (!joined || !second || linesBefore > std::numeric_limits<std::int32_t>::max() ||
        first.m_componentEnds > std::numeric_limits<std::int32_t>::max()) {
        // a half too large for an image: read the usual way
        if (firstVisitor) {
            firstVisitor->restart();
        }
        return whole();
    }
    auto rest = std::const_pointer_cast<BoardImage>(second);
    BoardImage::Block base{std::make_unique<std::int32_t[]>(3), 3};
    base.words[0] = image_entry::kLineBase;
    base.words[1] = static_cast<std::int32_t>(linesBefore);
    base.words[2] = static_cast<std::int32_t>(first.m_componentEnds);
    joined->m_secondPart = joined->m_blocks.size();
    joined->m_blocks.push_back(std::move(base));
    for (BoardImage::Block& block : rest->m_blocks) {
        joined->m_blocks.push_back(std::move(block));
    }
    joined->m_records += rest->m_records;
    joined->m_cutShort = rest->m_cutShort;
    BoardContents& c = joined->m_contents;
    const BoardContents& r = rest->m_contents;
    for (size_t i = 0; i < c.layers.size(); ++i) {
        c.layers[i].flashes += r.layers[i].flashes;
        c.layers[i].lines += r.layers[i].lines;
        c.layers[i].arcQuarters += r.layers[i].arcQuarters;
        c.layers[i].fills += r.layers[i].fills;
        c.layers[i].textChars += r.layers[i].textChars;
    }
    c.records += r.records;
    c.holes += r.holes;
    c.components += r.components;
    return joined;
}

}  // namespace padloom::board
