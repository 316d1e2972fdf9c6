#include <iostream>

#include "annotate/placement.h"
#include "cli/commands.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct XyArgs {
    std::string board;
    std::string output;
    annotate::PlacementOptions options;
};

const RegisterCommand xyCommand(
    "xy", "write the X/Y placement file (.UCM) of a board for pick and place",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<XyArgs>();
        auto& o = a->options;
        const auto layers = CLI::Range(0, 13);
        inputFiles(app.add_option("BOARD", a->board, "Autotrax board file (.PCB)"))->required();
        app.add_option("-o,--output", a->output,
                       "placement file (default: beside the board, .UCM)");
        app.add_flag("--comma", o.commaDelimited, "\",\" between fields instead of TAB");
        app.add_flag("--sort", o.sortResults, "sort the component lines by designator");
        app.add_flag("--ignore-robber-pads", o.ignoreRobberPads,
                     "leave thieving fills out of padless parts");
        app.add_option("--top-legend", o.topLegendLayer, "top side legend layer, 0 to 13")
            ->check(layers)
            ->capture_default_str();
        app.add_option("--bottom-legend", o.bottomLegendLayer, "bottom side legend layer, 0 to 13")
            ->check(layers)
            ->capture_default_str();
        app.add_option("--top-fill", o.topFillLayer, "top side fill layer, 0 to 13")
            ->check(layers)
            ->capture_default_str();
        app.add_option("--bottom-fill", o.bottomFillLayer, "bottom side fill layer, 0 to 13")
            ->check(layers)
            ->capture_default_str();
        run = [a] {
            auto result = annotate::writePlacementFile(a->board, a->options, a->output);
            for (const auto& p : result.problems) {
                std::cerr << p << "\n";
            }
            std::cout << "wrote " << result.outputPath << " (" << result.components
                      << " components)\n";
            return 0;
        };
    });

}  // namespace
}  // namespace padloom::cli
