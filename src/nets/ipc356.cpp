#include "nets/ipc356.h"

#include <algorithm>
#include <cstdlib>

#include "common/base_name.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::nets {

using common::decimal;

namespace {

constexpr size_t kColumns = 80;
constexpr size_t kNetColumns = 14;

// A record padded with blanks to the full 80 columns.
std::string record(std::string text) {
    text.resize(kColumns, ' ');
    return text;
}

// `text` left-aligned in `width` columns; cut when longer.
std::string field(const std::string& text, size_t width, bool& cut) {
    std::string out = text.substr(0, width);
    cut = cut || text.size() > width;
    out.resize(width, ' ');
    return out;
}

class Ipc356Writer {
public:
    Ipc356Writer(const BoardNets& nets, std::vector<std::string>& warnings)
        : m_nets(nets), m_warnings(warnings) {
        // copper layers from the top down: the top, the mid layers in use, the bottom
        const unsigned used = nets.copper.layersUsed;
        int position = 0;
        for (int layer = 1; layer <= 6; ++layer) {
            if (layer == 1 || layer == 6 || (used & (1u << (layer - 1)))) {
                m_position[layer] = ++position;
            }
        }
    }

    std::string text(const std::string& jobName);

private:
    struct Test {
        int island;
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
    std::string netField(int island);
    std::string padRecord(const PadInfo& pad);
    std::string viaRecord(const ViaInfo& via);

    const BoardNets& m_nets;
    std::vector<std::string>& m_warnings;
    int m_position[7] = {0, 0, 0, 0, 0, 0, 0};
    std::vector<std::string> m_aliases;  // names longer than a test record holds
    std::vector<std::string> m_aliasOf;  // per island: its alias, when it has one
    bool m_cut = false;
    bool m_clamped = false;
};

std::string Ipc356Writer::netField(int island) {
    const std::string& name = island >= 0 ? m_nets.names[static_cast<size_t>(island)] : "";
    if (name.empty()) {
        return field("N/C", kNetColumns, m_cut);
    }
    if (name.size() <= kNetColumns) {
        return field(name, kNetColumns, m_cut);
    }
    std::string& alias = m_aliasOf[static_cast<size_t>(island)];
    if (alias.empty()) {
        m_aliases.push_back(name);
        alias = "NNAME" + decimal(static_cast<long long>(m_aliases.size()));
    }
    return field(alias, kNetColumns, m_cut);
}

std::string Ipc356Writer::padRecord(const PadInfo& pad) {
    const bool through = pad.throughHole();
    std::string r = through ? "317" : "327";
    r += netField(pad.island);
    r += "   ";
    r += field(pad.designator, 6, m_cut);
    r += "-";
    r += field(pad.designator.empty() && pad.name == "0" ? "" : pad.name, 4, m_cut);
    r += " ";
    if (through) {
        r += "D" + size(pad.hole) + "P";
    } else {
        r += "      ";
    }
    // the side a test probe reaches the pad from
    if (pad.layer == 13) {
        r += "A00";
    } else {
        const int layer = pad.layer >= 1 && pad.layer <= 6 ? pad.layer : 1;
        r += "A" + common::zeroPadded(m_position[layer], 2);
    }
    r += coordinate('X', pad.x) + coordinate('Y', pad.y);
    const bool round = pad.shape == 1 || pad.shape < 1 || pad.shape > 4;
    const int ySize = round ? 0 : pad.shape == 3 ? pad.xSize : pad.ySize;
    r += "X" + size(pad.xSize) + "Y" + size(ySize) + "R000";
    // solder mask openings: both sides for Multi Layer pads, else the pad's own side
    r += pad.layer == 13 ? "S3" : pad.layer == 1 ? "S1" : pad.layer == 6 ? "S2" : "S0";
    return record(r);
}

std::string Ipc356Writer::viaRecord(const ViaInfo& via) {
    std::string r = "317";
    r += netField(via.island);
    r += "   ";
    r += field("VIA", 6, m_cut);
    r += "     M";  // no pin; a via is a mid-point of its net, not an end to test
    r += "D" + size(via.hole) + "PA00";
    r += coordinate('X', via.x) + coordinate('Y', via.y);
    r += "X" + size(via.size) + "Y0000R000S3";
    return record(r);
}

std::string Ipc356Writer::text(const std::string& jobName) {
    const Copper& copper = m_nets.copper;
    m_aliasOf.assign(copper.islands.size(), "");
    std::vector<Test> tests;
    for (const PadInfo& pad : copper.pads) {
        tests.push_back(Test{pad.island, pad.line, padRecord(pad)});
    }
    for (const ViaInfo& via : copper.vias) {
        tests.push_back(Test{via.island, via.line, viaRecord(via)});
    }
    // by net name, pads of no net last; within a net in board order
    auto key = [&](const Test& t) -> const std::string& {
        static const std::string none;
        return t.island >= 0 ? m_nets.names[static_cast<size_t>(t.island)] : none;
    };
    std::stable_sort(tests.begin(), tests.end(), [&](const Test& a, const Test& b) {
        const std::string& ka = key(a);
        const std::string& kb = key(b);
        if (ka.empty() != kb.empty()) {
            return kb.empty();
        }
        if (ka != kb) {
            return ka < kb;
        }
        return a.line < b.line;
    });

    std::string out;
    auto line = [&](const std::string& text) { out += record(text) + "\r\n"; };
    line("C  IPC-D-356A test netlist of the copper of " + jobName);
    line("P  JOB   " + jobName);
    line("P  CODE  00");
    line("P  UNITS CUST 0");
    line("P  TITLE " + jobName);
    line("P  VER   IPC-D-356A");
    line("P  IMAGE PRIMARY");
    for (size_t i = 0; i < m_aliases.size(); ++i) {
        std::string alias = "NNAME" + decimal(static_cast<long long>(i + 1));
        alias.resize(11, ' ');
        const std::string name = m_aliases[i].substr(0, kColumns - 14);
        m_cut = m_cut || name.size() < m_aliases[i].size();
        line("P  " + alias + name);
    }
    for (const Test& t : tests) {
        out += t.text + "\r\n";
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
    return out;
}

}  // namespace

std::string ipc356Text(const BoardNets& nets, const std::string& jobName,
                       std::vector<std::string>& warnings) {
    return Ipc356Writer(nets, warnings).text(jobName);
}

void writeIpc356(const BoardNets& nets, const std::string& boardPath, const std::string& outputPath,
                 std::vector<std::string>& warnings) {
    common::refuseOverwritingInput(outputPath, {boardPath});
    const std::string text =
        ipc356Text(nets, common::fileNameOf(common::baseName(boardPath)), warnings);
    common::LineWriter out(outputPath);
    out.write(text);
    out.commit();
}

}  // namespace padloom::nets
