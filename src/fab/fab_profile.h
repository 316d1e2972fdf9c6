#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace padloom::fab {

/// What a board house can make at one copper-layer count, all in millimetres: the smallest
/// track, gap and ring, the drills it has, and the spacings its process needs.
struct FabLimits {
    double track = 0;         // narrowest track or arc
    double clearance = 0;     // copper to copper of another net
    double drillMin = 0;      // smallest finished hole
    double drillMax = 0;      // largest drilled hole
    double annularRing = 0;   // copper beyond a plated hole, at its narrowest
    double holeSpacing = 0;   // hole edge to hole edge
    double copperToEdge = 0;  // copper to the board outline
    double legendLine = 0;    // legend stroke width
    double legendHeight = 0;  // legend text height
    double maskWeb = 0;       // solder mask left between two openings
};

/// An Excellon drill file's number format in Excellon's own terms: "INCH" or "METRIC", digits
/// before and after the point (2:4), and which zeros are kept ("LZ" leading, "TZ" trailing).
struct DrillFormat {
    bool asPlotted = false;  // the plot's own choice: INCH, 2:3 or 2:4 as its options say
    bool metric = false;
    int integerDigits = 2;
    int decimalDigits = 4;
    bool leadingZerosKept = true;
};

/// What a column of an assembly file holds.
enum class AssemblyField {
    Designator,   // CPL: the part's designator
    Designators,  // BOM: the designators of a row, separated by commas
    X,            // CPL: centre, seen from the top
    Y,
    Side,       // CPL: the profile's words for top and bottom
    Rotation,   // CPL: degrees in the profile's sense, 0 to 359
    Comment,    // the part's comment (its value or part number)
    Footprint,  // the part's pattern name
    Quantity,   // BOM: the number of designators in the row
    Item,       // BOM: the row's number from 1
};

struct AssemblyColumn {
    std::string header;
    AssemblyField field = AssemblyField::Designator;
};

/// The placement (centroid) file an assembler loads: its columns, units and conventions.
struct CplFormat {
    std::vector<AssemblyColumn> columns;
    bool inches = false;  // millimetres otherwise
    /// Angles counter-clockwise positive (clockwise otherwise), seen from the top for parts on
    /// both sides; 0 is a part with pin 1 to the left of its centre.
    bool counterClockwise = true;
    std::string topWord = "Top";
    std::string bottomWord = "Bottom";
};

/// The bill of materials an assembler loads: one row per comment and footprint.
struct BomFormat {
    std::vector<AssemblyColumn> columns;
    int maxDesignators = 0;  // designators in one row before a new row starts; 0 no limit
};

/// One field of a profile whose value differs from the generic profile's.
struct ProfileChange {
    std::string section;  // "gerber", "limits 2"; "" for the fields before any section
    std::string key;      // "x2"
    std::string value;
    std::string genericValue;
};

/// A board-house profile: what the fab package makes for one house (the names in the zip, the
/// Gerber and drill options, the assembly files) and the limits of what the house makes.
/// Profiles are text files; every field a profile leaves out takes the generic profile's
/// value, so a profile says only what it changes.
struct FabProfile {
    std::string name;         // "jlcpcb"
    std::string description;  // one line: the house and service
    std::string path;         // the file it was read from
    bool shipped = false;     // installed with the program, rather than the user's own

    bool x2 = true;
    bool jobFile = true;
    bool apertureMacros = true;
    bool positivePlanes = false;
    DrillFormat drill;
    bool drillsApart = true;  // plated and non-plated holes in two files

    /// Name patterns of the files in the zip by file key ("top-copper", "drill-plated",
    /// "cpl"); see fileName().
    std::map<std::string, std::string, std::less<>> names;

    bool xyFile = true;    // the X/Y placement file
    bool billFile = true;  // the plot run's bill of materials
    bool cplFile = true;   // a CPL in `cpl`'s format
    bool bomFile = false;  // a BOM in `bom`'s format
    bool upperCaseDesignators = false;
    CplFormat cpl;
    BomFormat bom;

    FabLimits twoLayers;    // boards of one or two copper layers
    FabLimits multiLayers;  // boards of three or more, made as four-layer boards and up

    /// The fields that differ from the generic profile's, in file order.
    std::vector<ProfileChange> changes;

    /// The limits that apply to a board of this many copper layers.
    const FabLimits& limitsFor(int copperLayers) const;

    /// The name in the zip of the file `key` of board `board` (the file name stem), with
    /// "{board}" replaced by the stem, "{layer}" by the copper layer's place from the top
    /// (1 = top) and "{inner}" by its place among the inner layers (1 = next to the top).
    /// Empty when the profile names no such file.
    std::string fileName(std::string_view key, std::string_view board, int copperLayer = 0) const;
};

/// The file keys of the names a profile gives, in file order: the plot layers' (top-copper ...
/// outline), the drill files' and the others of a package.
const std::vector<std::string_view>& fileNameKeys();
/// The file key of a plot layer (1 to 17), or of the one NC drill file for 0.
std::string_view fileNameKeyOfLayer(int plotLayer);

/// A short phrase of what a profile changes from the generic profile ("no X2 attributes, no
/// aperture macros, CPL and BOM"); "the package as it is made without a profile" for generic.
std::string changeSummary(const FabProfile& profile);

/// Where profiles are looked for: the folder installed with the program and the user's own.
struct ProfileFolders {
    std::string shipped;
    std::string user;  // may be empty or missing
};

/// The shipped folder (share/padloom/fab beside the installed program, else the source tree's
/// data/fab for a program run from its build folder) and the user's: "fab" in the settings
/// folder.
ProfileFolders defaultProfileFolders();

/// A profile that can be chosen by name.
struct ProfileEntry {
    std::string name;
    std::string path;
    bool shipped = false;
};

/// Every profile that can be chosen by name: the shipped ones (generic first, then by name),
/// then the user's own by name. `refused` gets a message for each user profile that is not
/// taken: one with a shipped profile's name (or another user profile's), or one that cannot be
/// read.
std::vector<ProfileEntry> listProfiles(const ProfileFolders& folders,
                                       std::vector<std::string>* refused = nullptr);

/// No profile of the name given: what was asked and the names there are.
class UnknownProfile : public std::runtime_error {
public:
    UnknownProfile(const std::string& asked, std::vector<std::string> known);
    const std::vector<std::string>& known() const { return m_known; }

private:
    std::vector<std::string> m_known;
};

/// Whether a --fab argument names a file rather than a profile: it has a folder separator or a
/// "." (profile names have neither).
bool isProfilePath(std::string_view nameOrPath);

/// The profile named `nameOrPath` (listProfiles()), or read from that file when it is a path.
/// Throws UnknownProfile for a name no profile has, and IoError (the file and line) for a file
/// that cannot be read or is not a valid profile.
FabProfile loadProfile(const std::string& nameOrPath,
                       const ProfileFolders& folders = defaultProfileFolders());

/// The path of the profile file `nameOrPath` stands for (the text `fabs --show` prints).
/// Throws as loadProfile().
std::string profilePath(const std::string& nameOrPath,
                        const ProfileFolders& folders = defaultProfileFolders());

}  // namespace padloom::fab
