#include "fab/fab_package.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "common/base_name.h"
#include "common/errors.h"
#include "common/text_io.h"
#include "common/version.h"
#include "fab/assembly_files.h"
#include "nets/ipc356.h"
#include "nets/netlist_check.h"
#include "plot/layer_plot.h"
#include "plot/layer_use.h"
#include "plot/x2_attributes.h"
#include "view/layer_summary.h"
#include <zip.h>

namespace padloom::fab {

namespace {

// Plot layers by number.
constexpr int kTopCopper = 1;
constexpr int kTopLegend = 7;
constexpr int kBottomLegend = 8;
constexpr int kDrillDrawing = 9;
constexpr int kTopMask = 11;
constexpr int kBottomMask = 12;
constexpr int kTopPaste = 15;
constexpr int kBottomPaste = 16;
constexpr int kBoardOutline = 17;

// Board layers.
constexpr int kBoardTopOverlay = 7;
constexpr int kBoardBottomOverlay = 8;

constexpr const char* kCplRole = "Placement for assembly (CPL)";
constexpr const char* kAssemblyBomRole = "Bill of materials for assembly";

// "name" padded with blanks to `width` characters.
std::string padded(std::string text, size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

// Names compared as a zip unpacked on Windows or macOS compares them: without regard to case.
bool sameNameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string toolName(int number) {
    return (number < 10 ? "T0" : "T") + std::to_string(number);
}

// The extent of what a file draws along the centre of its lines, as a board house reads the
// profile: line ends, arcs and region contours without their pens, flashes at their centres.
view::Box centreLineExtent(const view::LayerImage& image) {
    view::Box box;
    for (const view::GraphicObject& o : image.objects) {
        switch (o.kind) {
            case view::ObjectKind::Flash:
                box.add(o.from);
                break;
            case view::ObjectKind::Line:
                box.add(o.from);
                box.add(o.to);
                break;
            case view::ObjectKind::Arc:
                box.add(o.arc.extent());
                break;
            case view::ObjectKind::Region:
                for (size_t c = o.firstContour; c < o.firstContour + o.contourCount; ++c) {
                    const view::Contour& contour = image.contours[c];
                    box.add(contour.start);
                    for (const view::ContourSegment& s : contour.segments) {
                        box.add(s.to);
                        if (s.arc) {
                            box.add(s.arcGeometry.extent());
                        }
                    }
                }
                break;
        }
    }
    return box;
}

// The board's size: the board outline's extent along the centre of its lines, from the outline
// file read back; empty without an outline file or when it draws nothing.
view::Box boardBox(const std::vector<view::LayerImage>& images) {
    for (const view::LayerImage& image : images) {
        const plot::SetFile* set = plot::setFileNamed(image.path);
        if (set && set->kind == plot::FileKind::Profile) {
            return centreLineExtent(image);
        }
    }
    return {};
}

// The README's account of the board-house profile: what it changes from the generic profile
// and, where the package holds a CPL, how its positions and rotations are given.
std::vector<std::string> profileReadme(const FabProfile& profile,
                                       const std::vector<PackageFile>& files) {
    std::vector<std::string> out;
    out.push_back("");
    out.push_back("## Board house: " + profile.name);
    out.push_back("");
    if (profile.changes.empty()) {
        out.push_back("The generic profile: the package as it is made without a profile.");
    } else {
        out.push_back("What the profile changes from the generic one:");
        out.push_back("");
        size_t width = 0;
        for (const ProfileChange& c : profile.changes) {
            width = std::max(width, c.section.size() + c.key.size() + 3);
        }
        for (const ProfileChange& c : profile.changes) {
            out.push_back("    " + padded("[" + c.section + "] " + c.key, width) + "  " + c.value +
                          " (generic: " + c.genericValue + ")");
        }
    }
    const bool hasCpl = std::any_of(files.begin(), files.end(), [&](const PackageFile& f) {
        return profile.cplFile && f.role == kCplRole;
    });
    if (hasCpl) {
        out.push_back("");
        const std::string text =
            std::string("The CPL gives each part's centre in ") +
            (profile.cpl.inches ? "inches" : "mm") +
            " in board coordinates seen from the top, for parts on the bottom too (not "
            "mirrored), and its rotation in degrees " +
            (profile.cpl.counterClockwise ? "counter-clockwise" : "clockwise") +
            ", seen from the top for parts on both sides: 0 is a part with pin 1 left of its "
            "centre. The CPL and the BOM name each part by the same designator.";
        // a paragraph in lines of at most 96 characters, as plain text reads it
        std::string line;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find(' ', at);
            end = end == std::string::npos ? text.size() : end;
            const std::string word = text.substr(at, end - at);
            if (!line.empty() && line.size() + 1 + word.size() > 96) {
                out.push_back(line);
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
            at = end + 1;
        }
        out.push_back(line);
    }
    return out;
}

}  // namespace

std::array<bool, plot::kPlotLayerCount + 1> fabLayers(const std::string& boardPath) {
    const plot::LayerUse use = plot::layerUse(boardPath);
    std::array<bool, plot::kPlotLayerCount + 1> layers = use.copper();
    for (int p : {kTopLegend, kDrillDrawing, kTopMask, kBottomMask, kBoardOutline}) {
        layers[p] = true;
    }
    layers[kBottomLegend] = use.used[kBoardBottomOverlay];
    layers[kTopPaste] = use.topPads;
    layers[kBottomPaste] = use.bottomPads;
    return layers;
}

std::string packageReadme(const std::string& boardPath, const std::vector<PackageFile>& files,
                          const std::vector<view::LayerImage>& images, bool drillFormat24,
                          const FabProfile* profile) {
    auto imageOf = [&](const plot::SetFile& wanted) -> const view::LayerImage* {
        for (const auto& image : images) {
            if (plot::setFileNamed(image.path) == &wanted) {
                return &image;
            }
        }
        return nullptr;
    };
    int copper = 0;
    for (const PackageFile& f : files) {
        const plot::SetFile* set = f.set ? f.set : plot::setFileNamed(f.name);
        if (set && (set->kind == plot::FileKind::Copper || set->kind == plot::FileKind::Plane)) {
            ++copper;
        }
    }

    // the facts and tables are indented blocks: they read the same as plain text and in a
    // markdown viewer
    std::vector<std::string> out;
    out.push_back("# Fab package of " + common::fileNameOf(boardPath));
    out.push_back("");
    out.push_back(std::string("Made by Padloom ") + common::programVersion());
    out.push_back("");
    if (profile) {
        out.push_back("    Board house:   " + profile->name +
                      (profile->description.empty() ? "" : " (" + profile->description + ")"));
    }
    const view::Box b = boardBox(images);
    if (!b.empty()) {
        out.push_back("    Board size:    " + view::fixed(b.width(), 4) + " x " +
                      view::fixed(b.height(), 4) + " in (" + view::fixed(b.width() * 25.4, 3) +
                      " x " + view::fixed(b.height() * 25.4, 3) +
                      " mm), the extent of the board outline along the centre of its lines");
    } else {
        // no outline: the board house must be told, and given the copper's span at least
        view::Box copperSpan;
        for (const plot::SetFile& set : plot::setFiles()) {
            const view::LayerImage* image = imageOf(set);
            if (image && set.kind == plot::FileKind::Copper) {
                copperSpan.add(image->extent);
            }
        }
        std::string text = "    Board size:    not given: the board outline file draws nothing";
        if (!copperSpan.empty()) {
            text += "; the copper spans " + view::fixed(copperSpan.width(), 4) + " x " +
                    view::fixed(copperSpan.height(), 4) + " in";
        }
        out.push_back(text);
    }
    out.push_back("    Copper layers: " + std::to_string(copper));
    const view::LayerImage* top = imageOf(*plot::setFileOfLayer(kTopCopper));
    if (top) {
        out.push_back("    Gerber files:  RS274X, " +
                      std::string(top->units == view::Units::Inch ? "inch" : "mm") + ", " +
                      top->coordinateFormat);
    }
    const view::LayerImage* drill = imageOf(plot::ncDrillSetFile());
    if (drill) {
        out.push_back(std::string("    Drill file:    Excellon, inch, ") +
                      (drillFormat24 ? "2.4" : "2.3") +
                      ", leading zeros kept (LZ), absolute, plated holes");
    }
    out.push_back("");
    out.push_back("## Files");
    out.push_back("");
    size_t nameWidth = 22;  // as wide as the names of a board of up to 15 characters
    for (const PackageFile& f : files) {
        nameWidth = std::max(nameWidth, f.name.size());
    }
    for (const PackageFile& f : files) {
        std::string line = "    " + padded(f.name, nameWidth) + " " + padded(f.role, 20);
        if (!f.function.empty()) {
            line += " " + f.function;
        }
        while (line.back() == ' ') {
            line.pop_back();
        }
        out.push_back(line);
    }
    if (drill) {
        out.push_back("");
        out.push_back("## Drill table (" + common::fileNameOf(drill->path) + ")");
        out.push_back("");
        out.push_back("    " + padded("Tool", 6) + padded("Diameter", 24) + "  Holes");
        long total = 0;
        for (const view::DrillTool& t : drill->tools) {
            std::string size = t.sized ? view::fixed(t.diameter, 4) + " in (" +
                                             view::fixed(t.diameter * 25.4, 3) + " mm)"
                                       : std::string("no diameter");
            std::string hits = std::to_string(t.hits);
            out.push_back("    " + padded(toolName(t.number), 6) + padded(size, 24) +
                          std::string(hits.size() < 7 ? 7 - hits.size() : 0, ' ') + hits);
            total += t.hits;
        }
        std::string sum = std::to_string(total);
        out.push_back("    " + padded("Total", 30) +
                      std::string(sum.size() < 7 ? 7 - sum.size() : 0, ' ') + sum);
    }
    if (profile) {
        for (const std::string& line : profileReadme(*profile, files)) {
            out.push_back(line);
        }
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
        out.push_back("## Problems found reading the files back");
        out.push_back("");
        for (const auto& p : problems) {
            out.push_back("    " + p);
        }
    }
    std::string text;
    for (const auto& line : out) {
        text += line + "\r\n";
    }
    return text;
}

namespace {

// Writes the bytes of a closed in-memory archive to `zipPath` through a temporary file, and
// frees the archive's source.
void copyArchiveTo(zip_source_t* memory, const std::string& zipPath) {
    struct Freed {
        zip_source_t* source;
        ~Freed() { zip_source_free(source); }
    } freed{memory};
    if (zip_source_open(memory) < 0) {
        throw common::IoError(zipPath, std::string("reading the archive back: ") +
                                           zip_error_strerror(zip_source_error(memory)));
    }
    common::LineWriter out(zipPath);
    std::string chunk(1 << 20, '\0');
    zip_int64_t got = 0;
    while ((got = zip_source_read(memory, chunk.data(), chunk.size())) > 0) {
        out.write(std::string_view(chunk.data(), static_cast<size_t>(got)));
    }
    zip_source_close(memory);
    if (got < 0) {
        throw common::IoError(zipPath, "reading the archive back");
    }
    out.commit();
}

}  // namespace

void checkZipPath(const std::string& zipPath) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(zipPath, error)) {
        throw common::IoError(zipPath, "is a folder");
    }
    std::string folder = common::folderOf(zipPath);
    if (folder.empty()) {
        return;  // the current folder
    }
    if (folder.size() > 1) {
        folder.pop_back();  // its separator, so that the message names the folder itself
    }
    if (!fs::exists(folder, error)) {
        throw common::IoError(folder, "no such folder");
    }
    if (!fs::is_directory(folder, error)) {
        throw common::IoError(folder, "not a folder");
    }
}

