#pragma once

#include <optional>
#include <string>
#include <vector>

#include "nets/copper.h"
#include "nets/reference_netlist.h"

namespace padloom::nets {

struct NetsOptions {
    CopperOptions copper;
    /// A Protel netlist to name the nets from; when empty, the board's own NETDEF blocks name
    /// them, and without those they are numbered N00001, N00002...
    std::string netlist;
};

/// The nets of a board: its copper islands, each with a name.
struct BoardNets {
    Copper copper;
    /// Per island: the net name; empty for a lone pad that no netlist names.
    std::vector<std::string> names;
    /// The netlist the names come from: the netlist file, else the board's NETDEF blocks;
    /// nullopt when there is neither.
    std::optional<ReferenceNetlist> reference;
};

/// Reads the board, finds its copper islands and names them. Throws what traceCopper and
/// readProtelNetlist throw.
BoardNets findNets(const std::string& boardPath, const NetsOptions& options);

/// Names the islands: an island takes the name of the netlist net that has most of its pins
/// (a tie goes to the net listed first); when several islands hold pins of one net (an open),
/// the one with most of its pins keeps the name and the others get "_2", "_3"... after it.
/// Islands of two pads or more that no net names are numbered N00001... in order of their
/// first pad; a lone pad no net names stays unnamed.
std::vector<std::string> nameIslands(const Copper& copper, const ReferenceNetlist* reference);

/// A net of the netlist whose pins lie on two copper islands or more.
struct Open {
    std::string net;
    std::vector<std::vector<std::string>> islands;  // the net's pins on each island
    std::vector<std::pair<int, int>> at;            // a point on each island, mils
};

/// A copper island that holds pins of two nets or more.
struct Short {
    std::vector<std::string> nets;
    std::vector<std::string> pins;  // the island's pins of those nets
    std::pair<int, int> at;         // where copper reached from one net meets another, mils
};

/// A text on copper across two nets or more.
struct TextShort {
    std::string text;
    std::vector<std::string> nets;
    std::pair<int, int> at;
    long line = 0;
};

/// How the copper differs from a netlist.
struct NetDifferences {
    std::vector<Open> opens;
    std::vector<Short> shorts;
    std::vector<std::string> missing;  // pins of the netlist the board lacks
    std::vector<std::string> extra;    // pads in no net of the netlist that copper joins to others
    std::vector<TextShort> textShorts;
    /// Free pads (of no component) that copper joins to others: a netlist names component
    /// pins only, so these are told for information and are no difference.
    std::vector<std::string> freePads;
    bool any() const {
        return !opens.empty() || !shorts.empty() || !missing.empty() || !extra.empty() ||
               !textShorts.empty();
    }
};

/// Compares the copper islands with the nets of `reference`.
NetDifferences compareWithNetlist(const BoardNets& nets, const ReferenceNetlist& reference);

/// The texts on copper across two islands or more, with the names of the islands' nets (an
/// unnamed island by its pin).
std::vector<TextShort> textShorts(const BoardNets& nets);

}  // namespace padloom::nets
