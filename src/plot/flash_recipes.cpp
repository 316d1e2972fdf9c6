#include "plot/flash_recipes.h"

#include <cmath>
#include <numbers>

#include "common/number_format.h"
#include "plot/gerber_header.h"

namespace padloom::plot {

using common::decimal;
using common::inchFormA;

std::string standardApertureDefinition(int dcode, const StandardAperture& a) {
    std::string text = "%ADD" + decimal(dcode);
    if (a.shape == StandardAperture::Shape::Circle) {
        text += "C," + inchFormA(a.x);
        if (a.hole > 0) {
            text += "X" + inchFormA(a.hole);
        }
    } else {
        text += "R," + inchFormA(a.x) + "X" + inchFormA(a.y);
    }
    return text + "*%\r\n";
}

namespace {

// The mils a size written in an aperture macro stands for ("0.007" is 7).
long long milsOf(const std::string& inches) {
    return std::llround(std::stod(inches) * 1000.0);
}

ContourPoint rounded(double x, double y, Reach reach = Reach::Line) {
    return {std::llround(x), std::llround(y), reach, 0, 0};
}

// A bar `width` wide from (-halfLength, 0) to (+halfLength, 0), turned by `degrees` about the
// flash point, as an aperture macro's vector line draws it.
Contour turnedBar(long long width, long long halfLength, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double w = static_cast<double>(width) / 2.0;
    const double e = static_cast<double>(halfLength);
    Contour bar;
    for (auto [x, y] : {std::pair{-e, -w}, {e, -w}, {e, w}, {-e, w}, {-e, -w}}) {
        bar.push_back(rounded(x * c - y * s, x * s + y * c));
    }
    return bar;
}

// The four pieces of a thermal relief (a ring from `inner` to `outer` diameter with a gap
// `gap` wide along each axis): each piece in its quadrant between the gaps, bounded by the
// outer circle, the gap edges and the inner circle, or the corner of the gaps where the inner
// circle does not reach past them.
std::vector<Contour> thermalPieces(long long outer, long long inner, long long gap) {
    const double ro = static_cast<double>(outer) / 2.0;
    const double ri = static_cast<double>(inner) / 2.0;
    const double a = static_cast<double>(gap) / 2.0;
    if (ro * ro <= 2 * a * a) {
        return {};  // the gaps take the whole ring
    }
    const double so = std::sqrt(ro * ro - a * a);
    Contour first{rounded(a, so), rounded(so, a, Reach::Clockwise)};
    if (ri * ri > 2 * a * a) {
        const double si = std::sqrt(ri * ri - a * a);
        first.push_back(rounded(si, a));
        first.push_back(rounded(a, si, Reach::CounterClockwise));
    } else {
        first.push_back(rounded(a, a));
    }
    first.push_back(first.front());
    // the other quadrants a quarter turn on each, which keeps the rounded corners exact
    std::vector<Contour> pieces{first};
    for (int turn = 1; turn < 4; ++turn) {
        Contour next = pieces.back();
        for (ContourPoint& p : next) {
            p = {-p.y, p.x, p.reach, 0, 0};
        }
        pieces.push_back(next);
    }
    return pieces;
}

}  // namespace

std::optional<MacroFreeShape> macroFreeShape(const board::ApertureEntry& entry,
                                             int pourEnlargement) {
    using Shape = StandardAperture::Shape;
    // sizes as the macro writes them: its sizes from the aperture file are taken wide
    const long long X = entry.xSize < 0 ? 0 : entry.xSize;
    const long long Y = entry.ySize < 0 ? 0 : entry.ySize;
    MacroFreeShape shape;
    switch (entry.shape) {
        case board::kMoire: {
            // rings as thick as their gaps, from the outside in, up to five; a ring whose
            // inside closes is a disc, and the last
            const long long t = milsOf(common::inchFormF(static_cast<double>(X) / 10.0));
            long long outside = X;
            for (int ring = 0; ring < 5 && outside > 0; ++ring) {
                const long long inside = outside - 2 * t;
                shape.apertures.push_back({Shape::Circle, outside, outside, inside > 0 ? inside : 0});
                if (inside <= 0) {
                    break;
                }
                outside = inside - 2 * t;
            }
            break;
        }
        case board::kCrosshair: {
            const long long c = milsOf(common::inchFormF(static_cast<double>(X)));
            const long long h = milsOf(common::inchFormF(static_cast<double>(X) / 20.0));
            shape.apertures.push_back({Shape::Rectangle, c, h, 0});
            shape.apertures.push_back({Shape::Rectangle, h, c, 0});
            break;
        }
        case board::kRelief:
            shape.contours = thermalPieces(X + 20, X, X / 3);
            break;
        case board::kRelExtRound:
        case board::kRelExtRect: {
            const ReliefSpokes spokes = *outerReliefSpokes(entry.shape, X, Y, pourEnlargement);
            if (entry.shape == board::kRelExtRound) {
                shape.apertures.push_back({Shape::Circle, X, X, 0});
            } else {
                shape.apertures.push_back({Shape::Rectangle, X, Y, 0});
            }
            for (const long long angle : {spokes.angle, -spokes.angle}) {
                shape.contours.push_back(
                    turnedBar(spokes.width, spokes.halfLength, static_cast<double>(angle)));
            }
            break;
        }
        case board::kRelExtRRect:
            shape.apertures.push_back({Shape::Rectangle, X, Y, 0});
            break;
        default:
            return std::nullopt;
    }
    return shape;
}

}  // namespace padloom::plot
