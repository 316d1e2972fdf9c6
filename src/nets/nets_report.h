#pragma once

#include <string>

#include "nets/board_nets.h"

namespace padloom::nets {

/// The nets of a board as text for a reader: each net with its pins and copper object count,
/// then the unconnected pads, the pads of no component and the texts across nets.
std::string netsText(const BoardNets& nets);

/// The same as one JSON document: {"nets": [{"name", "pins", "objects"}...], "unconnected":
/// [...], "possibleShorts": [{"text", "nets", "at"}...]}; coordinates in mils.
std::string netsJson(const BoardNets& nets);

/// The differences between the copper and a netlist as text; "No differences." when there are
/// none.
std::string differencesText(const NetDifferences& diff);

/// The same as one JSON document: {"opens", "shorts", "missing", "extra", "possibleShorts"},
/// and "freePads" when there are any.
std::string differencesJson(const NetDifferences& diff);

}  // namespace padloom::nets
