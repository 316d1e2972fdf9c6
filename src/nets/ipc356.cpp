#include "nets/ipc356.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include "board/plating.h"
#include "common/base_name.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::nets {

using common::decimal;

std::string asciiText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // a whole UTF-8 sequence is one character; any other byte is one of its own
        size_t length = c >= 0xc2 && c <= 0xdf   ? 2
                        : c >= 0xe0 && c <= 0xef ? 3
                        : c >= 0xf0 && c <= 0xf4 ? 4
                                                 : 1;
        for (size_t k = 1; k < length; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) {
                length = 1;
                break;
            }
        }
        out += '_';
        i += length;
    }
    return out;
}

namespace {

constexpr size_t kColumns = 80;
constexpr size_t kNetColumns = 14;
constexpr int kTopMask = 11;
constexpr int kBottomMask = 12;

// A record padded with blanks to the full 80 columns.
std::string record(std::string text) {
    text.resize(kColumns, ' ');
    return text;
}

// `text` in ASCII, left-aligned in `width` columns; cut when longer.
std::string field(const std::string& text, size_t width, bool& cut) {
    std::string out = asciiText(text);
    cut = cut || out.size() > width;
    out.resize(width, ' ');
    return out;
}

// The net each record names: the design's where the board has its netlist, else the copper's.
class NetNames {
public:
    explicit NetNames(const BoardNets& nets) : m_nets(nets) {
        if (!nets.reference) {
            return;
        }
        for (const ReferenceNet& net : nets.reference->nets) {
            for (const std::string& pin : net.pins) {
                m_netOfPin.emplace(pin, net.name);  // a pin listed twice keeps its first net
            }
        }
        // each island's net: of the listed pins on it, the first net by name
        m_islandNet.resize(nets.copper.islands.size());
        for (const PadInfo& pad : nets.copper.pads) {
            auto it = m_netOfPin.find(pad.pin);
            if (it == m_netOfPin.end() || pad.island < 0) {
                continue;
            }
            std::string& net = m_islandNet[static_cast<size_t>(pad.island)];
            if (net.empty() || it->second < net) {
                net = it->second;
            }
        }
    }
    std::string ofPad(const PadInfo& pad) const {
        if (!m_nets.reference) {
            return island(pad.island);
        }
        auto it = m_netOfPin.find(pad.pin);
        return it != m_netOfPin.end() ? it->second : designNetOf(pad.island);
    }
    std::string ofVia(const ViaInfo& via) const {
        return m_nets.reference ? designNetOf(via.island) : island(via.island);
    }

private:
    std::string island(int i) const {
        return i >= 0 ? m_nets.names[static_cast<size_t>(i)] : std::string();
    }
    std::string designNetOf(int i) const {
        return i >= 0 ? m_islandNet[static_cast<size_t>(i)] : std::string();
    }

    const BoardNets& m_nets;
    std::unordered_map<std::string, std::string> m_netOfPin;
    std::vector<std::string> m_islandNet;
};

class Ipc356Writer {
public:
    Ipc356Writer(const BoardNets& nets, const Ipc356Options& options,
                 std::vector<std::string>& warnings)
        : m_nets(nets), m_options(options), m_names(nets), m_warnings(warnings) {
        if (options.stack) {
            m_stack = *options.stack;
        } else {
            // the top, the mid layers with copper of their own, the bottom
            plot::CopperUse used{};
            for (int layer = 2; layer <= 5; ++layer) {
                used[static_cast<size_t>(layer)] =
                    (nets.copper.layersUsed & (1u << (layer - 1))) != 0;
            }
            m_stack = plot::CopperStack(used);
        }
    }

    std::string text(const std::string& jobName);

private:
    struct Test {
        std::string net;  // as the design or the copper names it; empty for N/C
        long line;
        std::string text;
    };

    // a signed coordinate in 0.0001 inch, six digits after the sign
    std::string coordinate(char axis, int mils) {
        long long v = static_cast<long long>(mils) * 10;
        if (std::llabs(v) > 999999) {
            m_clamped = true;
            v = v < 0 ? -999999 : 999999;
        }
        return std::string(1, axis) + (v < 0 ? "-" : "+") + common::zeroPadded(std::llabs(v), 6);
    }
    // a size in 0.0001 inch, four digits
    std::string size(int mils) {
        long long v = std::max(0LL, static_cast<long long>(mils) * 10);
        if (v > 9999) {
            m_clamped = true;
            v = 9999;
        }
        return common::zeroPadded(v, 4);
    }
    std::string netField(const std::string& name);
    std::string maskDigit(bool openTop, bool openBottom) const {
        return "S" + decimal((openTop ? 0 : 1) + (openBottom ? 0 : 2));
    }
    bool padOpen(const PadInfo& pad, int mask) const;
    bool viaOpen(const ViaInfo& via) const;
    std::string padRecord(const PadInfo& pad, const std::string& net);
    std::string viaRecord(const ViaInfo& via, const std::string& net);

