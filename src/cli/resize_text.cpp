#include <iostream>

#include "annotate/text_resize.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "common/base_name.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct ResizeArgs {
    std::string board;
    annotate::TextResizeOptions options;
};

const RegisterCommand resizeTextCommand(
    "resize-text", "set the size of every component designator text of a board (.NEW)",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<ResizeArgs>();
        inputFiles(app.add_option("BOARD", a->board, "Autotrax board file (.PCB)"))->required();
        app.add_option("--height", a->options.height, "designator text height, mils")
            ->capture_default_str();
        app.add_option("--width", a->options.width, "designator stroke width, mils")
            ->capture_default_str();
        run = [a] {
            for (const auto& [option, value] : {std::pair{"--height", a->options.height},
                                                std::pair{"--width", a->options.width}}) {
                if (!annotate::textSizeValue(value)) {
                    std::cerr << "padloom-cli resize-text: " << option << " \"" << value
                              << "\" is not a whole number of mils (0 or more)\n";
                    return 2;
                }
            }
            CliHost host({a->board}, false);
            const auto outcome = annotate::changeComponentTextSize(host, a->options);
            if (outcome != common::Outcome::Done) {
                return 1;
            }
            std::cout << "wrote " << common::withExtension(a->board, ".NEW") << "\n";
            return 0;
        };
    });

}  // namespace
}  // namespace padloom::cli
