#include "nets/ipc356.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/nets_setup.h"
#include "common/base_name.h"
#include "plot/layer_use.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct Ipc356Args {
    NetsSetup setup;
    std::string netlist;
    std::string output;
};

int runIpc356(const Ipc356Args& a) {
    const nets::BoardNets found = a.setup.find("ipc356", a.netlist);
    const std::string out = a.output.empty() ? common::baseName(a.setup.board) + ".ipc" : a.output;
    nets::Ipc356Options options;
    // the copper layers a plot of the board counts: its planes too
    options.stack = plot::CopperStack(plot::layerUse(a.setup.board).copper());
    std::vector<std::string> warnings;
    nets::writeIpc356(found, a.setup.board, out, options, warnings);
    for (const std::string& w : warnings) {
        std::cerr << "padloom-cli ipc356: " << out << ": warning: " << w << "\n";
    }
    // the nets are the design's: where the copper differs, the user must know
    const nets::NetSource source = nets::netSource(found, a.setup.board);
    if (found.reference) {
        std::cerr << "padloom-cli ipc356: " << out << ": nets from " << source.source << "\n";
        for (const std::string& line : source.check) {
            std::cerr << "padloom-cli ipc356: " << a.setup.board << ": " << line << "\n";
        }
    }
    std::cout << "wrote " << out << "\n";
    return 0;
}

const RegisterCommand ipc356Command(
    "ipc356", "IPC-D-356A bare-board test netlist of the design, or of the copper",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<Ipc356Args>();
        a->setup.addOptions(app);
        app.add_option("-o,--output", a->output, "test netlist (default: beside the board, .ipc)");
        inputFiles(
            app.add_option("--netlist", a->netlist, "Protel netlist (.NET) to take the nets from"));
        app.footer(
            "One 317 record per plated hole and via, 367 per non-plated hole (a Multi Layer pad "
            "no larger than its hole), 327 per surface pad, sorted by net. The nets are the "
            "design's where it is known (--netlist, else the board's NETDEF blocks): every pin "
            "keeps its net's name where the copper is open, and the copper's differences from "
            "the netlist are listed on stderr; without a netlist the nets are the copper's "
            "islands, numbered N00001...");
        run = [a] { return runIpc356(*a); };
    });

}  // namespace
}  // namespace padloom::cli
