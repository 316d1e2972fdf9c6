#include "common/text_io.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "common/errors.h"

namespace padloom::common {

namespace {
constexpr size_t kBufferSize = 1 << 16;

std::string osError(int err) {
    return std::generic_category().message(err);
}
}  // namespace

LineReader::LineReader(const std::string& path) : m_path(path), m_buffer(kBufferSize) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw IoError(path, "is a folder, not a file");
    }
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) {
        throw IoError(path, osError(errno));
    }
    try {
        fill();  // the first block, to tell text from binary data
    } catch (...) {
        std::fclose(m_file);
        throw;
    }
    m_looksBinary = common::looksBinary(std::string_view(m_buffer.data(), m_end));
}

LineReader::~LineReader() {
    if (m_file) {
        std::fclose(m_file);
    }
}

void LineReader::fill() {
    m_pos = 0;
    m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
    if (m_end == 0) {
        if (std::ferror(m_file)) {
            throw IoError(m_path, "read error");
        }
        m_eof = true;
    }
}

int LineReader::get() {
    if (m_pos == m_end) {
        if (m_eof) {
            return EOF;
        }
        fill();
        if (m_eof) {
            return EOF;
        }
    }
    return static_cast<unsigned char>(m_buffer[m_pos++]);
}

bool LineReader::next(std::string& line) {
    line.clear();
    int c = get();
    if (c == EOF) {
        return false;
    }
    while (c != EOF && c != '\n' && c != '\r') {
        line.push_back(static_cast<char>(c));
        c = get();
    }
    if (c == '\r') {
        // CR LF is one line end; a lone CR ends the line by itself.
        int after = get();
        if (after != '\n' && after != EOF) {
            --m_pos;  // get() just returned a byte from the buffer, so it can be stepped back
        }
    }
    ++m_lineNumber;
    return true;
}

LineWriter::LineWriter(const std::string& path) : m_path(path) {
    // a temporary name of our own beside the target; "x" never opens a file that exists
    thread_local std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        m_tempPath = path + "." + std::to_string(random() % 1000000) + ".tmp";
        m_file = std::fopen(m_tempPath.c_str(), "wbx");
        if (!m_file && errno != EEXIST) {
            break;
        }
    }
    if (!m_file) {
        throw IoError(path, osError(errno));
    }
    m_buffer.reserve(kBufferSize);
}

LineWriter::~LineWriter() {
    if (m_file) {
        std::fclose(m_file);
    }
    if (!m_committed) {
        std::error_code ec;
        std::filesystem::remove(m_tempPath, ec);
    }
}

void LineWriter::flush() {
    if (!m_buffer.empty() &&
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size()) {
        throw IoError(m_path, osError(errno));
    }
    m_buffer.clear();
}

LineWriter& LineWriter::write(std::string_view text) {
    m_buffer.append(text);
    if (m_buffer.size() >= kBufferSize) {
        flush();
    }
    return *this;
}

LineWriter& LineWriter::write(long long value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    return write(std::string_view(digits, result.ptr - digits));
}

LineWriter& LineWriter::endLine() {
    return write("\r\n");
}

void LineWriter::commit() {
    if (m_committed) {
        return;
    }
    flush();
    if (std::fflush(m_file) != 0) {
        throw IoError(m_path, osError(errno));
    }
    int closed = std::fclose(m_file);
    m_file = nullptr;
    if (closed != 0) {
        throw IoError(m_path, osError(errno));
    }
    std::error_code ec;
    std::filesystem::rename(m_tempPath, m_path, ec);
    if (ec) {
        throw IoError(m_path, ec.message());
    }
    m_committed = true;
}

bool looksBinary(std::string_view bytes) {
    size_t controls = 0;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0) {
            return true;
        }
        if (byte < 32 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' &&
            byte != 0x1a && byte != 0x1b) {
            ++controls;
        }
    }
    // one control byte in 32 is far more than text holds, and far less than random data; a
    // stray few in a short file are not enough
    return controls > 8 && controls * 32 > bytes.size();
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

void refuseOverwritingInput(const std::string& output, const std::vector<std::string>& inputs) {
    std::error_code ec;
    for (const auto& input : inputs) {
        bool same = output == input;
        if (!same && std::filesystem::exists(output, ec) && std::filesystem::exists(input, ec)) {
            same = std::filesystem::equivalent(output, input, ec);
        }
        if (same) {
            throw IoError(output, "would overwrite the input file " + input + "; nothing written");
        }
    }
}

}  // namespace padloom::common
