#pragma once

#include <optional>
#include <string>

#include "board/aperture_table.h"
#include "plot/layer_file.h"

namespace padloom::plot {

struct PlotOptions;
struct X2Facts;

/// How a layer file is written, besides what it draws.
struct FileStyle {
    /// With X2 attributes: the file attributes, the aperture functions, the current syntax.
    const X2Facts* x2 = nullptr;
    /// The planes (plot layers 13 and 14) as positive images rather than negative ones.
    bool positivePlanes = false;
    /// No aperture macros: their apertures are flashed by recipes of standard apertures and
    /// regions.
    bool noMacros = false;
};

/// The style of the layer files of a plot run: with X2 attributes the planes are always
/// positive, as the attributes call copper positive and the current syntax has no image
/// polarity.
FileStyle fileStyleOf(const PlotOptions& options);

/// Whether the planes of a plot run are written as positive images.
bool positivePlanes(const PlotOptions& options);

/// Writes the RS274X header of a layer file (format, units, image polarity) and the aperture
/// definitions of every aperture file line with a known shape, loading `table` from the same
/// lines in the same pass. Plot layers 13 and 14 (the planes) are negative images unless the
/// style makes them positive. `pourEnlargement` sizes the spokes of the outer relief macros.
/// With X2 attributes, the file attributes follow the format and units, each definition is
/// preceded by its aperture function, there is no image polarity, and the header ends by
/// setting linear, multi-quadrant interpolation. Without macros, the apertures that would be
/// macros are defined as standard apertures where one draws the same, and otherwise get a
/// recipe in `file`, whose standard apertures are defined after the aperture file's.
/// Throws IoError when the aperture file cannot be read.
void writeApertureDefinitions(LayerFile& file, int layer, const std::string& aptPath,
                              int pourEnlargement, board::ApertureTable& table,
                              const FileStyle& style = {});

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
