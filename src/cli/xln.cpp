#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "tools/xln_merge.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct XlnArgs {
    std::string tol;
    std::string drill;
};

const RegisterCommand xlnCommand(
    "xln", "merge an NC drill file (.TXT) and its tool table (.TOL) into one Excellon file",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<XlnArgs>();
        inputFiles(app.add_option("--tol", a->tol, "tool table with diameters in mils (.TOL)"))
            ->required();
        inputFiles(app.add_option("DRILL", a->drill, "NC drill file (.TXT)"))->required();
        run = [a] {
            CliHost host({a->tol, a->drill}, false);
            tools::ToolTable table;
            if (tools::loadToolTable(host, table) != common::Outcome::Done ||
                tools::mergeDrillFile(host, table) != common::Outcome::Done) {
                return 1;
            }
            return 0;
        };
    });

}  // namespace
}  // namespace padloom::cli
