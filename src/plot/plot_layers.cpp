#include "plot/plot_layers.h"

#include <algorithm>
#include <cctype>

namespace padloom::plot {

namespace {

using K = FileKind;
using S = Side;

// The mid layers take the Protel names G1 to G4 in a package: GM1 to GM4 are mechanical layers
// to most CAM software, which would take them for the board outline. GBD is known to none.
// clang-format off
constexpr std::array<SetFile, kPlotLayerCount + 1> kSetFiles{{
    {1,  ".GTL", ".GTL", "Top copper",         K::Copper,       S::Top,    false},
    {2,  ".GM1", ".G1",  "Mid layer 1",        K::Copper,       S::Inner,  false},
    {3,  ".GM2", ".G2",  "Mid layer 2",        K::Copper,       S::Inner,  false},
    {4,  ".GM3", ".G3",  "Mid layer 3",        K::Copper,       S::Inner,  false},
    {5,  ".GM4", ".G4",  "Mid layer 4",        K::Copper,       S::Inner,  false},
    {6,  ".GBL", ".GBL", "Bottom copper",      K::Copper,       S::Bottom, false},
    {7,  ".GTO", ".GTO", "Top legend",         K::Legend,       S::Top,    false},
    {8,  ".GBO", ".GBO", "Bottom legend",      K::Legend,       S::Bottom, false},
    {9,  ".GDD", ".GD1", "Drill drawing",      K::DrillDrawing, S::None,   false},
    {10, ".GDG", ".GG1", "Drill guide",        K::DrillGuide,   S::None,   false},
    {11, ".GTS", ".GTS", "Top solder mask",    K::SolderMask,   S::Top,    true},
    {12, ".GBS", ".GBS", "Bottom solder mask", K::SolderMask,   S::Bottom, true},
    {13, ".GGD", ".GP1", "Ground plane",       K::Plane,        S::Inner,  false},
    {14, ".GPW", ".GP2", "Power plane",        K::Plane,        S::Inner,  false},
    {15, ".GTP", ".GTP", "Top paste mask",     K::Paste,        S::Top,    false},
    {16, ".GBP", ".GBP", "Bottom paste mask",  K::Paste,        S::Bottom, false},
    {17, ".GBD", ".GKO", "Board outline",      K::Profile,      S::None,   false},
    {0,  ".TXT", ".TXT", "NC drill",           K::Drill,        S::None,   false},
}};
// clang-format on

// Copper plot layers from top to bottom.
constexpr int kStackOrder[] = {1, 13, 2, 3, 4, 5, 14, 6};

bool endsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<long>(end.size()),
                      [](char a, char b) {
                          return std::toupper(static_cast<unsigned char>(a)) ==
                                 std::toupper(static_cast<unsigned char>(b));
                      });
}

std::string_view sideWord(Side side) {
    return side == Side::Top ? "Top" : "Bot";
}

}  // namespace

std::span<const SetFile> setFiles() {
    return kSetFiles;
}

const SetFile* setFileOfLayer(int plotLayer) {
    return plotLayer >= 1 && plotLayer <= kPlotLayerCount ? &kSetFiles[plotLayer - 1] : nullptr;
}

const SetFile& ncDrillSetFile() {
    return kSetFiles.back();
}

const SetFile* setFileNamed(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == path.npos || (slash != path.npos && dot < slash)) {
        return nullptr;
    }
    const std::string_view extension = path.substr(dot);
    for (const SetFile& f : kSetFiles) {
        if (extension.size() == f.extension.size() && endsWithNoCase(extension, f.extension)) {
            return &f;
        }
        if (extension.size() == f.fabExtension.size() &&
            endsWithNoCase(extension, f.fabExtension)) {
            return &f;
        }
    }
    return nullptr;
}

std::string_view layerExtension(int plotLayer) {
    const SetFile* f = setFileOfLayer(plotLayer);
    return f ? f->extension : std::string_view();
}

CopperStack::CopperStack(const CopperUse& used) {
    for (int layer : kStackOrder) {
        if (used[static_cast<size_t>(layer)] || layer == 1 || layer == 6) {
            m_layers.push_back(layer);
        }
    }
}

int CopperStack::position(int plotLayer) const {
    auto it = std::find(m_layers.begin(), m_layers.end(), plotLayer);
    return it == m_layers.end() ? 0 : static_cast<int>(it - m_layers.begin()) + 1;
}

std::string fileFunction(const SetFile& file, const CopperStack& stack) {
    switch (file.kind) {
        case FileKind::Copper:
        case FileKind::Plane: {
            const int at = stack.position(file.plotLayer);
            if (at == 0) {
                return "Other,Unused copper layer";
            }
            std::string text = "Copper,L" + std::to_string(at) + ",";
            if (at == 1) {
                text += "Top";
            } else if (at == stack.count()) {
                text += "Bot";
            } else {
                text += "Inr";
            }
            return file.kind == FileKind::Plane ? text + ",Plane" : text;
        }
        case FileKind::SolderMask:
            return "Soldermask," + std::string(sideWord(file.side));
        case FileKind::Legend:
            return "Legend," + std::string(sideWord(file.side));
        case FileKind::Paste:
            return "Paste," + std::string(sideWord(file.side));
        case FileKind::Profile:
            return "Profile,NP";
        case FileKind::DrillDrawing:
            return "Drillmap";
        case FileKind::DrillGuide:
            return "Other,Drillguide";
        case FileKind::Drill:
            return "Plated,1," + std::to_string(stack.count()) + ",PTH";
    }
    return "Other";
}

std::string_view filePolarity(const SetFile& file) {
    return file.negative ? "Negative" : "Positive";
}

}  // namespace padloom::plot
