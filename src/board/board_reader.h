#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/board_image.h"
#include "common/text_io.h"

namespace padloom::board {

/// Fields of the board record being processed; one set, reused for every record. Pads, vias,
/// strings and arcs keep their x, y in x1, y1. Integer fields are -1 until a record sets them.
struct CurrentRecord {
    int x1 = -1, y1 = -1, x2 = -1, y2 = -1;
    int layer = -1;
    int ySize = -1;  // also the string height
    int xSize = -1;
    int width = -1;
    int viaSize = -1;
    int radius = -1;
    int holeSize = -1;
    int padName = -1;  // the pad name line as a number, when it is one
    int planeCode = -1;
    int shape = -1;
    int rotation = -1;
    int quadrantMask = -1;
    std::string text;  // string text, or the pad name line
};

/// Placement of a component text: the attribute lines of a component header.
struct TextAttributes {
    int x = 0, y = 0, height = 0, rotation = 0, width = 0, layer = 0;
};

/// The fields of the last "COMP" header; they stay until the next one.
struct ComponentHeader {
    std::string designator;
    std::string pattern;
    std::string comment;
    TextAttributes commentText;
    TextAttributes designatorText;
    int designatorShown = 0;
    int commentShown = 0;
};

/// Kinds of board record, one per keyword group.
enum class RecordKind { Pad, Arc, Track, Fill, String, Component, Via };

/// Board layer number of vias, which carry no layer field.
constexpr int kMultiLayer = 13;

/// Sets the integer current-record fields to -1 and clears the text.
void ClearRecordFields(CurrentRecord& rec);

/// The largest magnitude of a board field: 2^29 - 1 mils, some eight miles, far beyond any board
/// and any plotter format. Sums and differences of a few fields (a fill's width, an arc's end
/// points, a text's strokes) then stay within an int.
constexpr int kFieldLimit = (1 << 29) - 1;

/// Scans the next integer field of a number line from the 1-based position `pos` and leaves
/// `pos` on the separator after it. Separators are blank, TAB, "," and ")". A missing field,
/// or one that is not a well-formed integer within kFieldLimit, reads as 0 and clears `ok`
/// when given.
int NextField(std::string_view line, size_t& pos, bool* ok = nullptr);

/// Number-line readers, one per record kind. Each is given the number line as read and
/// returns false when a field was missing or malformed (read as 0).
bool ReadPadRecord(std::string_view line, CurrentRecord& rec);
bool ReadViaRecord(std::string_view line, CurrentRecord& rec);
bool ReadTrackRecord(std::string_view line, CurrentRecord& rec);
bool ReadArcRecord(std::string_view line, CurrentRecord& rec);
bool ReadFillRecord(std::string_view line, CurrentRecord& rec);
bool ReadStringRecord(std::string_view line, CurrentRecord& rec);

/// Reads a board file record by record, in one pass from its start. Lines that are not
/// keyword lines (compared whole, exactly) are passed over. The reader only parses; it
/// resolves no apertures.
class BoardReader {
public:
    using ProblemHandler = std::function<void(const std::string& message)>;

    /// Opens the board file; throws IoError when it cannot be opened, FormatError when it
    /// holds binary data rather than text.
    explicit BoardReader(const std::string& path, ProblemHandler onProblem = {});
    /// Replays `image` when it still stands for the file at `path` (see BoardImage::matches);
    /// reads the file otherwise, as the constructor above does.
    BoardReader(const std::string& path, std::shared_ptr<const BoardImage> image,
                ProblemHandler onProblem = {});

    /// Gives only records of these kinds; next() passes over the others (a replay without
    /// decoding them). Their problems are still reported and their lines still counted.
    void onlyKinds(std::initializer_list<RecordKind> kinds) {
        m_kinds = 0;
        for (RecordKind k : kinds) {
            m_kinds |= 1u << static_cast<unsigned>(k);
        }
    }

    /// onlyKinds() of the kinds whose bits (1 << RecordKind) are set.
    void onlyKindBits(unsigned kinds) { m_kinds = kinds; }

    /// Replays one part of an image read in parts (BoardImage::parts), as the records of
    /// that part of the file; the parts together give what one reading of the file gives.
    /// When the image does not stand for the file or has one part, part 0 reads all of the
    /// board and part 1 nothing.
    BoardReader(const std::string& path, std::shared_ptr<const BoardImage> image, size_t part,
                ProblemHandler onProblem);

    /// Keeps what this reading finds in a BoardImage, for later readings of the same board.
    /// Called before the first next(); does nothing when the reader replays an image.
    void keepImage();
    /// The image kept, once the reading has reached the end of the file; null otherwise.
    std::shared_ptr<const BoardImage> takeImage();

    /// Reads up to and including the next record; nullopt at the end of the file. Throws
    /// FormatError at the end of a file that has neither the "PCB FILE" line nor any record:
    /// whatever it is, it is not a board.
    std::optional<RecordKind> next();

