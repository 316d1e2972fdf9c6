#include <iostream>
#include <map>

#include "annotate/dxf_export.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "common/base_name.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

/// Answers the component height question: a --height given for the pattern, else the
/// height proposed by an "h=" comment, else the terminal when --ask was given, else no
/// height (as a cancelled question).
class DxfCliHost : public CliHost {
public:
    DxfCliHost(std::string board, std::map<std::string, std::string> heights, bool ask)
        : CliHost({std::move(board)}, false), m_heights(std::move(heights)) {
        askTerminal = ask;
    }

    std::optional<std::string> askLine(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override {
        if (prompt.substr(0, annotate::kHeightPromptPrefix.size()) ==
            annotate::kHeightPromptPrefix) {
            const std::string pattern(prompt.substr(annotate::kHeightPromptPrefix.size()));
            if (auto it = m_heights.find(pattern); it != m_heights.end()) {
                return it->second;
            }
            if (!initial.empty()) {
                return std::string(initial);
            }
        }
        return CliHost::askLine(caption, prompt, initial);
    }

private:
    std::map<std::string, std::string> m_heights;
};

struct DxfArgs {
    std::string board;
    std::vector<std::string> heights;
    bool ask = false;
};

const RegisterCommand dxfCommand(
    "dxf", "export a board, with component heights, as a DXF drawing",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<DxfArgs>();
        inputFiles(app.add_option("BOARD", a->board, "Autotrax board file (.PCB)"))->required();
        app.add_option("--height", a->heights,
                       "height of a pattern not yet in the height file (.DAT), mils")
            ->type_name("PATTERN=MILS");
        app.add_flag("--ask", a->ask, "ask on the terminal for heights that nothing else gives");
        run = [a] {
            std::map<std::string, std::string> heights;
            for (const auto& item : a->heights) {
                const size_t eq = item.rfind('=');
                if (eq == std::string::npos || eq == 0 ||
                    !annotate::parseHeight(item.substr(eq + 1))) {
                    std::cerr << "padloom-cli dxf: --height \"" << item
                              << "\" is not PATTERN=MILS with whole mils\n";
                    return 2;
                }
                heights[item.substr(0, eq)] = item.substr(eq + 1);
            }
            DxfCliHost host(a->board, std::move(heights), a->ask);
            const auto outcome = annotate::makeDxf(host);
            if (outcome != common::Outcome::Done) {
                return 1;
            }
            std::cout << "wrote " << common::withExtension(a->board, ".DXF") << "\n";
            return 0;
        };
    });

}  // namespace
}  // namespace padloom::cli
