#pragma once

#include <string>
#include <vector>

#include "view/layer_image.h"

namespace padloom::view {

/// A number with `decimals` places, point as separator, whatever the locale.
std::string fixed(double value, int decimals);

/// The summary of one read file for people: format, units, extent, objects by kind, the
/// apertures or drill tools used and every problem, one fact a line.
std::string describeLayer(const LayerImage& image);

/// The same facts of several files as one JSON document: {"files": [...]}. Sizes and
/// coordinates are in inches.
std::string layersAsJson(const std::vector<LayerImage>& images);

}  // namespace padloom::view
