#include "plot/outline_file.h"

#include <optional>

#include "common/number_format.h"
#include "plot/gerber_header.h"
#include "plot/layer_plot.h"
#include "plot/x2_attributes.h"

namespace padloom::plot {

namespace {

constexpr int kOutlineLayer = 17;

}  // namespace

void plotOutlineFile(common::Host& host, const PlotOptions& options, const board::RunValues& rv,
                     const BoardOutline& outline) {
    using common::decimal;
    const std::string extension(layerExtension(kOutlineLayer));
    host.addLine(extension);
    // the apertures of the pieces, and, for the attributes, those alone as the profile
    board::ApertureTable lookup;
    lookup.load(rv.aptFile);  // can throw
    std::vector<int> apertures;
    std::optional<X2Facts> facts;
    if (options.x2Facts) {
        facts = *options.x2Facts;
        facts->functions[kOutlineLayer] = ApertureFunctions();
    }
    for (const OutlinePiece& p : outline.pieces) {
        const int dcode = lookup.FindAperture(board::kCircular, p.width, p.width);
        apertures.push_back(dcode);
        if (facts) {
            facts->functions[kOutlineLayer].note(dcode, AperFunction::Profile);
        }
    }

    LayerFile file(layerOutputPath(rv, extension));
    board::ApertureTable table;
    FileStyle style = fileStyleOf(options);
    style.x2 = facts ? &*facts : nullptr;
    writeApertureDefinitions(file, kOutlineLayer, rv.aptFile, rv.enlargements.pour, table, style);
    const DefinedDcodes defined(table);
    for (size_t i = 0; i < outline.pieces.size(); ++i) {
        const OutlinePiece& p = outline.pieces[i];
        const int aperture = apertures[i];
        if (!usableAperture(defined, aperture)) {
            host.addLine("Error: Apt not found: " + decimal(p.width) + "," + decimal(p.width) +
                         ",1 (board outline " + (p.arc() ? "arc" : "track") + " at " +
                         decimal(p.x1) + "," + decimal(p.y1) + ", line " + decimal(p.line) + ")");
            continue;
        }
        if (p.arc()) {
            plotArc(file, p.cx, p.cy, p.radius, p.quadrant, aperture);
            continue;
        }
        if (file.currentPos != Point{p.x1, p.y1}) {
            plotStep(file, p.x1, p.y1, kMove, aperture);
        }
        plotStep(file, p.x2, p.y2, kDraw, aperture);
    }
    file.out.line("M02*");
    file.out.commit();
}

}  // namespace padloom::plot
