#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/run_values.h"
#include "common/host.h"
#include "plot/pass_output.h"
#include "plot/plot_run.h"

namespace padloom::plot {

/// One hole to drill: hole size and position in mils, as the board record gives them.
struct DrillHit {
    int holeSize = 0;
    int x = 0;
    int y = 0;
};

/// A drill coordinate: the mils padded with "0" to five digits ("01500"), with one "0"
/// appended in the 2,4 form ("015000"). A negative coordinate keeps its "-" in front.
std::string drillCoordinate(int mils, bool format24);

/// A drill coordinate in a format: every digit of it, the number of its units (thousandths
/// or ten-thousandths of an inch, micrometres) padded with "0" to integer + decimal digits, a
/// negative one with its "-" in front. Micrometres are rounded to the nearest, halves away from 0.
std::string drillCoordinate(int mils, const DrillFormat& format);

/// The format a user names: "INCH,2:4,LZ", "metric 3:3 tz" (units, digits and zeros, in that
/// order, separated by commas or blanks, in any case), or the plot's own "2.3" and "2.4" (inch,
/// leading zeros). nullopt for anything else, and for a format other than INCH 2:3, INCH 2:4
/// and METRIC 3:3.
std::optional<DrillFormat> parseDrillFormat(std::string_view text);

/// "INCH,2:4,LZ".
std::string drillFormatText(const DrillFormat& format);

/// The drill format of a plot run: its drillFormat when set, else the inch 2,3 or 2,4 form
/// with leading zeros that drillFormat24 chooses.
DrillFormat drillFormatOf(const PlotOptions& options);

/// A tool number with at least two digits: "01", "12", "100".
std::string toolNumber(int tool);

/// Writes the NC drill file (base name + ".TXT") of every via and Multi Layer pad: a header that
/// states the number format (";FILE_FORMAT=2:3", the units and the zeros kept: "INCH,LZ") and the
/// tool table (sizes in the file's units) from the drill tally, then the hits of each tool in x, then y order. Each hit's tool
/// is the tally entry of its hole size; a hole size missing from the tally is reported and not
/// drilled. Hits sharing a position are reported, with a beep, and drilled as they stand.
void createNcDrillFile(common::Host& host, const PlotOptions& options,
                       const board::RunValues& runValues);

/// createNcDrillFile as an output of a pass over the board shared with other outputs.
std::unique_ptr<PassOutput> ncDrillOutput(common::Host& host, const PlotOptions& options,
                                          const board::RunValues& runValues);

/// A drill file of part of the board's holes (the plated or the non-plated ones): what follows
/// the base name in its name, and its function as the X2 attributes give it.
struct DrillFilePart {
    std::string ending;    // "-NPTH.TXT"
    std::string function;  // "NonPlated,1,2,NPTH"
};

/// The drill file of a list of hits (base name + ".TXT"): reports hits sharing a position,
/// then writes the tool table from the drill tally and the hits of each tool in x, then y
/// order. Hits of hole size 0 or less are not drilled. With `listHoleSizes` the message list
/// gets the hole size of every hit, in drilling order, before the file's header is written.
/// With `part` the file is named by its ending, its attributes give its function, and its tool
/// table lists only the tools it uses, under their numbers in the tally.
void writeDrillFile(common::Host& host, const PlotOptions& options,
                    const board::RunValues& runValues, std::vector<DrillHit> hits,
                    bool listHoleSizes = false, const DrillFilePart* part = nullptr);

}  // namespace padloom::plot
