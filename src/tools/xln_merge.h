#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "common/host.h"

namespace padloom::tools {

/// The drill diameters of tools 1 to 100, in whole mils; 0 means unknown.
class ToolTable {
public:
    static constexpr int kToolCount = 100;

    void clear() { m_diameters.fill(0); }
    /// The diameter of a tool; 0 for a tool outside 1 to 100 or without a size.
    int diameter(int tool) const;
    void set(int tool, int diameter);
    bool anySized() const;

    /// The tool table file last loaded (empty before the first).
    std::string path;

private:
    std::array<int, kToolCount + 1> m_diameters{};
};

/// A tool line of a tool table: the tool number after "T" and the size after it and its
/// separators, in whole mils, or in decimal inches when written with a point. "T01 28",
/// "T1 28" and "T01<TAB>0.028<TAB>40" (as the aperture tool writes it) all give tool 1 of 28
/// mils.
struct ToolLine {
    int tool = 0;
    int diameter = 0;
};

/// Reads a trimmed tool table line; nullopt when it does not begin with "T".
std::optional<ToolLine> parseToolLine(std::string_view line);

/// A drill file header line with its tool's size added: "T01" becomes "T01C0.028" when tool 1
/// is 28 mils. Lines that already carry a size ("T01C0.032") and tools without a diameter are
/// left as they are.
std::string sizedToolLine(std::string_view line, const ToolTable& table);

/// "Select TOL": asks for a tool table with the host's open dialog (its "TOL FIles" filter),
/// loads it into `table` (emptied first) and lists every tool in the message list. Tells the
/// user when no tool got a diameter. Throws IoError.
common::Outcome loadToolTable(common::Host& host, ToolTable& table);

/// "Select TXT": asks for an NC drill file (its "TXT Files" filter) and writes it as path +
/// ".xln", every tool line of its header (up to the "%" line) carrying its size. Refuses to
/// write over an input. Throws IoError.
common::Outcome mergeDrillFile(common::Host& host, const ToolTable& table);

}  // namespace padloom::tools
