#include <iostream>

#include "cli/commands.h"
#include "cli/nets_setup.h"
#include "nets/nets_report.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct NetcheckArgs {
    NetsSetup setup;
    std::string netlist;
    bool json = false;
};

int runNetcheck(const NetcheckArgs& a) {
    const nets::BoardNets found = a.setup.find("netcheck", a.netlist);
    if (!found.reference) {
        std::cerr << "padloom-cli netcheck: " << a.setup.board
                  << ": no netlist given and the board has no NETDEF blocks to check against\n";
        return 1;
    }
    const nets::NetDifferences diff = nets::compareWithNetlist(found, *found.reference);
    std::cout << (a.json ? nets::differencesJson(diff) : nets::differencesText(diff));
    return diff.any() ? 1 : 0;
}

const RegisterCommand netcheckCommand(
    "netcheck",
    "opens, shorts and missing pins of the copper against the netlist (NETDEF when no file is "
    "given); exit 1 on any difference",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<NetcheckArgs>();
        a->setup.addOptions(app);
        inputFiles(app.add_option("NETLIST", a->netlist,
                                  "Protel netlist (.NET); default: the board's NETDEF"));
        app.add_flag("--json", a->json,
                     "one JSON document: {\"opens\", \"shorts\", \"missing\", \"extra\", "
                     "\"possibleShorts\"} (mils), and \"freePads\" when copper joins any");
        app.footer(
            "Opens: a net whose pins lie on two copper islands or more. Shorts: one island "
            "holding pins of two nets or more, with where they meet. Missing: pins of the "
            "netlist the board lacks. Extra: pads in no net that copper joins to other pads. "
            "Exit status 1 when there is any difference.");
        run = [a] { return runNetcheck(*a); };
    });

}  // namespace
}  // namespace padloom::cli
