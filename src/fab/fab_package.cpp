#include "fab/fab_package.h"

#include <algorithm>

#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/errors.h"
#include "common/text_io.h"
#include "common/version.h"
#include "nets/ipc356.h"
#include "nets/netlist_check.h"
#include "plot/layer_plot.h"
#include "view/layer_roles.h"
#include "view/layer_summary.h"
#include <zip.h>

namespace padloom::fab {

namespace {

// Plot layers by number.
constexpr int kTopCopper = 1;
constexpr int kBottomCopper = 6;
constexpr int kTopLegend = 7;
constexpr int kBottomLegend = 8;
constexpr int kDrillDrawing = 9;
constexpr int kTopMask = 11;
constexpr int kBottomMask = 12;
constexpr int kGroundPlane = 13;
constexpr int kPowerPlane = 14;
constexpr int kTopPaste = 15;
constexpr int kBottomPaste = 16;
constexpr int kBoardOutline = 17;

// Board layers.
constexpr int kBoardBottomOverlay = 8;
constexpr int kBoardGroundPlane = 9;
constexpr int kBoardPowerPlane = 10;

bool isCopper(int plotLayer) {
    return plotLayer <= kBottomCopper || plotLayer == kGroundPlane || plotLayer == kPowerPlane;
}

// "name" padded with blanks to `width` characters.
std::string padded(std::string text, size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string toolName(int number) {
    return (number < 10 ? "T0" : "T") + std::to_string(number);
}

std::string zipError(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

}  // namespace

std::array<bool, plot::kPlotLayerCount + 1> fabLayers(const std::string& boardPath) {
    std::array<bool, board::kMultiLayer + 1> used{};
    bool groundConnected = false;
    bool powerConnected = false;
    bool topPads = false;
    bool bottomPads = false;
    auto use = [&](int layer) {
        if (layer >= 0 && layer <= board::kMultiLayer) {
            used[layer] = true;
        }
    };
    board::BoardReader reader(boardPath);
    while (auto kind = reader.next()) {
        const board::CurrentRecord& r = reader.record();
        switch (*kind) {
            case board::RecordKind::Via:
                use(board::kMultiLayer);
                break;
            case board::RecordKind::Component: {
                const board::ComponentHeader& c = reader.component();
                if (c.designatorShown == 1) {
                    use(c.designatorText.layer);
                }
                if (c.commentShown == 1) {
                    use(c.commentText.layer);
                }
                break;
            }
            case board::RecordKind::Pad:
                groundConnected = groundConnected || r.planeCode == 2 || r.planeCode == 3;
                powerConnected = powerConnected || r.planeCode == 4 || r.planeCode == 5;
                topPads = topPads || r.layer == kTopCopper;
                bottomPads = bottomPads || r.layer == kBottomCopper;
                use(r.layer);
                break;
            default:
                use(r.layer);
                break;
        }
    }
    std::array<bool, plot::kPlotLayerCount + 1> layers{};
    for (int p : {kTopCopper, kBottomCopper, kTopLegend, kDrillDrawing, kTopMask, kBottomMask,
                  kBoardOutline}) {
        layers[p] = true;
    }
    for (int mid = 2; mid <= 5; ++mid) {
        layers[mid] = used[mid];  // plot layers 2 to 5 are board layers 2 to 5
    }
    layers[kBottomLegend] = used[kBoardBottomOverlay];
    layers[kGroundPlane] = used[kBoardGroundPlane] || groundConnected;
    layers[kPowerPlane] = used[kBoardPowerPlane] || powerConnected;
    layers[kTopPaste] = topPads;
    layers[kBottomPaste] = bottomPads;
    return layers;
}

std::string packageReadme(const std::string& boardPath, const std::vector<PackageFile>& files,
                          const std::vector<view::LayerImage>& images, bool drillFormat24) {
    auto imageOf = [&](const std::string& extension) -> const view::LayerImage* {
        for (const auto& image : images) {
            std::string name = common::fileNameOf(image.path);
            if (name.size() >= extension.size() &&
                name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
                return &image;
            }
        }
        return nullptr;
    };
    int copper = 0;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        std::string ext(plot::layerExtension(layer));
        if (isCopper(layer) && std::any_of(files.begin(), files.end(), [&](const PackageFile& f) {
                return f.name.size() >= ext.size() &&
                       f.name.compare(f.name.size() - ext.size(), ext.size(), ext) == 0;
            })) {
            ++copper;
        }
    }

    std::vector<std::string> out;
    out.push_back("Fab package of " + common::fileNameOf(boardPath));
    out.push_back(std::string("Made by Padloom ") + common::programVersion());
    out.push_back("");
    const view::LayerImage* outline = imageOf(std::string(plot::layerExtension(kBoardOutline)));
    if (outline && !outline->extent.empty()) {
        const view::Box& b = outline->extent;
        out.push_back("Board size:    " + view::fixed(b.width(), 4) + " x " +
                      view::fixed(b.height(), 4) + " in (" + view::fixed(b.width() * 25.4, 3) +
                      " x " + view::fixed(b.height() * 25.4, 3) +
                      " mm), the extent of the board outline");
    } else {
        // no outline: the board house must be told, and given the copper's span at least
        view::Box copperSpan;
        for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
            const view::LayerImage* image = imageOf(std::string(plot::layerExtension(layer)));
            if (image && isCopper(layer) && !image->negative) {
                copperSpan.add(image->extent);
            }
        }
        std::string text = "Board size:    not given: the board outline file draws nothing";
        if (!copperSpan.empty()) {
            text += "; the copper spans " + view::fixed(copperSpan.width(), 4) + " x " +
                    view::fixed(copperSpan.height(), 4) + " in";
        }
        out.push_back(text);
    }
    out.push_back("Copper layers: " + std::to_string(copper));
    const view::LayerImage* top = imageOf(std::string(plot::layerExtension(kTopCopper)));
    if (top) {
        out.push_back("Gerber files:  RS274X, " +
                      std::string(top->units == view::Units::Inch ? "inch" : "mm") + ", " +
                      top->coordinateFormat);
    }
    const view::LayerImage* drill = imageOf(".TXT");
    if (drill) {
        out.push_back(std::string("Drill file:    Excellon, inch, ") +
                      (drillFormat24 ? "2.4" : "2.3") +
                      ", leading zeros kept (LZ), absolute, plated holes");
    }
    out.push_back("");
    out.push_back("Files");
    for (const PackageFile& f : files) {
        out.push_back("  " + padded(f.name, 22) + " " + f.role);
    }
    out.push_back("  " + padded("README.txt", 22) + " This file");
    if (drill) {
        out.push_back("");
        out.push_back("Drill table (" + common::fileNameOf(drill->path) + ")");
        out.push_back("  " + padded("Tool", 6) + padded("Diameter", 24) + "  Holes");
        long total = 0;
        for (const view::DrillTool& t : drill->tools) {
            std::string size = t.sized ? view::fixed(t.diameter, 4) + " in (" +
                                             view::fixed(t.diameter * 25.4, 3) + " mm)"
                                       : std::string("no diameter");
            std::string hits = std::to_string(t.hits);
            out.push_back("  " + padded(toolName(t.number), 6) + padded(size, 24) +
                          std::string(hits.size() < 7 ? 7 - hits.size() : 0, ' ') + hits);
            total += t.hits;
        }
        std::string sum = std::to_string(total);
        out.push_back("  " + padded("Total", 30) +
                      std::string(sum.size() < 7 ? 7 - sum.size() : 0, ' ') + sum);
    }
    std::vector<std::string> problems;
    for (const auto& image : images) {
        for (const auto& p : image.problems) {
            std::string text = image.describe(p);  // "path:line: ..." with the file's name
            problems.push_back(text.replace(0, image.path.size(), common::fileNameOf(image.path)));
        }
    }
    if (!problems.empty()) {
        out.push_back("");
        out.push_back("Problems found reading the files back");
        for (const auto& p : problems) {
            out.push_back("  " + p);
        }
    }
    std::string text;
    for (const auto& line : out) {
        text += line + "\r\n";
    }
    return text;
}

void writeZip(const std::string& zipPath, const std::vector<PackageFile>& files,
              const std::vector<std::pair<std::string, std::string>>& extra) {
    int code = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        throw common::IoError(zipPath, zipError(code));
    }
    auto fail = [&](const std::string& what) {
        std::string text = what + ": " + zip_strerror(archive);
        zip_discard(archive);  // the target stays as it was
        throw common::IoError(zipPath, text);
    };
    for (const PackageFile& f : files) {
        zip_source_t* source = zip_source_file(archive, f.path.c_str(), 0, -1);
        if (!source) {
            fail(f.path);
        }
        if (zip_file_add(archive, f.name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            fail(f.name);
        }
    }
    for (const auto& [name, bytes] : extra) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (!source) {
            fail(name);
        }
        if (zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            fail(name);
        }
    }
    // the archive is written to a temporary file and renamed over the target only now
    if (zip_close(archive) < 0) {
        fail("writing the archive");
    }
}

