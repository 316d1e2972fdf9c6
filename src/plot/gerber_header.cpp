#include "plot/gerber_header.h"

#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/text_io.h"
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

void writeApertureDefinitions(LayerFile& file, int layer, const std::string& aptPath,
                              int pourEnlargement, board::ApertureTable& table, const X2Facts* x2) {
    auto& out = file.out;
    out.line("G04 Format statement*");
    out.line("%FSLAX23Y23*%");
    out.line("%MOIN*%");
    if (x2) {
        out.write(gerberFileAttributes(*x2, *setFileOfLayer(layer)));
    }
    out.line(layer == 13 || layer == 14 ? "%IPNEG*%" : "%IPPOS*%");
    out.line("G04 Apeture information*");  // sic
    table.clear();
    common::LineReader reader(aptPath);
    board::refuseBinaryAptFile(reader);
    std::string line;
    static const ApertureFunctions kNoFunctions;
    ApertureAttributeWriter attributes(
        out, x2 ? x2->functions[static_cast<size_t>(layer)] : kNoFunctions);
    while (reader.next(line)) {
        board::AptLine apt = board::ParseAptLine(line);
        if (auto code = table.addLine(apt)) {
            if (x2) {
                attributes.before(table.entries().back().dcode);
            }
            out.write(apertureDefinition(table.entries().back(), pourEnlargement));
        }
    }
    attributes.end();
    board::refuseEmptyAptFile(table, aptPath);
    out.line("G04 End of apeture information*");  // sic
}

}  // namespace padloom::plot
