#pragma once

#include "board/aperture_table.h"
#include "board/board_reader.h"

namespace padloom::board {

/// Whether a pad's hole is non-plated. Autotrax has no flag for it; its users draw a mounting
/// hole as a Multi Layer pad no larger than its hole in both directions, so that no copper is
/// left around it. A round or octagonal pad is as tall as its X size; vias are always plated.
inline bool nonPlatedHole(int layer, int shape, int xSize, int ySize, int hole) {
    if (layer != kMultiLayer || hole <= 0) {
        return false;
    }
    const int height = shape == kCircular || shape == kOctagonal ? xSize : ySize;
    return hole >= xSize && hole >= height;
}

/// nonPlatedHole of a pad record.
inline bool nonPlatedPad(const CurrentRecord& pad) {
    return nonPlatedHole(pad.layer, pad.shape, pad.xSize, pad.ySize, pad.holeSize);
}

}  // namespace padloom::board
