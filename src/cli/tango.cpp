#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/plot_setup.h"
#include "plot/nc_drill.h"
#include "plot/plot_run.h"
#include "tango/tango_plot.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct TangoArgs {
    std::string board;
    std::string layers;
    bool allLayers = false;
    bool ncDrill = false;
    std::string drillFormat = "2.3";
    bool noMacros = false;
    bool x2 = false;
    tango::TangoSizes sizes;
};

// The layers the window lets the user tick: mid layers, planes and the BOM are disabled there.
bool offeredByWindow(int layer) {
    return layer == 1 || (layer >= 6 && layer <= 12) || layer >= 15;
}

int runTango(const TangoArgs& a) {
    tango::TangoOptions options;
    for (int layer = 1; a.allLayers && layer <= plot::kPlotLayerCount; ++layer) {
        options.layers[layer] = offeredByWindow(layer);
    }
    std::string rest = a.layers;
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string item = rest.substr(0, comma);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        auto layer = plot::plotLayerNamed(item);
        if (!layer) {
            std::cerr << "padloom-cli tango: --layers: \"" << item
                      << "\" is neither a layer extension (GTL ... GBD) nor a number 1 to 17\n";
            return 2;
        }
        if (tango::isPlaneLayer(*layer)) {
            std::cerr << "padloom-cli tango: --layers: " << item
                      << ": a TANGO board has no plane layers\n";
            return 2;
        }
        options.layers[*layer] = true;
    }
    options.ncDrill = a.ncDrill;
    options.drillFormat24 = a.drillFormat == "2.4";
    if (a.drillFormat != "2.3" && a.drillFormat != "2.4") {
        options.drillFormat = plot::parseDrillFormat(a.drillFormat);
    }
    options.noMacros = a.noMacros;
    options.sizes = a.sizes;
    options.x2 = a.x2;

    CliHost host({a.board}, false);
    switch (tango::plotTangoBoard(host, options, a.board)) {
        case common::Outcome::Done:
            return 0;
        default:
            return 1;  // refused: the reason is on standard error
    }
}

const RegisterCommand tangoCommand(
    "tango", "plot a TANGO board into RS274X layer files, NC drill file and drill drawing",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<TangoArgs>();
        inputFiles(app.add_option("BOARD", a->board, "TANGO ASCII board file"))->required();
        auto* layers = app.add_option(
            "--layers", a->layers,
            "plot layers, comma-separated: extensions (GTL,GM1..GM4,GBL,GTO,GBO,GDD,GDG,GTS,"
            "GBS,GTP,GBP,GBD) or numbers 1 to 17");
        app.add_flag("--all-layers", a->allLayers,
                     "plot every layer the TANGO window offers (all but the mid layers and the "
                     "planes)")
            ->excludes(layers);
        app.add_flag("--nc-drill", a->ncDrill, "write the NC drill file (.TXT)");
        addDrillFormatOption(app, a->drillFormat);
        addNoMacrosFlag(app, a->noMacros);
        app.add_option("--solder-mask", a->sizes.solderMask, "solder mask enlargement, mils")
            ->capture_default_str();
        app.add_option("--paste", a->sizes.paste, "paste mask enlargement, mils")
            ->capture_default_str();
        app.add_option("--drill-guide", a->sizes.drillGuide, "drill guide size, mils")
            ->capture_default_str();
        app.add_flag("--x2", a->x2,
                     "Gerber X2 attributes: each file says what it is, and a Gerber job file "
                     "(.gbrjob) lists the set");
        run = [a] { return runTango(*a); };
    });

}  // namespace
}  // namespace padloom::cli
