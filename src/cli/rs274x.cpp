#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "convert/rs274d_to_rs274x.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct Rs274xArgs {
    convert::Rs274xOptions options;
    std::vector<std::string> plots;
    std::string single;
    std::string zeros = "leading";
};

int runRs274x(Rs274xArgs& a) {
    auto& o = a.options;
    o.zeros = a.zeros == "trailing" ? convert::ZeroSuppression::Trailing
              : a.zeros == "none"   ? convert::ZeroSuppression::None
                                    : convert::ZeroSuppression::Leading;
    o.single = !a.single.empty();
    convert::addPlotFiles(o.plots, a.plots);  // in the order the window lists them
    CliHost host({}, false, true);
    if (o.single) {
        host.saveAnswers.push_back(a.single);
    }
    std::vector<convert::UndefinedDcode> undefined;
    if (convert::createExtendedGerbers(host, o, &undefined) != common::Outcome::Done) {
        std::cerr << "padloom-cli rs274x: no aperture file or no plots given\n";
        return 1;
    }
    if (o.single) {
        std::cout << "wrote " << a.single << "\n";
    } else {
        for (const auto& plot : o.plots) {
            std::cout << "wrote " << plot << ".xgerber\n";
        }
    }
    // the files are written, but they select apertures they do not define (named on stderr)
    return undefined.empty() ? 0 : 1;
}

const RegisterCommand rs274xCommand(
    "rs274x", "turn Traxplot RS274D plots and their aperture file into RS274X files",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<Rs274xArgs>();
        auto& o = a->options;
        inputFiles(app.add_option("--apt", o.aptFile, "aperture file (.APT)"))->required();
        inputFiles(app.add_option("PLOT", a->plots, "RS274D plot files"))->required();
        app.add_option("--single", a->single,
                       "write every plot into this one file (default: PLOT.xgerber for each)");
        app.add_option("--digits", o.digits, "integer digits of the format statement")
            ->check(CLI::Range(1, 9))
            ->capture_default_str();
        app.add_option("--precision", o.precision, "decimal digits of the format statement")
            ->check(CLI::Range(1, 9))
            ->capture_default_str();
        app.add_flag("--incremental", o.incremental, "incremental coordinates (default absolute)");
        app.add_option("--zeros", a->zeros, "zero suppression")
            ->check(CLI::IsMember({"leading", "trailing", "none"}))
            ->capture_default_str();
        app.add_flag("--metric", o.metric, "millimetres: %MOMM and aperture sizes in mm");
        run = [a] { return runRs274x(*a); };
    });

}  // namespace
}  // namespace padloom::cli
