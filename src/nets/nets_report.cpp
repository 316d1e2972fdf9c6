#include "nets/nets_report.h"

#include <algorithm>

#include "common/json_text.h"
#include "common/number_format.h"

namespace padloom::nets {

using common::decimal;
using common::jsonString;

namespace {

// islands of two pads or more, by name
std::vector<size_t> listedNets(const BoardNets& nets) {
    std::vector<size_t> order;
    for (size_t i = 0; i < nets.copper.islands.size(); ++i) {
        if (nets.copper.islands[i].pads.size() >= 2) {
            order.push_back(i);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return nets.names[a] < nets.names[b]; });
    return order;
}

std::vector<std::string> unconnectedPins(const BoardNets& nets) {
    std::vector<std::string> pins;
    for (const PadInfo& pad : nets.copper.pads) {
        if (nets.copper.islands[static_cast<size_t>(pad.island)].pads.size() == 1) {
            pins.push_back(pad.pin);
        }
    }
    return pins;
}

std::string joined(const std::vector<std::string>& items, const std::string& between) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        out += (i ? between : "") + items[i];
    }
    return out;
}

std::string jsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        out += (i ? ", " : "") + jsonString(items[i]);
    }
    return out + "]";
}

std::string jsonPoint(std::pair<int, int> p) {
    return "[" + decimal(p.first) + ", " + decimal(p.second) + "]";
}

std::string place(std::pair<int, int> p) {
    return decimal(p.first) + "," + decimal(p.second);
}

std::string plural(size_t n, const std::string& one, const std::string& many) {
    return decimal(static_cast<long long>(n)) + " " + (n == 1 ? one : many);
}

std::string textShortsJson(const std::vector<TextShort>& shorts) {
    std::string out = "[";
    for (size_t i = 0; i < shorts.size(); ++i) {
        const TextShort& s = shorts[i];
        out += std::string(i ? ", " : "") + "{\"text\": " + jsonString(s.text) +
               ", \"nets\": " + jsonList(s.nets) + ", \"at\": " + jsonPoint(s.at) + "}";
    }
    return out + "]";
}

std::string textShortsText(const std::vector<TextShort>& shorts) {
    std::string out;
    for (const TextShort& s : shorts) {
        out += "Possible short: text \"" + s.text + "\" at " + place(s.at) + " (line " +
               decimal(s.line) + ") touches copper of " + joined(s.nets, ", ") + "\n";
    }
    return out;
}

}  // namespace

std::string netsText(const BoardNets& nets) {
    const Copper& copper = nets.copper;
    std::string out;
    for (size_t i : listedNets(nets)) {
        const Island& island = copper.islands[i];
        std::vector<std::string> pins;
        for (int p : island.pads) {
            pins.push_back(copper.pads[static_cast<size_t>(p)].pin);
        }
        out += nets.names[i] + " (" + plural(pins.size(), "pin", "pins") + ", " +
               plural(static_cast<size_t>(island.objects), "copper object", "copper objects") +
               ")\n  " + joined(pins, " ") + "\n";
    }
    const std::vector<std::string> alone = unconnectedPins(nets);
    if (!alone.empty()) {
        out += "Unconnected pads (" + decimal(static_cast<long long>(alone.size())) +
               "): " + joined(alone, " ") + "\n";
    }
    std::vector<std::string> free;
    for (const PadInfo& pad : copper.pads) {
        if (pad.free()) {
            free.push_back(pad.pin);
        }
    }
    if (!free.empty()) {
        out += "Pads of no component (" + decimal(static_cast<long long>(free.size())) +
               "): " + joined(free, " ") + "\n";
    }
    out += textShortsText(textShorts(nets));
    return out;
}

std::string netsJson(const BoardNets& nets) {
    const Copper& copper = nets.copper;
    std::string out = "{\"nets\": [";
    bool first = true;
    for (size_t i : listedNets(nets)) {
        const Island& island = copper.islands[i];
        std::vector<std::string> pins;
        for (int p : island.pads) {
            pins.push_back(copper.pads[static_cast<size_t>(p)].pin);
        }
        out += std::string(first ? "" : ", ") + "{\"name\": " + jsonString(nets.names[i]) +
               ", \"pins\": " + jsonList(pins) + ", \"objects\": " + decimal(island.objects) + "}";
        first = false;
    }
    out += "], \"unconnected\": " + jsonList(unconnectedPins(nets));
    out += ", \"possibleShorts\": " + textShortsJson(textShorts(nets)) + "}\n";
    return out;
}

std::string differencesText(const NetDifferences& diff) {
    std::string out;
    for (const Open& open : diff.opens) {
        out += "Open: " + open.net + " on " + decimal(static_cast<long long>(open.islands.size())) +
               " copper islands\n";
        for (size_t k = 0; k < open.islands.size(); ++k) {
            out += "  at " + place(open.at[k]) + ": " + joined(open.islands[k], " ") + "\n";
        }
    }
    for (const Short& s : diff.shorts) {
        out += "Short: " + joined(s.nets, ", ") + " joined at " + place(s.at) +
               "\n  pins: " + joined(s.pins, " ") + "\n";
    }
    if (!diff.missing.empty()) {
        out += "Pins of the netlist not on the board: " + joined(diff.missing, " ") + "\n";
    }
    if (!diff.extra.empty()) {
        out +=
            "Pads joined by copper but in no net of the netlist: " + joined(diff.extra, " ") + "\n";
    }
    out += textShortsText(diff.textShorts);
    if (!diff.freePads.empty()) {
        out += "Free pads joined by copper (no netlist names them; not counted): " +
               joined(diff.freePads, " ") + "\n";
    }
    if (!diff.any()) {
        return out + "No differences.\n";
    }
    out += plural(diff.opens.size(), "open", "opens") + ", " +
           plural(diff.shorts.size(), "short", "shorts") + ", " +
           plural(diff.missing.size(), "missing pin", "missing pins") + ", " +
           plural(diff.extra.size(), "extra pad", "extra pads") + ", " +
           plural(diff.textShorts.size(), "possible short", "possible shorts") + "\n";
    return out;
}

std::string differencesJson(const NetDifferences& diff) {
    std::string out = "{\"opens\": [";
    for (size_t i = 0; i < diff.opens.size(); ++i) {
        const Open& open = diff.opens[i];
        out +=
            std::string(i ? ", " : "") + "{\"net\": " + jsonString(open.net) + ", \"islands\": [";
        for (size_t k = 0; k < open.islands.size(); ++k) {
            out += (k ? ", " : "") + jsonList(open.islands[k]);
        }
        out += "], \"at\": [";
        for (size_t k = 0; k < open.at.size(); ++k) {
            out += (k ? ", " : "") + jsonPoint(open.at[k]);
        }
        out += "]}";
    }
    out += "], \"shorts\": [";
    for (size_t i = 0; i < diff.shorts.size(); ++i) {
        const Short& s = diff.shorts[i];
        out += std::string(i ? ", " : "") + "{\"nets\": " + jsonList(s.nets) +
               ", \"pins\": " + jsonList(s.pins) + ", \"at\": " + jsonPoint(s.at) + "}";
    }
    out += "], \"missing\": " + jsonList(diff.missing) + ", \"extra\": " + jsonList(diff.extra) +
           ", \"possibleShorts\": " + textShortsJson(diff.textShorts);
    // only where there are any, so that the document of every other board stays as it was
    if (!diff.freePads.empty()) {
        out += ", \"freePads\": " + jsonList(diff.freePads);
    }
    out += "}\n";
    return out;
}

}  // namespace padloom::nets
