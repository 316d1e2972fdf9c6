#include "view/layer_roles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "plot/plot_layers.h"

namespace padloom::view {

namespace {

// How each file of a plot set is shown: its colour and its place in the stack, bottom side
// first, then the inner layers from the bottom up as the copper stack runs (power plane, mid
// layers 4 to 1, ground plane), the top side, the mechanical layers and the drills on top.
struct Look {
    std::uint32_t colour;
    int rank;
};

// clang-format off
// by plot layer 1 to 17, then the NC drill file, in the order of the plot set's table
constexpr std::array<Look, plot::kPlotLayerCount + 1> kLooks{{
    {0xDC3C3CC0, 40},  // top copper
    {0xB4A000B0, 25},  // mid layer 1
    {0xA08C3CB0, 24},  // mid layer 2
    {0x2CA0A0B0, 23},  // mid layer 3
    {0x8C50B4B0, 22},  // mid layer 4
    {0x3C64DCC0, 13},  // bottom copper
    {0xF0F0F0E0, 42},  // top legend
    {0xC8C8FFD0, 11},  // bottom legend
    {0xF0A030E0, 52},  // drill drawing
    {0xFF8040E0, 53},  // drill guide
    {0x30C05070, 41},  // top solder mask
    {0x20A0A070, 12},  // bottom solder mask
    {0xB4782C70, 26},  // ground plane, next to the top
    {0xC8A03C70, 21},  // power plane, next to the bottom
    {0xA0A0A090, 43},  // top paste mask
    {0x80808090, 10},  // bottom paste mask
    {0xE6D200FF, 50},  // board outline
    {0xF5F5F5FF, 60},  // NC drill
}};
// clang-format on

constexpr int kDrillRank = 60;
// The rank of the uppermost inner copper layer (the ground plane).
constexpr int kInnerTopRank = 26;

// Drill files of other programs, shown as drills too.
constexpr std::array<const char*, 3> kOtherDrillExtensions{".XLN", ".DRL", ".DRD"};

constexpr std::array<std::uint32_t, 6> kPalette{0x50C8FFC0, 0xFF9650C0, 0x96FF50C0,
                                                0xFF50C8C0, 0xC8C850C0, 0x50FFC8C0};

std::string upperExtension(std::string_view path) {
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.rfind('.');
    if (dot == path.npos || (slash != path.npos && dot < slash)) {
        return "";
    }
    std::string ext(path.substr(dot));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}

}  // namespace

LayerRole layerRole(std::string_view path, int index) {
    const plot::SetFile* file = plot::setFileNamed(path);
    if (!file) {
        const std::string ext = upperExtension(path);
        for (const char* drill : kOtherDrillExtensions) {
            if (ext == drill) {
                file = &plot::ncDrillSetFile();
            }
        }
    }
    if (file) {
        const Look& look = kLooks[static_cast<size_t>(file->plotLayer == 0 ? plot::kPlotLayerCount
                                                                           : file->plotLayer - 1)];
        return {std::string(file->role), look.colour, look.rank, look.rank == kDrillRank};
    }
    LayerRole role;
    role.colour = kPalette[static_cast<size_t>(std::max(index, 0)) % kPalette.size()];
    role.stackRank = 30;
    return role;
}

double stackRankOf(std::string_view path, std::string_view fileFunction) {
    // "Copper,L<n>,Top|Inr|Bot": the outer layers take the ranks of top and bottom copper,
    // inner ones a place between the inner ranks by their number, L2 uppermost
    if (fileFunction.starts_with("Copper,L")) {
        const std::string_view rest = fileFunction.substr(8);
        int n = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
        const std::string_view side(end, static_cast<size_t>(rest.data() + rest.size() - end));
        if (ec == std::errc() && n >= 1 && n < 1000) {
            if (side.starts_with(",Top")) {
                return kLooks[0].rank;
            }
            if (side.starts_with(",Bot")) {
                return kLooks[5].rank;
            }
            if (side.starts_with(",Inr")) {
                return kInnerTopRank + 0.999 - n / 1000.0;
            }
        }
    }
    return layerRole(path).stackRank;
}

}  // namespace padloom::view
