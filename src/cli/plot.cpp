#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/plot_setup.h"
#include "plot/plot_run.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct PlotArgs {
    std::string board;
    std::string layers;
    bool allLayers = false;
    bool ncDrill = false;
    bool bom = false;
    bool x2 = false;
    std::string outline;
    PlotSetup setup;
};

int runPlot(const PlotArgs& a) {
    plot::PlotOptions options;
    if (a.allLayers) {
        options.layers.fill(true);
        options.layers[0] = false;
    }
    std::string rest = a.layers;
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string item = rest.substr(0, comma);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        auto layer = plot::plotLayerNamed(item);
        if (!layer) {
            std::cerr << "padloom-cli plot: --layers: \"" << item
                      << "\" is neither a layer extension (GTL ... GBD) nor a number 1 to 17\n";
            return 2;
        }
        options.layers[*layer] = true;
    }
    options.ncDrill = a.ncDrill;
    options.bom = a.bom;
    options.x2 = a.x2;
    if (!a.outline.empty()) {
        options.outlineSource = plot::outlineSourceNamed(a.outline);
    }
    a.setup.applyTo(options);

    CliHost host({a.board}, a.setup.yes);
    board::RunValues runValues;
    if (!a.setup.makeApertures(host, runValues)) {
        std::cerr << "padloom-cli plot: " << a.board
                  << ": no aperture file made; nothing plotted\n";
        return 1;
    }
    plot::plotBoard(host, options, runValues);
    if (runValues.boardCutShort) {
        std::cerr << "padloom-cli plot: " << a.board << ": " << kCutShortOutcome << "\n";
        return 1;
    }
    return 0;
}

const RegisterCommand plotCommand(
    "plot", "plot a board into RS274X layer files, NC drill file, drill drawing and BOM",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<PlotArgs>();
        inputFiles(app.add_option("BOARD", a->board, "Autotrax board file (.PCB)"))->required();
        auto* layers = app.add_option(
            "--layers", a->layers,
            "plot layers, comma-separated: extensions (GTL,GM1..GM4,GBL,GTO,GBO,GDD,GDG,GTS,"
            "GBS,GGD,GPW,GTP,GBP,GBD) or numbers 1 to 17");
        app.add_flag("--all-layers", a->allLayers, "plot all 17 layers")->excludes(layers);
        app.add_flag("--nc-drill", a->ncDrill, "write the NC drill file (.TXT)");
        app.add_flag("--bom", a->bom, "write the bill of materials (.csv)");
        app.add_flag("--x2", a->x2,
                     "Gerber X2 attributes: each file says what it is, and a Gerber job file "
                     "(.gbrjob) lists the set");
        app.add_option("--outline", a->outline,
                       "the outline file (GBD) draws only the board outline, from: auto (the "
                       "board layer 11 when it has lines, else the keep-out layer 12), board, "
                       "keepout or none (no outline file); --x2 takes auto")
            ->check(CLI::IsMember({"auto", "board", "keepout", "none"}));
        a->setup.addOptions(app);
        run = [a] { return runPlot(*a); };
    });

}  // namespace
}  // namespace padloom::cli
