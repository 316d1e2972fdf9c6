#include <iostream>

#include "cli/commands.h"
#include "cli/nets_setup.h"
#include "nets/nets_report.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct NetsArgs {
    NetsSetup setup;
    std::string netlist;
    bool json = false;
};

int runNets(const NetsArgs& a) {
    const nets::BoardNets found = a.setup.find("nets", a.netlist);
    std::cout << (a.json ? nets::netsJson(found) : nets::netsText(found));
    return 0;
}

const RegisterCommand netsCommand(
    "nets", "nets found in the copper, named from NETDEF or the netlist",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<NetsArgs>();
        a->setup.addOptions(app);
        inputFiles(
            app.add_option("--netlist", a->netlist, "Protel netlist (.NET) to name the nets from"));
        app.add_flag("--json", a->json,
                     "one JSON document: {\"nets\": [{\"name\", \"pins\", \"objects\"}...], "
                     "\"unconnected\": [...], \"possibleShorts\": [...]}");
        app.footer(
            "Copper is joined where it touches, on the copper layers and through holes and "
            "vias; pads tied to a plane by their plane code join that plane. Texts on copper "
            "join nothing but are reported when they touch two nets. Pins are named "
            "DESIGNATOR-PAD; pads of no component by their name, or @X,Y (mils).");
        run = [a] { return runNets(*a); };
    });

}  // namespace
}  // namespace padloom::cli
