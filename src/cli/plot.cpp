#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "convert/pcb_to_apt.h"
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
    std::string drillFormat = "2.3";
    std::string fillMode = "polygon";
    bool noIncludeBoard = false;
    bool includeKeepOut = false;
    bool thermals = false;
    bool pours = false;
    convert::AptOptions apt;
    bool yes = false;
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
    options.drillFormat24 = a.drillFormat == "2.4";
    options.fillMode = a.fillMode == "flash" ? plot::FillMode::Flash : plot::FillMode::Polygon;
    options.includeBoardLayer = !a.noIncludeBoard;
    options.includeKeepOut = a.includeKeepOut;
    options.thermalsOnExternalLayers = a.thermals;
    options.pourEnable = a.pours;

    convert::AptOptions apt = a.apt;
    apt.plotMode = true;
    apt.fillApertures = options.fillMode == plot::FillMode::Flash;
    apt.pourEnable = a.pours;

    // the aperture file first, as the plot window's first step; an existing one is kept
    // unless --yes, but the board is still read for its extents and drill tally
    CliHost host({a.board}, a.yes);
    board::RunValues runValues;
    runValues.reset();
    if (convert::makeAptFile(host, apt, runValues) != common::Outcome::Done || !runValues.aptMade) {
        std::cerr << "padloom-cli plot: " << a.board
                  << ": no aperture file made; nothing plotted\n";
        return 1;
    }
    plot::plotBoard(host, options, runValues);
    return 0;
}

const RegisterCommand reg(
    "plot", "plot a board into RS274X layer files, NC drill file, drill drawing and BOM",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<PlotArgs>();
        auto& e = a->apt.enlargements;
        app.add_option("BOARD", a->board, "Autotrax board file (.PCB)")->required();
        auto* layers = app.add_option(
            "--layers", a->layers,
            "plot layers, comma-separated: extensions (GTL,GM1..GM4,GBL,GTO,GBO,GDD,GDG,GTS,"
            "GBS,GGD,GPW,GTP,GBP,GBD) or numbers 1 to 17");
        app.add_flag("--all-layers", a->allLayers, "plot all 17 layers")->excludes(layers);
        app.add_flag("--nc-drill", a->ncDrill, "write the NC drill file (.TXT)");
        app.add_flag("--bom", a->bom, "write the bill of materials (.csv)");
        app.add_option("--drill-format", a->drillFormat, "NC drill coordinates, 2.3 or 2.4")
            ->check(CLI::IsMember({"2.3", "2.4"}))
            ->capture_default_str();
        app.add_option("--fill-mode", a->fillMode, "fills as G36/G37 polygons or D3 flashes")
            ->check(CLI::IsMember({"polygon", "flash"}))
            ->capture_default_str();
        app.add_flag("--no-include-board", a->noIncludeBoard,
                     "do not plot the board layer (11) on every layer file");
        app.add_flag("--include-keepout", a->includeKeepOut,
                     "plot the keep-out layer (12) on every layer file");
        app.add_flag("--thermals", a->thermals, "thermals on external layers");
        app.add_flag("--pours", a->pours, "copper pours from 1-mil outlines");
        app.add_option("--solder-mask", e.solderMask, "solder mask enlargement, mils")
            ->capture_default_str();
        app.add_option("--paste", e.paste, "paste mask enlargement, mils")->capture_default_str();
        app.add_option("--plane", e.plane, "plane enlargement, mils")->capture_default_str();
        app.add_option("--drill-guide", a->apt.drillGuideSize, "drill guide size, mils")
            ->capture_default_str();
        app.add_option("--pour", e.pour, "pour enlargement, mils")->capture_default_str();
        app.add_flag("--yes", a->yes, "replace an existing aperture file");
        run = [a] { return runPlot(*a); };
    });

}  // namespace
}  // namespace padloom::cli
