#pragma once

#include <string>
#include <utility>
#include <vector>

namespace padloom::testing {

/// A component of a hand-made library: its name and data blocks. Each block is 16 bytes; a
/// block ends a run when its bytes 11 to 15 are zero.
struct HandComponent {
    std::string name;
    std::string data;
    unsigned blockEnds = 0;  // 0: counted from the data
};

/// Component data of `blocks` 16-byte blocks, all filled with `fill`, the last one ending
/// with five zero bytes.
inline std::string componentData(int blocks, char fill) {
    std::string data(static_cast<size_t>(blocks) * 16, fill);
    data.replace(data.size() - 5, 5, 5, '\0');
    return data;
}

/// The bytes of a component library laid out by hand: 16-byte header, 200 directory entries
/// of 32 bytes (length byte at 2, name from 3, block-end count at 18, data offset in 16-byte
/// units at 20, 0xFFFF offset for a free entry), then the data.
inline std::string handLibrary(const std::vector<HandComponent>& components) {
    std::string bytes(6416, '\0');
    bytes.replace(2, 14, "\rPCB 4 LIBRARY");
    auto put16 = [&bytes](size_t at, unsigned v) {
        bytes[at] = static_cast<char>(v & 0xFF);
        bytes[at + 1] = static_cast<char>(v >> 8);
    };
    size_t position = 6416;
    for (size_t k = 0; k < 200; ++k) {
        size_t entry = 16 + 32 * k;
        if (k >= components.size()) {
            put16(entry + 18, 0xFFFF);
            put16(entry + 20, 0xFFFF);
            continue;
        }
        const HandComponent& c = components[k];
        unsigned ends = c.blockEnds;
        for (size_t b = 0; c.blockEnds == 0 && b + 16 <= c.data.size(); b += 16) {
            if (c.data.compare(b + 11, 5, std::string(5, '\0')) == 0) {
                ++ends;  // counted only when the test gives no count
            }
        }
        bytes[entry + 2] = static_cast<char>(c.name.size());
        bytes.replace(entry + 3, c.name.size(), c.name);
        put16(entry + 18, ends);
        put16(entry + 20, static_cast<unsigned>(position / 16));
        position += c.data.size();
    }
    for (const auto& c : components) {
        bytes += c.data;
    }
    return bytes;
}

/// A Protel netlist with the given designator and footprint pairs and one net.
inline std::string netlistText(const std::vector<std::pair<std::string, std::string>>& parts) {
    std::string text;
    for (const auto& [designator, footprint] : parts) {
        text += "[\r\n" + designator + "\r\n" + footprint + "\r\n\r\n\r\n\r\n\r\n]\r\n";
    }
    return text + "(\r\nGND\r\nU1-7\r\n)\r\n";
}

}  // namespace padloom::testing
