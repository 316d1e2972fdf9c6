#include "annotate/height_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "board/board_reader.h"
#include "common/errors.h"
#include "common/text_io.h"

namespace padloom::annotate {

namespace {

constexpr size_t kHeightOffset = 36;

std::string osError(int err) {
    return std::generic_category().message(err);
}

std::string_view cutName(std::string_view name) {
    return name.substr(0, std::min(name.size(), kHeightNameLength));
}

}  // namespace

std::array<unsigned char, kHeightRecordSize> encodeHeightRecord(std::string_view name,
                                                                std::int32_t height) {
    std::array<unsigned char, kHeightRecordSize> bytes{};
    name = cutName(name);
    bytes[0] = static_cast<unsigned char>(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        bytes[1 + i] = static_cast<unsigned char>(name[i]);
    }
    const auto value = static_cast<std::uint32_t>(height);
    for (size_t i = 0; i < 4; ++i) {
        bytes[kHeightOffset + i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFFu);
    }
    return bytes;
}

bool isHeightRecord(const unsigned char* bytes) {
    if (bytes[0] > kHeightNameLength) {
        return false;
    }
    for (size_t i = 1; i <= bytes[0]; ++i) {
        if (bytes[i] < 32 || bytes[i] == 127) {
            return false;
        }
    }
    const std::int32_t height = decodeHeightRecord(bytes).height;
    return height >= -board::kFieldLimit && height <= board::kFieldLimit;
}

HeightRecord decodeHeightRecord(const unsigned char* bytes) {
    HeightRecord record;
    const size_t length = std::min<size_t>(bytes[0], kHeightNameLength);
    record.name.assign(reinterpret_cast<const char*>(bytes + 1), length);
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[kHeightOffset + i]) << (8 * i);
    }
    record.height = static_cast<std::int32_t>(value);
    return record;
}

HeightFile::HeightFile(std::string path) : m_path(std::move(path)) {
    common::checkInputFile(m_path);
    // the size first: a file that is no whole number of records, or far larger than any
    // height file grows, is not one, and is neither read into memory nor appended to
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(m_path, ec);
    if (!ec && size % kHeightRecordSize != 0) {
        throw common::FormatError(m_path, "not a component height file: its " +
                                              std::to_string(size) +
                                              " bytes are no whole number of 40-byte records");
    }
    if (!ec && size > kMaxHeightRecords * kHeightRecordSize) {
        throw common::FormatError(
            m_path, "not a component height file: its " + std::to_string(size / kHeightRecordSize) +
                        " records are more than the " + std::to_string(kMaxHeightRecords) +
                        " a height file holds");
    }
    m_file = std::fopen(m_path.c_str(), "r+b");
    if (!m_file && errno == ENOENT) {
        m_file = std::fopen(m_path.c_str(), "w+b");
    }
    if (!m_file) {
        throw common::IoError(m_path, osError(errno));
    }
    unsigned char bytes[kHeightRecordSize];
    size_t got;
    while ((got = std::fread(bytes, 1, kHeightRecordSize, m_file)) == kHeightRecordSize) {
        if (!isHeightRecord(bytes)) {
            // another program's .DAT beside the board: it is left as it is
            std::fclose(m_file);
            m_file = nullptr;
            throw common::FormatError(
                m_path, "not a component height file: record " +
                            std::to_string(m_records.size() + 1) +
                            " is no pattern name of up to 32 printable characters and a height");
        }
        m_records.push_back(decodeHeightRecord(bytes));
    }
    if (std::ferror(m_file) || got != 0) {
        const bool failed = std::ferror(m_file) != 0;
        std::fclose(m_file);
        m_file = nullptr;
        throw common::IoError(m_path, failed ? "read error" : "changed while it was read");
    }
}

HeightFile::~HeightFile() {
    if (m_file) {
        std::fclose(m_file);
    }
}

int HeightFile::lookup(std::string_view pattern) const {
    const std::string_view name = cutName(pattern);
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
        if (it->height >= 0 && it->name == name) {
            return it->height;
        }
    }
    return -1;
}

void HeightFile::append(std::string_view pattern, int height) {
    const std::string_view name = cutName(pattern);
    if (height < 0) {
        for (const auto& r : m_records) {
            if (r.height == height && r.name == name) {
                return;
            }
        }
    }
    const auto bytes = encodeHeightRecord(name, height);
    const long offset = static_cast<long>(m_records.size() * kHeightRecordSize);
    if (std::fseek(m_file, offset, SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size() ||
        std::fflush(m_file) != 0) {
        throw common::IoError(m_path, osError(errno));
    }
    m_records.push_back(HeightRecord{std::string(name), height});
}

}  // namespace padloom::annotate
