#include <algorithm>
#include <iostream>
#include <set>

#include "cli/commands.h"
#include "common/errors.h"
#include "common/temp_files.h"
#include "common/text_io.h"
#include "common/version.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
std::vector<CommandEntry>& commandRegistry() {
    static std::vector<CommandEntry> registry;
    return registry;
}

namespace {
std::set<const CLI::Option*>& inputOptions() {
    static std::set<const CLI::Option*> options;
    return options;
}
}  // namespace

CLI::Option* inputFiles(CLI::Option* option) {
    inputOptions().insert(option);
    return option;
}

void requireInputFiles(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (inputOptions().count(option)) {
            for (const std::string& path : option->results()) {
                padloom::common::requireInputFile(path);
            }
        }
    }
}
}  // namespace padloom::cli

int main(int argc, char** argv) {
    using namespace padloom::cli;
    // Ctrl-C or a termination signal must not leave the run's temporary files behind
    padloom::common::removeTemporariesOnInterrupt();
    CLI::App app{"padloom-cli: PCB manufacturing data from Protel Autotrax and TANGO files",
                 "padloom-cli"};
    app.set_version_flag("--version",
                         std::string("padloom-cli ") + padloom::common::programVersion(),
                         "Print the version and exit");
    app.require_subcommand(1);
    auto& registry = commandRegistry();
    std::sort(registry.begin(), registry.end(),
              [](const CommandEntry& a, const CommandEntry& b) { return a.name < b.name; });
    std::vector<std::function<int()>> runs(registry.size());
    for (size_t i = 0; i < registry.size(); ++i) {
        CLI::App* sub = app.add_subcommand(registry[i].name, registry[i].description);
        registry[i].setup(*sub, runs[i]);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    for (size_t i = 0; i < registry.size(); ++i) {
        if (app.got_subcommand(registry[i].name)) {
            try {
                requireInputFiles(*app.get_subcommand(registry[i].name));
                return runs[i] ? runs[i]() : 0;
            } catch (const padloom::common::IoError& e) {
                std::cerr << "padloom-cli " << registry[i].name << ": " << e.what() << "\n";
                return 1;
            } catch (const std::exception& e) {
                std::cerr << "padloom-cli " << registry[i].name << ": " << e.what() << "\n";
                return 1;
            }
        }
    }
    return 2;
}
