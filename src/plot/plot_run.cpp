#include "plot/plot_run.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

#include "common/number_format.h"
#include "common/recording_host.h"
#include "common/text_io.h"
#include "plot/bom.h"
#include "plot/drill_drawing.h"
#include "plot/layer_plot.h"
#include "plot/nc_drill.h"

namespace padloom::plot {

std::string_view layerExtension(int plotLayer) {
    static constexpr std::string_view kExtensions[] = {
        "",     ".GTL", ".GM1", ".GM2", ".GM3", ".GM4", ".GBL", ".GTO", ".GBO",
        ".GDD", ".GDG", ".GTS", ".GBS", ".GGD", ".GPW", ".GTP", ".GBP", ".GBD"};
    return plotLayer >= 1 && plotLayer <= kPlotLayerCount ? kExtensions[plotLayer] : "";
}

std::optional<int> plotLayerNamed(std::string name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); })) {
        if (name.size() > 2) {
            return std::nullopt;
        }
        const int n = std::stoi(name);
        return n >= 1 && n <= kPlotLayerCount ? std::optional<int>(n) : std::nullopt;
    }
    if (name[0] != '.') {
        name.insert(0, ".");
    }
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (layerExtension(layer) == name) {
            return layer;
        }
    }
    return std::nullopt;
}

namespace {

// One of the outputs besides the layer files (the drill drawing, the NC drill file, the BOM),
// made on a thread of its own while the layer files are written: what it tells the user and
// the files it finishes are kept, and handed on in their turn.
struct SideOutput {
    explicit SideOutput(std::function<void(common::Host&)> maker) : make(std::move(maker)) {}

    std::function<void(common::Host&)> make;
    common::RecordingHost host;
    common::DeferredCommits files;
    std::exception_ptr error;
    bool ran = false;

    // in its turn: its messages, then its files put in place, or the error that stopped it
    void finish(common::Host& to) {
        host.replay(to);
        if (error) {
            std::rethrow_exception(error);
        }
        files.apply();
    }
};

}  // namespace

void plotBoard(common::Host& host, const PlotOptions& options, const board::RunValues& rv) {
    if (!rv.aptMade) {
        return;  // no aperture file was made: nothing to plot with, nothing to say
    }
    using common::decimal;
    host.addLine(rv.boardFile);
    host.addLine(rv.aptFile);
    host.addLine(rv.baseName);
    const board::Extents& e = rv.extents;
    host.addLine("Dimentions are: " + decimal(e.minX) + " " + decimal(e.minY) + ", " +  // sic
                 decimal(e.maxX) + ", " + decimal(e.maxY));
    // the layers other than the drill drawing and the pour layers are written in passes over
    // the board shared between them, and reported and put in place here in layer order
    std::vector<int> shared;
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (options.layers[layer] && layer != 9 && !isPourLayer(layer, rv)) {
            shared.push_back(layer);
        }
    }

    // with more than one thread, the drill drawing, the NC drill file and the BOM are made
    // meanwhile on a thread of their own, one after the other, up to the first that fails; a
    // locale-aware BOM comparison stays on this thread, as it may not be safe on another one
    const bool sideThread = options.threads != 1;
    SideOutput drawing([&](common::Host& h) { plotDrillDrawing(h, options, rv, 9); });
    SideOutput drill([&](common::Host& h) { createNcDrillFile(h, options, rv); });
    SideOutput bom([&](common::Host& h) { writeBillOfMaterials(h, options, rv); });
    std::vector<SideOutput*> sides;
    if (sideThread) {
        if (options.layers[9]) {
            sides.push_back(&drawing);
        }
        if (options.ncDrill) {
            sides.push_back(&drill);
        }
        if (options.bom && !options.compareText) {
            sides.push_back(&bom);
        }
    }
    std::jthread side;
    if (!sides.empty()) {
        side = std::jthread([&sides] {
            for (SideOutput* output : sides) {
                common::DeferCommits defer(output->files);
                output->ran = true;
                try {
                    output->make(output->host);
                } catch (...) {
                    output->error = std::current_exception();
                    break;
                }
            }
        });
    }
    // a side output in its turn (the side thread has ended by then): made here when it was not
    // made there
    auto sideOutput = [&](SideOutput& output) {
        if (output.ran) {
            output.finish(host);
        } else {
            output.make(host);
        }
    };

    auto plotted = plotLayerFiles(host, options, rv, shared, options.threads);
    if (side.joinable()) {
        side.join();
    }
    auto next = plotted.begin();
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (!options.layers[layer]) {
            continue;
        }
        if (layer == 9) {
            sideOutput(drawing);
        } else if (isPourLayer(layer, rv)) {
            plotLayerFile(host, options, rv, layer);
        } else {
            PlottedLayer& p = *next++;
            host.addLine(layerExtension(layer));
            for (const auto& message : p.messages) {
                host.addLine(message);
            }
            if (p.error) {
                std::rethrow_exception(p.error);
            }
            p.file->out.commit();
            p.file.reset();
        }
        host.letMessagesRun();
    }
    if (options.ncDrill) {
        sideOutput(drill);
    }
    if (options.bom) {
        sideOutput(bom);
    }
    host.addLine("Done");
}

}  // namespace padloom::plot
