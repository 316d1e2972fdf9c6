#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::annotate {

/// Size of one record of the component height file.
constexpr size_t kHeightRecordSize = 40;
/// Longest pattern name a record holds; longer names are cut to it.
constexpr size_t kHeightNameLength = 32;

/// One record of the height file: a pattern (footprint) name and its height in mils, -1 when
/// the user gave none.
struct HeightRecord {
    std::string name;
    std::int32_t height = -1;
};

/// The 40 bytes of a record: name length (0 to 32) at offset 0, the name from offset 1, the
/// height as a signed 32-bit little-endian integer at offset 36; every other byte zero.
std::array<unsigned char, kHeightRecordSize> encodeHeightRecord(std::string_view name,
                                                                std::int32_t height);
/// The most records a height file may hold: one per footprint ever asked for, so far more than
/// any library has; a larger file is not read.
constexpr size_t kMaxHeightRecords = 100000;

/// Whether 40 bytes look like a height record: a name length of 0 to 32, that many printable
/// characters, and a height within the range of a board field.
bool isHeightRecord(const unsigned char* bytes);
/// Reads a record from its 40 bytes; a length byte above 32 counts as 32.
HeightRecord decodeHeightRecord(const unsigned char* bytes);

/// The component height file beside a board (the board name with ".DAT"): fixed 40-byte
/// records, appended in the order patterns were first asked for and never rewritten. It is
/// created empty when missing. Records are read once when the file is opened; appended ones
/// are written through at once, so answers given before a failed export are kept.
class HeightFile {
public:
    /// Opens the file, creating it when missing, and reads its records. Throws IoError, and
    /// FormatError when its size is no whole number of records (or more than
    /// kMaxHeightRecords) or a record does not look like one (isHeightRecord): then the file
    /// is no height file (another program's .DAT beside the board) and is left as it is.
    explicit HeightFile(std::string path);
    ~HeightFile();
    HeightFile(const HeightFile&) = delete;
    HeightFile& operator=(const HeightFile&) = delete;

    /// Height of the pattern: the last record of 0 or more whose name equals the first 32
    /// characters of the pattern, so an answer cancelled earlier (stored as -1) never hides a
    /// later real one. -1 when there is none.
    int lookup(std::string_view pattern) const;

    /// Appends a record for the pattern (its name cut to 32 characters). A -1 that the file
    /// already holds for the same name is not written again, so patterns left without a height
    /// do not grow the file on every export. Throws IoError.
    void append(std::string_view pattern, int height);

    const std::vector<HeightRecord>& records() const { return m_records; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
    std::vector<HeightRecord> m_records;
};

}  // namespace padloom::annotate
