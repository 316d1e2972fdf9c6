#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/board_reader.h"

namespace padloom::board {

/// Aperture shape codes, shared by the aperture file and the pad shapes of the board file.
enum ShapeCode : int {
    kCircular = 1,
    kRectangular = 2,
    kOctagonal = 3,
    kRoundRect = 4,
    kCrosshair = 5,
    kMoire = 6,
    kRelief = 7,
    kRelExtRound = 8,
    kRelExtRect = 9,
    kRelExtRRect = 10,
};

/// Returned by FindAperture when no entry matches.
constexpr int kNotFound = -1;

/// The shape name as an aperture file writes it, blank-filled to 11 characters;
/// empty for codes outside 1 to 10.
std::string_view shapeNameWritten(int code);
/// The shape code of a name as read (upper case), or nullopt for any other word.
std::optional<int> shapeCodeOf(std::string_view name);

/// One line of an aperture file as read: D-code, shape name (upper case), sizes in mils.
struct AptLine {
    int dcode = 0;
    std::string name;
    int xSize = 0;
    int ySize = 0;
};

/// Reads one aperture file line. Never reads past the end of the line; a run that ends early
/// reads as far as it goes.
AptLine ParseAptLine(std::string_view line);

struct ApertureEntry {
    int shape = -1;
    int xSize = 0;
    int ySize = 0;
    int dcode = 0;
};

/// The apertures of one layer file, in aperture file order. Searches take the first exact
/// match of shape and both sizes. The classic table holds 1001 entries; this one grows past
/// that, so every line of a larger aperture file is defined and found.
class ApertureTable {
public:
    static constexpr size_t kClassicCapacity = 1001;

    void clear();
    void add(const ApertureEntry& entry);
    /// Adds the entry of an aperture file line when its shape name is one of the ten;
    /// returns the entry's shape code, or nullopt for a line that takes no entry.
    std::optional<int> addLine(const AptLine& line);
    const std::vector<ApertureEntry>& entries() const { return m_entries; }
    size_t size() const { return m_entries.size(); }

    /// D-code of the first entry with this shape and sizes, or kNotFound.
    int FindAperture(int shape, int xSize, int ySize) const;

    /// Loads the table from an aperture file; throws IoError when it cannot be read, and
    /// FormatError when it holds binary data or no line that defines an aperture.
    void load(const std::string& path);

private:
    // An open-addressed table from shape and sizes to the D-code of the first match: the
    // plotter looks up several apertures for every record of every layer file.
    struct Slot {
        int shape = 0, xSize = 0, ySize = 0;
        int dcode = 0;
        bool used = false;
    };
    static size_t hashOf(int shape, int xSize, int ySize);
    void grow();

    std::vector<ApertureEntry> m_entries;
    std::vector<Slot> m_slots;  // a power of two in size, at most half full
    size_t m_used = 0;
};

/// Refuses an aperture file that holds binary data (FormatError naming the file).
void refuseBinaryAptFile(const common::LineReader& reader);
/// Refuses an aperture file from which no aperture was read (FormatError naming the file).
void refuseEmptyAptFile(const ApertureTable& table, const std::string& path);

/// Solder mask, paste mask, plane and pour enlargements in mils.
struct Enlargements {
    int solderMask = 6;  // S
    int paste = 0;       // P
    int plane = 6;       // L
    int pour = 6;        // R
};

/// A size enlarged by `by` mils, never below 0 (the enlargements have no range, so a negative
/// one must not make a negative aperture). The builder and every lookup use this one rule.
int enlarged(int size, int by);

/// The outer relief shape of a pad shape: REL_E_RND for round, REL_E_RECT for rectangular,
/// REL_E_RRECT for rounded rectangle; nullopt for any other shape.
std::optional<int> outerReliefShape(int padShape);

/// Apertures a pad needs, each a D-code or kNotFound. Relief apertures of directly connected
/// pads (plane codes 3 and 5) are 0: nothing is plotted for them on that plane.
struct PadApertures {
    int pad = kNotFound;
    int solderMask = kNotFound;
    int paste = kNotFound;
    int planeClearance = kNotFound;
    int pourClearance = kNotFound;
    int groundRelief = kNotFound;
    int powerRelief = kNotFound;
    int outerRelief = kNotFound;
};

struct ViaApertures {
    int pad = kNotFound;
    int solderMask = kNotFound;
    int planeClearance = kNotFound;
    int pourClearance = kNotFound;
};

/// Track and arc apertures: the draw aperture and the pour clearance.
struct LineApertures {
    int draw = kNotFound;
    int pourClearance = kNotFound;
};

struct ComponentApertures {
    int comment = kNotFound;
    int designator = kNotFound;
};

/// The members of PadApertures, for asking resolvePad for some of them only.
enum PadAperture : unsigned {
    kPadOwn = 1u << 0,
    kPadSolderMask = 1u << 1,
    kPadPaste = 1u << 2,
    kPadPlaneClearance = 1u << 3,
    kPadPourClearance = 1u << 4,
    kPadReliefs = 1u << 5,  // ground, power and outer relief
    kPadAll = ~0u,
};

/// The apertures of a pad; with `wanted`, only those asked for (the others stay kNotFound).
PadApertures resolvePad(const ApertureTable& table, const CurrentRecord& rec,
                        const Enlargements& e, unsigned wanted = kPadAll);
/// The members of ViaApertures, for asking resolveVia for some of them only.
enum ViaAperture : unsigned {
    kViaOwn = 1u << 0,
    kViaSolderMask = 1u << 1,
    kViaPlaneClearance = 1u << 2,
    kViaPourClearance = 1u << 3,
    kViaAll = ~0u,
};

/// The apertures of a via; with `wanted`, only those asked for (the others stay kNotFound).
ViaApertures resolveVia(const ApertureTable& table, const CurrentRecord& rec,
                        const Enlargements& e, unsigned wanted = kViaAll);
/// Tracks and arcs.
LineApertures resolveLine(const ApertureTable& table, const CurrentRecord& rec,
                          const Enlargements& e);
/// The draw aperture of a track or arc alone: resolveLine(...).draw.
int resolveLineDraw(const ApertureTable& table, const CurrentRecord& rec);
/// The draw aperture of a string record.
int resolveString(const ApertureTable& table, const CurrentRecord& rec);
/// The rectangular aperture of a fill (only used in the flash fill form).
int resolveFill(const ApertureTable& table, const CurrentRecord& rec);
ComponentApertures resolveComponent(const ApertureTable& table, const ComponentHeader& comp);

}  // namespace padloom::board
