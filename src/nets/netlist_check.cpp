#include "nets/netlist_check.h"

#include "common/base_name.h"
#include "common/errors.h"
#include "common/text_io.h"
#include "convert/pcb_to_apt.h"

namespace padloom::nets {

CopperOptions copperOptionsOf(const plot::PlotOptions& options, const board::Enlargements& e) {
    return CopperOptions{options.pourEnable, options.thermalsOnExternalLayers, e.pour};
}

NetlistCheck checkAgainstNetlist(common::Host& host, const std::string& boardPath,
                                 const std::string& netlistPath, plot::PlotOptions options,
                                 const board::Enlargements& enlargements,
                                 const std::string& folder) {
    NetlistCheck check;
    check.board = boardPath;
    NetsOptions netsOptions;
    netsOptions.copper = copperOptionsOf(options, enlargements);
    netsOptions.copper.keepDrawn = true;  // the check is looked at: a net shows its copper
    netsOptions.netlist = netlistPath;
    check.nets = findNets(boardPath, netsOptions);
    if (!check.nets.reference) {
        throw common::FormatError(boardPath,
                                  "no netlist given and the board has no NETDEF blocks to check "
                                  "against");
    }
    check.differences = compareWithNetlist(check.nets, *check.nets.reference);

    // the aperture file and the plot, as a plot run makes them, into the folder
    convert::AptOptions apt;
    apt.enlargements = enlargements;
    apt.pourEnable = options.pourEnable;
    apt.fillApertures = options.fillMode == plot::FillMode::Flash;
    apt.plotMode = true;
    convert::AptBuild build = convert::buildApertureList(boardPath, apt);
    const std::string aptText = convert::aptFileText(build.apertures);
    board::RunValues rv;
    convert::takeBuild(rv, std::move(build), boardPath, enlargements);
    // the outputs go into the folder, not beside the board
    rv.baseName = folder + "/" + common::fileNameOf(rv.baseName);
    rv.aptFile = rv.baseName + ".APT";
    {
        common::LineWriter out(rv.aptFile);
        out.write(aptText);
        out.commit();
    }
    rv.aptMade = true;

    options.layers = {};
    const unsigned used = check.nets.copper.layersUsed;
    for (int layer = 1; layer <= 6; ++layer) {
        options.layers[layer] = layer == 1 || layer == 6 || (used & (1u << (layer - 1)));
    }
    options.ncDrill = true;
    options.bom = false;
    plot::plotBoard(host, options, rv);
    for (int layer = 1; layer <= 6; ++layer) {
        if (options.layers[layer]) {
            check.files.push_back(rv.baseName + std::string(plot::layerExtension(layer)));
        }
    }
    check.files.push_back(rv.baseName + ".TXT");
    return check;
}

}  // namespace padloom::nets
