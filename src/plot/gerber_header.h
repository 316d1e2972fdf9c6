#pragma once

#include <optional>
#include <string>

#include "board/aperture_table.h"
#include "plot/layer_file.h"

namespace padloom::plot {

struct X2Facts;

/// Writes the RS274X header of a layer file (format, units, image polarity) and the aperture
/// definitions of every aperture file line with a known shape, loading `table` from the same
/// lines in the same pass. Plot layers 13 and 14 (the planes) are negative images.
/// `pourEnlargement` sizes the spokes of the outer relief macros. With `x2`, the file attributes
/// follow the format and units, and each definition is preceded by its aperture function.
/// Throws IoError when the aperture file cannot be read.
void writeApertureDefinitions(LayerFile& file, int layer, const std::string& aptPath,
                              int pourEnlargement, board::ApertureTable& table,
                              const X2Facts* x2 = nullptr);

/// The definition line(s) of one aperture, each ending in CR LF: "%ADD10C,.062*%" for a
/// circle, a macro line and its "%ADD" line for the macro shapes. Empty for unknown shapes.
std::string apertureDefinition(const board::ApertureEntry& entry, int pourEnlargement);

/// The spokes of an outer relief flash (REL_E_RND and REL_E_RECT): two bars `width` wide through
/// the pad's centre, from -`halfLength` to +`halfLength` along the x axis turned by +`angle` and
/// by -`angle` degrees. Sizes in mils, from the aperture's sizes and the pour enlargement.
struct ReliefSpokes {
    long long width = 0;
    long long halfLength = 0;
    long long angle = 0;
};

/// The spokes of an outer relief aperture of shape `shape` and sizes X, Y; nullopt for
/// REL_E_RRECT, which has none, and for every other shape.
std::optional<ReliefSpokes> outerReliefSpokes(int shape, long long X, long long Y,
                                              int pourEnlargement);

}  // namespace padloom::plot
