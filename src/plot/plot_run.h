#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "board/run_values.h"
#include "common/host.h"
#include "plot/board_outline.h"
#include "plot/plot_layers.h"

namespace padloom::plot {

struct X2Facts;
struct PlaneArea;

/// The drill file's units in Excellon's words: INCH or METRIC.
enum class DrillUnits { Inch, Metric };

/// Which zeros of a drill coordinate Excellon's header says are kept: LZ the leading ones, TZ
/// the trailing ones. Every digit of the format is written either way, which both readings
/// take the same.
enum class DrillZeros { Leading, Trailing };

/// The drill file's units and number format in Excellon's own terms: INCH 2:3 or 2:4, METRIC 3:3,
/// LZ or TZ.
struct DrillFormat {
    DrillUnits units = DrillUnits::Inch;
    int integerDigits = 2;
    int decimalDigits = 3;
    DrillZeros zeros = DrillZeros::Leading;
    bool operator==(const DrillFormat&) const = default;
};

/// The plot layer a user names by its extension ("GTL", ".gtl") or its number ("1" to "17").
std::optional<int> plotLayerNamed(std::string name);

/// Fill forms of the plot window's "Fill mode" pair; with neither ticked fills are polygons.
enum class FillMode { Polygon, Flash };

/// Options of the "Generate XGerbers" window.
struct PlotOptions {
    std::array<bool, kPlotLayerCount + 1> layers{};  // layers[p] for plot layer p, 1 to 17
    bool ncDrill = false;
    bool bom = false;
    bool includeBoardLayer = true;  // "Include" / "Board Layer"
    bool includeKeepOut = false;    // "Include" / "Keep out"
    bool pourEnable = false;        // "Pours from .001 outline" / "Enable"
    bool justDrawOutline = false;
    bool thermalsOnExternalLayers = false;
    bool drillFormat24 = false;  // "2,4"; otherwise the 2,3 form
    /// The drill file's units and format when a board house asks for them; otherwise the inch
    /// 2,3 or 2,4 form with leading zeros that drillFormat24 chooses.
    std::optional<DrillFormat> drillFormat;
    FillMode fillMode = FillMode::Polygon;
    /// How many layer files are written at once: 0 one per core, 1 one after the other. The
    /// files and the message list are the same either way.
    unsigned threads = 0;
    /// Comparison of BOM texts without regard to case (< 0, 0, > 0); the desktop program
    /// passes the user's locale collation. Empty: byte order of the upper-cased texts.
    std::function<int(std::string_view, std::string_view)> compareText;
    /// Gerber X2 attributes: every layer file says what it is and what its apertures are for,
    /// the NC drill file says it in header comments, and a Gerber job file lists the set.
    bool x2 = false;
    /// The creation date the attributes give (ISO 8601 with offset); empty: the run's time.
    std::string creationDate;
    /// What the attributes say, gathered by the plot run when x2 is on; null otherwise.
    std::shared_ptr<const X2Facts> x2Facts;
    /// No aperture macros in any file, for CAM software that misreads them: thermal reliefs
    /// and targets are drawn with standard apertures and regions that give the same picture.
    bool noMacros = false;
    /// The planes as positive images: a dark region over the board, the clearances and
    /// reliefs cleared from it. Otherwise negative images, unless x2 (which always writes
    /// them positive).
    bool positivePlanes = false;
    /// Where a positive plane is dark, found by the plot run when it writes one; null
    /// otherwise.
    std::shared_ptr<const PlaneArea> planeArea;
    /// The board outline: when set, the outline file (plot layer 17) draws only its lines and
    /// arcs, each at its own width, and is not written at all when the outline is empty; the
    /// job file's size is its extent. Null: the outline file draws the board layer as the plain
    /// plot does. The run finds it itself when it is not given but `outlineSource` is, or X2
    /// attributes are on (from OutlineSource::Auto then).
    std::shared_ptr<const BoardOutline> outline;
    std::optional<OutlineSource> outlineSource;
};

/// The plot run after the aperture file was made: lists the file names and the board's
/// dimensions, warns when the run has an outline that is empty ("No board outline: ..."),
/// writes each ticked layer in plot layer order, then the NC drill file and the BOM when
/// ticked, with X2 attributes the job file, and adds "Done" to the message list. Does
/// nothing when the run values say no aperture file was made. Throws IoError on a file error; files
/// finished before it stay.
void plotBoard(common::Host& host, const PlotOptions& options, const board::RunValues& runValues);

/// The Gerber job file of a plot run with X2 attributes (base name + ".gbrjob"): every file the
/// run's options make, with its function and polarity. Needs options.x2Facts.
void writeGerberJobFile(common::Host& host, const PlotOptions& options,
                        const board::RunValues& runValues);

}  // namespace padloom::plot