void writeZip(const std::string& zipPath, const std::vector<PackageFile>& files,
              const std::vector<std::pair<std::string, std::string>>& extra) {
    // The archive is made in memory, then written as every other output is: to a temporary
    // file beside the target (removed when the run is interrupted), renamed over it at the end.
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = memory ? zip_open_from_source(memory, ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        std::string text = zip_error_strerror(&error);
        zip_error_fini(&error);
        zip_source_free(memory);
        throw common::IoError(zipPath, text);
    }
    zip_error_fini(&error);
    zip_source_keep(memory);  // kept past zip_close, to be read back
    auto fail = [&](const std::string& what) {
        std::string text = what + ": " + zip_strerror(archive);
        zip_discard(archive);  // the target stays as it was
        zip_source_free(memory);
        throw common::IoError(zipPath, text);
    };
    // every entry a plain file readable by all and writable by its owner, whatever the umask
    // or the source of its bytes would give
    auto add = [&](const std::string& name, zip_source_t* source, const std::string& what) {
        if (!source) {
            fail(what);
        }
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            fail(name);
        }
        constexpr zip_uint32_t kRegularFile0644 = 0100644;
        if (zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                             ZIP_OPSYS_UNIX, kRegularFile0644 << 16) < 0) {
            fail(name);
        }
    };
    for (const PackageFile& f : files) {
        add(f.name, zip_source_file(archive, f.path.c_str(), 0, -1), f.path);
    }
    for (const auto& [name, bytes] : extra) {
        add(name, zip_source_buffer(archive, bytes.data(), bytes.size(), 0), name);
    }
    if (zip_close(archive) < 0) {
        fail("writing the archive");
    }
    copyArchiveTo(memory, zipPath);
}