    const CurrentRecord& record() const { return m_record; }
    CurrentRecord& record() { return m_record; }
    const ComponentHeader& component() const { return m_component; }
    /// The keyword line of the record last read ("CP", "FT", "COMP", ...).
    std::string_view keyword() const { return m_keyword; }
    /// Whether the record last read is a free primitive (keyword beginning with "F").
    bool isFree() const { return !m_keyword.empty() && m_keyword[0] == 'F'; }
    /// Line number of the keyword line of the record last read.
    long recordLine() const { return m_recordLine; }
    /// Called with every line passed over because it starts no record ("ENDCOMP", "ENDPCB",
    /// "PCB FILE 4", stray lines); lines inside a record never reach it. Returning false ends
    /// the reading: next() then gives nullopt.
    void onSkippedLine(std::function<bool(const std::string& line)> handler) {
        m_onSkippedLine = std::move(handler);
    }
    /// How many "ENDCOMP" lines have been passed over so far; a change between two records
    /// tells that the component before ended.
    long componentEnds() const { return m_componentEnds; }
    const std::string& path() const { return m_path; }
    /// Whether the first line is the "PCB FILE" line every board starts with. Known once the
    /// first record has been read (or the end of the file reached).
    bool hasHeader() const { return m_hasHeader; }
    /// Whether the file ended without its "ENDPCB" line after its last record (lines passed
    /// over may follow it, as the NETDEF blocks of a board saved with its netlist do): the file
    /// may have been cut short. Known once the end of the file has been reached; the
    /// reading reports it as a problem on the last line.
    bool cutShort() const { return m_cutShort; }

private:
    friend std::shared_ptr<const BoardImage> readBoardImage(const std::string& path,
                                                            std::uintmax_t halvesFrom,
                                                            RecordVisitor* first,
                                                            RecordVisitor* second);
    // Reads part of the file, from byte `from` (a line start) on; with `joinAt`, the reading
    // ends when a record would start there, where the reading of the next part began.
    BoardReader(const std::string& path, std::uint64_t from,
                std::optional<std::uint64_t> joinAt);

    void nextLine(std::string& line);  // an empty line past the end of the file
    void problem(const std::string& what);
    void readComponentHeader();
    std::optional<RecordKind> replayNext();
    void replayProblem();  // the line and text of a problem entry, to the problem handler
    std::optional<RecordKind> readNext();
    void keep(RecordKind kind);
    void keepText(std::string_view text);
    std::optional<RecordKind> endOfFile();

    std::string m_path;
    std::optional<common::LineReader> m_lines;  // reading the file
    std::shared_ptr<const BoardImage> m_replayed;  // or replaying an image
    std::optional<ImageCursor> m_cursor;
    std::shared_ptr<BoardImage> m_kept;  // the image being kept, while reading the file
    std::optional<ImageWriter> m_keeper;
    bool m_reachedEnd = false;
    unsigned m_kinds = ~0u;  // a bit for each kind of record next() gives
    std::uint64_t m_from = 0;                 // where in the file the reading began
    std::optional<std::uint64_t> m_joinAt;    // where it ends if a record starts there
    bool m_joined = false;                    // it ended there
    long m_lineBase = 0;  // lines before the part of the image being replayed
    size_t m_part = 0;    // the part of the image replayed
    ProblemHandler m_onProblem;
    std::function<bool(const std::string&)> m_onSkippedLine;
    bool m_stopped = false;  // the skipped-line handler ended the reading
    CurrentRecord m_record;
    ComponentHeader m_component;
    std::string m_line;
    std::string m_numbers;  // the number line of the record last read
    std::string_view m_keyword;  // one of the fixed keyword texts
    long m_recordLine = 0;
    long m_componentEnds = 0;
    long m_records = 0;
    bool m_hasHeader = false;
    bool m_endLineLast = false;  // "ENDPCB" has been passed over, and no record or ENDCOMP since
    bool m_cutShort = false;
};

/// Sees the records of a board as readBoardImage reads them, in one of the parts of the file
/// it reads at once: a pass that needs every record once does its work during the reading
/// rather than in a replay after it.
class RecordVisitor {
public:
    virtual ~RecordVisitor() = default;
    /// A problem met in the record given next, as a BoardReader's ProblemHandler is told of
    /// it. In a second part, line numbers count from the start of that part.
    virtual void problem(const std::string& message) = 0;
    /// A record as read (the reader's record(), component() and recordLine()).
    virtual void record(RecordKind kind, const BoardReader& reader) = 0;
    /// The reading starts again from the start of the board: what was seen is forgotten.
    virtual void restart() = 0;
};

/// Reads the board as readBoardImage(path, halvesFrom) does, showing each record to a
/// visitor as it is read. When the image has two parts, `first` has seen the records of the
/// first and `second` those of the second; otherwise `first` has seen every record of the
/// board in one reading, and what `second` saw is not part of it.
std::shared_ptr<const BoardImage> readBoardImage(const std::string& path, std::uintmax_t halvesFrom,
                                                 RecordVisitor* first, RecordVisitor* second);

/// The problem a board that ends without its "ENDPCB" line is reported with.
constexpr std::string_view kCutShortProblem =
    "the board ends without its \"ENDPCB\" line; the file may be cut short";

/// The lines that report a board's problems: the first `most` of them, then how many more
/// there were; a board's last problem, that it ends without its "ENDPCB" line, always shows.
std::vector<std::string> problemsShown(const std::vector<std::string>& problems,
                                       size_t most = 20);

/// The line that tells the user a board has no "PCB FILE" line and is read all the same.
std::string missingHeaderWarning(const std::string& path);

/// Reads a board file through once, only to check that it is one: throws FormatError when it
/// is not (see BoardReader) and returns whether it has its "PCB FILE" line.
bool checkBoardFile(const std::string& path);

/// Reads the six lines after "COMP", each through `readLine` (which fills the string it is
/// given, empty past the end of the file), into `header`; returns false when an attribute line
/// had a missing or malformed field.
bool ReadComponentHeader(const std::function<void(std::string&)>& readLine,
                         ComponentHeader& header);

/// Number of lines that follow a keyword line in its record ("CP" 2, "CT" 1, "COMP" 6, ...),
/// or -1 when the line is no keyword line. Keywords are whole lines, compared exactly. Tools
/// that copy a board line by line use it to step over whole records, so that the text of a
/// string or a component name is never taken for a keyword.
int recordLineCount(std::string_view line);

/// Names of the board layers as the program shows them ("1 - Top" ...); "" outside 0 to 13.
std::string_view boardLayerName(int layer);

}  // namespace padloom::board
