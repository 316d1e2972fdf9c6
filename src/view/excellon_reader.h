#pragma once

#include <string>

#include "view/layer_image.h"

namespace padloom::view {

/// Reads an Excellon drill file into `image` (path already set): the M48 header with its
/// tools, INCH/METRIC (or M72/M71) with LZ/TZ and a number format, ";FILE_FORMAT=a:b",
/// absolute and incremental coordinates, tool changes, hits, G85 slots and repeats. Without a
/// header the numbers are read as inches with two integer digits and leading zeros kept, as
/// this program's drill files have always been written. Each hit becomes a flash of its
/// tool's round aperture.
void readExcellon(LayerImage& image, const std::string& bytes);

}  // namespace padloom::view
