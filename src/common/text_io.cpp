#include "common/text_io.h"

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/errors.h"

namespace padloom::common {

namespace {
constexpr size_t kBufferSize = 1 << 16;

// the list this thread's commits go to, while a DeferCommits scope is open
thread_local DeferredCommits* t_deferred = nullptr;

std::string osError(int err) {
    return std::generic_category().message(err);
}

// The first CR or LF in [p, stop), or stop: eight bytes at a time, then byte by byte. A byte
// equal to the one sought gives a zero byte after the exclusive or; the lowest flagged byte is
// exact (a borrow can only flag bytes above a true zero).
const char* lineEnd(const char* p, const char* stop) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    while (stop - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        const std::uint64_t lf = word ^ (kOnes * '\n');
        const std::uint64_t cr = word ^ (kOnes * '\r');
        const std::uint64_t found = ((lf - kOnes) & ~lf & kHighs) | ((cr - kOnes) & ~cr & kHighs);
        if (found != 0) {
            if constexpr (std::endian::native == std::endian::little) {
                return p + (std::countr_zero(found) >> 3);
            }
            break;  // big-endian: the byte loop below finds it
        }
        p += 8;
    }
    while (p != stop && *p != '\n' && *p != '\r') {
        ++p;
    }
    return p;
}

bool seekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}
}  // namespace

LineReader::LineReader(const std::string& path) : LineReader(path, 0) {
}

LineReader::LineReader(const std::string& path, std::uint64_t offset)
    : m_path(path), m_buffer(kBufferSize), m_base(offset) {
    checkInputFile(path);
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) {
        throw IoError(path, osError(errno));
    }
    if (offset > 0 && !seekTo(m_file, offset)) {
        const int err = errno;
        std::fclose(m_file);
        throw IoError(path, osError(err));
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
    m_base += m_end;
    m_pos = 0;
    m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
    if (m_end == 0) {
        if (std::ferror(m_file)) {
            throw IoError(m_path, "read error");
        }
        m_eof = true;
    }
}

bool LineReader::next(std::string& line) {
    line.clear();
    if (m_pos == m_end) {
        if (m_eof) {
            return false;
        }
        fill();
        if (m_eof) {
            return false;
        }
    }
    // the line's bytes, block by block, up to its line end or the end of the file
    int end = EOF;
    for (;;) {
        const char* begin = m_buffer.data() + m_pos;
        const char* stop = m_buffer.data() + m_end;
        const char* p = lineEnd(begin, stop);
        line.append(begin, static_cast<size_t>(p - begin));
        m_pos = static_cast<size_t>(p - m_buffer.data());
        if (p != stop) {
            end = static_cast<unsigned char>(*p);
            ++m_pos;
            break;
        }
        if (line.size() > kLongestLine) {
            // no text file these tools read has such a line: binary data, or a file whose line
            // ends were lost; reading on would hold all of it in memory
            throw FormatError(m_path, "line " + std::to_string(m_lineNumber + 1) +
                                          " runs on past " + std::to_string(kLongestLine) +
                                          " bytes without a line end: not a text file");
        }
        fill();
        if (m_eof) {
            break;
        }
    }
    if (end == '\r') {
        // CR LF is one line end; a lone CR ends the line by itself.
        if (m_pos == m_end && !m_eof) {
            fill();
        }
        if (m_pos < m_end && m_buffer[m_pos] == '\n') {
            ++m_pos;
        }
    }
    ++m_lineNumber;
    return true;
}

LineWriter::LineWriter(const std::string& path) : m_path(path), m_temp(path) {
    m_file = m_temp.stream();
    // the writer keeps its own buffer: the stream's would only split each write in two
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    m_data = std::make_unique_for_overwrite<char[]>(kCapacity);
}

// the temporary file, unless committed, is removed with m_temp
LineWriter::~LineWriter() = default;

void LineWriter::flush() {
    const size_t used = m_used;
    m_used = 0;
    if (used != 0 && std::fwrite(m_data.get(), 1, used, m_file) != used) {
        throw IoError(m_path, osError(errno));
    }
}

LineWriter& LineWriter::writeLong(std::string_view text) {
    flush();
    if (text.size() <= kCapacity) {
        std::memcpy(m_data.get(), text.data(), text.size());
        m_used = text.size();
    } else if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size()) {
        throw IoError(m_path, osError(errno));
    }
    return *this;
}

void LineWriter::commit() {
    if (m_committed) {
        return;
    }
    flush();
    if (std::fflush(m_file) != 0) {
        throw IoError(m_path, osError(errno));
    }
    m_file = nullptr;
    m_temp.close(m_path);
    if (t_deferred) {
        t_deferred->m_pending.push_back({std::move(m_temp), m_path});
        m_committed = true;  // the list owns the temporary file now
        return;
    }
    m_temp.moveTo(m_path);
    m_committed = true;
}

// the files never put in place are removed with the list
DeferredCommits::~DeferredCommits() = default;

void DeferredCommits::apply() {
    while (!m_pending.empty()) {
        Pending& p = m_pending.front();
        p.temp.moveTo(p.target);
        m_pending.erase(m_pending.begin());
    }
}

DeferCommits::DeferCommits(DeferredCommits& commits) : m_previous(t_deferred) {
    t_deferred = &commits;
}

DeferCommits::~DeferCommits() {
    t_deferred = m_previous;
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

void checkInputFile(const std::string& path) {
    std::error_code ec;
    const auto type = std::filesystem::status(path, ec).type();
    if (type == std::filesystem::file_type::directory) {
        throw IoError(path, "is a folder");
    }
    if (!ec && type != std::filesystem::file_type::regular &&
        type != std::filesystem::file_type::not_found) {
        throw IoError(path, "is not a regular file");
    }
}

void requireInputFile(const std::string& path) {
    checkInputFile(path);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        throw IoError(path, "no such file");
    }
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

std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace padloom::common
