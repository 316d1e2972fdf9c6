#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "board/aperture_table.h"
#include "board/board_image.h"

namespace padloom::board {

/// One distinct hole size of the board's plated holes and how many there are. The tool number
/// of an entry is its 1-based position in the tally.
struct DrillTallyEntry {
    int holeSize = 0;
    int count = 0;
};

/// Board extents over the end points of all track records; "none" until a track is seen.
struct Extents {
    static constexpr int kResetMin = 1000000;
    static constexpr int kResetMax = -1;
    int minX = kResetMin, minY = kResetMin, maxX = kResetMax, maxY = kResetMax;

    void add(int x, int y);
    bool empty() const { return maxX < minX || maxY < minY; }
};

/// The facts the aperture builder leaves for the plot run: names, board extents, pour outline
/// flags, drill tally, the drill-guide D-code and the enlargements the aperture file was made
/// with. Owned by whoever runs the plot (the plot window, the command line) and passed by
/// reference; nothing of it lives in globals.
struct RunValues {
    static constexpr int kPourFlagCount = 21;  // plot layers 0 to 20

    std::string boardFile;
    std::string aptFile;
    std::string baseName;
    Extents extents;
    std::array<bool, kPourFlagCount> pourOutline{};
    std::vector<DrillTallyEntry> drillTally;
    int drillGuideDCode = 13;
    Enlargements enlargements;
    bool aptMade = false;
    /// The board as the aperture builder read it, replayed by the plot run's readers instead
    /// of reading the file again; null when not kept. Readers check that the file is unchanged.
    std::shared_ptr<const BoardImage> boardImage;
    /// The problems the aperture builder met in the board, for the plot run to report, and
    /// whether the board ended without its "ENDPCB" line (the file may be cut short).
    std::vector<std::string> boardProblems;
    bool boardCutShort = false;

    /// Resets what the plot run resets before the aperture builder runs: extents, pour
    /// outline flags, the aperture-file-made fact and the kept board with its problems.
    void reset() {
        extents = Extents{};
        pourOutline.fill(false);
        aptMade = false;
        boardImage.reset();
        boardProblems.clear();
        boardCutShort = false;
    }
};

inline void Extents::add(int x, int y) {
    if (x < minX) {
        minX = x;
    }
    if (y < minY) {
        minY = y;
    }
    if (x > maxX) {
        maxX = x;
    }
    if (y > maxY) {
        maxY = y;
    }
}

}  // namespace padloom::board
