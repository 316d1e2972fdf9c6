#include "view/layer_image.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <system_error>

#include "common/errors.h"
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

bool looksLikeExcellon(const std::string& bytes) {
    // An Excellon file opens with M48 (perhaps after comments and blank lines), or at least
    // has tool lines and no Gerber parameter blocks or D-codes.
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string_view line(bytes.data() + pos, end - pos);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        pos = end + 1;
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.starts_with("M48")) {
            return true;
        }
        if (line.front() == '%' || line.starts_with("G04") || line.find('*') != line.npos) {
            return false;
        }
        if (line.front() == 'T' && line.size() > 1 &&
            std::isdigit(static_cast<unsigned char>(line[1]))) {
            return true;
        }
        return false;
    }
    return false;
}

LayerImage readLayerBytes(const std::string& path, const std::string& bytes) {
    LayerImage image;
    image.path = path;
    if (bytes.empty()) {
        image.problems.push_back({Severity::Error, 0, "the file is empty"});
        return image;
    }
    if (looksLikeExcellon(bytes)) {
        readExcellon(image, bytes);
    } else {
        readGerber(image, bytes);
    }
    return image;
}

LayerImage readLayerFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw common::IoError(path, "is a folder, not a file");
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        throw common::IoError(path, std::generic_category().message(errno));
    }
    std::string bytes;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        throw common::IoError(path, "read error");
    }
    return readLayerBytes(path, bytes);
}

}  // namespace padloom::view
