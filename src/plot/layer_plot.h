#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "board/aperture_table.h"
#include "board/run_values.h"
#include "common/host.h"
#include "plot/layer_file.h"
#include "plot/pass_output.h"
#include "plot/plot_run.h"

namespace padloom::plot {

/// Whether a record on board layer `boardLayer` belongs on plot layer `plotLayer`. Board and
/// plot numbers mean the same layer only for 1 to 8; the plane, board, keep-out and multi
/// layers go only where their own rows send them. This is the pad and via rule; strings,
/// fills, tracks and arcs are further kept off the masks and paste layers (onLayerAsDrawing).
bool onLayer(int boardLayer, int plotLayer, const PlotOptions& options);

/// The layer rule of strings, fills, tracks, arcs and component texts: onLayer, but never on
/// the solder masks or the paste layers (plot layers 11, 12, 15, 16).
bool onLayerAsDrawing(int boardLayer, int plotLayer, const PlotOptions& options);

/// The D-codes an aperture table defines, for a test made for every record of a layer file.
class DefinedDcodes {
public:
    explicit DefinedDcodes(const board::ApertureTable& table);
    bool contains(int dcode) const;

private:
    static constexpr int kDirect = 1 << 16;  // D-codes below this are looked up directly
    std::vector<bool> m_direct;
    std::vector<int> m_others;  // the rest, sorted
};

/// The D-codes an aperture table defines.
DefinedDcodes definedDcodes(const board::ApertureTable& table);

/// A usable D-code is one the layer file defines and that is 10 or above: D00 to D09 are not
/// apertures in an RS274X file, and a lookup that found nothing gives -1.
bool usableAperture(const DefinedDcodes& defined, int dcode);

/// A pour layer: top or bottom copper of a board with 1-mil pour outlines on it.
bool isPourLayer(int plotLayer, const board::RunValues& runValues);

/// Writes one RS274X layer file (base name + the layer's extension) for a plot layer other
/// than the drill drawing: header and apertures, then every board record that belongs on the
/// layer, and "M02*". Records whose aperture is not in the aperture file are reported in the
/// message list and left out. Throws IoError on a file error; the previous file stays then.
void plotLayerFile(common::Host& host, const PlotOptions& options,
                   const board::RunValues& runValues, int layer);

/// One layer file written in a pass shared with other layers: the file, finished but not yet
/// committed; the lines it has for the message list; and the error that stopped it, if any.
struct PlottedLayer {
    int layer = 0;
    std::unique_ptr<LayerFile> file;
    std::vector<std::string> messages;
    std::exception_ptr error;
};

/// Opens the layer files of `layers` (plot layers other than the drill drawing and the pour
/// layers, which make passes of their own), one after the other; a name that cannot be
/// written is that layer's error. The result is in the order of `layers`.
std::vector<PlottedLayer> openLayerFiles(const board::RunValues& runValues,
                                         const std::vector<int>& layers);

/// An output told of the records of a pass that the layer files make (see PassOutput), and the
/// error that stopped it, if any.
struct RidingOutput {
    PassOutput* output = nullptr;
    std::exception_ptr error;
};

/// Writes the opened layer files of `layers` in one pass over the board, and tells `riders`
/// of its records; the riders are not finished. Nothing reaches the host: each layer keeps
/// its messages and its error, and the caller reports and commits them in layer order, so
/// that the message list and the files are those of plotLayerFile called layer after layer.
/// Several threads may each write their own layers at once.
void plotLayersTogether(common::Host& host, const PlotOptions& options,
                        const board::RunValues& runValues,
                        const std::vector<PlottedLayer*>& layers,
                        const std::vector<RidingOutput*>& riders = {});

/// The output path of a plot layer; refuses (IoError) a name that is one of the run's inputs.
std::string layerOutputPath(const board::RunValues& runValues, const std::string& extension);

}  // namespace padloom::plot
