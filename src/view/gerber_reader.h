#pragma once

#include <string>

#include "view/layer_image.h"

namespace padloom::view {

/// Reads RS274X into `image` (path already set): format and units, aperture definitions and
/// macros, flashes, draws, single- and multi-quadrant arcs, regions, layer and image
/// polarity, and the RS274D habits still common in fab files (modal operation codes, G54
/// before an aperture, G70/G71, G90/G91). Problems are recorded with their line; the reader
/// goes on after each one.
void readGerber(LayerImage& image, const std::string& bytes);

}  // namespace padloom::view
