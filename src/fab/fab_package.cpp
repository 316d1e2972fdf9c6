#include "fab/fab_package.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "board/plating.h"
#include "common/base_name.h"
#include "common/errors.h"
#include "common/recording_host.h"
#include "common/text_io.h"
#include "common/version.h"
#include "fab/assembly_files.h"
#include "nets/ipc356.h"
#include "nets/netlist_check.h"
#include "plot/layer_plot.h"
#include "plot/layer_use.h"
#include "plot/nc_drill.h"
#include "plot/x2_attributes.h"
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
constexpr int kBoardTopOverlay = 7;
constexpr int kBoardBottomOverlay = 8;

constexpr const char* kCplRole = "Placement for assembly (CPL)";
constexpr const char* kAssemblyBomRole = "Bill of materials for assembly";
constexpr const char* kTestNetlistRole = "IPC-D-356A netlist (electrical test)";

// The layer files from the top of the board to its bottom: what is printed or laid on the top,
// the copper from the top down (mid layers 1 to 4 are plot layers 2 to 5), what is on the bottom.
// clang-format off
constexpr int kStackOrder[] = {kTopPaste, kTopLegend, kTopMask,
                               kTopCopper, kGroundPlane, 2, 3, 4, 5, kPowerPlane, kBottomCopper,
                               kBottomMask, kBottomLegend, kBottomPaste};
// clang-format on

constexpr const char* kToBeChosen = "to be chosen when ordering";

// "name" padded with blanks to `width` characters.
std::string padded(std::string text, size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

// A number right-aligned in `width` characters.
std::string rightAligned(long long n, size_t width) {
    const std::string text = std::to_string(n);
    return std::string(text.size() < width ? width - text.size() : 0, ' ') + text;
}

// A text the user gave, on one line of the README.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = ' ';
        }
    }
    return text;
}

std::string toolName(int number) {
    return (number < 10 ? "T0" : "T") + std::to_string(number);
}

// A size in mils in inches and millimetres: "2.0000 x 1.5000 in (50.800 x 38.100 mm)".
std::string inchesAndMillimetres(double a, double b) {
    return view::fixed(a / 1000, 4) + " x " + view::fixed(b / 1000, 4) + " in (" +
           view::fixed(a * 0.0254, 3) + " x " + view::fixed(b * 0.0254, 3) + " mm)";
}

// The plot set's row of a file: as the package gave it, else by its name.
const plot::SetFile* setOf(const PackageFile& f) {
    return f.set ? f.set : plot::setFileNamed(f.name);
}

// The place of a layer file in the stack from the top; none for the other files.
std::optional<size_t> stackPlace(const PackageFile& f) {
    const plot::SetFile* set = setOf(f);
    if (!set || set->plotLayer == 0) {
        return std::nullopt;
    }
    for (size_t i = 0; i < std::size(kStackOrder); ++i) {
        if (kStackOrder[i] == set->plotLayer) {
            return i;
        }
    }
    return std::nullopt;
}

bool isDrillFile(const PackageFile& f) {
    const plot::SetFile* set = setOf(f);
    return set && set->kind == plot::FileKind::Drill;
}