namespace {

// What a package holds besides the plotted layer files and the NC drill file, in zip order
// after them. A new kind of file is one more row (and, when it is made here, its case below).
enum class Made { Bom, Placement, Cpl, AssemblyBom, TestNetlist, JobFile, Readme };
struct PackageRow {
    Made made;
    const char* role;
};
constexpr PackageRow kOtherFiles[] = {
    {Made::Bom, "Bill of materials"},
    {Made::Placement, "X/Y placement (pick and place)"},
    {Made::Cpl, kCplRole},
    {Made::AssemblyBom, kAssemblyBomRole},
    {Made::TestNetlist, "IPC-D-356A netlist (electrical test)"},
    {Made::JobFile, "Gerber job file"},
    {Made::Readme, "This file"},
};

constexpr const char* kReadmeName = "README.md";

// The facts of the set with the board's size that the README gives, none when the outline
// draws nothing.
plot::X2Facts withOutlineSize(const plot::X2Facts& facts,
                              const std::vector<view::LayerImage>& images) {
    plot::X2Facts sized = facts;
    sized.size.reset();
    const view::Box b = boardBox(images);
    if (!b.empty()) {
        sized.size = plot::BoardSize{b.width() * 25.4, b.height() * 25.4};
    }
    return sized;
}

// The plot options a profile sets.
void applyProfile(const FabProfile& profile, plot::PlotOptions& options) {
    options.x2 = options.x2 && profile.x2;
    if (!profile.x2) {
        options.x2Facts.reset();
    }
    // what the house cannot read is left out whatever the plot options say
    options.noMacros = options.noMacros || !profile.apertureMacros;
    options.positivePlanes = options.positivePlanes || profile.positivePlanes;
    const DrillFormat& drill = profile.drill;
    if (!drill.asPlotted) {
        plot::DrillFormat format;
        format.units = drill.metric ? plot::DrillUnits::Metric : plot::DrillUnits::Inch;
        format.integerDigits = drill.integerDigits;
        format.decimalDigits = drill.decimalDigits;
        format.zeros =
            drill.leadingZerosKept ? plot::DrillZeros::Leading : plot::DrillZeros::Trailing;
        options.drillFormat = format;
        options.drillFormat24 = !drill.metric && drill.decimalDigits == 4;
    }
}

// Refuses a package in which a profile's names give two files the same name: one would hide
// the other in the zip.
void refuseNameTwice(const std::vector<PackageFile>& files, const FabProfile& profile) {
    for (size_t i = 0; i < files.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (sameNameNoCase(files[i].name, files[j].name)) {
                throw common::IoError(profile.path, "the profile " + profile.name +
                                                        " names two files of the package " +
                                                        files[i].name + " (" + files[j].role +
                                                        ", " + files[i].role + ")");
            }
        }
    }
}

}  // namespace

