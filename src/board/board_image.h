#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::board {

class RecordVisitor;

/// What a board holds on one board layer, counted roughly: what the outputs of that layer are
/// made of.
struct LayerContents {
    long long flashes = 0;      // pads and vias
    long long lines = 0;        // tracks
    long long arcQuarters = 0;  // quarters of arcs
    long long fills = 0;
    long long textChars = 0;  // characters of strings and shown component texts
};

/// What a whole board holds, for sharing out the work of a plot run by its size.
struct BoardContents {
    static constexpr int kLayers = 14;  // board layers 0 to 13; records on others are not counted
    std::array<LayerContents, kLayers> layers{};
    long long records = 0;
    long long holes = 0;  // drilled pads and vias
    long long components = 0;
};

/// A board file as one reading of it found it, kept in memory in compact form: every record
/// with its fields and texts, the lines passed over and the problems met, in file order. A run
/// that reads the same board many times (the aperture builder, then each layer file, the drill
/// files and the BOM) parses the text once and replays this image; a BoardReader replaying it
/// gives what a BoardReader reading the file gives. The image is immutable once made and may be
/// replayed by several threads at once.
class BoardImage {
public:
    /// Whether the image still stands for the file at `path`: the same name, and the file
    /// still has the size and modification time it had when it was read.
    bool matches(const std::string& path) const;

    /// How many parts the image was read in: 1, or 2 for the two halves of a large file.
    /// The parts may be replayed each on its own (see BoardReader).
    size_t parts() const { return m_secondPart == 0 ? 1 : 2; }

    /// What the board holds, counted as it was read.
    const BoardContents& contents() const { return m_contents; }

    /// Whether the board starts with its "PCB FILE" line.
    bool hasHeader() const { return m_hasHeader; }

    /// Whether the board ends without its "ENDPCB" line (see BoardReader::cutShort).
    bool cutShort() const { return m_cutShort; }

private:
    friend class BoardReader;
    friend class ImageWriter;
    friend class ImageCursor;
    friend std::shared_ptr<const BoardImage> readBoardImage(const std::string& path,
                                                            std::uintmax_t halvesFrom,
                                                            RecordVisitor* first,
                                                            RecordVisitor* second);

    // The image is a stream of 32-bit words in blocks of their own, so that a large board
    // never needs one large allocation nor a copy when it grows, and two images of the two
    // halves of a file join without one.
    static constexpr size_t kBlockWords = size_t{1} << 20;  // 4 MB, untouched until written
    struct Block {
        std::unique_ptr<std::int32_t[]> words;
        size_t used = 0;
    };

    std::string m_path;
    std::uintmax_t m_size = 0;
    std::filesystem::file_time_type m_time{};
    std::vector<Block> m_blocks;
    size_t m_secondPart = 0;  // the block where the second part starts; 0 for none
    bool m_hasHeader = false;
    bool m_cutShort = false;
    long m_records = 0;
    BoardContents m_contents;
};

/// Files of this size and more are read in two halves at once.
constexpr std::uintmax_t kHalvesFrom = std::uintmax_t{4} << 20;

/// Reads the board file at `path` through into an image, as a BoardReader keeping its image
/// would, but a file of `halvesFrom` bytes or more in two halves at once. Throws what
/// BoardReader throws for a file that cannot be read or that holds binary data; the problems
/// met are in the image. Null when the board is too large for an image (a text line of more
/// than a gigabyte): it is then read from the file each time.
std::shared_ptr<const BoardImage> readBoardImage(const std::string& path,
                                                 std::uintmax_t halvesFrom = kHalvesFrom);

/// Entries of the image stream: a record kind (its RecordKind value, with kFreeFlag for a
/// free primitive) and its line, or one of these. Line numbers count from the start of the
/// part of the file an image was read from; kLineBase says where the next part starts.
namespace image_entry {
constexpr std::int32_t kFreeFlag = 0x10;
constexpr std::int32_t kComponentEnd = 0x20;  // an "ENDCOMP" line passed over
constexpr std::int32_t kSkippedLine = 0x21;   // another line passed over; its text follows
constexpr std::int32_t kProblem = 0x22;   // a problem with the record before: line and text
constexpr std::int32_t kLineBase = 0x23;  // lines and "ENDCOMP" lines before the next part
}  // namespace image_entry

/// Appends to an image as a board is read; finish() completes the image.
class ImageWriter {
public:
    explicit ImageWriter(BoardImage& image) : m_image(image) {}

    void put(std::int32_t word) {
        if (m_at == m_end) {
            newBlock();
        }
        *m_at++ = word;
    }
    void putText(std::string_view text);
    /// Makes sure the next `words` words go into one block.
    void reserve(size_t words) {
        if (m_end - m_at < static_cast<std::ptrdiff_t>(words)) {
            newBlock();
        }
    }
    void finish();

private:
    void newBlock();

    BoardImage& m_image;
    std::int32_t* m_at = nullptr;  // the next word of the last block
    std::int32_t* m_end = nullptr;
};

/// Reads an image's stream from its start.
class ImageCursor {
public:
    explicit ImageCursor(const BoardImage& image) : ImageCursor(image, 0, image.m_blocks.size()) {}
    /// Reads blocks `first` up to `end` only.
    ImageCursor(const BoardImage& image, size_t first, size_t end)
        : m_image(image), m_block(first), m_endBlock(end) {
        settle();
    }

    bool atEnd() const { return m_block == m_endBlock; }
    std::int32_t peek() const { return m_image.m_blocks[m_block].words[m_next]; }
    std::int32_t get() {
        const std::int32_t word = peek();
        if (++m_next == m_image.m_blocks[m_block].used) {
            settle();
        }
        return word;
    }
    void getText(std::string& text);
    void skipText() { skip((static_cast<size_t>(get()) + 3) / 4); }
    /// The next `n` words as one run: where they are when one block holds them, else copied
    /// into `spare`.
    const std::int32_t* take(size_t n, std::int32_t* spare) {
        if (!atEnd() && m_next + n < m_image.m_blocks[m_block].used) {
            const std::int32_t* run = &m_image.m_blocks[m_block].words[m_next];
            m_next += n;
            return run;
        }
        for (size_t i = 0; i < n; ++i) {
            spare[i] = atEnd() ? 0 : get();
        }
        return spare;
    }
    void skip(size_t n) {
        if (!atEnd() && m_next + n < m_image.m_blocks[m_block].used) {
            m_next += n;
            return;
        }
        for (; n > 0 && !atEnd(); --n) {
            get();
        }
    }

private:
    // moves on to the next word in use, past the end of a block
    void settle() {
        while (m_block < m_endBlock && m_next == m_image.m_blocks[m_block].used) {
            ++m_block;
            m_next = 0;
        }
    }

    const BoardImage& m_image;
    size_t m_block = 0;
    size_t m_endBlock = 0;
    size_t m_next = 0;
};

}  // namespace padloom::board