// Names compared as a zip unpacked on Windows or macOS compares them: without regard to case.
bool sameNameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A paragraph in lines of at most 96 characters, as plain text reads it.
void addParagraph(std::vector<std::string>& out, const std::string& text) {
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
    if (std::any_of(files.begin(), files.end(),
                    [](const PackageFile& f) { return f.role == kCplRole; })) {
        out.push_back("");
        addParagraph(
            out, std::string("The CPL gives each part's centre in ") +
                     (profile.cpl.inches ? "inches" : "mm") +
                     " in board coordinates seen from the top, for parts on the bottom too (not "
                     "mirrored), and its rotation in degrees " +
                     (profile.cpl.counterClockwise ? "counter-clockwise" : "clockwise") +
                     ", seen from the top for parts on both sides: 0 is a part with pin 1 left "
                     "of its centre. The CPL and the BOM name each part by the same "
                     "designator.");
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

std::string packageReadme(const ReadmeFacts& facts) {
    // a file's image: it was read back from where the package took it
    auto imageOf = [&](const PackageFile& f) -> const view::LayerImage* {
        for (const auto& image : facts.images) {
            if (!f.path.empty() && image.path == f.path) {
                return &image;
            }
        }
        return nullptr;
    };
    std::vector<std::string> out;
    out.push_back("# Fab package of " + common::fileNameOf(facts.boardPath));
    out.push_back("");
    if (facts.outline.empty()) {
        // the first thing a board house must know
        out.push_back(plot::noOutlineWarning(facts.outline) + ".");
        out.push_back("");
    }
    out.push_back(std::string("Made by Padloom ") + common::programVersion());
    out.push_back("");
    if (facts.profile) {
        out.push_back(
            "    Board house:   " + facts.profile->name +
            (facts.profile->description.empty() ? "" : " (" + facts.profile->description + ")"));
    }

    // the facts and tables are indented blocks: they read the same as plain text and in a
    // markdown viewer
    if (!facts.outline.empty()) {
        const plot::OutlineExtent e = facts.outline.extent();
        out.push_back("    Board size:    " + inchesAndMillimetres(e.width(), e.height()) +
                      ", the extent of the board outline along the centre of its lines");
        const size_t loops = facts.outline.loopStarts.size();
        out.push_back("    Outline:       " +
                      std::string(facts.outline.boardLayer == 11 ? "the board layer (11)"
                                                                 : "the keep-out layer (12)") +
                      (loops == 1 ? ", one closed loop"
                                  : ", " + std::to_string(loops) +
                                        " closed loops side by side, each cut out as a board of "
                                        "its own"));
        for (const std::string& note : facts.outline.notes) {
            out.push_back("    Note:          " + note);
        }
    } else {
        out.push_back("    Board size:    not given: there is no board outline");
    }
    out.push_back("    Copper layers: " + std::to_string(facts.copperLayers));
    for (const PackageFile& f : facts.files) {
        const plot::SetFile* set = setOf(f);
        const view::LayerImage* image = set && set->plotLayer != 0 ? imageOf(f) : nullptr;
        if (image) {
            out.push_back("    Gerber files:  RS274X, " +
                          std::string(image->units == view::Units::Inch ? "inch" : "mm") + ", " +
                          image->coordinateFormat);
            break;
        }
    }
    if (std::any_of(facts.files.begin(), facts.files.end(), isDrillFile)) {
        const bool nonPlated =
            std::any_of(facts.files.begin(), facts.files.end(),
                        [](const PackageFile& f) { return f.function.starts_with("NonPlated"); });
        const plot::DrillFormat& d = facts.drillFormat;
        const bool mixed = std::any_of(
            facts.files.begin(), facts.files.end(),
            [](const PackageFile& f) { return f.function.starts_with("MixedPlating"); });
        out.push_back(std::string("    Drill files:   Excellon, ") +
                      (d.units == plot::DrillUnits::Inch ? "inch, " : "mm, ") +
                      std::to_string(d.integerDigits) + "." + std::to_string(d.decimalDigits) +
                      (d.zeros == plot::DrillZeros::Leading ? ", leading zeros kept (LZ)"
                                                            : ", trailing zeros kept (TZ)") +
                      ", absolute" +
                      (nonPlated ? "; plated and non-plated holes in files of their own"
                       : mixed   ? "; plated and non-plated holes in one file"
                                 : "; every hole plated"));
    }

    size_t nameWidth = 22;  // as wide as the names of a board of up to 15 characters
    for (const PackageFile& f : facts.files) {
        nameWidth = std::max(nameWidth, f.name.size());
    }
    auto fileLine = [&](const PackageFile& f) {
        std::string line = "    " + padded(f.name, nameWidth) + " " + padded(f.role, 20);
        if (!f.function.empty()) {
            line += " " + padded(f.function, 21) + " " + f.polarity;
        }
        while (line.back() == ' ') {
            line.pop_back();
        }
        return line;
    };
    std::vector<std::pair<size_t, const PackageFile*>> stack;
    for (const PackageFile& f : facts.files) {
        if (auto place = stackPlace(f)) {
            stack.emplace_back(*place, &f);
        }
    }
    std::stable_sort(stack.begin(), stack.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    out.push_back("");
    out.push_back("## Layer stack, top to bottom");
    out.push_back("");
    out.push_back("    " + padded("File", nameWidth) + " " + padded("Layer", 20) + " " +
                  padded("Function", 21) + " Polarity");
    for (const auto& [place, f] : stack) {
        out.push_back(fileLine(*f));
    }
    out.push_back("");
    out.push_back("## Other files");
    out.push_back("");
    for (const PackageFile& f : facts.files) {
        if (!stackPlace(f)) {
            out.push_back(fileLine(f));
        }
    }

    // the drill table: each drill file's tools as the file reads back
    std::vector<std::string> drillRows;
    long total = 0;
    size_t drillNameWidth = 4;
    for (const PackageFile& f : facts.files) {
        if (isDrillFile(f)) {
            drillNameWidth = std::max(drillNameWidth, f.name.size());
        }
    }
    for (const PackageFile& f : facts.files) {
        const view::LayerImage* drill = isDrillFile(f) ? imageOf(f) : nullptr;
        if (!drill) {
            continue;
        }
        const char* plating = f.function.starts_with("NonPlated") ? "non-plated" : "plated";
        for (const view::DrillTool& t : drill->tools) {
            std::string size = t.sized ? view::fixed(t.diameter, 4) + " in (" +
                                             view::fixed(t.diameter * 25.4, 3) + " mm)"
                                       : std::string("no diameter");
            drillRows.push_back("    " + padded(f.name, drillNameWidth) + "  " +
                                padded(toolName(t.number), 6) + padded(size, 24) +
                                rightAligned(t.hits, 7) + "  " + plating);
            total += t.hits;
        }
    }
    if (!drillRows.empty()) {
        out.push_back("");
        out.push_back("## Drill table");
        out.push_back("");
        out.push_back("    " + padded("File", drillNameWidth) + "  " + padded("Tool", 6) +
                      padded("Diameter", 24) + "  Holes  Plating");
        out.insert(out.end(), drillRows.begin(), drillRows.end());
        out.push_back("    " + padded("Total", drillNameWidth + 32) + rightAligned(total, 7));
    }

    if (facts.netSource) {
        std::string ipc;
        for (const PackageFile& f : facts.files) {
            if (f.role == kTestNetlistRole) {
                ipc = f.name;
            }
        }
        out.push_back("");
        out.push_back("## Test netlist (" + ipc + ")");
        out.push_back("");
        out.push_back("    Nets from:     " + facts.netSource->source);
        for (size_t i = 0; i < facts.netSource->check.size(); ++i) {
            out.push_back(std::string(i == 0 ? "    Netlist check: " : "                   ") +
                          facts.netSource->check[i]);
        }
    }

    out.push_back("");
    out.push_back("## Order choices");
    out.push_back("");
    const OrderChoices& o = facts.order;
    auto choice = [](const std::string& given) {
        return given.empty() ? std::string(kToBeChosen) : oneLine(given);
    };
    out.push_back("    Board thickness:    " +
                  (o.thickness ? view::fixed(*o.thickness, 2) + " mm" : std::string(kToBeChosen)));
    out.push_back("    Copper weight:      " + choice(o.copper));
    out.push_back("    Surface finish:     " + choice(o.finish));
    out.push_back("    Solder mask colour: " + choice(o.maskColour));
    out.push_back("    Legend colour:      " + choice(o.legendColour));

    if (facts.profile) {
        for (const std::string& line : profileReadme(*facts.profile, facts.files)) {
            out.push_back(line);
        }
    }

    std::vector<std::string> problems;
    for (const auto& image : facts.images) {
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

// What a package holds besides the plotted layer files and the drill files, in zip order
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
    {Made::TestNetlist, kTestNetlistRole},
    {Made::JobFile, "Gerber job file"},
    {Made::Readme, "This file"},
};

constexpr const char* kReadmeName = "README.md";

// The drill files of the package: the plated holes (vias and Multi Layer pads with copper
// around their hole), and the non-plated ones when the board has any, each in a file of its
// own beside the board, with the hits the NC drill file drills and in its format.
std::vector<PackageFile> writeDrillFiles(const plot::PlotOptions& options,
                                         const board::RunValues& rv, const plot::CopperStack& stack,
                                         const std::string& stem, const FabProfile& profile) {
    std::vector<plot::DrillHit> plated;
    std::vector<plot::DrillHit> nonPlated;
    board::BoardReader reader(rv.boardFile, rv.boardImage);
    reader.onlyKinds({board::RecordKind::Pad, board::RecordKind::Via});
    while (auto kind = reader.next()) {
        const board::CurrentRecord& r = reader.record();
        const bool pad = *kind == board::RecordKind::Pad;
        if ((pad && r.layer != board::kMultiLayer) || r.holeSize <= 0) {
            continue;
        }
        (pad && board::nonPlatedPad(r) ? nonPlated : plated).push_back({r.holeSize, r.x1, r.y1});
    }
    const std::string layers = "1," + std::to_string(stack.count());
    if (!profile.drillsApart) {
        // every hole in the plot run's own drill file, as houses that tell plating by the
        // copper around a hole read it
        return {{plot::layerOutputPath(rv, ".TXT"), profile.fileName("drill", stem), "NC drill",
                 nonPlated.empty() ? "Plated," + layers + ",PTH" : "MixedPlating," + layers,
                 "Positive", &plot::ncDrillSetFile()}};
    }
    struct Part {
        plot::DrillFilePart part;
        const char* role;
        std::vector<plot::DrillHit>* hits;
        const char* key;  // of its name in the zip
    };
    const Part parts[] = {
        {{"-PTH.TXT", "Plated," + layers + ",PTH"}, "Plated holes", &plated, "drill-plated"},
        {{"-NPTH.TXT", "NonPlated," + layers + ",NPTH"},
         "Non-plated holes",
         &nonPlated,
         "drill-nonplated"},
    };
    std::vector<PackageFile> files;
    for (const Part& p : parts) {
        if (p.hits->empty() && p.hits == &nonPlated) {
            continue;  // a board without mounting holes has the one drill file
        }
        // the plot run has told of these holes already
        common::RecordingHost quiet;
        plot::writeDrillFile(quiet, options, rv, *p.hits, false, &p.part);  // can throw
        files.push_back({plot::layerOutputPath(rv, p.part.ending), profile.fileName(p.key, stem),
                         p.role, p.part.function, "Positive", &plot::ncDrillSetFile()});
    }
    return files;
}

// The plot options a profile sets. What a house cannot read stays out whatever the options
// say; the drill format is the profile's where it gives one.
void applyProfile(const FabProfile& profile, plot::PlotOptions& options) {
    options.x2 = options.x2 && profile.x2;
    if (!profile.x2) {
        options.x2Facts.reset();
    }
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

PackageResult makeFabPackage(common::Host& host, const PackageOptions& given,
                             const board::RunValues& runValues, const std::string& zipPath) {
    if (!runValues.aptMade) {
        throw common::IoError(runValues.boardFile, "no aperture file made; nothing packaged");
    }
    // nothing is plotted for a zip that could not be written
    checkZipPath(zipPath);
    std::vector<std::string> inputs{runValues.boardFile, runValues.aptFile};
    if (!given.netlist.empty()) {
        inputs.push_back(given.netlist);
    }
    common::refuseOverwritingInput(zipPath, inputs);
    // nor with a profile that cannot be read
    std::shared_ptr<const FabProfile> profileHeld = given.profile;
    if (!profileHeld) {
        profileHeld = std::make_shared<const FabProfile>(loadProfile("generic"));  // can throw
    }
    const FabProfile& profile = *profileHeld;

    plot::PlotOptions options = given.plot;
    // --no-x2 turns the job file off with the attributes
    const bool jobFile = profile.jobFile && (options.x2 || !profile.x2);
    applyProfile(profile, options);
    auto outline = std::make_shared<const plot::BoardOutline>(
        plot::findBoardOutline(runValues.boardFile, given.outline, runValues.boardImage));
    options.outline = outline;
    options.layers = fabLayers(runValues.boardFile);  // can throw
    options.layers[kBoardOutline] = !outline->empty();
    options.ncDrill = true;
    options.bom = profile.billFile;
    options.includeBoardLayer = given.includeBoardLayer;
    // the facts of the plot run are those of the zip's files and its job file; a job file
    // without X2 attributes in the files has them for itself
    std::shared_ptr<const plot::X2Facts> jobFacts;
    if (options.x2 || jobFile) {
        plot::X2Facts facts = options.x2Facts
                                  ? *options.x2Facts
                                  : plot::gatherX2Facts(options, runValues);  // can throw
        facts.boardThickness = given.order.thickness;
        jobFacts = std::make_shared<const plot::X2Facts>(std::move(facts));
        if (options.x2) {
            options.x2Facts = jobFacts;
        }
    }
    plot::plotBoard(host, options, runValues);  // can throw

    PackageResult result;
    result.zipPath = zipPath;
    if (options.x2Facts) {
        result.jobFile = plot::layerOutputPath(runValues, ".gbrjob");
    }
    // the fab set holds the copper layers the board uses, no others
    const plot::CopperStack stack =
        options.x2Facts ? options.x2Facts->stack : plot::CopperStack(options.layers);
    const std::string stem = common::fileNameOf(runValues.baseName);
    for (const plot::SetFile& set : plot::setFiles()) {
        if (set.plotLayer == 0) {
            for (PackageFile& f : writeDrillFiles(options, runValues, stack, stem, profile)) {
                result.files.push_back(std::move(f));
            }
        } else if (options.layers[set.plotLayer]) {
            std::string path = plot::layerOutputPath(runValues, std::string(set.extension));
            // a plane written without X2 attributes and not asked positive is a negative image
            const std::string polarity =
                set.kind == plot::FileKind::Plane && !options.x2 && !options.positivePlanes
                    ? "Negative"
                    : std::string(plot::filePolarity(set));
            result.files.push_back({path,
                                    profile.fileName(fileNameKeyOfLayer(set.plotLayer), stem,
                                                     stack.position(set.plotLayer)),
                                    std::string(set.role), plot::fileFunction(set, stack), polarity,
                                    &set});
        }
    }

    // every Gerber and drill file read back as the board house will read it, once the files
    // made beside the board are all there
    std::vector<view::LayerImage> images;
    for (const PackageFile& f : result.files) {
        images.push_back(view::readLayerFile(f.path));  // can throw
        for (const auto& p : images.back().problems) {
            result.problems.push_back(images.back().describe(p));
            result.hasErrors = result.hasErrors || p.severity == view::Severity::Error;
        }
    }
    for (const std::string& p : result.problems) {
        host.addLine(p);
    }

    // the parts as the assembly house is told them: each part's side from the overlays, so a
    // part's legend on the bottom overlay puts it on the bottom, whatever legend layers the
    // X/Y tool is set to
    annotate::PlacementOptions partOptions = given.placement;
    partOptions.openNotepad = false;
    partOptions.topLegendLayer = kBoardTopOverlay;
    partOptions.bottomLegendLayer = kBoardBottomOverlay;
    std::optional<AssemblyFiles> assembly;
    auto assemblyOnce = [&]() -> const AssemblyFiles& {
        if (!assembly) {
            std::vector<std::string> problems;  // told by the plot run already
            assembly = assemblyFiles(
                annotate::placedParts(runValues.boardFile, partOptions, problems),  // can throw
                profile);
            for (const std::string& note : assembly->notes) {
                host.addLine("Assembly: " + note);
            }
        }
        return *assembly;
    };

    std::optional<nets::NetSource> netSource;
    std::vector<std::pair<std::string, std::string>> made;  // files made in memory
    for (const PackageRow& row : kOtherFiles) {
        switch (row.made) {
            case Made::Bom:
                if (profile.billFile) {
                    std::string bom = plot::layerOutputPath(runValues, ".csv");
                    result.files.push_back({bom, profile.fileName("bill", stem), row.role, "", ""});
                }
                break;
            case Made::Placement:
                if (profile.xyFile) {
                    annotate::PlacementResult xy =
                        annotate::writePlacementFile(runValues.boardFile, partOptions);
                    for (const std::string& p : xy.problems) {
                        host.addLine(p);
                    }
                    result.files.push_back(
                        {xy.outputPath, profile.fileName("xy", stem), row.role, "", ""});
                }
                break;
            case Made::Cpl:
                if (profile.cplFile) {
                    made.emplace_back(profile.fileName("cpl", stem), assemblyOnce().cpl);
                    result.files.push_back({"", made.back().first, row.role, "", ""});
                }
                break;
            case Made::AssemblyBom:
                if (profile.bomFile) {
                    made.emplace_back(profile.fileName("bom", stem), assemblyOnce().bom);
                    result.files.push_back({"", made.back().first, row.role, "", ""});
                }
                break;
            case Made::TestNetlist: {
                // the bare-board test netlist of the design where it is known, with the
                // openings of the masks in the set and its copper layers
                const std::string ipc = plot::layerOutputPath(runValues, ".ipc");
                const nets::BoardNets found = nets::findNets(
                    runValues.boardFile,
                    {nets::copperOptionsOf(options, runValues.enlargements), given.netlist});
                board::ApertureTable masks;
                masks.load(runValues.aptFile);  // can throw
                nets::Ipc356Options ipcOptions;
                ipcOptions.stack = stack;
                ipcOptions.masks = &masks;
                ipcOptions.enlargements = runValues.enlargements;
                std::vector<std::string> notes;
                nets::writeIpc356(found, runValues.boardFile, ipc, ipcOptions, notes);
                for (const std::string& note : notes) {
                    host.addLine(ipc + ": " + note);
                }
                netSource = nets::netSource(found, runValues.boardFile);
                if (found.reference) {
                    host.addLine(ipc + ": nets from " + netSource->source);
                    for (const std::string& line : netSource->check) {
                        host.addLine(runValues.boardFile + ": " + line);
                    }
                }
                result.files.push_back({ipc, profile.fileName("netlist", stem), row.role, "", ""});
                break;
            }
            case Made::JobFile:
                if (jobFile) {
                    // the job file names the files as the zip does
                    std::vector<plot::JobFile> jobFiles;
                    for (const PackageFile& f : result.files) {
                        if (!f.function.empty()) {
                            jobFiles.push_back({f.name, f.function, f.polarity});
                        }
                    }
                    made.emplace_back(profile.fileName("job", stem),
                                      plot::gerberJobFile(*jobFacts, jobFiles));
                    result.files.push_back({"", made.back().first, row.role, "", ""});
                }
                break;
            case Made::Readme: {
                result.files.push_back({"", kReadmeName, row.role, "", ""});
                ReadmeFacts facts{runValues.boardFile,
                                  result.files,
                                  std::move(images),
                                  plot::drillFormatOf(options),
                                  *outline,
                                  stack.count(),
                                  netSource,
                                  given.order,
                                  &profile};
                result.readme = packageReadme(facts);
                made.emplace_back(kReadmeName, result.readme);
                break;
            }
        }
    }

    refuseNameTwice(result.files, profile);

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
