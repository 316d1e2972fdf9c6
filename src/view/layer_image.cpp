#include "view/layer_image.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/errors.h"
#include "common/text_io.h"
#include "view/excellon_reader.h"
#include "view/gerber_reader.h"

namespace padloom::view {

void Box::add(double x, double y) {
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
}

void Box::add(const Box& b) {
    if (!b.empty()) {
        add(b.x0, b.y0);
        add(b.x1, b.y1);
    }
}

Box Box::grown(double d) const {
    if (empty()) {
        return *this;
    }
    return Box{x0 - d, y0 - d, x1 + d, y1 + d};
}

Box Box::moved(const Point& by) const {
    if (empty()) {
        return *this;
    }
    return Box{x0 + by.x, y0 + by.y, x1 + by.x, y1 + by.y};
}

Point ArcGeometry::pointAt(double degrees) const {
    double a = degrees * std::numbers::pi / 180.0;
    return {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
}

Box ArcGeometry::extent() const {
    Box b;
    b.add(start());
    b.add(end());
    double lo = std::min(startDegrees, startDegrees + sweepDegrees);
    double hi = std::max(startDegrees, startDegrees + sweepDegrees);
    // every axis crossing (a multiple of 90 degrees) inside the sweep widens the box
    for (double k = std::ceil(lo / 90.0); k * 90.0 <= hi; k += 1) {
        b.add(pointAt(k * 90.0));
    }
    return b;
}

long LayerImage::count(ObjectKind kind) const {
    return static_cast<long>(std::count_if(objects.begin(), objects.end(),
                                           [&](const GraphicObject& o) { return o.kind == kind; }));
}

long LayerImage::clearCount() const {
    return static_cast<long>(std::count_if(objects.begin(), objects.end(),
                                           [](const GraphicObject& o) { return o.clear; }));
}

bool LayerImage::hasErrors() const {
    return std::any_of(problems.begin(), problems.end(),
                       [](const Problem& p) { return p.severity == Severity::Error; });
}

std::string LayerImage::describe(const Problem& p) const {
    std::string text = path;
    if (p.line > 0) {
        text += ":" + std::to_string(p.line);
    }
    text += ": ";
    text += p.severity == Severity::Error     ? "error: "
            : p.severity == Severity::Warning ? "warning: "
                                              : "note: ";
    return text + p.message;
}

std::vector<std::string> jobSetPaths(const LayerImage& job) {
    const std::filesystem::path folder = std::filesystem::path(job.path).parent_path();
    std::vector<std::string> paths;
    for (const JobFileEntry& f : job.jobFiles) {
        paths.push_back((folder / f.path).string());
    }
    return paths;
}

namespace {

// A block (the text up to its "*" or line end) longer than this is no Gerber or drill
// statement: the file is read no further.
constexpr size_t kLongestBlock = size_t{1} << 16;
// This many control bytes in a row (besides TAB, CR, LF, form feed, Ctrl-Z and escape) are no
// text either.
constexpr size_t kControlRun = 8;
// The first block of a file, which tells text from binary data.
constexpr size_t kFirstBlock = size_t{1} << 16;

bool isTextControl(unsigned char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x1a || c == 0x1b;
}

// Watches the bytes of a fab file go by, chunk after chunk, and finds where they stop being
// text, so that no more of the file is read or kept than can be a Gerber or drill file.
class TextWatch {
public:
    explicit TextWatch(const std::string& path) : m_path(path) {}

    // How many bytes at the start of `chunk` (the next bytes of the file) are text. The first
    // chunk decides whether the file is text at all: one that looks binary is refused.
    size_t take(std::string_view chunk) {
        if (m_offset == 0 && !chunk.empty() &&
            common::looksBinary(chunk.substr(0, std::min(chunk.size(), kFirstBlock)))) {
            // a fab package's zip lies beside the files it holds
            const std::string what =
                chunk.starts_with("PK\x03\x04")
                    ? "a zip archive"
                    : "binary data at byte " + std::to_string(firstBinaryByte(chunk));
            throw common::FormatError(m_path, "not a Gerber or drill file: " + what);
        }
        for (size_t i = 0; i < chunk.size(); ++i) {
            const auto c = static_cast<unsigned char>(chunk[i]);
            if (c == 0) {
                return stopAt(i, "binary data at byte " + std::to_string(m_offset + i));
            }
            if (c < 32 && !isTextControl(c)) {
                if (++m_controls == kControlRun) {
                    // the run may have begun in the chunk before
                    const std::uint64_t start = m_offset + i + 1 - kControlRun;
                    return stopAt(i + 1 >= kControlRun ? i + 1 - kControlRun : 0,
                                  "binary data at byte " + std::to_string(start));
                }
            } else {
                m_controls = 0;
            }
            if (c == '*' || c == '\n' || c == '\r') {
                m_block = 0;
            } else if (++m_block > kLongestBlock) {
                return stopAt(i, "a statement runs on past " + std::to_string(kLongestBlock) +
                                     " bytes without \"*\" or a line end at byte " +
                                     std::to_string(m_offset + i + 1 - m_block));
            }
        }
        m_offset += chunk.size();
        return chunk.size();
    }
    // Why the reading stopped, or "" when the whole file was text.
    const std::string& stop() const { return m_stop; }

private:
    static size_t firstBinaryByte(std::string_view bytes) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(bytes[i]);
            if (c == 0 || (c < 32 && !isTextControl(c))) {
                return i;
            }
        }
        return 0;
    }
    // Ends the reading: `kept` bytes of the chunk are text, and `why` tells the rest.
    size_t stopAt(size_t kept, std::string why) {
        m_stop = std::move(why) + "; the file is read no further";
        return kept;
    }

    const std::string& m_path;
    std::uint64_t m_offset = 0;
    size_t m_block = 0;     // bytes since the last "*" or line end
    size_t m_controls = 0;  // control bytes in a row
    std::string m_stop;
};

// A Gerber job file: its list of the set, each listed file looked for beside it.
void readJobFile(LayerImage& image, const std::string& bytes) {
    image.format = FileFormat::GerberJob;
    image.jobFiles = readJobFileList(bytes);
    image.jobHeader = readJobHeader(bytes);
    if (image.jobFiles.empty()) {
        image.problems.push_back({Severity::Error, 0, "no file listed under \"FilesAttributes\""});
    }
    const std::vector<std::string> paths = jobSetPaths(image);
    for (size_t i = 0; i < paths.size(); ++i) {
        std::error_code ec;
        if (image.jobFiles[i].path.empty()) {
            image.problems.push_back({Severity::Error, 0, "a listed file has no \"Path\""});
        } else if (!std::filesystem::is_regular_file(paths[i], ec)) {
            image.problems.push_back(
                {Severity::Warning, 0, image.jobFiles[i].path + " is listed but not beside it"});
        }
    }
    // a set for a board house without the board's edge cannot be made as it stands
    const auto profile = [](const JobFileEntry& f) {
        return f.fileFunction.starts_with("Profile");
    };
    if (!image.jobFiles.empty() &&
        std::none_of(image.jobFiles.begin(), image.jobFiles.end(), profile)) {
        image.problems.push_back({Severity::Warning, 0,
                                  "No board outline: no file of the set is the board outline "
                                  "(Profile); the board house must be told the board's shape "
                                  "and size"});
    }
}

// The image of a file's text, with the reason the reading stopped early, if it did.
LayerImage imageOf(const std::string& path, const std::string& bytes, const std::string& stop) {
    LayerImage image;
    image.path = path;
    if (bytes.empty() && stop.empty()) {
        // an empty tool table of a board without holes lies beside the layers, too
        throw common::FormatError(path, "not a Gerber or drill file: it is empty");
    }
    const FileIdentity identity = identifyFile(bytes);
    switch (identity.kind) {
        case FileKind::Excellon:
            readExcellon(image, bytes);
            break;
        case FileKind::Gerber:
            readGerber(image, bytes);
            break;
        case FileKind::GerberJob:
            readJobFile(image, bytes);
            break;
        case FileKind::Other:
            throw common::FormatError(path, "not a Gerber or drill file: " + identity.reason);
    }
    if (!stop.empty()) {
        image.problems.push_back({Severity::Error, image.lineCount, stop});
    }
    return image;
}

}  // namespace

LayerImage readLayerBytes(const std::string& path, const std::string& bytes) {
    TextWatch watch(path);
    const size_t text = watch.take(bytes);
    if (text < bytes.size()) {
        return imageOf(path, bytes.substr(0, text), watch.stop());
    }
    return imageOf(path, bytes, "");
}

LayerImage readLayerFile(const std::string& path) {
    common::checkInputFile(path);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        throw common::IoError(path, std::generic_category().message(errno));
    }
    // read in blocks, keeping only what is text
    std::string bytes;
    TextWatch watch(path);
    std::vector<char> buffer(kFirstBlock);
    bool failed = false;
    try {
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
            const size_t text = watch.take(std::string_view(buffer.data(), n));
            bytes.append(buffer.data(), text);
            if (text < n) {
                break;
            }
        }
        failed = std::ferror(file) != 0;
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
    if (failed) {
        throw common::IoError(path, "read error");
    }
    return imageOf(path, bytes, watch.stop());
}

}  // namespace padloom::view
