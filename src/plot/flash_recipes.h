#pragma once

#include <optional>
#include <vector>

#include "board/aperture_table.h"
#include "plot/layer_file.h"

namespace padloom::plot {

/// A standard aperture: a circle of diameter x with an optional round hole, or an x by y
/// rectangle; sizes in mils.
struct StandardAperture {
    enum class Shape { Circle, Rectangle };
    Shape shape = Shape::Circle;
    long long x = 0;
    long long y = 0;
    long long hole = 0;  // diameter of a circle's hole; 0 for none
    bool operator==(const StandardAperture&) const = default;
};

/// "%ADDnnC,.080X.060*%" and "%ADDnnR,.060X.080*%" with CR LF.
std::string standardApertureDefinition(int dcode, const StandardAperture& aperture);

/// What an aperture macro of the aperture file draws, as standard apertures flashed at the
/// flash point and regions around it (in mils from the point): the targets (moiré and
/// crosshair), the plane relief and the outer reliefs. Sizes are those the macro's own
/// definition gives, so the picture is the macro's, to the mil the regions' corners are
/// rounded to. nullopt for a shape that has no macro.
struct MacroFreeShape {
    std::vector<StandardAperture> apertures;
    std::vector<Contour> contours;
};
std::optional<MacroFreeShape> macroFreeShape(const board::ApertureEntry& entry,
                                             int pourEnlargement);

}  // namespace padloom::plot
