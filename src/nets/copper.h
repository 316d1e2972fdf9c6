#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace padloom::nets {

/// How the copper is drawn: the plot options that change which copper there is.
struct CopperOptions {
    bool pours = false;     // copper pours from 1-mil outlines ("Pours from .001 outline")
    bool thermals = false;  // outer relief flashes ("Thermals on external layers")
    int pourEnlargement = 6;
    bool keepDrawn = false;  // keep the tracks, arcs and fills in Copper::drawn
};

/// A pad of the board.
struct PadInfo {
    std::string pin;         // "U1-3"; a free pad's own name, or "@X,Y" when it has none
    std::string designator;  // empty for a free pad
    std::string name;        // the pad name line
    int x = 0, y = 0;
    int xSize = 0, ySize = 0;
    int shape = 0;
    int hole = 0;
    int planeCode = 0;
    int layer = 0;
    long line = 0;  // board line of the pad record
    int island = -1;
    bool free() const { return designator.empty(); }
    /// Drilled and plated: a Multi Layer pad with a hole, as the NC drill file drills it.
    bool throughHole() const { return layer == 13 && hole > 0; }
};

struct ViaInfo {
    int x = 0, y = 0;
    int size = 0;
    int hole = 0;
    long line = 0;
    int island = -1;
};

/// A track, arc or fill of the board drawn in copper, and its island: what a net is drawn
/// with, to show it.
struct DrawnCopper {
    enum class Kind : std::uint8_t { Track, Arc, Fill };
    Kind kind = Kind::Track;
    int layer = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a track's ends, a fill's corners, an arc's centre
    int width = 0;                       // of a track or arc
    int radius = 0;                      // of an arc
    int quadrants = 0;                   // the quarters of an arc drawn (1, 2, 4, 8)
    int island = -1;
};

/// Copper that the board's copper joins into one piece, with at least one pad on it.
struct Island {
    std::vector<int> pads;  // indices into Copper::pads, in file order
    int objects = 0;        // pads, vias, tracks, arcs, fills and pours it is made of
    int x = 0, y = 0;       // a point on it (its first pad), mils
};

/// A text on copper that touches copper of two islands or more: a possible short, since the
/// text is drawn in copper too.
struct TextContact {
    std::string text;
    int x = 0, y = 0;  // where the text starts, mils
    long line = 0;
    std::vector<int> islands;
};

/// Where two objects of an island meet: one link of the chain that joined it.
struct Joint {
    std::uint32_t a = 0, b = 0;  // objects
    int x = 0, y = 0;            // mils
    /// Whether one object ends in the other (a track end, a pad's or via's centre), as copper
    /// that is meant to join does; false where copper only crosses or grazes other copper.
    bool meant = true;
};

/// The copper of a board as the plot run draws it, joined into islands.
struct Copper {
    std::vector<PadInfo> pads;
    std::vector<ViaInfo> vias;
    std::vector<Island> islands;
    std::vector<TextContact> textContacts;
    /// Per object (every pad, via, track, arc, fill, pour piece and plane): its island, -1
    /// when the copper it is on has no pad.
    std::vector<int> objectIsland;
    std::vector<std::uint32_t> padObject;  // per pad, its object
    std::vector<Joint> joints;
    /// Copper layers with copper of their own (not only Multi Layer pads and vias): bit 0 for
    /// the top (board layer 1) to bit 5 for the bottom.
    unsigned layersUsed = 0;
    std::vector<std::string> warnings;
    /// The tracks, arcs and fills in copper, in file order; only with CopperOptions::keepDrawn.
    std::vector<DrawnCopper> drawn;
};

/// Reads the board and finds its copper islands. Every line the board reader passes over goes
/// to `skippedLine` (NETDEF blocks are there). Throws IoError when the board cannot be read and
/// FormatError for a board that is not one or has coordinates beyond kMaxMils.
Copper traceCopper(const std::string& boardPath, const CopperOptions& options,
                   const std::function<void(const std::string&)>& skippedLine = {});

}  // namespace padloom::nets