    const BoardNets& m_nets;
    const Ipc356Options& m_options;
    const NetNames m_names;
    std::vector<std::string>& m_warnings;
    plot::CopperStack m_stack;
    std::map<std::string, std::string> m_written;    // net name -> its name in the file
    std::map<std::string, std::string> m_writtenBy;  // name in the file -> the net's name
    std::vector<std::string> m_aliases;              // names longer than a test record holds
    std::map<std::string, std::string> m_aliasOf;    // name in the file -> its alias
    bool m_cut = false;
    bool m_clamped = false;
    bool m_renamed = false;
};

// The net's field: its name in ASCII, told apart from every other net's; a name longer than the
// field goes through an alias.
std::string Ipc356Writer::netField(const std::string& net) {
    if (net.empty()) {
        return field("N/C", kNetColumns, m_cut);
    }
    auto it = m_written.find(net);
    if (it == m_written.end()) {
        const std::string ascii = asciiText(net);
        std::string name = ascii;
        for (int n = 2; m_writtenBy.count(name) != 0 || name == "N/C"; ++n) {
            name = ascii + "_" + decimal(n);
            m_renamed = true;
        }
        m_writtenBy.emplace(name, net);
        it = m_written.emplace(net, name).first;
    }
    const std::string& name = it->second;
    if (name.size() <= kNetColumns) {
        return field(name, kNetColumns, m_cut);
    }
    std::string& alias = m_aliasOf[name];
    if (alias.empty()) {
        m_aliases.push_back(name);
        alias = "NNAME" + decimal(static_cast<long long>(m_aliases.size()));
    }
    return field(alias, kNetColumns, m_cut);
}

// Whether the mask of one side opens the pad: the pad is on that side and, where the masks'
// aperture table is known, it holds the pad's mask aperture.
bool Ipc356Writer::padOpen(const PadInfo& pad, int mask) const {
    const bool onSide = pad.layer == board::kMultiLayer || pad.layer == (mask == kTopMask ? 1 : 6);
    if (!onSide || !m_options.masks) {
        return onSide;
    }
    board::CurrentRecord r;
    r.shape = pad.shape;
    r.xSize = pad.xSize;
    r.ySize = pad.ySize;
    r.layer = pad.layer;
    return board::resolvePad(*m_options.masks, r, m_options.enlargements, board::kPadSolderMask)
               .solderMask >= 10;
}

bool Ipc356Writer::viaOpen(const ViaInfo& via) const {
    if (!m_options.masks) {
        return true;
    }
    board::CurrentRecord r;
    r.viaSize = via.size;
    return board::resolveVia(*m_options.masks, r, m_options.enlargements, board::kViaSolderMask)
               .solderMask >= 10;
}

std::string Ipc356Writer::padRecord(const PadInfo& pad, const std::string& net) {
    const bool through = pad.throughHole();
    const bool nonPlated =
        board::nonPlatedHole(pad.layer, pad.shape, pad.xSize, pad.ySize, pad.hole);
    std::string r = nonPlated ? "367" : through ? "317" : "327";
    r += netField(net);
    r += "   ";
    r += field(pad.designator, 6, m_cut);
    const std::string pin = pad.designator.empty() && pad.name == "0" ? "" : pad.name;
    r += pin.empty() ? " " : "-";
    r += field(pin, 4, m_cut);
    r += " ";
    if (through) {
        r += "D" + size(pad.hole) + (nonPlated ? "U" : "P");
    } else {
        r += "      ";
    }
    // the side a test probe reaches the pad from
    if (pad.layer == board::kMultiLayer) {
        r += "A00";
    } else {
        const int at = m_stack.position(pad.layer >= 1 && pad.layer <= 6 ? pad.layer : 1);
        r += "A" + common::zeroPadded(at == 0 ? 1 : at, 2);
    }
    r += coordinate('X', pad.x) + coordinate('Y', pad.y);
    const bool round = pad.shape == 1 || pad.shape < 1 || pad.shape > 4;
    const int ySize = round ? 0 : pad.shape == 3 ? pad.xSize : pad.ySize;
    r += "X" + size(pad.xSize) + "Y" + size(ySize) + "R000";
    r += maskDigit(padOpen(pad, kTopMask), padOpen(pad, kBottomMask));
    return record(r);
}

std::string Ipc356Writer::viaRecord(const ViaInfo& via, const std::string& net) {
    std::string r = "317";
    r += netField(net);
    r += "   ";
    r += field("VIA", 6, m_cut);
    r += "     M";  // no pin; a via is a mid-point of its net, not an end to test
    r += "D" + size(via.hole) + "PA00";
    r += coordinate('X', via.x) + coordinate('Y', via.y);
    const bool open = viaOpen(via);
    r += "X" + size(via.size) + "Y0000R000" + maskDigit(open, open);
    return record(r);
}

std::string Ipc356Writer::text(const std::string& jobName) {
    const Copper& copper = m_nets.copper;
    std::vector<Test> tests;
    for (const PadInfo& pad : copper.pads) {
        tests.push_back(Test{m_names.ofPad(pad), pad.line, {}});
    }
    for (const ViaInfo& via : copper.vias) {
        tests.push_back(Test{m_names.ofVia(via), via.line, {}});
    }
    // by net name, pads of no net last; within a net in board order
    std::vector<size_t> order(tests.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Test& ta = tests[a];
        const Test& tb = tests[b];
        if (ta.net.empty() != tb.net.empty()) {
            return tb.net.empty();
        }
        if (ta.net != tb.net) {
            return ta.net < tb.net;
        }
        return ta.line < tb.line;
    });
    // the records in that order, so that aliases and renamings are numbered as they appear
    for (size_t i : order) {
        tests[i].text = i < copper.pads.size()
                            ? padRecord(copper.pads[i], tests[i].net)
                            : viaRecord(copper.vias[i - copper.pads.size()], tests[i].net);
    }

