#include "plot/plot_run.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/number_format.h"
#include "common/recording_host.h"
#include "common/text_io.h"
#include "plot/board_outline.h"
#include "plot/bom.h"
#include "plot/drill_drawing.h"
#include "plot/gerber_header.h"
#include "plot/layer_plot.h"
#include "plot/nc_drill.h"
#include "plot/plane_area.h"
#include "plot/unticked_layers.h"
#include "plot/outline_file.h"
#include "plot/x2_attributes.h"

namespace padloom::plot {

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
// made on a thread beside the layer files, riding the pass over the board that they make: what
// it tells the user and the files it finishes are kept, and handed on in their turn.
struct SideOutput {
    using Starter = std::function<std::unique_ptr<PassOutput>(common::Host&)>;
    explicit SideOutput(Starter starter) : start(std::move(starter)) {}

    Starter start;
    std::unique_ptr<PassOutput> output;
    RidingOutput riding;
    common::RecordingHost host;
    common::DeferredCommits files;
    bool ran = false;

    // in its turn: its messages, then its files put in place, or the error that stopped it
    void finish(common::Host& to) {
        host.replay(to);
        if (riding.error) {
            std::rethrow_exception(riding.error);
        }
        files.apply();
    }
};

// The work of one thread: layer files written in one shared pass over the board, with side
// outputs riding it.
struct Share {
    std::vector<PlottedLayer*> layers;
    std::vector<SideOutput*> sides;
    double load = 0;  // its estimated cost
};

constexpr int kOutlineLayer = 17;

// What a pass over the board costs, in bytes of output written in the same time, per record.
constexpr double kPassPerRecord = 16;

// The estimated cost of a layer file, in bytes of plain output written in the same time, from
// what the board holds on the board layers it draws. Text is the costliest per record, but
// its strokes are written faster than other output, byte for byte.
double layerFileSize(int p, const PlotOptions& o, const board::BoardContents& c) {
    double bytes = 1000;
    for (int b = 0; b < board::BoardContents::kLayers; ++b) {
        const board::LayerContents& l = c.layers[static_cast<size_t>(b)];
        if (onLayer(b, p, o)) {
            bytes += 30.0 * static_cast<double>(l.flashes);
        }
        if (onLayerAsDrawing(b, p, o)) {
            bytes += 45.0 * static_cast<double>(l.lines) +
                     60.0 * static_cast<double>(l.arcQuarters) +
                     150.0 * static_cast<double>(l.fills) +
                     110.0 * static_cast<double>(l.textChars);
        }
    }
    return bytes;
}

// Shares the layer files and side outputs out over `threads` threads so that they end at
// about the same time: the largest first, each to the thread that then has the least to do
// (the first output of a thread brings the cost of its pass). Without a kept board image
// every output counts the same.
std::vector<Share> shareOut(std::vector<PlottedLayer>& layers,
                            const std::vector<std::pair<SideOutput*, double>>& sides,
                            unsigned threads, const PlotOptions& options,
                            const board::RunValues& rv) {
    const board::BoardContents* contents = rv.boardImage ? &rv.boardImage->contents() : nullptr;
    const double pass =
        contents ? kPassPerRecord * static_cast<double>(contents->records) : 0.0;
    struct Item {
        double size;
        PlottedLayer* layer;
        SideOutput* side;
    };
    std::vector<Item> items;
    for (PlottedLayer& p : layers) {
        if (!p.error) {
            items.push_back({contents ? layerFileSize(p.layer, options, *contents) : 1.0, &p,
                             nullptr});
        }
    }
    for (const auto& [side, size] : sides) {
        items.push_back({contents ? size : 1.0, nullptr, side});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.size > b.size; });
    std::vector<Share> shares(std::max(1u, threads));
    for (const Item& item : items) {
        auto cost = [&](const Share& s) {
            return s.load + item.size + (s.layers.empty() && s.sides.empty() ? pass : 0.0);
        };
        Share& to = *std::min_element(shares.begin(), shares.end(),
                                      [&](const Share& a, const Share& b) {
                                          return cost(a) < cost(b);
                                      });
        to.load = cost(to);
        if (item.layer) {
            to.layers.push_back(item.layer);
        } else {
            to.sides.push_back(item.side);
        }
    }
    return shares;
}

// Whether the run writes the file of a ticked layer: not the outline file of an empty outline.
bool writesLayerFile(const PlotOptions& options, int layer) {
    return layer != kOutlineLayer || !options.outline || !options.outline->empty();
}

}  // namespace

void writeGerberJobFile(common::Host& host, const PlotOptions& options,
                        const board::RunValues& rv) {
    host.addLine("Job file");
    std::vector<JobFile> files;
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (options.layers[static_cast<size_t>(layer)] && writesLayerFile(options, layer)) {
            const std::string path = layerOutputPath(rv, std::string(layerExtension(layer)));
            files.push_back(
                jobFileOf(*options.x2Facts, *setFileOfLayer(layer), common::fileNameOf(path)));
        }
    }
    if (options.ncDrill) {
        const std::string path = layerOutputPath(rv, std::string(ncDrillSetFile().extension));
        files.push_back(jobFileOf(*options.x2Facts, ncDrillSetFile(), common::fileNameOf(path)));
    }
    common::LineWriter out(layerOutputPath(rv, ".gbrjob"));
    out.write(gerberJobFile(*options.x2Facts, files));
    out.commit();
}

