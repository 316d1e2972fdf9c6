#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::board {

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

    /// What the board holds, counted as it was read.
    const BoardContents& contents() const { return m_contents; }

    /// Memory the image holds, in bytes.
    size_t bytes() const { return m_blocks.size() * kBlockWords * sizeof(std::int32_t); }

private:
    friend class BoardReader;
    friend class ImageWriter;
    friend class ImageCursor;

    // The image is a stream of 32-bit words in blocks of their own, so that a large board
    // never needs one large allocation nor a copy when it grows.
    static constexpr size_t kBlockWords = size_t{1} << 16;

    std::string m_path;
    std::uintmax_t m_size = 0;
    std::filesystem::file_time_type m_time{};
    std::vector<std::unique_ptr<std::int32_t[]>> m_blocks;
    size_t m_words = 0;  // words in use, over all blocks
    bool m_hasHeader = false;
    long m_records = 0;
    BoardContents m_contents;
};

/// Entries of the image stream: a record kind (its RecordKind value, with kFreeFlag for a
/// free primitive), or one of these.
namespace image_entry {
constexpr std::int32_t kFreeFlag = 0x10;
constexpr std::int32_t kComponentEnd = 0x20;  // an "ENDCOMP" line passed over
constexpr std::int32_t kSkippedLine = 0x21;   // another line passed over; its text follows
constexpr std::int32_t kProblem = 0x22;       // a problem with the record before; its text
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
    explicit ImageCursor(const BoardImage& image) : m_image(image) {}

    bool atEnd() const { return m_next == m_image.m_words; }
    std::int32_t peek() const {
        return m_image.m_blocks[m_next / BoardImage::kBlockWords][m_next % BoardImage::kBlockWords];
    }
    std::int32_t get() {
        const std::int32_t word = peek();
        ++m_next;
        return word;
    }
    void getText(std::string& text);

private:
    const BoardImage& m_image;
    size_t m_next = 0;
};

}  // namespace padloom::board
