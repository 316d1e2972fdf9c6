#pragma once

#include <optional>
#include <string>
#include <vector>

#include "board/aperture_table.h"
#include "nets/board_nets.h"
#include "plot/plot_layers.h"

namespace padloom::nets {

/// What the test netlist takes from the Gerber set it goes with.
struct Ipc356Options {
    /// The copper layers as the set counts them: a bottom pad's access is A0n with n their
    /// number. Unset: the top, the mid layers with copper of their own and the bottom.
    std::optional<plot::CopperStack> stack;
    /// The aperture table the solder masks are plotted with, and its enlargements: a pad or
    /// via has an opening in a mask when the table holds its mask aperture, as the plot then
    /// flashes it. Null: every pad and via is open on the sides it is on (the aperture builder
    /// makes every mask aperture).
    const board::ApertureTable* masks = nullptr;
    board::Enlargements enlargements;
};

/// An IPC-D-356A bare-board test netlist: the header ("P" records: job, units in 0.0001 inch,
/// version, image), an alias record for every net name longer than the 14 columns of a test
/// record, one test record per pad and per via sorted by net, and "999". Records: "317" for
/// plated through holes and vias, "367" for non-plated holes (a pad no larger than its hole;
/// "U" after the hole size), "327" for surface pads; access A00 through the board, A01 on the
/// top, A0n on the bottom; the solder mask digit tells the sides the masks cover (S0 open on
/// both, S1 covered on the top, S2 on the bottom, S3 on both). Where the design's netlist is
/// known (`nets.reference`), the nets are its nets: every pin it lists carries its net's name
/// wherever the copper runs, and a via or a pad it does not list takes the net of the listed
/// pins on its copper (the first by name where they are of several), else N/C. Without one
/// the nets are the copper's islands. Every record is 80 columns of ASCII: other characters
/// are written as "_" (names that would then be the same are told apart by "_2", "_3"...);
/// lines end in CR LF. `jobName` names the job. Fields too long for their columns are cut
/// and coordinates too large clamped; each such case adds a line to `warnings`.
std::string ipc356Text(const BoardNets& nets, const std::string& jobName,
                       const Ipc356Options& options, std::vector<std::string>& warnings);

/// Writes the test netlist of `nets` to `outputPath` through a temporary file, refusing to
/// write over the board. Throws IoError.
void writeIpc356(const BoardNets& nets, const std::string& boardPath, const std::string& outputPath,
                 const Ipc356Options& options, std::vector<std::string>& warnings);

/// Where the nets of a board's test netlist come from, and how its copper agrees with them.
struct NetSource {
    /// "the netlist in the board (its NETDEF blocks)", "the netlist B.NET", or "the copper:
    /// the board carries no netlist and none was given, so the nets are the copper's".
    std::string source;
    /// With a netlist: "copper matches the netlist", or a line for each open and short by
    /// net (and for pins the board lacks, pads copper joins to a net they are not in, texts on
    /// copper across nets). Empty without one.
    std::vector<std::string> check;
};
NetSource netSource(const BoardNets& nets, const std::string& boardPath);

/// `text` with every character outside printable ASCII written as "_": a valid UTF-8
/// sequence as one character, other bytes one by one (Latin-1).
std::string asciiText(const std::string& text);

}  // namespace padloom::nets
