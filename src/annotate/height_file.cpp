#include "annotate/height_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/errors.h"

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
    std::error_code ec;
    if (std::filesystem::is_directory(m_path, ec)) {
        throw common::IoError(m_path, "is a folder, not a file");
    }
    m_file = std::fopen(m_path.c_str(), "r+b");
    if (!m_file && errno == ENOENT) {
        m_file = std::fopen(m_path.c_str(), "w+b");
    }
    if (!m_file) {
        throw common::IoError(m_path, osError(errno));
    }
    unsigned char bytes[kHeightRecordSize];
    for (;;) {
        const size_t got = std::fread(bytes, 1, kHeightRecordSize, m_file);
        if (got > 0 && bytes[0] > kHeightNameLength) {
            // not a file of height records (another program's .DAT beside the board): it is
            // neither read nor appended to
            std::fclose(m_file);
            m_file = nullptr;
            throw common::FormatError(m_path, "not a component height file: record " +
                                                  std::to_string(m_records.size() + 1) +
                                                  " gives a name of " + std::to_string(bytes[0]) +
                                                  " characters (a record holds 32)");
        }
        if (got == kHeightRecordSize) {
            m_records.push_back(decodeHeightRecord(bytes));
            continue;
        }
        if (std::ferror(m_file)) {
            std::fclose(m_file);
            m_file = nullptr;
            throw common::IoError(m_path, "read error");
        }
        m_strayBytes = got;
        break;
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
    m_strayBytes = 0;  // fewer than 40, so the new record covered them
}

}  // namespace padloom::annotate
