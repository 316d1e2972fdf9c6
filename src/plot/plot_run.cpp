#include "plot/plot_run.h"

namespace padloom::plot {

std::string_view layerExtension(int plotLayer) {
    static constexpr std::string_view kExtensions[] = {
        "",     ".GTL", ".GM1", ".GM2", ".GM3", ".GM4", ".GBL", ".GTO", ".GBO",
        ".GDD", ".GDG", ".GTS", ".GBS", ".GGD", ".GPW", ".GTP", ".GBP", ".GBD"};
    return plotLayer >= 1 && plotLayer <= kPlotLayerCount ? kExtensions[plotLayer] : "";
}

// Placeholder until the layer plotting lands.
void plotBoard(common::Host& host, const PlotOptions&, const board::RunValues&) {
    host.addLine("This tool is not available yet.");
}

}  // namespace padloom::plot
