#pragma once

#include <string>
#include <vector>

#include "nets/board_nets.h"

namespace padloom::nets {

/// An IPC-D-356A bare-board test netlist of the copper: the header ("P" records: job, units in
/// 0.0001 inch, version, image), an alias record for every net name longer than the 14 columns
/// of a test record, one test record per pad and per via sorted by net ("317" for plated
/// through holes and vias, "327" for surface pads, with access side, size and solder mask),
/// and "999". Every record is 80 columns, lines end in CR LF. `jobName` names the job.
/// Fields too long for their columns are cut and coordinates too large clamped; each such
/// case adds a line to `warnings`.
std::string ipc356Text(const BoardNets& nets, const std::string& jobName,
                       std::vector<std::string>& warnings);

/// Writes the test netlist of `nets` to `outputPath` through a temporary file, refusing to
/// write over the board. Throws IoError.
void writeIpc356(const BoardNets& nets, const std::string& boardPath, const std::string& outputPath,
                 std::vector<std::string>& warnings);

}  // namespace padloom::nets
