#include "plot/gerber_header.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/number_format.h"
#include "common/text_io.h"
#include "plot/flash_recipes.h"
#include "plot/layer_plot.h"
#include "plot/plot_run.h"
#include "plot/x2_attributes.h"

namespace padloom::plot {

using board::ApertureEntry;
using common::decimal;
using common::inchFormA;
using common::inchFormB;
using common::inchFormF;

namespace {

// Nearest integer, halves to the even neighbour.
long long roundHalfEven(double v) {
    return std::llrint(std::nearbyint(v));
}

}  // namespace

std::optional<ReliefSpokes> outerReliefSpokes(int shape, long long X, long long Y, int r) {
    if (shape == board::kRelExtRound) {
        return ReliefSpokes{X / 4, (X + r) / 2 + 1, 45};
    }
    if (shape == board::kRelExtRect) {
        const double ex = double(X + r);
        const double ey = double(Y + r);
        // 6.28 rather than 2 pi: the angle must match the files this program has always
        // written; atan2 gives 0 for a 0 by 0 pad where Y / X is undefined
        return ReliefSpokes{std::min(X, Y) / 4, roundHalfEven(std::sqrt(ex * ex + ey * ey) / 2) + 2,
                            roundHalfEven(std::atan2(double(Y), double(X)) * 360 / 6.28)};
    }
    return std::nullopt;
}

std::string apertureDefinition(const ApertureEntry& a, int r) {
    const std::string d = decimal(a.dcode);
    const std::string x = decimal(a.xSize);
    const std::string y = decimal(a.ySize);
    // sizes from a foreign aperture file may be as large as an int holds: the sums and the
    // enlargements below are taken in a wider type
    const long long X = a.xSize;
    const long long Y = a.ySize;
    switch (a.shape) {
        case board::kCircular:
            return "%ADD" + d + "C," + inchFormA(X) + "*%\r\n";
        case board::kRectangular:
            return "%ADD" + d + "R," + inchFormA(X) + "X" + inchFormA(Y) + "*%\r\n";
        case board::kRoundRect:
            return "%ADD" + d + "O," + inchFormA(X) + "X" + inchFormA(Y) + "*%\r\n";
        case board::kOctagonal:
            return "%ADD" + d + "P," + inchFormA(X) + "X8X22.5*%\r\n";
        case board::kMoire: {
            std::string t = inchFormF(X / 10.0);
            return "%AMMOIRE" + x + "*6,0,0," + inchFormA(X) + "," + t + "," + t +
                   ",5,0,0,0*%\r\n%ADD" + d + "MOIRE" + x + "*%\r\n";
        }
        case board::kCrosshair: {
            std::string c = inchFormF(X);
            std::string h = inchFormF(X / 20.0);
            return "%AMCROSSHAIR" + x + "*21,1," + c + "," + h + ",0,0*21,1," + h + "," + c +
                   ",0,0*%\r\n%ADD" + d + "CROSSHAIR" + x + "*%\r\n";
        }
        case board::kRelief:
            return "%AMTHERM" + x + "*7,0,0," + inchFormA(X + 20) + "," + inchFormA(X) + "," +
                   inchFormA(X / 3) + ",0*%\r\n%ADD" + d + "THERM" + x + "*%\r\n";
        case board::kRelExtRound: {
            const ReliefSpokes spokes = *outerReliefSpokes(a.shape, X, Y, r);
            std::string q = inchFormB(spokes.width);
            std::string e = inchFormB(spokes.halfLength);
            return "%AMTHERM_EXT_ROUND" + x + "*1,1," + inchFormA(X) + ",0,0*20,1," + q + ",-" + e +
                   ",0," + e + ",0,45*20,1," + q + ",-" + e + ",0," + e + ",0,-45*%\r\n%ADD" + d +
                   "THERM_EXT_ROUND" + x + "*%\r\n";
        }
        case board::kRelExtRect: {
            const ReliefSpokes spokes = *outerReliefSpokes(a.shape, X, Y, r);
            std::string q = inchFormB(spokes.width);
            std::string e = inchFormB(spokes.halfLength);
            const long long angle = spokes.angle;
            return "%AMTHERM_EXT_RECT" + x + "x" + y + "*21,1," + inchFormB(X) + "," +
                   inchFormB(Y) + ",0,0,0*20,1," + q + ",-" + e + ",0," + e + ",0," +
                   decimal(angle) + "*20,1," + q + ",-" + e + ",0," + e + ",0," + decimal(-angle) +
                   "*%\r\n%ADD" + d + "THERM_EXT_RECT" + x + "x" + y + "*%\r\n";
        }
        case board::kRelExtRRect:
            return "%AMTHERM_EXT_RRECT" + x + "x" + y + "*21,1," + inchFormB(X) + "," +
                   inchFormB(Y) + ",0,0,0*%\r\n%ADD" + d + "THERM_EXT_RRECT" + x + "x" + y +
                   "*%\r\n";
        default:
            return "";
    }
}

FileStyle fileStyleOf(const PlotOptions& options) {
    return {options.x2Facts.get(), positivePlanes(options), options.noMacros};
}

bool positivePlanes(const PlotOptions& options) {
    return options.positivePlanes || options.x2;
}

namespace {

// The D-codes a file's recipes give their standard apertures: numbers the aperture file does
// not use, from above its highest one (or from D10 up when there is no room above it).
class FreshDcodes {
public:
    explicit FreshDcodes(const board::ApertureTable& table) : m_used(table) {
        int highest = 9;
        for (const auto& e : table.entries()) {
            highest = std::max(highest, e.dcode);
        }
        m_next = highest < std::numeric_limits<int>::max() ? highest + 1 : 10;
    }
    int next() {
        while (m_used.contains(m_next)) {
            m_next = m_next < std::numeric_limits<int>::max() ? m_next + 1 : 10;
        }
        return m_next++;
    }

private:
    DefinedDcodes m_used;
    int m_next;
};

}  // namespace

void writeApertureDefinitions(LayerFile& file, int layer, const std::string& aptPath,
                              int pourEnlargement, board::ApertureTable& table,
                              const FileStyle& style) {
    auto& out = file.out;
    const X2Facts* x2 = style.x2;
    const bool plane = layer == 13 || layer == 14;
    file.currentSyntax = x2 != nullptr;
    file.recipes.reset();
    out.line("G04 Format statement*");
    out.line("%FSLAX23Y23*%");
    out.line("%MOIN*%");
    if (x2) {
        out.write(gerberFileAttributes(*x2, *setFileOfLayer(layer)));
    } else {
        out.line(plane && !style.positivePlanes ? "%IPNEG*%" : "%IPPOS*%");
    }
    out.line("G04 Apeture information*");  // sic
    table.clear();
    common::LineReader reader(aptPath);
    board::refuseBinaryAptFile(reader);
    std::string line;
    static const ApertureFunctions kNoFunctions;
    ApertureAttributeWriter attributes(
        out, x2 ? x2->functions[static_cast<size_t>(layer)] : kNoFunctions);
    std::vector<std::pair<int, MacroFreeShape>> macroFree;  // D-code, what it stands for
    while (reader.next(line)) {
        board::AptLine apt = board::ParseAptLine(line);
        if (auto code = table.addLine(apt)) {
            const board::ApertureEntry& entry = table.entries().back();
            std::optional<MacroFreeShape> shape;
            if (style.noMacros) {
                shape = macroFreeShape(entry, pourEnlargement);
            }
            if (shape && shape->contours.empty() && shape->apertures.size() == 1) {
                // a macro that draws what a standard aperture draws becomes that aperture
                attributes.before(entry.dcode);
                out.write(standardApertureDefinition(entry.dcode, shape->apertures.front()));
            } else if (shape) {
                macroFree.emplace_back(entry.dcode, std::move(*shape));
            } else {
                attributes.before(entry.dcode);
                out.write(apertureDefinition(entry, pourEnlargement));
            }
        }
    }
    if (!macroFree.empty()) {
        FreshDcodes fresh(table);
        auto recipes = std::make_shared<FlashRecipes>();
        for (auto& [dcode, shape] : macroFree) {
            // the standard apertures of a recipe take the function of the aperture it is for
            attributes.before(dcode);
            FlashRecipe& recipe = (*recipes)[dcode];
            for (const StandardAperture& a : shape.apertures) {
                recipe.apertures.push_back(fresh.next());
                out.write(standardApertureDefinition(recipe.apertures.back(), a));
            }
            recipe.contours = std::move(shape.contours);
        }
        file.recipes = std::move(recipes);
    }
    attributes.end();
    board::refuseEmptyAptFile(table, aptPath);
    out.line("G04 End of apeture information*");  // sic
    if (file.currentSyntax) {
        out.line("G01*");
        out.line("G75*");
    }
}

}  // namespace padloom::plot
