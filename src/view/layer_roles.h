#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace padloom::view {

/// What a fab file is for, told by its extension: its role, the colour it is shown in
/// (0xRRGGBBAA) and its place in the stack (low ranks are drawn first, under the others).
struct LayerRole {
    std::string name;  // "Top copper"; "" when the extension is not one of ours
    std::uint32_t colour = 0;
    int stackRank = 0;
    bool drill = false;  // an Excellon drill file: drawn on top of everything
};

/// The role of a file named `path`, by the plot set's table of files (".GTL" top copper, ".GKO"
/// board outline ... ".TXT" the NC drill file; the plot run's extensions and the fab package's
/// both), or ".XLN"/".DRL"/".DRD" drills; the extension is compared without regard to case,
/// and a TANGO output such as "BOARD.OUT.GTL" counts by its last extension. Unknown files get a
/// colour from a small palette chosen by `index` and a rank between the bottom and the top
/// layers.
LayerRole layerRole(std::string_view path, int index = 0);

/// The place of a file in the layer stack as the viewer draws it, bottom side first: its
/// role's rank, the copper layers running by their number from the top down (top copper, the
/// ground plane, mid layers 1 to 4, the power plane, bottom copper). A file whose attributes
/// give its copper layer number (`fileFunction` "Copper,L3,Inr,Plane") takes its place among
/// the copper layers by that number, whatever its name.
double stackRankOf(std::string_view path, std::string_view fileFunction = {});

}  // namespace padloom::view
