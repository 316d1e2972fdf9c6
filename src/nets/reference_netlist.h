#pragma once

#include <string>
#include <vector>

namespace padloom::nets {

/// A net of a netlist: its name and its pins ("U1-3"), in the order given.
struct ReferenceNet {
    std::string name;
    std::vector<std::string> pins;
};

/// What the schematic says the copper should join: from the NETDEF blocks a board carries or
/// from a Protel netlist file.
struct ReferenceNetlist {
    std::vector<ReferenceNet> nets;
    /// Where it came from, for messages: the netlist file, or the board for NETDEF blocks.
    std::string source;
};

/// Reads the nets of a Protel netlist (.NET): after the component blocks ("[" ... "]"), one
/// block per net: "(", the net name, one pin per line, ")". Lines are taken without the blanks
/// around them. Throws IoError when the file cannot be read, FormatError (naming the file and
/// line) for a net block that is not closed or a file with neither components nor nets.
ReferenceNetlist readProtelNetlist(const std::string& path);

/// Gathers the NETDEF blocks of a board from the lines the board reader passes over: a line
/// "NETDEF", the net name, a number, "(", one pin per line, ")", then "{", connection lines
/// and "}". Feed it every such line in file order.
class NetdefCollector {
public:
    void line(const std::string& text);
    /// The nets gathered; `source` names the board.
    ReferenceNetlist take(const std::string& source);
    bool empty() const { return m_nets.empty(); }

private:
    enum class State { Outside, Name, Number, Open, Pins, Connections };
    State m_state = State::Outside;
    std::vector<ReferenceNet> m_nets;
};

/// The text of a Protel netlist of these nets (net blocks only), lines ending in CR LF.
std::string protelNetlistText(const ReferenceNetlist& netlist);

}  // namespace padloom::nets
