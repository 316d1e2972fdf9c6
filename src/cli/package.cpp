#include <iostream>

#include "annotate/placement.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "common/base_name.h"
#include "convert/pcb_to_apt.h"
#include "fab/fab_package.h"
#include "plot/plot_run.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct PackageArgs {
    std::string board;
    std::string output;
    std::string drillFormat = "2.3";
    std::string fillMode = "polygon";
    bool noIncludeBoard = false;
    bool includeKeepOut = false;
    bool thermals = false;
    bool pours = false;
    convert::AptOptions apt;
    bool yes = false;
};

int runPackage(const PackageArgs& a) {
    plot::PlotOptions options;
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

    CliHost host({a.board}, a.yes);
    board::RunValues runValues;
    runValues.reset();
    if (convert::makeAptFile(host, apt, runValues) != common::Outcome::Done || !runValues.aptMade) {
        std::cerr << "padloom-cli package: " << a.board
                  << ": no aperture file made; nothing packaged\n";
        return 1;
    }
    const std::string zip = a.output.empty() ? common::baseName(a.board) + ".zip" : a.output;
    fab::PackageResult result =
        fab::makeFabPackage(host, options, annotate::PlacementOptions{}, runValues, zip);
    if (result.hasErrors) {
        std::cerr << "padloom-cli package: " << zip
                  << ": written, but its files have errors (see README.txt)\n";
        return 1;
    }
    return 0;
}

const RegisterCommand reg(
    "package",
    "the fab set of a board (copper, masks, legends, outline, drill, drill drawing, BOM, X/Y) "
    "and a README.txt in one zip",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<PackageArgs>();
        auto& e = a->apt.enlargements;
        app.add_option("BOARD", a->board, "Autotrax board file (.PCB)")->required();
        app.add_option("-o,--output", a->output, "zip file (default: beside the board, .zip)");
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
        app.footer(
            "The layer files, NC drill file, BOM and X/Y file are written beside the board as "
            "a plot run writes them. Exit status 1 when the files read back with errors.");
        run = [a] { return runPackage(*a); };
    });

}  // namespace
}  // namespace padloom::cli
