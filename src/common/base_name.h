#pragma once

#include <string>

namespace padloom::common {

/// The base name every output of a board is named from: the folder of the path kept whole,
/// and the file name cut before its last ".". "/jobs/proj.v2/board.pcb" gives
/// "/jobs/proj.v2/board"; a file name without "." is kept whole, so the extension is appended.
/// Both "/" and "\" separate folders.
std::string baseName(const std::string& path);

/// The path with its last extension replaced by `extension` (which includes its "."); a file
/// name without "." gets the extension appended.
std::string withExtension(const std::string& path, const std::string& extension);

/// The folder part of a path, up to and including its last separator; empty when the path has
/// no folder part.
std::string folderOf(const std::string& path);

/// The file name part of a path, after its last separator.
std::string fileNameOf(const std::string& path);

}  // namespace padloom::common
