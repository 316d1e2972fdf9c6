#include "plot/plot_run.h"

#include "common/number_format.h"
#include "plot/bom.h"
#include "plot/drill_drawing.h"
#include "plot/layer_plot.h"
#include "plot/nc_drill.h"

namespace padloom::plot {

std::string_view layerExtension(int plotLayer) {
    static constexpr std::string_view kExtensions[] = {
        "",     ".GTL", ".GM1", ".GM2", ".GM3", ".GM4", ".GBL", ".GTO", ".GBO",
        ".GDD", ".GDG", ".GTS", ".GBS", ".GGD", ".GPW", ".GTP", ".GBP", ".GBD"};
    return plotLayer >= 1 && plotLayer <= kPlotLayerCount ? kExtensions[plotLayer] : "";
}

void plotBoard(common::Host& host, const PlotOptions& options, const board::RunValues& rv) {
    if (!rv.aptMade) {
        return;  // no aperture file was made: nothing to plot with, nothing to say
    }
    using common::decimal;
    host.addLine(rv.boardFile);
    host.addLine(rv.aptFile);
    host.addLine(rv.baseName);
    const board::Extents& e = rv.extents;
    host.addLine("Dimentions are: " + decimal(e.minX) + " " + decimal(e.minY) + ", " +  // sic
                 decimal(e.maxX) + ", " + decimal(e.maxY));
    // the layers other than the drill drawing and the pour layers are written in passes over
    // the board shared between them, and reported and put in place here in layer order
    std::vector<int> shared;
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (options.layers[layer] && layer != 9 && !isPourLayer(layer, rv)) {
            shared.push_back(layer);
        }
    }
    auto plotted = plotLayerFiles(host, options, rv, shared, options.threads);
    auto next = plotted.begin();
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (!options.layers[layer]) {
            continue;
        }
        if (layer == 9) {
            plotDrillDrawing(host, options, rv, layer);
        } else if (isPourLayer(layer, rv)) {
            plotLayerFile(host, options, rv, layer);
        } else {
            PlottedLayer& p = *next++;
            host.addLine(layerExtension(layer));
            for (const auto& message : p.messages) {
                host.addLine(message);
            }
            if (p.error) {
                std::rethrow_exception(p.error);
            }
            p.file->out.commit();
            p.file.reset();
        }
        host.letMessagesRun();
    }
    if (options.ncDrill) {
        createNcDrillFile(host, options, rv);
    }
    if (options.bom) {
        writeBillOfMaterials(host, options, rv);
    }
    host.addLine("Done");
}

}  // namespace padloom::plot
