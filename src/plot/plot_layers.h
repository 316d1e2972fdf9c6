#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::plot {

/// Number of plot layers; plot layer numbers run from 1 to kPlotLayerCount.
constexpr int kPlotLayerCount = 17;

/// What a file of a plot set is.
enum class FileKind {
    Copper,
    Plane,  // a copper plane
    SolderMask,
    Legend,
    Paste,
    Profile,  // the board outline
    DrillDrawing,
    DrillGuide,
    Drill,  // the NC drill file
};

enum class Side { Top, Bottom, Inner, None };

/// One file of a plot set: the plot layer it is made from, its names, what it is for and its
/// polarity. The plot run names its files by `extension`; a fab package names them by
/// `fabExtension`, the one board houses' CAM software recognises.
struct SetFile {
    int plotLayer;                  // 1 to 17; 0 for the NC drill file
    std::string_view extension;     // ".GTL"
    std::string_view fabExtension;  // ".GTL", ".G1", ".GKO"
    std::string_view role;          // "Top copper"
    FileKind kind;
    Side side;
    bool negative;  // its picture shows where material is not: the solder masks draw openings
};

/// Every file of a plot set: plot layers 1 to 17 in order, then the NC drill file.
std::span<const SetFile> setFiles();
/// The row of a plot layer (1 to 17); null for any other number.
const SetFile* setFileOfLayer(int plotLayer);
/// The row of the NC drill file.
const SetFile& ncDrillSetFile();
/// The row whose extension or fab extension ends `path` (compared without regard to case; a
/// TANGO output such as "BOARD.OUT.GTL" counts by its last extension); null when none does.
const SetFile* setFileNamed(std::string_view path);

/// File extension of a plot layer (".GTL" for 1 ... ".GBD" for 17); "" outside 1 to 17.
std::string_view layerExtension(int plotLayer);

/// Which plot layers a board has copper on: top and bottom copper always, the mid layers and
/// planes it uses. Indexed by plot layer.
using CopperUse = std::array<bool, kPlotLayerCount + 1>;

/// The copper layers of a board from top to bottom: top copper, the ground plane, mid layers 1
/// to 4, the power plane and bottom copper, each that the board uses (a board file does not say
/// how its layers are stacked; this is the usual stack of such boards, with the ground plane
/// next to the top and the power plane next to the bottom).
class CopperStack {
public:
    CopperStack() : CopperStack(CopperUse{}) {}
    explicit CopperStack(const CopperUse& used);
    /// The number of copper layers.
    int count() const { return static_cast<int>(m_layers.size()); }
    /// 1-based place of a copper plot layer from the top; 0 when the board does not use it.
    int position(int plotLayer) const;

private:
    std::vector<int> m_layers;
};

/// The file function as the Gerber X2 attribute gives it: "Copper,L1,Top", "Copper,L2,Inr,Plane",
/// "Soldermask,Bot", "Profile,NP", "Plated,1,4,PTH" for the NC drill file. A copper layer the
/// board does not use is "Other,Unused copper layer".
std::string fileFunction(const SetFile& file, const CopperStack& stack);
/// The file polarity as the Gerber X2 attribute gives it: "Negative" for the solder masks,
/// whose picture is their openings; "Positive" for every other file, the planes too (with X2
/// attributes they are written as positive images).
std::string_view filePolarity(const SetFile& file);

}  // namespace padloom::plot
