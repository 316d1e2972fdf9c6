#include "plot/layer_use.h"

namespace padloom::plot {

namespace {

// Board layers by number.
constexpr int kTopCopper = 1;
constexpr int kBottomCopper = 6;
constexpr int kGroundPlane = 9;
constexpr int kPowerPlane = 10;

}  // namespace

void LayerUse::add(board::RecordKind kind, const board::BoardReader& reader) {
    const board::CurrentRecord& r = reader.record();
    auto use = [&](int layer) {
        if (layer >= 0 && layer <= board::kMultiLayer) {
            used[static_cast<size_t>(layer)] = true;
        }
    };
    switch (kind) {
        case board::RecordKind::Via:
            use(board::kMultiLayer);
            break;
        case board::RecordKind::Component: {
            const board::ComponentHeader& c = reader.component();
            if (c.designatorShown == 1) {
                use(c.designatorText.layer);
            }
            if (c.commentShown == 1) {
                use(c.commentText.layer);
            }
            break;
        }
        case board::RecordKind::Pad:
            groundConnected = groundConnected || r.planeCode == 2 || r.planeCode == 3;
            powerConnected = powerConnected || r.planeCode == 4 || r.planeCode == 5;
            topPads = topPads || r.layer == kTopCopper;
            bottomPads = bottomPads || r.layer == kBottomCopper;
            use(r.layer);
            break;
        default:
            use(r.layer);
            break;
    }
}

CopperUse LayerUse::copper() const {
    CopperUse copper{};
    copper[1] = true;
    copper[6] = true;
    for (int mid = 2; mid <= 5; ++mid) {
        copper[static_cast<size_t>(mid)] = used[static_cast<size_t>(mid)];  // same numbers
    }
    copper[13] = used[kGroundPlane] || groundConnected;
    copper[14] = used[kPowerPlane] || powerConnected;
    return copper;
}

LayerUse layerUse(const std::string& boardPath, std::shared_ptr<const board::BoardImage> image) {
    LayerUse use;
    board::BoardReader reader(boardPath, std::move(image));
    while (auto kind = reader.next()) {
        use.add(*kind, reader);
    }
    return use;
}

}  // namespace padloom::plot
