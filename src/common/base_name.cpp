#include "common/base_name.h"

namespace padloom::common {

namespace {
size_t fileNameStart(const std::string& path) {
    size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? 0 : sep + 1;
}
}  // namespace

std::string baseName(const std::string& path) {
    size_t start = fileNameStart(path);
    size_t dot = path.rfind('.');
    // a dot in a folder name, or a leading dot of a hidden file's name, is not an extension
    if (dot == std::string::npos || dot <= start) {
        return path;
    }
    return path.substr(0, dot);
}

std::string withExtension(const std::string& path, const std::string& extension) {
    return baseName(path) + extension;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, fileNameStart(path));
}

std::string fileNameOf(const std::string& path) {
    return path.substr(fileNameStart(path));
}

}  // namespace padloom::common
