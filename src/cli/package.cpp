#include <iostream>

#include "annotate/placement.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/plot_setup.h"
#include "common/base_name.h"
#include "fab/fab_package.h"
#include "fab/fab_profile.h"
#include "plot/plot_run.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct PackageArgs {
    std::string board;
    std::string output;
    std::string fab = "generic";
    bool noX2 = false;
    std::string outline = "auto";
    bool includeBoard = false;
    std::string netlist;
    std::optional<double> thickness;
    fab::OrderChoices order;
    PlotSetup setup;
};

int runPackage(const PackageArgs& a) {
    fab::PackageOptions options;
    try {
        options.profile = std::make_shared<const fab::FabProfile>(fab::loadProfile(a.fab));
    } catch (const fab::UnknownProfile& e) {
        std::cerr << "padloom-cli package: " << e.what() << "\n";
        return 2;
    }
    options.plot.x2 = !a.noX2;
    a.setup.applyTo(options.plot);
    options.outline = *plot::outlineSourceNamed(a.outline);
    options.includeBoardLayer = a.includeBoard;
    options.netlist = a.netlist;
    options.order = a.order;
    options.order.thickness = a.thickness;

    const std::string zip = a.output.empty() ? common::baseName(a.board) + ".zip" : a.output;
    fab::checkZipPath(zip);  // before the aperture file is made
    CliHost host({a.board}, a.setup.yes);
    board::RunValues runValues;
    if (!a.setup.makeApertures(host, runValues)) {
        std::cerr << "padloom-cli package: " << a.board
                  << ": no aperture file made; nothing packaged\n";
        return 1;
    }
    fab::PackageResult result = fab::makeFabPackage(host, options, runValues, zip);
    if (runValues.boardCutShort) {
        std::cerr << "padloom-cli package: " << a.board << ": " << kCutShortOutcome << "\n";
        return 1;
    }
    if (result.hasErrors) {
        std::cerr << "padloom-cli package: " << zip
                  << ": written, but its files have errors (see README.md)\n";
        return 1;
    }
    return 0;
}

const RegisterCommand packageCommand(
    "package",
    "the fab set of a board (copper, masks, legends, outline, plated and non-plated drill "
    "files, drill drawing, BOM, X/Y, test netlist, job file) and a README.md in one zip, under "
    "the names fab software recognises",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<PackageArgs>();
        inputFiles(app.add_option("BOARD", a->board, "Autotrax board file (.PCB)"))->required();
        app.add_option("-o,--output", a->output, "zip file (default: beside the board, .zip)");
        app.add_option("--fab", a->fab,
                       "board-house profile: a name padloom-cli fabs lists, or a profile file "
                       "(default generic)")
            ->type_name("NAME|FILE");
        app.add_flag("--no-x2", a->noX2,
                     "no Gerber X2 attributes in the files and no Gerber job file");
        app.add_option("--outline", a->outline,
                       "where the board outline is: auto (the board layer 11 when it has lines, "
                       "else the keep-out layer 12), board, keepout or none")
            ->check(CLI::IsMember({"auto", "board", "keepout", "none"}))
            ->capture_default_str();
        app.add_flag("--include-board", a->includeBoard,
                     "draw the board layer (11) into every layer file, as plot does");
        inputFiles(app.add_option("--netlist", a->netlist,
                                  "Protel netlist (.NET) the test netlist takes its nets from "
                                  "(default: the board's NETDEF blocks)"));
        app.add_option("--thickness", a->thickness, "board thickness, mm (into the job file)")
            ->check(CLI::Range(0.1, 10.0));
        app.add_option("--copper", a->order.copper, "copper weight, e.g. \"1 oz\"");
        app.add_option("--finish", a->order.finish, "surface finish, e.g. HASL, ENIG");
        app.add_option("--mask-colour", a->order.maskColour, "solder mask colour");
        app.add_option("--legend-colour", a->order.legendColour, "legend colour");
        a->setup.addOptions(app);
        // the package leaves the board layer out of the layer files unless --include-board
        app.remove_option(app.get_option("--no-include-board"));
        app.footer(
            "The layer files, NC drill file, BOM and X/Y file are written beside the board as "
            "a plot run writes them; in the zip they take the names fab software recognises "
            "(mid layers G1..G4, planes GP1 and GP2, outline GKO, drill drawing GD1), with the "
            "holes in BOARD-PTH.TXT and, for a Multi Layer pad no larger than its hole, "
            "BOARD-NPTH.TXT. The outline file draws only the board outline; without one there "
            "is none, and a warning says so. Order choices not given are \"to be chosen when "
            "ordering\" in the README. A --fab profile gives the names in the zip and what the "
            "house asks for (padloom-cli fabs). Exit status 1 when the files read back with "
            "errors, 2 for a profile name no profile has.");
        run = [a] { return runPackage(*a); };
    });

}  // namespace
}  // namespace padloom::cli