void plotBoard(common::Host& host, const PlotOptions& given, const board::RunValues& rv) {
    if (!rv.aptMade) {
        return;  // no aperture file was made: nothing to plot with, nothing to say
    }
    PlotOptions options = given;
    if (!options.outline && (options.x2 || options.outlineSource)) {
        // a set that says what its files are draws the board's outline, and says when it has none
        options.outline = std::make_shared<const BoardOutline>(findBoardOutline(
            rv.boardFile, options.outlineSource.value_or(OutlineSource::Auto), rv.boardImage));
    }
    if (options.x2 && !options.x2Facts) {
        options.x2Facts = std::make_shared<const X2Facts>(gatherX2Facts(options, rv));
    }
    if (positivePlanes(options) && (options.layers[13] || options.layers[14]) &&
        !options.planeArea) {
        options.planeArea =
            std::make_shared<const PlaneArea>(planeAreaOf(rv, options.outline.get()));
    }
    using common::decimal;
    host.addLine(rv.boardFile);
    host.addLine(rv.aptFile);
    host.addLine(rv.baseName);
    const board::Extents& e = rv.extents;
    host.addLine("Dimentions are: " + decimal(e.minX) + " " + decimal(e.minY) + ", " +  // sic
                 decimal(e.maxX) + ", " + decimal(e.maxY));
    // what the board reader met in the board: the files below hold what it made of it
    for (const std::string& line : board::problemsShown(rv.boardProblems)) {
        host.warn(line);
    }
    if (options.outline && options.outline->empty()) {
        host.warn(noOutlineWarning(*options.outline));
    }
    // the layers other than the drill drawing and the pour layers are written in passes over
    // the board shared between them, and reported and put in place here in layer order
    std::vector<int> shared;
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (options.layers[layer] && layer != 9 && !isPourLayer(layer, rv) &&
            !(layer == kOutlineLayer && options.outline)) {
            shared.push_back(layer);
        }
    }
    const unsigned threads = options.threads != 0
                                 ? options.threads
                                 : std::max(1u, std::thread::hardware_concurrency());

    // with more than one thread, the drill drawing, the NC drill file and the BOM are made on
    // the threads too, beside the layer files; a locale-aware BOM comparison stays on this
    // thread, as it may not be safe on another one
    SideOutput drawing([&](common::Host& h) { return drillDrawingOutput(h, options, rv, 9); });
    SideOutput drill([&](common::Host& h) { return ncDrillOutput(h, options, rv); });
    SideOutput bom([&](common::Host& h) { return billOfMaterialsOutput(h, options, rv); });
    std::vector<std::pair<SideOutput*, double>> sides;  // with their estimated sizes
    if (threads > 1) {
        const board::BoardContents c =
            rv.boardImage ? rv.boardImage->contents() : board::BoardContents{};
        if (options.layers[9]) {
            sides.emplace_back(&drawing, 110.0 * static_cast<double>(c.holes));
        }
        if (options.ncDrill) {
            sides.emplace_back(&drill, 15.0 * static_cast<double>(c.holes));
        }
        if (options.bom && !options.compareText) {
            sides.emplace_back(&bom, 10.0 * static_cast<double>(c.components));
        }
    }
    std::vector<PlottedLayer> plotted = openLayerFiles(rv, shared);
    std::vector<Share> shares = shareOut(plotted, sides, threads, options, rv);
    auto work = [&](Share& share) {
        std::vector<RidingOutput*> riders;
        for (SideOutput* side : share.sides) {
            side->ran = true;
            try {
                side->output = side->start(side->host);
                side->riding.output = side->output.get();
                riders.push_back(&side->riding);
            } catch (...) {
                side->riding.error = std::current_exception();
            }
        }
        plotLayersTogether(host, options, rv, share.layers, riders);
        for (SideOutput* side : share.sides) {
            if (side->riding.error) {
                continue;
            }
            common::DeferCommits defer(side->files);
            try {
                side->output->finish();
            } catch (...) {
                side->riding.error = std::current_exception();
            }
            side->output.reset();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (size_t i = 1; i < shares.size(); ++i) {
            if (!shares[i].layers.empty() || !shares[i].sides.empty()) {
                workers.emplace_back(work, std::ref(shares[i]));
            }
        }
        work(shares[0]);
    }  // the workers are joined here

    // each output in its turn: a side output made on a thread hands on what it kept; one that
    // was not is made here
    auto sideOutput = [&](SideOutput& output) {
        if (output.ran) {
            output.finish(host);
        } else {
            runPass(rv, *output.start(host));
        }
    };
    auto next = plotted.begin();
    for (int layer = 1; layer <= kPlotLayerCount; ++layer) {
        if (!options.layers[layer]) {
            continue;
        }
        if (layer == 9) {
            sideOutput(drawing);
        } else if (layer == kOutlineLayer && options.outline) {
            if (!options.outline->empty()) {
                plotOutlineFile(host, options, rv, *options.outline);
            }
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
    if (options.x2Facts) {
        writeGerberJobFile(host, options, rv);
    }
    // last, where the user reads on: what the ticked layers leave out
    if (const std::string unticked = untickedLayersWarning(untickedLayersWithObjects(options, rv));
        !unticked.empty()) {
        host.warn(unticked);
    }
    host.addLine("Done");
}

}  // namespace padloom::plot
