#include "view/layer_roles.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace padloom::view {

namespace {

struct KnownRole {
    const char* extension;
    const char* name;
    std::uint32_t colour;
    int rank;
};

// Bottom side first, then the inner layers, the top side, the mechanical layers and the drills.
// clang-format off
constexpr std::array<KnownRole, 22> kRoles{{
    {".GBP", "Bottom paste mask",  0x80808090, 10},
    {".GBO", "Bottom legend",      0xC8C8FFD0, 11},
    {".GBS", "Bottom solder mask", 0x20A0A070, 12},
    {".GBL", "Bottom copper",      0x3C64DCC0, 13},
    {".GGD", "Ground plane",       0xB4782C70, 20},
    {".GPW", "Power plane",        0xC8A03C70, 21},
    {".GM4", "Mid layer 4",        0x8C50B4B0, 22},
    {".GM3", "Mid layer 3",        0x2CA0A0B0, 23},
    {".GM2", "Mid layer 2",        0xA08C3CB0, 24},
    {".GM1", "Mid layer 1",        0xB4A000B0, 25},
    {".GTL", "Top copper",         0xDC3C3CC0, 40},
    {".GTS", "Top solder mask",    0x30C05070, 41},
    {".GTO", "Top legend",         0xF0F0F0E0, 42},
    {".GTP", "Top paste mask",     0xA0A0A090, 43},
    {".GBD", "Board outline",      0xE6D200FF, 50},
    {".GKO", "Keep-out",           0xFF60FFC0, 51},
    {".GDD", "Drill drawing",      0xF0A030E0, 52},
    {".GDG", "Drill guide",        0xFF8040E0, 53},
    {".TXT", "NC drill",           0xF5F5F5FF, 60},
    {".XLN", "NC drill",           0xF5F5F5FF, 60},
    {".DRL", "NC drill",           0xF5F5F5FF, 60},
    {".DRD", "NC drill",           0xF5F5F5FF, 60},
}};
// clang-format on

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
    std::string ext = upperExtension(path);
    for (const KnownRole& r : kRoles) {
        if (ext == r.extension) {
            return {r.name, r.colour, r.rank, r.rank == 60};
        }
    }
    LayerRole role;
    role.colour = kPalette[static_cast<size_t>(std::max(index, 0)) % kPalette.size()];
    role.stackRank = 30;
    return role;
}

int stackRankOf(std::string_view path) {
    return layerRole(path).stackRank;
}

}  // namespace padloom::view
