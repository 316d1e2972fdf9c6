#pragma once

#include <string>

#include "nets/board_nets.h"

namespace CLI {
class App;
}

namespace padloom::cli {

/// The options that `nets`, `netcheck` and `ipc356` share: the board, and the plot options
/// that decide what copper there is.
struct NetsSetup {
    std::string board;
    nets::CopperOptions copper;

    /// Adds the board argument and the copper options to a subcommand.
    void addOptions(CLI::App& app);
    /// Finds the nets of the board, named from `netlist` (or NETDEF); prints the copper
    /// warnings to stderr under the command's name.
    nets::BoardNets find(const std::string& command, const std::string& netlist) const;
};

}  // namespace padloom::cli
