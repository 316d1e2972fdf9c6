#pragma once

#include <cassert>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/temp_files.h"

namespace padloom::common {

namespace detail {
// "00" to "99", two bytes each
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
}  // namespace detail

/// Writes `value` in decimal at `to`, "-" in front when negative, as std::to_chars does, and
/// returns the end; at most 20 bytes. Plots write hundreds of millions of coordinates: the
/// usual ones, below a hundred million, take a short path of two digits at a time.
inline char* writeDecimal(char* to, long long value) {
    auto magnitude = static_cast<unsigned long long>(value);
    if (value < 0) {
        *to++ = '-';
        magnitude = 0 - magnitude;
    }
    if (magnitude >= 100000000) {
        return std::to_chars(to, to + 20, magnitude).ptr;
    }
    auto n = static_cast<std::uint32_t>(magnitude);
    const int digits = n < 10000 ? (n < 100 ? (n < 10 ? 1 : 2) : (n < 1000 ? 3 : 4))
                                 : (n < 1000000 ? (n < 100000 ? 5 : 6) : (n < 10000000 ? 7 : 8));
    char* const end = to + digits;
    char* at = end;
    while (n >= 100) {
        const std::uint32_t rest = n / 100;
        at -= 2;
        std::memcpy(at, detail::kDigitPairs + 2 * (n - 100 * rest), 2);
        n = rest;
    }
    if (n >= 10) {
        std::memcpy(at - 2, detail::kDigitPairs + 2 * n, 2);
    } else {
        at[-1] = static_cast<char>('0' + n);
    }
    return end;
}

/// Reads a text file line by line as bytes. Accepts CR LF, LF and lone CR line ends; the
/// line end is not part of the line. Throws IoError when the file cannot be opened or read.
class LineReader {
public:
    explicit LineReader(const std::string& path);
    /// Reads from byte `offset` of the file on, which should be where a line starts; line
    /// numbers count from there.
    LineReader(const std::string& path, std::uint64_t offset);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// The longest line next() gives; a longer one throws FormatError.
    static constexpr size_t kLongestLine = size_t{1} << 24;

    /// Reads the next line into `line`; false at the end of the file.
    bool next(std::string& line);
    /// 1-based number of the line last read (0 before the first).
    long lineNumber() const { return m_lineNumber; }
    const std::string& path() const { return m_path; }
    /// Whether the file's first block looks like binary data rather than text.
    bool looksBinary() const { return m_looksBinary; }
    /// Byte offset in the file of what next() reads next.
    std::uint64_t offset() const { return m_base + m_pos; }

private:
    void fill();

    std::string m_path;
    std::FILE* m_file = nullptr;
    std::vector<char> m_buffer;
    std::uint64_t m_base = 0;  // offset in the file of the buffer's first byte
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_eof = false;
    bool m_looksBinary = false;
    long m_lineNumber = 0;
};

/// Writes a text file with CR LF line ends. The bytes go to a temporary file beside the
/// target (a name of its own that no existing file has); commit() renames it over the target, so a
/// failed run never leaves half a file and never destroys the previous good one. Without commit()
/// the temporary file is removed, and so it is when the program is interrupted (TemporaryFile).
class LineWriter {
public:
    explicit LineWriter(const std::string& path);
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    /// Writes text without ending the line.
    LineWriter& write(std::string_view text) {
        if (text.size() > kCapacity - m_used) {
            return writeLong(text);
        }
        std::memcpy(m_data.get() + m_used, text.data(), text.size());
        m_used += text.size();
        return *this;
    }
    LineWriter& write(long long value) {
        if (kCapacity - m_used < kNumberRoom) {
            flush();
        }
        m_used = static_cast<size_t>(writeDecimal(m_data.get() + m_used, value) - m_data.get());
        return *this;
    }
    /// Where a piece of output goes, byte after byte, with no check of the room left.
    struct Cursor {
        char* at;
        Cursor& text(std::string_view t) {
            if (!t.empty()) {  // an empty view may have no data at all
                std::memcpy(at, t.data(), t.size());
                at += t.size();
            }
            return *this;
        }
        /// A text of `size` bytes at `from`, where at least kShortRun bytes can be read: copied
        /// kShortRun bytes at once when it is no longer, which leaves bytes past its end that
        /// the next write covers. The piece's room must allow for them.
        static constexpr size_t kShortRun = 16;
        Cursor& shortText(const char* from, size_t size) {
            if (size <= kShortRun) {
                std::memcpy(at, from, kShortRun);
            } else {
                std::memcpy(at, from, size);
            }
            at += size;
            return *this;
        }
        Cursor& number(long long value) {
            at = writeDecimal(at, value);
            return *this;
        }
    };
    /// The greatest `room` piece() takes.
    static constexpr size_t kPieceRoom = 4096;
    /// Writes a short piece of at most `room` bytes in one go, for the many small pieces of a
    /// plot (a coordinate pair and its codes): `fill` writes it through a Cursor.
    template <class Fill>
    LineWriter& piece(size_t room, Fill&& fill) {
        static_assert(kPieceRoom < kCapacity);
        assert(room <= kPieceRoom);
        if (kCapacity - m_used < room) {
            flush();
        }
        Cursor cursor{m_data.get() + m_used};
        fill(cursor);
        m_used = static_cast<size_t>(cursor.at - m_data.get());
        return *this;
    }
    /// Ends the line (CR LF).
    LineWriter& endLine() { return write(std::string_view("\r\n", 2)); }
    /// Writes text and ends the line.
    LineWriter& line(std::string_view text) { return write(text).endLine(); }
    /// Finishes the file and puts it in place of the target. Throws IoError on failure.
    void commit();
    const std::string& path() const { return m_path; }

private:
    static constexpr size_t kCapacity = 1 << 18;
    static constexpr size_t kNumberRoom = 24;  // a long long with its sign, and to spare

