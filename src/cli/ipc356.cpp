#include "nets/ipc356.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/nets_setup.h"
#include "common/base_name.h"
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
    std::vector<std::string> warnings;
    nets::writeIpc356(found, a.setup.board, out, warnings);
    for (const std::string& w : warnings) {
        std::cerr << "padloom-cli ipc356: " << out << ": warning: " << w << "\n";
    }
    std::cout << "wrote " << out << "\n";
    return 0;
}

const RegisterCommand ipc356Command(
    "ipc356", "IPC-D-356A bare-board test netlist of the copper",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<Ipc356Args>();
        a->setup.addOptions(app);
        app.add_option("-o,--output", a->output, "test netlist (default: beside the board, .ipc)");
        inputFiles(
            app.add_option("--netlist", a->netlist, "Protel netlist (.NET) to name the nets from"));
        app.footer(
            "One 317 record per plated hole and via, one 327 per surface pad, sorted by net; "
            "nets are the copper's islands, named from the netlist, else the board's NETDEF, "
            "else N00001...");
        run = [a] { return runIpc356(*a); };
    });

}  // namespace
}  // namespace padloom::cli