PackageResult makeFabPackage(common::Host& host, plot::PlotOptions options,
                             const annotate::PlacementOptions& placement,
                             const board::RunValues& runValues, const std::string& zipPath,
                             const FabProfile* profile) {
    if (!runValues.aptMade) {
        throw common::IoError(runValues.boardFile, "no aperture file made; nothing packaged");
    }
    // nothing is plotted for a zip that could not be written, nor with a profile that cannot
    // be read
    checkZipPath(zipPath);
    std::vector<std::string> inputs{runValues.boardFile, runValues.aptFile};
    common::refuseOverwritingInput(zipPath, inputs);
    FabProfile generic;
    if (!profile) {
        generic = loadProfile(std::string("generic"));  // can throw
        profile = &generic;
    }
    // --no-x2 turns the job file off with the attributes
    const bool jobFile = profile->jobFile && (options.x2 || !profile->x2);
    applyProfile(*profile, options);

    options.layers = fabLayers(runValues.boardFile);  // can throw
    options.ncDrill = true;
    options.bom = profile->billFile;
    if (options.x2 && !options.x2Facts) {
        // the facts of the plot run are those of the zip's files and its job file
        options.x2Facts = std::make_shared<const plot::X2Facts>(
            plot::gatherX2Facts(options, runValues));  // can throw
    }
    // a job file without X2 attributes in the files: the same facts, for the job file only
    std::shared_ptr<const plot::X2Facts> jobFacts = options.x2Facts;
    if (jobFile && !jobFacts) {
        jobFacts = std::make_shared<const plot::X2Facts>(
            plot::gatherX2Facts(options, runValues));  // can throw
    }
    plot::plotBoard(host, options, runValues);  // can throw

    PackageResult result;
    result.zipPath = zipPath;
    // the fab set holds the copper layers the board uses, no others
    const plot::CopperStack stack =
        options.x2Facts ? options.x2Facts->stack : plot::CopperStack(options.layers);
    const std::string stem = common::fileNameOf(runValues.baseName);
    std::vector<std::string> readBack;  // the Gerber and drill files
    for (const plot::SetFile& set : plot::setFiles()) {
        if (set.plotLayer == 0 ? options.ncDrill : options.layers[set.plotLayer]) {
            std::string path = plot::layerOutputPath(runValues, std::string(set.extension));
            PackageFile file{path,
                             profile->fileName(fileNameKeyOfLayer(set.plotLayer), stem,
                                               stack.position(set.plotLayer)),
                             std::string(set.role), plot::fileFunction(set, stack), &set};
            result.files.push_back(std::move(file));
            readBack.push_back(path);
        }
    }

    // every Gerber and drill file read back as the board house will read it, once the files
    // made beside the board are all there
    std::vector<view::LayerImage> images;
    auto readBackOnce = [&] {
        if (!images.empty() || readBack.empty()) {
            return;
        }
        for (const std::string& path : readBack) {
            images.push_back(view::readLayerFile(path));  // can throw
            for (const auto& p : images.back().problems) {
                result.problems.push_back(images.back().describe(p));
                result.hasErrors = result.hasErrors || p.severity == view::Severity::Error;
            }
        }
        for (const std::string& p : result.problems) {
            host.addLine(p);
        }
    };

    // the parts as the assembly house is told them: each part's side from the overlays, so a
    // part's legend on the bottom overlay puts it on the bottom, whatever legend layers the
    // X/Y tool is set to
    annotate::PlacementOptions partOptions = placement;
    partOptions.openNotepad = false;
    partOptions.topLegendLayer = kBoardTopOverlay;
    partOptions.bottomLegendLayer = kBoardBottomOverlay;
    std::optional<AssemblyFiles> assembly;
    auto assemblyOnce = [&]() -> const AssemblyFiles& {
        if (!assembly) {
            std::vector<std::string> problems;
            assembly = assemblyFiles(
                annotate::placedParts(runValues.boardFile, partOptions, problems),  // can throw
                *profile);
            for (const std::string& note : assembly->notes) {
                host.addLine("Assembly: " + note);
            }
        }
        return *assembly;
    };

    std::vector<std::pair<std::string, std::string>> made;  // files made in memory
    for (const PackageRow& row : kOtherFiles) {
        switch (row.made) {
            case Made::Bom:
                if (profile->billFile) {
                    std::string bom = plot::layerOutputPath(runValues, ".csv");
                    result.files.push_back({bom, profile->fileName("bill", stem), row.role, ""});
                }
                break;
            case Made::Placement:
                if (profile->xyFile) {
                    annotate::PlacementResult xy =
                        annotate::writePlacementFile(runValues.boardFile, partOptions);
                    for (const std::string& p : xy.problems) {
                        host.addLine(p);
                    }
                    result.files.push_back(
                        {xy.outputPath, profile->fileName("xy", stem), row.role, ""});
                }
                break;
            case Made::Cpl:
                if (profile->cplFile) {
                    made.emplace_back(profile->fileName("cpl", stem), assemblyOnce().cpl);
                    result.files.push_back({"", made.back().first, row.role, ""});
                }
                break;
            case Made::AssemblyBom:
                if (profile->bomFile) {
                    made.emplace_back(profile->fileName("bom", stem), assemblyOnce().bom);
                    result.files.push_back({"", made.back().first, row.role, ""});
                }
                break;
            case Made::TestNetlist: {
                // the bare-board test netlist of the same copper
                const std::string ipc = plot::layerOutputPath(runValues, ".ipc");
                std::vector<std::string> notes;
                nets::writeIpc356(
                    nets::findNets(runValues.boardFile,
                                   {nets::copperOptionsOf(options, runValues.enlargements), ""}),
                    runValues.boardFile, ipc, notes);  // can throw
                for (const std::string& note : notes) {
                    host.addLine(ipc + ": " + note);
                }
                result.files.push_back({ipc, profile->fileName("netlist", stem), row.role, ""});
                break;
            }
            case Made::JobFile:
                if (jobFile) {
                    // the job file names the files as the zip does
                    std::vector<plot::JobFile> jobFiles;
                    for (const PackageFile& f : result.files) {
                        if (f.set) {
                            jobFiles.push_back(plot::jobFileOf(*jobFacts, *f.set, f.name));
                        }
                    }
                    readBackOnce();
                    made.emplace_back(
                        profile->fileName("job", stem),
                        plot::gerberJobFile(withOutlineSize(*jobFacts, images), jobFiles));
                    result.files.push_back({"", made.back().first, row.role, ""});
                }
                break;
            case Made::Readme:
                readBackOnce();
                result.files.push_back({"", kReadmeName, row.role, ""});
                result.readme = packageReadme(runValues.boardFile, result.files, images,
                                              options.drillFormat24, profile);
                made.emplace_back(kReadmeName, result.readme);
                break;
        }
    }
    refuseNameTwice(result.files, *profile);

    std::vector<PackageFile> onDisk;
    for (const PackageFile& f : result.files) {
        if (!f.path.empty()) {
            inputs.push_back(f.path);
            onDisk.push_back(f);
        }
    }
    common::refuseOverwritingInput(zipPath, inputs);
    writeZip(zipPath, onDisk, made);  // can throw
    host.addLine("Package " + zipPath + ": " + std::to_string(result.files.size()) + " files");
    return result;
}

}  // namespace padloom::fab
