#include "plot/unticked_layers.h"

#include <algorithm>

#include "plot/layer_use.h"

namespace padloom::plot {

namespace {

// The plot layers the warning is about: copper, the masks and the planes.
constexpr int kWatched[] = {1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16};

}  // namespace

std::vector<int> untickedLayersWithObjects(const PlotOptions& options,
                                           const board::RunValues& runValues) {
    const auto ticked = [&](int p) { return options.layers[static_cast<size_t>(p)]; };
    bool anyTicked = false;
    for (int p = 1; p <= kPlotLayerCount; ++p) {
        anyTicked = anyTicked || ticked(p);
    }
    if (!anyTicked || std::all_of(std::begin(kWatched), std::end(kWatched), ticked)) {
        return {};  // nothing to warn about: the board is not read again
    }
    const LayerUse use = layerUse(runValues.boardFile, runValues.boardImage);
    const bool multi = use.used[board::kMultiLayer];  // through-hole pads and vias
    const CopperUse copper = use.copper();
    std::array<bool, kPlotLayerCount + 1> objects{};
    objects[1] = use.used[1] || multi;
    objects[6] = use.used[6] || multi;
    for (int p : {2, 3, 4, 5, 13, 14}) {
        objects[static_cast<size_t>(p)] = copper[static_cast<size_t>(p)];
    }
    objects[11] = use.topPads || multi;
    objects[12] = use.bottomPads || multi;
    objects[15] = use.topPads;
    objects[16] = use.bottomPads;
    std::vector<int> unticked;
    for (int p : kWatched) {
        if (objects[static_cast<size_t>(p)] && !ticked(p)) {
            unticked.push_back(p);
        }
    }
    return unticked;
}

std::string untickedLayersWarning(const std::vector<int>& layers) {
    if (layers.empty()) {
        return "";
    }
    std::string text =
        "The board has objects on layers that are not ticked, so they are not plotted:";
    for (size_t i = 0; i < layers.size(); ++i) {
        const SetFile& file = *setFileOfLayer(layers[i]);
        text += (i == 0 ? " " : ", ") + std::string(file.role) + " (" +
                std::string(file.extension) + ")";
    }
    return text;
}

}  // namespace padloom::plot
