#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace padloom::cli {

/// A subcommand adds itself to the application: its options, and the callback that runs it.
/// The callback returns the exit status (0 done, 1 a tool error).
using CommandSetup = std::function<void(CLI::App& app, std::function<int()>& run)>;

struct CommandEntry {
    std::string name;
    std::string description;
    CommandSetup setup;
};

std::vector<CommandEntry>& commandRegistry();

/// Marks an option (or positional) as naming input files: before the subcommand runs, each
/// file it names must exist, or the run stops with "PATH: no such file" (exit 1), the same
/// words for every subcommand.
CLI::Option* inputFiles(CLI::Option* option);

/// Stops with the same words when an input file named in `paths` is missing, a folder or not a
/// regular file (common::IoError).
void requireInputFiles(const CLI::App& app);

/// Why a run over a board that ends without its "ENDPCB" line exits 1 although it wrote its
/// files: they hold only what could be read.
inline constexpr const char* kCutShortOutcome =
    "the board ends without its \"ENDPCB\" line: it may be cut short, and what was written "
    "holds only what could be read";

/// Registers a subcommand at start-up; one static instance per command source file, named for
/// its command (`plotCommand`): the command files are compiled in batches, several to a unit,
/// so their file-level names must differ from one file to the next.
struct RegisterCommand {
    RegisterCommand(std::string name, std::string description, CommandSetup setup) {
        commandRegistry().push_back({std::move(name), std::move(description), std::move(setup)});
    }
};

}  // namespace padloom::cli
