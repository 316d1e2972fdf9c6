#include "nets/board_nets.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <unordered_map>

#include "common/number_format.h"

namespace padloom::nets {

BoardNets findNets(const std::string& boardPath, const NetsOptions& options) {
    BoardNets nets;
    NetdefCollector netdef;
    nets.copper =
        traceCopper(boardPath, options.copper, [&](const std::string& line) { netdef.line(line); });
    if (!options.netlist.empty()) {
        nets.reference = readProtelNetlist(options.netlist);
    } else if (!netdef.empty()) {
        nets.reference = netdef.take(boardPath);
    }
    nets.names = nameIslands(nets.copper, nets.reference ? &*nets.reference : nullptr);
    return nets;
}

namespace {

// pin name -> the first net of the netlist that lists it
std::unordered_map<std::string, int> netOfPin(const ReferenceNetlist& reference) {
    std::unordered_map<std::string, int> netOf;
    for (size_t n = 0; n < reference.nets.size(); ++n) {
        for (const std::string& pin : reference.nets[n].pins) {
            netOf.emplace(pin, static_cast<int>(n));
        }
    }
    return netOf;
}

}  // namespace

std::vector<std::string> nameIslands(const Copper& copper, const ReferenceNetlist* reference) {
    const size_t count = copper.islands.size();
    std::vector<std::string> names(count);
    std::set<std::string> taken;
    // the net each island takes its name from, and how many of its pins the island holds
    std::vector<int> netOfIsland(count, -1);
    std::vector<int> pinsOfNet(count, 0);
    if (reference) {
        const auto netOf = netOfPin(*reference);
        for (const ReferenceNet& net : reference->nets) {
            taken.insert(net.name);
        }
        for (size_t i = 0; i < count; ++i) {
            std::map<int, int> tally;
            for (int p : copper.islands[i].pads) {
                auto it = netOf.find(copper.pads[static_cast<size_t>(p)].pin);
                if (it != netOf.end()) {
                    ++tally[it->second];
                }
            }
            for (const auto& [net, pins] : tally) {
                if (pins > pinsOfNet[i]) {  // ties keep the net listed first
                    netOfIsland[i] = net;
                    pinsOfNet[i] = pins;
                }
            }
        }
        // the island with most of a net's pins keeps the net's name; others get a suffix
        std::vector<size_t> order(count);
        for (size_t i = 0; i < count; ++i) {
            order[i] = i;
        }
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return pinsOfNet[a] > pinsOfNet[b]; });
        std::vector<bool> used(reference->nets.size(), false);
        for (size_t i : order) {
            const int net = netOfIsland[i];
            if (net < 0) {
                continue;
            }
            const std::string& base = reference->nets[static_cast<size_t>(net)].name;
            if (!used[static_cast<size_t>(net)]) {
                used[static_cast<size_t>(net)] = true;
                names[i] = base;
                continue;
            }
            for (int k = 2;; ++k) {
                std::string name = base + "_" + common::decimal(k);
                if (taken.insert(name).second) {
                    names[i] = std::move(name);
                    break;
                }
            }
        }
    }
    int number = 0;
    for (size_t i = 0; i < count; ++i) {
        if (netOfIsland[i] >= 0 || copper.islands[i].pads.size() < 2) {
            continue;
        }
        for (;;) {
            std::string name = "N" + common::zeroPadded(++number, 5);
            if (taken.insert(name).second) {
                names[i] = std::move(name);
                break;
            }
        }
    }
    return names;
}

