#pragma once

#include <array>
#include <memory>
#include <string>

#include "board/board_image.h"
#include "board/board_reader.h"
#include "plot/plot_layers.h"

namespace padloom::plot {

/// What a board puts on its board layers, as far as the choice of its fab files goes: which
/// board layers have a record (a shown component text counts on its own layer), whether pads
/// connect to the planes and whether there are pads on either copper side.
struct LayerUse {
    std::array<bool, board::kMultiLayer + 1> used{};
    bool groundConnected = false;
    bool powerConnected = false;
    bool topPads = false;
    bool bottomPads = false;

    /// Counts the record the reader holds.
    void add(board::RecordKind kind, const board::BoardReader& reader);
    /// The copper plot layers the board uses: top and bottom copper, the mid layers with a
    /// record, each plane with a record or a pad connected to it.
    CopperUse copper() const;
};

/// The layer use of a whole board; throws IoError.
LayerUse layerUse(const std::string& boardPath,
                  std::shared_ptr<const board::BoardImage> image = nullptr);

}  // namespace padloom::plot
