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
    PlotSetup setup;
};

int runPackage(const PackageArgs& a) {
    fab::FabProfile profile;
    try {
        profile = fab::loadProfile(a.fab);  // can throw
    } catch (const fab::UnknownProfile& e) {
        std::cerr << "padloom-cli package: " << e.what() << "\n";
        return 2;
    }
    plot::PlotOptions options;
    options.x2 = !a.noX2;
    a.setup.applyTo(options);

    const std::string zip = a.output.empty() ? common::baseName(a.board) + ".zip" : a.output;
    fab::checkZipPath(zip);  // before the aperture file is made
    CliHost host({a.board}, a.setup.yes);
    board::RunValues runValues;
    if (!a.setup.makeApertures(host, runValues)) {
        std::cerr << "padloom-cli package: " << a.board
                  << ": no aperture file made; nothing packaged\n";
        return 1;
    }
    fab::PackageResult result =
        fab::makeFabPackage(host, options, annotate::PlacementOptions{}, runValues, zip, &profile);
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
    "the fab set of a board (copper, masks, legends, outline, drill, drill drawing, BOM, X/Y, "
    "job file) and a README.md in one zip, under the names fab software recognises",
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
        a->setup.addOptions(app);
        app.footer(
            "The layer files, NC drill file, BOM and X/Y file are written beside the board as "
            "a plot run writes them; in the zip they take the names fab software recognises "
            "(mid layers G1..G4, planes GP1 and GP2, outline GKO, drill drawing GD1, drill guide "
            "GG1), or those the --fab profile gives. Exit status 1 when the files read back with "
            "errors, 2 for a profile name no profile has.");
        run = [a] { return runPackage(*a); };
    });

}  // namespace
}  // namespace padloom::cli
