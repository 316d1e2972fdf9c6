#include "nets/reference_netlist.h"

#include "common/errors.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::nets {

using common::trimmedBlanks;

ReferenceNetlist readProtelNetlist(const std::string& path) {
    common::LineReader reader(path);
    if (reader.looksBinary()) {
        throw common::FormatError(path, "not a netlist: the file holds binary data");
    }
    ReferenceNetlist list;
    list.source = path;
    std::string line;
    bool inComponent = false;
    bool sawBlock = false;
    long netStart = 0;
    ReferenceNet* net = nullptr;
    bool needName = false;
    while (reader.next(line)) {
        const std::string_view t = trimmedBlanks(line);
        if (net) {
            if (t == ")") {
                net = nullptr;
            } else if (needName) {
                net->name = std::string(t);
                needName = false;
            } else if (!t.empty()) {
                if (t == "(" || t == "[") {
                    throw common::FormatError(
                        path, "line " + common::decimal(netStart) + ": net block not closed");
                }
                net->pins.emplace_back(t);
            }
            continue;
        }
        if (inComponent) {
            inComponent = t != "]";
            continue;
        }
        if (t == "[") {
            inComponent = true;
            sawBlock = true;
        } else if (t == "(") {
            list.nets.emplace_back();
            net = &list.nets.back();
            needName = true;
            netStart = reader.lineNumber();
            sawBlock = true;
        }
    }
    if (net) {
        throw common::FormatError(path,
                                  "line " + common::decimal(netStart) + ": net block not closed");
    }
    if (!sawBlock) {
        throw common::FormatError(path, "not a Protel netlist: no component or net block");
    }
    return list;
}

void NetdefCollector::line(const std::string& text) {
    const std::string_view t = trimmedBlanks(text);
    switch (m_state) {
        case State::Outside:
            if (t == "NETDEF") {
                m_nets.emplace_back();
                m_state = State::Name;
            }
            return;
        case State::Name:
            m_nets.back().name = std::string(t);
            m_state = State::Number;
            return;
        case State::Number:
            m_state = t == "(" ? State::Pins : State::Open;
            return;
        case State::Open:
            if (t == "(") {
                m_state = State::Pins;
            }
            return;
        case State::Pins:
            if (t == ")") {
                m_state = State::Connections;
            } else if (!t.empty()) {
                m_nets.back().pins.emplace_back(t);
            }
            return;
        case State::Connections:
            // "{", the connection lines and "}"; a new NETDEF may follow at once
            if (t == "}") {
                m_state = State::Outside;
            } else if (t == "NETDEF") {
                m_nets.emplace_back();
                m_state = State::Name;
            }
            return;
    }
}

ReferenceNetlist NetdefCollector::take(const std::string& source) {
    ReferenceNetlist list{std::move(m_nets), source};
    m_nets.clear();
    m_state = State::Outside;
    return list;
}

std::string protelNetlistText(const ReferenceNetlist& netlist) {
    std::string out;
    for (const ReferenceNet& net : netlist.nets) {
        out += "(\r\n" + net.name + "\r\n";
        for (const std::string& pin : net.pins) {
            out += pin + "\r\n";
        }
        out += ")\r\n";
    }
    return out;
}

}  // namespace padloom::nets