    void flush();
    LineWriter& writeLong(std::string_view text);  // text that does not fit what is left

    std::string m_path;
    TemporaryFile m_temp;
    std::FILE* m_file = nullptr;     // the temporary file's stream
    std::unique_ptr<char[]> m_data;  // bytes not yet handed to the file
    size_t m_used = 0;
    bool m_committed = false;
};

/// Files finished on one thread and put in place later, in order, by another. While a
/// DeferCommits scope is open on a thread, LineWriter::commit() there finishes its file but
/// leaves it under its temporary name and lists it here; apply() then puts the listed files in
/// place in the order they were committed, as commit() would have. Files never applied are
/// removed with this object, so a run that stops early leaves nothing of them behind.
class DeferredCommits {
public:
    DeferredCommits() = default;
    ~DeferredCommits();
    DeferredCommits(const DeferredCommits&) = delete;
    DeferredCommits& operator=(const DeferredCommits&) = delete;

    /// Renames each listed file over its target; throws IoError naming the target on failure
    /// (files after it stay listed, and are removed with this object).
    void apply();

private:
    friend class LineWriter;
    friend class DeferCommits;
    struct Pending {
        TemporaryFile temp;  // closed, still locked
        std::string target;
    };
    std::vector<Pending> m_pending;
};

/// While alive, defers the commits of this thread's LineWriters into `commits`.
class DeferCommits {
public:
    explicit DeferCommits(DeferredCommits& commits);
    ~DeferCommits();
    DeferCommits(const DeferCommits&) = delete;
    DeferCommits& operator=(const DeferCommits&) = delete;

private:
    DeferredCommits* m_previous;
};

/// Whether bytes from the start of a file look like binary data rather than text: a NUL byte,
/// or more control bytes than any text has. Text from DOS programs may hold TAB, form feed,
/// escape and a closing Ctrl-Z, and bytes of 128 and above in its comments; those are text.
bool looksBinary(std::string_view bytes);

/// Whether a file exists (and is a file, not a folder).
bool fileExists(const std::string& path);

/// The check every input of every tool passes before it is opened: a folder, a FIFO or a
/// device is refused with an IoError naming it and saying what it is ("is a folder", "is not a
/// regular file"), since opening a FIFO waits for a writer and a device may never end. A file
/// that does not exist passes: the tool that asked for it says so in its own words.
void checkInputFile(const std::string& path);

/// The same, and a file that is not there is refused too ("no such file").
void requireInputFile(const std::string& path);

/// Throws IoError when `output` names the same file as one of `inputs`: no tool ever writes
/// over one of its own inputs.
void refuseOverwritingInput(const std::string& output, const std::vector<std::string>& inputs);

/// The text without the blanks and TABs around it.
std::string_view trimmedBlanks(std::string_view text);

}  // namespace padloom::common
