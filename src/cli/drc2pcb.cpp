#include <iostream>

#include "annotate/drc_to_pcb.h"
#include "board/board_reader.h"
#include "cli/commands.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct DrcArgs {
    std::string report;
    std::string output;
    std::string board;
};

const RegisterCommand drc2pcbCommand(
    "drc2pcb", "draw the clearance errors of a design-rule report into a board file",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<DrcArgs>();
        inputFiles(app.add_option("REPORT", a->report, "Autotrax design-rule report (.drc)"))
            ->required();
        app.add_option("-o,--output", a->output, "board file to write")->required();
        inputFiles(
            app.add_option("--board", a->board,
                           "copy this board with the highlights added (default: a board of the "
                           "highlights only)"));
        run = [a] {
            const auto highlights = annotate::readDrcReport(a->report);
            if (a->board.empty()) {
                annotate::writeErrorBoard(highlights, a->report, a->output);
            } else {
                if (!annotate::writeHighlightedBoard(highlights, a->report, a->board, a->output)) {
                    std::cerr << board::missingHeaderWarning(a->board) << "\n";
                }
            }
            for (const auto& s : highlights.skipped) {
                std::cerr << "left out: " << s << "\n";
            }
            std::cout << "wrote " << a->output << " (" << highlights.errors << " clearance errors, "
                      << highlights.objects << " highlights)\n";
            return 0;
        };
    });

}  // namespace
}  // namespace padloom::cli