PackageResult makeFabPackage(common::Host& host, plot::PlotOptions options,
                             const annotate::PlacementOptions& placement,
                             const board::RunValues& runValues, const std::string& zipPath) {
    if (!runValues.aptMade) {
        throw common::IoError(runValues.boardFile, "no aperture file made; nothing packaged");
    }
    std::vector<std::string> inputs{runValues.boardFile, runValues.aptFile};
    common::refuseOverwritingInput(zipPath, inputs);

    options.layers = fabLayers(runValues.boardFile);  // can throw
    options.ncDrill = true;
    options.bom = true;
    plot::plotBoard(host, options, runValues);  // can throw

    PackageResult result;
    result.zipPath = zipPath;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        if (options.layers[layer]) {
            std::string ext(plot::layerExtension(layer));
            std::string path = plot::layerOutputPath(runValues, ext);
            result.files.push_back({path, common::fileNameOf(path), view::layerRole(ext).name});
        }
    }
    std::string drill = plot::layerOutputPath(runValues, ".TXT");
    result.files.push_back({drill, common::fileNameOf(drill), "NC drill (Excellon)"});
    std::string bom = plot::layerOutputPath(runValues, ".csv");
    result.files.push_back({bom, common::fileNameOf(bom), "Bill of materials"});

    annotate::PlacementOptions xyOptions = placement;
    xyOptions.openNotepad = false;
    annotate::PlacementResult xy =
        annotate::writePlacementFile(runValues.boardFile, xyOptions);  // can throw
    for (const std::string& p : xy.problems) {
        host.addLine(p);
    }
    result.files.push_back(
        {xy.outputPath, common::fileNameOf(xy.outputPath), "X/Y placement (pick and place)"});

    // every Gerber and drill file read back as the board house will read it
    std::vector<view::LayerImage> images;
    for (const PackageFile& f : result.files) {
        if (f.path != bom && f.path != xy.outputPath) {
            images.push_back(view::readLayerFile(f.path));  // can throw
            for (const auto& p : images.back().problems) {
                result.problems.push_back(images.back().describe(p));
                result.hasErrors = result.hasErrors || p.severity == view::Severity::Error;
            }
        }
    }
    for (const std::string& p : result.problems) {
        host.addLine(p);
    }
    // the bare-board test netlist of the same copper
    const std::string ipc = plot::layerOutputPath(runValues, ".ipc");
    std::vector<std::string> notes;
    nets::writeIpc356(nets::findNets(runValues.boardFile,
                                     {nets::copperOptionsOf(options, runValues.enlargements), ""}),
                      runValues.boardFile, ipc, notes);  // can throw
    for (const std::string& note : notes) {
        host.addLine(ipc + ": " + note);
    }
    result.files.push_back({ipc, common::fileNameOf(ipc), "IPC-D-356A netlist (electrical test)"});
    result.readme = packageReadme(runValues.boardFile, result.files, images, options.drillFormat24);
    for (const PackageFile& f : result.files) {
        inputs.push_back(f.path);
    }
    common::refuseOverwritingInput(zipPath, inputs);
    writeZip(zipPath, result.files, {{"README.txt", result.readme}});  // can throw
    result.files.push_back({"", "README.txt", "This file"});
    host.addLine("Package " + zipPath + ": " + std::to_string(result.files.size()) + " files");
    return result;
}

}  // namespace padloom::fab
