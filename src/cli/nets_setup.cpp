#include "cli/nets_setup.h"

#include <iostream>

#include "cli/commands.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {

void NetsSetup::addOptions(CLI::App& app) {
    inputFiles(app.add_option("BOARD", board, "Autotrax board file (.PCB)"))->required();
    app.add_flag("--pours", copper.pours, "copper pours from 1-mil outlines, as plot --pours");
    app.add_flag("--thermals", copper.thermals, "thermals on external layers, as plot --thermals");
    app.add_option("--pour", copper.pourEnlargement, "pour enlargement, mils")
        ->capture_default_str();
}

nets::BoardNets NetsSetup::find(const std::string& command, const std::string& netlist) const {
    nets::NetsOptions options;
    options.copper = copper;
    options.netlist = netlist;
    nets::BoardNets found = nets::findNets(board, options);
    for (const std::string& warning : found.copper.warnings) {
        std::cerr << "padloom-cli " << command << ": warning: " << warning << "\n";
    }
    return found;
}

}  // namespace padloom::cli
