#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "convert/pcb_to_apt.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct AptArgs {
    std::string board;
    convert::AptOptions options;
    bool yes = false;
};

const RegisterCommand aptCommand(
    "apt", "write the aperture list (.APT) and drill tool table (.TOL) of a board",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<AptArgs>();
        auto& e = a->options.enlargements;
        inputFiles(app.add_option("BOARD", a->board, "Autotrax board file (.PCB)"))->required();
        app.add_option("--solder-mask", e.solderMask, "solder mask enlargement, mils")
            ->capture_default_str();
        app.add_option("--paste", e.paste, "paste mask enlargement, mils")->capture_default_str();
        app.add_option("--plane", e.plane, "plane enlargement, mils")->capture_default_str();
        app.add_option("--drill-guide", a->options.drillGuideSize, "drill guide size, mils")
            ->capture_default_str();
        app.add_option("--pour", e.pour, "pour enlargement, mils")->capture_default_str();
        app.add_flag("--fill-apertures", a->options.fillApertures,
                     "add one rectangular aperture per fill");
        app.add_flag("--yes", a->yes, "replace an existing aperture file");
        run = [a] {
            CliHost host({a->board}, a->yes);
            board::RunValues runValues;
            auto outcome = convert::makeAptFile(host, a->options, runValues);
            if (outcome != common::Outcome::Done) {
                return 1;
            }
            if (host.declined) {
                std::cout << "kept " << runValues.aptFile << "\n";
            } else {
                std::cout << "wrote " << runValues.aptFile << " and " << runValues.baseName
                          << ".TOL\n";
            }
            return 0;
        };
    });

}  // namespace
}  // namespace padloom::cli
