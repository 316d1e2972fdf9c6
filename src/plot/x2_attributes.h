#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "board/run_values.h"
#include "common/text_io.h"
#include "plot/plot_layers.h"

namespace padloom::plot {

struct PlotOptions;

/// What an aperture is for, as the Gerber X2 aperture attribute says it. None: no function
/// can be given (the aperture serves several, or one the attribute has no word for).
enum class AperFunction : std::uint8_t {
    None,
    ComponentPad,
    SmdPad,
    ViaPad,
    Conductor,
    NonConductor,
    Profile,
    AntiPad,
    ThermalReliefPad,
    Material,     // the image proper of a mask, paste or legend file
    NonMaterial,  // a drawing: the drill drawing's marks, dimensions and legend
};

/// The attribute value of a function: "ComponentPad", "SMDPad,CuDef" ...; "" for None.
std::string_view aperFunctionText(AperFunction function);

/// The function an aperture drawing something for `function` has on a plot layer's file. The
/// pad, conductor and clearance values belong to copper (layers 1 to 6) and the planes (13,
/// 14, where only clearances, reliefs and the profile are drawn): on the masks, paste and
/// legends the image is Material, on the drill drawing NonMaterial; the outline file and the
/// drill guide take none. Profile stays Profile wherever the board outline is drawn.
AperFunction functionOnLayer(int plotLayer, AperFunction function);

/// What each aperture of one layer file is for, noted use by use (functionOnLayer gives what
/// a use is on the layer). An aperture used for two different things on the layer gets no
/// function: an attribute must be true of every object drawn with it.
class ApertureFunctions {
public:
    void note(int dcode, AperFunction function);
    AperFunction of(int dcode) const;

private:
    std::unordered_map<int, AperFunction> m_functions;
};

/// The board's size in millimetres, as the job file gives it.
struct BoardSize {
    double x = 0;
    double y = 0;
};

/// What the Gerber X2 attributes of a plot set say, gathered before its files are written.
struct X2Facts {
    std::string version;       // of this program
    std::string creationDate;  // ISO 8601 with offset, the same for every file of the set
    std::string projectName;   // the board file's name without its extension
    std::string projectGuid;   // a version 4 UUID of the project's name
    std::string projectRevision = "rev?";  // a board file has no revision
    CopperStack stack;
    /// The functions of the apertures of each layer file, by plot layer.
    std::array<ApertureFunctions, kPlotLayerCount + 1> functions;
    /// The extent of the board outline along the centre of its lines; or the span of the
    /// board's tracks when it has no outline. Unknown for a board with neither, and for a run
    /// given an outline (PlotOptions::outline) that is empty.
    std::optional<BoardSize> size;
    /// Whether the board has non-plated holes (the NC drill file then holds both kinds).
    bool nonPlatedHoles = false;
    /// The board's thickness in millimetres when the user gave it.
    std::optional<double> boardThickness;
};

/// Takes the aperture functions off the files of copper layers the board does not use: their
/// function is "Other,Unused copper layer", not copper, and the copper values belong to copper
/// files only.
void dropFunctionsOfUnusedCopper(X2Facts& facts);

/// The time now in ISO 8601 with its offset: "2026-12-08T07:30:00+00:00" (UTC).
std::string isoDateNow();

/// A field of an attribute: the characters an attribute may not hold (",", "*", "%", "\",
/// control characters and bytes of 128 and above, taken as Latin-1) written as \uXXXX.
std::string attributeField(std::string_view text);

/// The facts a plot run's attributes give, from one pass over the board: the copper stack
/// the board uses, the function of each aperture of each ticked layer file, the board's size.
/// Throws IoError when the board or the aperture file cannot be read.
X2Facts gatherX2Facts(const PlotOptions& options, const board::RunValues& runValues);

/// The facts common to every plot run of a board: program, date, project; the copper stack.
X2Facts x2FactsFor(const std::string& boardFile, const CopperStack& stack,
                   const std::string& creationDate);

/// The file attributes of a Gerber file of the set, each in a "G04 #@! TF...*" comment line
/// ending in CR LF.
std::string gerberFileAttributes(const X2Facts& facts, const SetFile& file);

/// The file attributes of the NC drill file as header comments ("; #@! TF.FileFunction,..."),
/// one a line. Its function is "Plated,1,n,PTH", or "MixedPlating,1,n" when the board has
/// non-plated holes; `function` gives another (a drill file of part of the holes).
std::vector<std::string> drillFileAttributes(const X2Facts& facts, std::string function = {});

/// Writes the aperture attributes of a file's aperture definitions, as attribute comments:
/// before each definition whose function differs from the one before, "TA.AperFunction,..."
/// (or "TD" before one without a function); after the last, "TD" when a function is still set.
class ApertureAttributeWriter {
public:
    ApertureAttributeWriter(common::LineWriter& out, const ApertureFunctions& functions)
        : m_out(out), m_functions(functions) {}
    void before(int dcode);
    void end();

private:
    common::LineWriter& m_out;
    const ApertureFunctions& m_functions;
    AperFunction m_current = AperFunction::None;
};

/// One file of a job file: its name, function and polarity.
struct JobFile {
    std::string path;
    std::string function;
    std::string polarity;
};

/// A Gerber job file (JSON) of a set: the program and date, the project, the board's size,
/// thickness and copper layer count, and each file with its function and polarity.
std::string gerberJobFile(const X2Facts& facts, const std::vector<JobFile>& files);

/// The job file's entry of a file of the set named `name`.
JobFile jobFileOf(const X2Facts& facts, const SetFile& file, const std::string& name);

}  // namespace padloom::plot