namespace {

// The links that joined each island, as lists of neighbours.
using Links = std::unordered_map<std::uint32_t, std::vector<std::pair<std::uint32_t, size_t>>>;

std::vector<Links> linksOfIslands(const Copper& copper) {
    std::vector<Links> links(copper.islands.size());
    for (size_t j = 0; j < copper.joints.size(); ++j) {
        const Joint& joint = copper.joints[j];
        const int island = copper.objectIsland[joint.a];
        if (island >= 0) {
            links[static_cast<size_t>(island)][joint.a].emplace_back(joint.b, j);
            links[static_cast<size_t>(island)][joint.b].emplace_back(joint.a, j);
        }
    }
    return links;
}

// Where copper of one net meets copper of the others. The links that joined the island form a
// tree; cutting one of them splits the island in two, and the link whose cut leaves fewest pins
// on the wrong side is where the nets meet. Among equal ones, copper that only crosses other
// copper goes before copper that ends in it, as a track meant to join ends on what it joins.
std::pair<int, int> meetingPoint(const Copper& copper, const Island& island, Links& links,
                                 const std::vector<std::pair<std::uint32_t, int>>& pins,
                                 int firstNet) {
    // the tree from the first pin: the order objects are reached in, and the link to each
    const std::uint32_t root = pins.front().first;
    std::vector<std::uint32_t> order{root};
    std::unordered_map<std::uint32_t, size_t> linkTo{{root, copper.joints.size()}};
    for (size_t k = 0; k < order.size(); ++k) {
        for (const auto& [next, j] : links[order[k]]) {
            if (linkTo.emplace(next, j).second) {
                order.push_back(next);
            }
        }
    }
    // pins of the first net and of the others under each object
    std::unordered_map<std::uint32_t, std::pair<int, int>> under;
    int first = 0, others = 0;
    for (const auto& [object, net] : pins) {
        auto& u = under[object];
        (net == firstNet ? u.first : u.second) += 1;
        (net == firstNet ? first : others) += 1;
    }
    std::pair<int, int> best{island.x, island.y};
    std::pair<int, bool> bestScore{first + others + 1, true};
    for (size_t k = order.size(); k-- > 1;) {
        const std::uint32_t o = order[k];
        const Joint& link = copper.joints[linkTo[o]];
        const auto [f, n] = under[o];
        const std::uint32_t parent = link.a == o ? link.b : link.a;
        under[parent].first += f;
        under[parent].second += n;
        const int wrong = std::min(f + (others - n), n + (first - f));
        const std::pair<int, bool> score{wrong, link.meant};
        if (score <= bestScore) {
            bestScore = score;
            best = {link.x, link.y};
        }
    }
    return best;
}

std::string islandName(const BoardNets& nets, int island) {
    const std::string& name = nets.names[static_cast<size_t>(island)];
    if (!name.empty()) {
        return name;
    }
    const Island& i = nets.copper.islands[static_cast<size_t>(island)];
    return nets.copper.pads[static_cast<size_t>(i.pads.front())].pin;
}

}  // namespace

NetDifferences compareWithNetlist(const BoardNets& nets, const ReferenceNetlist& reference) {
    const Copper& copper = nets.copper;
    NetDifferences diff;
    std::unordered_map<std::string, std::vector<int>> padsOfPin;
    for (size_t p = 0; p < copper.pads.size(); ++p) {
        padsOfPin[copper.pads[p].pin].push_back(static_cast<int>(p));
    }
    const auto netOf = netOfPin(reference);

    // opens, and pins the board lacks
    for (const ReferenceNet& net : reference.nets) {
        std::vector<int> islands;  // in the order the net first reaches them
        std::vector<std::vector<std::string>> pinsOn;
        std::vector<std::pair<int, int>> at;
        for (const std::string& pin : net.pins) {
            auto it = padsOfPin.find(pin);
            if (it == padsOfPin.end()) {
                diff.missing.push_back(pin);
                continue;
            }
            for (int p : it->second) {
                const PadInfo& pad = copper.pads[static_cast<size_t>(p)];
                auto k = std::find(islands.begin(), islands.end(), pad.island);
                if (k == islands.end()) {
                    islands.push_back(pad.island);
                    pinsOn.push_back({pin});
                    at.emplace_back(pad.x, pad.y);
                } else if (pinsOn[k - islands.begin()].back() != pin) {
                    pinsOn[k - islands.begin()].push_back(pin);
                }
            }
        }
        if (islands.size() >= 2) {
            diff.opens.push_back(Open{net.name, std::move(pinsOn), std::move(at)});
        }
    }

    // shorts, and pads the netlist lacks joined to other pads
    std::vector<Links> links;
    for (size_t i = 0; i < copper.islands.size(); ++i) {
        const Island& island = copper.islands[i];
        std::vector<int> netsHere;
        std::vector<std::string> pins;
        std::vector<std::pair<std::uint32_t, int>> starts;
        for (int p : island.pads) {
            const PadInfo& pad = copper.pads[static_cast<size_t>(p)];
            auto it = netOf.find(pad.pin);
            if (it == netOf.end()) {
                if (island.pads.size() >= 2) {
                    (pad.free() ? diff.freePads : diff.extra).push_back(pad.pin);
                }
                continue;
            }
            pins.push_back(pad.pin);
            starts.emplace_back(copper.padObject[static_cast<size_t>(p)], it->second);
            if (std::find(netsHere.begin(), netsHere.end(), it->second) == netsHere.end()) {
                netsHere.push_back(it->second);
            }
        }
        if (netsHere.size() >= 2) {
            Short s;
            std::sort(netsHere.begin(), netsHere.end());
            for (int n : netsHere) {
                s.nets.push_back(reference.nets[static_cast<size_t>(n)].name);
            }
            s.pins = std::move(pins);
            if (links.empty()) {
                links = linksOfIslands(copper);
            }
            s.at = meetingPoint(copper, island, links[i], starts, netsHere.front());
            diff.shorts.push_back(std::move(s));
        }
    }
    diff.textShorts = textShorts(nets);
    return diff;
}

std::vector<TextShort> textShorts(const BoardNets& nets) {
    std::vector<TextShort> out;
    for (const TextContact& t : nets.copper.textContacts) {
        TextShort s{t.text, {}, {t.x, t.y}, t.line};
        for (int island : t.islands) {
            s.nets.push_back(islandName(nets, island));
        }
        out.push_back(std::move(s));
    }
    return out;
}

}  // namespace padloom::nets
