#include "fuzz/drivers.h"

#include <cstdio>
#include <stdexcept>

#include "annotate/drc_to_pcb.h"
#include "annotate/dxf_export.h"
#include "annotate/placement.h"
#include "annotate/text_resize.h"
#include "board/run_values.h"
#include "common/errors.h"
#include "common/scripted_host.h"
#include "convert/mat_to_apt.h"
#include "convert/pcb_to_apt.h"
#include "convert/rs274d_to_rs274x.h"
#include "plot/plot_run.h"
#include "tango/tango_plot.h"
#include "tools/component_library.h"
#include "tools/netlist_library.h"
#include "tools/xln_merge.h"
#include "view/layer_image.h"
#include "view/layer_summary.h"
#ifdef PADLOOM_FUZZ_RENDER
#include <cmath>

#include "view/render/layer_renderer.h"
#include "view/render/png_picture.h"
#endif

namespace padloom::fuzz {

namespace fs = std::filesystem;

namespace {

// A small board with a record of every kind, for the targets whose input is the other file.
constexpr std::string_view kBoard =
    "PCB FILE 4\r\n"
    "COMP\r\nU1\r\nDIP8\r\n10uF\r\n1000 1200 60 0 8 7\r\n1000 1300 60 0 8 7\r\n0 0 1 1 0\r\n"
    "CP\r\n1000 1000 60 60 1 28 2 13\r\n1\r\n"
    "CP\r\n1100 1000 60 80 2 28 4 13\r\n2\r\n"
    "CP\r\n1200 1000 60 60 3 0 1 1\r\n3\r\n"
    "CP\r\n1300 1000 70 50 4 32 6 13\r\n4\r\n"
    "CT\r\n1000 1000 1300 1000 12 1\r\n"
    "ENDCOMP\r\n"
    "FV\r\n1500 1500 50 20\r\n"
    "FT\r\n0 0 2000 0 10 11\r\nFT\r\n2000 0 2000 2000 10 11\r\n"
    "FT\r\n100 100 900 100 1 1\r\nFT\r\n900 100 900 900 1 1\r\n"
    "FA\r\n1500 500 100 15 10 6\r\n"
    "FF\r\n1600 1600 1800 1700 1\r\n"
    "FS\r\n100 1800 60 1 8 7\r\nPadloom 10\xB5"
    "F\r\n"
    "ENDPCB\r\n";

// A netlist naming the components of kLibrary and one footprint it does not hold.
constexpr std::string_view kNetlist =
    "[\r\nU1\r\nDIP8\r\n\r\n\r\n\r\n\r\n]\r\n"
    "[\r\nR1\r\nAXIAL0.4\r\n\r\n\r\n\r\n\r\n]\r\n"
    "[\r\nX1\r\nNOSUCH\r\n\r\n\r\n\r\n\r\n]\r\n"
    "(\r\nGND\r\nU1-4\r\n)\r\n";

// A library of two components, as the library tools write one.
std::string library() {
    std::string dip(48, '\0');
    dip.replace(0, 11, "CP 1 2 3 4 ");
    std::string axial(32, '\0');
    axial.replace(0, 9, "CT 1 2 3 ");
    return tools::libraryBytes({{"DIP8", 3, dip}, {"AXIAL0.4", 2, axial}});
}

// What a user would answer to every question: yes, the proposed text, the preselected package.
class AnsweringHost : public common::ScriptedHost {
public:
    bool askYesNo(std::string_view, common::Place) override { return true; }
    std::optional<std::string> askLine(std::string_view, std::string_view,
                                       std::string_view initial) override {
        return std::string(initial);
    }
    common::PackageAnswer askPackage(const common::PackageQuestion& question) override {
        return {question.text.empty() ? common::PackageAction::Skip : common::PackageAction::Accept,
                question.text};
    }
};

std::string writeFile(const fs::path& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        throw std::runtime_error("cannot write the scratch file " + path.string());
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path.string();
}

// Plot options that vary with the input's length, so every switch of the plot is reached.
plot::PlotOptions plotOptions(size_t size) {
    plot::PlotOptions options;
    options.layers.fill(true);
    options.layers[0] = false;
    options.ncDrill = true;
    options.bom = true;
    options.fillMode = size & 1 ? plot::FillMode::Flash : plot::FillMode::Polygon;
    options.thermalsOnExternalLayers = (size & 2) != 0;
    options.pourEnable = (size & 4) != 0;
    options.includeKeepOut = (size & 8) != 0;
    options.drillFormat24 = (size & 16) != 0;
    return options;
}

// The plot run as the plot window makes it: the aperture file first (an existing one is kept
// when `replaceApt` is false), then every layer, the NC drill file and the BOM.
void plotRun(const std::string& board, const plot::PlotOptions& options, bool replaceApt) {
    convert::AptOptions apt;
    apt.plotMode = true;
    apt.fillApertures = options.fillMode == plot::FillMode::Flash;
    apt.pourEnable = options.pourEnable;
    common::ScriptedHost host;
    host.openAnswers.push_back({board});
    host.yesNoAnswers.push_back(replaceApt);
    board::RunValues runValues;
    runValues.reset();
    try {
        if (convert::makeAptFile(host, apt, runValues) == common::Outcome::Done) {
            plot::plotBoard(host, options, runValues);
        }
    } catch (const common::IoError&) {
        // a clear refusal naming the file
    }
}

// The board tools besides the plot: the X/Y placement file, the DXF drawing (heights asked
// and proposed from the comments) and the component text resize.
void otherBoardTools(const std::string& board, const fs::path& dir, size_t size) {
    annotate::PlacementOptions xy;
    xy.sortResults = (size & 32) != 0;
    xy.ignoreRobberPads = (size & 64) != 0;
    xy.openNotepad = false;
    try {
        annotate::writePlacementFile(board, xy, (dir / "fuzz.UCM").string());
    } catch (const common::IoError&) {
    }
    try {
        AnsweringHost host;
        annotate::createDxf(host, board);
    } catch (const common::IoError&) {
    }
    try {
        AnsweringHost host;
        annotate::resizeComponentText(host, board, annotate::TextResizeOptions{});
    } catch (const common::IoError&) {
    }
}

void boardTarget(std::string_view input, const fs::path& dir) {
    const std::string board = writeFile(dir / "fuzz.pcb", input);
    plotRun(board, plotOptions(input.size()), true);
    otherBoardTools(board, dir, input.size());
}

void apertureTarget(std::string_view input, const fs::path& dir) {
    auto parts = splitFiles(input, 2);
    std::string_view boardBytes = parts.size() == 2 ? parts[0] : kBoard;
    std::string_view aptBytes = parts.back();
    const std::string board = writeFile(dir / "fuzz.pcb", boardBytes);
    writeFile(dir / "fuzz.APT", aptBytes);
    plotRun(board, plotOptions(input.size()), false);  // the existing aperture file is kept
}

void drcTarget(std::string_view input, const fs::path& dir) {
    auto parts = splitFiles(input, 2);
    const std::string report = writeFile(dir / "fuzz.drc", parts[0]);
    const std::string board = writeFile(dir / "fuzz.pcb", parts.size() == 2 ? parts[1] : kBoard);
    try {
        common::ScriptedHost host;
        host.openAnswers.push_back({report});
        host.saveAnswers.push_back((dir / "error.pcb").string());
        annotate::drcToPcb(host, annotate::DrcMode::ErrorBoard);
    } catch (const common::IoError&) {
    }
    try {
        common::ScriptedHost host;
        host.openAnswers.push_back({report});
        host.openAnswers.push_back({board});
        host.saveAnswers.push_back((dir / "highlighted.pcb").string());
        annotate::drcToPcb(host, annotate::DrcMode::HighlightedCopy);
    } catch (const common::IoError&) {
    }
}

// The component height file beside a board, read by the DXF export.
void heightsTarget(std::string_view input, const fs::path& dir) {
    const std::string board = writeFile(dir / "fuzz.pcb", kBoard);
    writeFile(dir / "fuzz.DAT", input);
    try {
        AnsweringHost host;
        annotate::createDxf(host, board);
    } catch (const common::IoError&) {
    }
}

// An aperture matrix turned into an aperture file.
void matrixTarget(std::string_view input, const fs::path& dir) {
    const std::string matrix = writeFile(dir / "fuzz.MAT", input);
    try {
        AnsweringHost host;
        host.openAnswers.push_back({matrix});
        convert::matToApt(host, convert::MatToAptOptions{});
    } catch (const common::IoError&) {
    }
}

// An RS274D plot and its aperture lines turned into RS274X, in the format the input's length
// picks.
void rs274dTarget(std::string_view input, const fs::path& dir) {
    auto parts = splitFiles(input, 2);
    convert::Rs274xOptions options;
    options.plots = {writeFile(dir / "fuzz.gbr", parts[0])};
    options.aptFile = writeFile(dir / "fuzz.APT", parts.size() == 2 ? parts[1] : "");
    options.digits = 1 + input.size() % 9;
    options.precision = 1 + input.size() / 9 % 9;
    options.incremental = (input.size() & 1) != 0;
    options.metric = (input.size() & 2) != 0;
    options.single = (input.size() & 4) != 0;
    options.zeros = static_cast<convert::ZeroSuppression>(input.size() / 81 % 3);
    try {
        AnsweringHost host;
        host.saveAnswers.push_back((dir / "single.gbx").string());
        convert::createExtendedGerbers(host, options);
    } catch (const common::IoError&) {
    }
}

// A drill tool table, then the drill file it sizes.
void drillTarget(std::string_view input, const fs::path& dir) {
    auto parts = splitFiles(input, 2);
    const std::string table = writeFile(dir / "fuzz.TOL", parts[0]);
    const std::string drill = writeFile(dir / "fuzz.TXT", parts.size() == 2 ? parts[1] : "");
    try {
        AnsweringHost host;
        host.openAnswers.push_back({table});
        host.openAnswers.push_back({drill});
        tools::ToolTable tools;
        tools::loadToolTable(host, tools);
        tools::mergeDrillFile(host, tools);
    } catch (const common::IoError&) {
    }
}

// A netlist and component libraries combined into one library; `netlist` and the library
// bytes are the two inputs.
void combineLibrary(std::string_view netlist, std::string_view libraryBytes, const fs::path& dir) {
    const std::string net = writeFile(dir / "fuzz.NET", netlist);
    const std::string lib = writeFile(dir / "fuzz.LIB", libraryBytes);
    try {
        AnsweringHost host;
        host.openAnswers.push_back({lib});
        host.openAnswers.push_back({net});
        host.saveAnswers.push_back((dir / "combined.lib").string());
        tools::LibraryGenerator generator;
        if (generator.readLibrary(host) == common::Outcome::Done) {
            generator.processNetlist(host, true, {});
        }
    } catch (const common::IoError&) {
    }
}

void netlistTarget(std::string_view input, const fs::path& dir) {
    combineLibrary(input, library(), dir);
}

void libraryTarget(std::string_view input, const fs::path& dir) {
    combineLibrary(kNetlist, input, dir);
}

// A TANGO board plotted on every layer the TANGO window offers, mid layers too, with the NC
// drill file; the drill format and the sizes added to pads vary with the input's length.
void tangoTarget(std::string_view input, const fs::path& dir) {
    const std::string board = writeFile(dir / "FUZZ.PCB", input);
    tango::TangoOptions options;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        options.layers[static_cast<size_t>(layer)] = !tango::isPlaneLayer(layer);
    }
    options.ncDrill = true;
    options.drillFormat24 = (input.size() & 1) != 0;
    const int sign = input.size() & 2 ? -1 : 1;
    options.sizes = {sign * static_cast<int>(input.size() % 50), static_cast<int>(input.size() % 7),
                     static_cast<int>(input.size() % 40)};
    try {
        common::ScriptedHost host;
        tango::plotTangoBoard(host, options, board);
    } catch (const common::IoError&) {
    }
}

// The viewer's and `info`'s reader of fab files: the input read as a Gerber or drill file, as
// its content says, then summed up as `info` prints it, plain and as JSON.
void fabFileTarget(std::string_view input, const fs::path& dir) {
    const std::string path = writeFile(dir / "fuzz.gbr", input);
    try {
        const view::LayerImage image = view::readLayerFile(path);
        (void)view::describeLayer(image);
        (void)view::layersAsJson({image});
    } catch (const common::IoError&) {
    }
}

#ifdef PADLOOM_FUZZ_RENDER
// The picture of the render path is kept far below the command's cap, so that every input is
// drawn in a moment.
constexpr double kFuzzPicturePixels = 1e6;

// The `render` path: the input read as a Gerber or drill file, then drawn over what it draws
// and a border, as `padloom-cli render` draws it, at a resolution the input's length picks; a
// picture over the cap is drawn at the resolution that fits, as a user lowering --dpi would.
void renderTarget(std::string_view input, const fs::path& dir) {
    const std::string path = writeFile(dir / "fuzz.gbr", input);
    try {
        const view::LayerImage image = view::readLayerFile(path);
        if (image.extent.empty()) {
            return;  // nothing drawn: the command refuses without a window
        }
        const view::Box box =
            image.extent.grown(std::max(image.extent.width(), image.extent.height()) * 0.05);
        double dpi = 50.0 + static_cast<double>(input.size() % 8) * 150.0;
        if (!view::pictureFits(box, dpi, kFuzzPicturePixels)) {
            dpi = std::sqrt(kFuzzPicturePixels / (box.width() * box.height()));
            if (!view::pictureFits(box, dpi, kFuzzPicturePixels)) {
                return;  // no resolution gives a picture: refused
            }
        }
        view::LayerRenderer renderer((input.size() & 1) != 0, 1);
        (void)view::renderPng(renderer, {{&image, view::defaultColour(image, 0), true}},
                              view::ViewWindow::over(box, dpi), QColor(0, 0, 0));
    } catch (const common::IoError&) {
    }
}
#endif

}  // namespace

std::vector<std::string_view> splitFiles(std::string_view input, size_t count) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        size_t at = input.find(kNextFile);
        if (at == std::string_view::npos) {
            break;
        }
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + kNextFile.size());
    }
    parts.push_back(input);
    return parts;
}

const std::vector<Target>& targets() {
    static const std::vector<Target> all = {
        {"board", boardTarget},     {"aperture", apertureTarget}, {"drc", drcTarget},
        {"heights", heightsTarget}, {"matrix", matrixTarget},     {"rs274d", rs274dTarget},
        {"drill", drillTarget},     {"netlist", netlistTarget},   {"library", libraryTarget},
        {"tango", tangoTarget},     {"fabfile", fabFileTarget},
#ifdef PADLOOM_FUZZ_RENDER
        {"render", renderTarget},
#endif
    };
    return all;
}

Driver driverOf(std::string_view name) {
    for (const auto& target : targets()) {
        if (name == target.name) {
            return target.run;
        }
    }
    return nullptr;
}

}  // namespace padloom::fuzz