    std::string out;
    auto line = [&](const std::string& text) { out += record(text) + "\r\n"; };
    const std::string job = asciiText(jobName);
    line("C  IPC-D-356A test netlist of " + job + "; nets from " +
         (m_nets.reference ? asciiText(common::fileNameOf(m_nets.reference->source))
                           : std::string("the copper")));
    line("P  JOB   " + job);
    line("P  CODE  00");
    line("P  UNITS CUST 0");
    line("P  TITLE " + job);
    line("P  VER   IPC-D-356A");
    line("P  IMAGE PRIMARY");
    for (size_t i = 0; i < m_aliases.size(); ++i) {
        std::string alias = "NNAME" + decimal(static_cast<long long>(i + 1));
        alias.resize(11, ' ');
        const std::string name = m_aliases[i].substr(0, kColumns - 14);
        m_cut = m_cut || name.size() < m_aliases[i].size();
        line("P  " + alias + name);
    }
    for (size_t i : order) {
        out += tests[i].text + "\r\n";
    }
    line("999");
    if (m_cut) {
        m_warnings.push_back(
            "some designators, pad names or net names were longer than their columns of the "
            "test netlist and were cut");
    }
    if (m_clamped) {
        m_warnings.push_back(
            "some coordinates or sizes were beyond the columns of the test netlist and were "
            "clamped");
    }
    if (m_renamed) {
        m_warnings.push_back(
            "some net names were the same as others once written in ASCII, and were told apart "
            "by a number after them");
    }
    return out;
}

}  // namespace

std::string ipc356Text(const BoardNets& nets, const std::string& jobName,
                       const Ipc356Options& options, std::vector<std::string>& warnings) {
    return Ipc356Writer(nets, options, warnings).text(jobName);
}

NetSource netSource(const BoardNets& nets, const std::string& boardPath) {
    NetSource out;
    if (!nets.reference) {
        out.source =
            "the copper: the board carries no netlist and none was given, so the nets are the "
            "copper's";
        return out;
    }
    out.source = nets.reference->source == boardPath
                     ? std::string("the netlist in the board (its NETDEF blocks)")
                     : "the netlist " + common::fileNameOf(nets.reference->source);
    const NetDifferences d = compareWithNetlist(nets, *nets.reference);
    auto joined = [](const std::vector<std::string>& items, const char* between) {
        std::string text;
        for (const std::string& item : items) {
            text += (text.empty() ? "" : between) + item;
        }
        return text;
    };
    for (const Open& open : d.opens) {
        std::vector<std::string> pieces;
        for (const auto& pins : open.islands) {
            pieces.push_back(joined(pins, " "));
        }
        out.check.push_back("open: " + open.net + " is in " + decimal(long(open.islands.size())) +
                            " pieces of copper: " + joined(pieces, " | "));
    }
    for (const Short& s : d.shorts) {
        out.check.push_back("short: " + joined(s.nets, " and ") + " are joined by copper at " +
                            decimal(s.at.first) + "," + decimal(s.at.second) + " (" +
                            joined(s.pins, " ") + ")");
    }
    for (const TextShort& t : d.textShorts) {
        out.check.push_back("short: the text \"" + t.text + "\" on copper at " +
                            decimal(t.at.first) + "," + decimal(t.at.second) + " touches " +
                            joined(t.nets, " and "));
    }
    if (!d.missing.empty()) {
        out.check.push_back("pins of the netlist the board lacks: " + joined(d.missing, " "));
    }
    if (!d.extra.empty()) {
        out.check.push_back("pads in no net of the netlist that copper joins to one: " +
                            joined(d.extra, " "));
    }
    if (out.check.empty()) {
        out.check.push_back("copper matches the netlist");
    }
    return out;
}

void writeIpc356(const BoardNets& nets, const std::string& boardPath, const std::string& outputPath,
                 const Ipc356Options& options, std::vector<std::string>& warnings) {
    common::refuseOverwritingInput(outputPath, {boardPath});
    const std::string text =
        ipc356Text(nets, common::fileNameOf(common::baseName(boardPath)), options, warnings);
    common::LineWriter out(outputPath);
    out.write(text);
    out.commit();
}

}  // namespace padloom::nets
