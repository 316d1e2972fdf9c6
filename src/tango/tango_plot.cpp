#include "tango/tango_plot.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <unordered_map>

#include "common/base_name.h"
#include "common/number_format.h"
#include "plot/drill_drawing.h"
#include "plot/gerber_header.h"
#include "plot/nc_drill.h"
#include "plot/stroke_font.h"

namespace padloom::tango {

using common::decimal;
using plot::LayerFile;

namespace {

constexpr int kTopCopper = 1;
constexpr int kBottomCopper = 6;
constexpr int kTopLegend = 7;
constexpr int kDrillDrawing = 9;
constexpr int kDrillGuide = 10;
constexpr int kProfile = 17;
constexpr int kMirrorBit = 16;

std::string replacedInFileName(const std::string& path, std::string_view from,
                               std::string_view to) {
    std::string folder = common::folderOf(path);
    std::string name = common::fileNameOf(path);
    for (size_t at = name.find(from); at != std::string::npos; at = name.find(from, at)) {
        name.replace(at, from.size(), to);
        at += to.size();
    }
    return folder + name;
}

// A value within 1e-9 of a whole number counts as that number; otherwise truncated toward 0.
int snappedTruncation(double value) {
    double nearest = std::nearbyint(value);
    if (std::fabs(value - nearest) < 1e-9) {
        return static_cast<int>(nearest);
    }
    return static_cast<int>(std::trunc(value));
}

// What a pad or via is flashed with on a layer file.
enum class PadRole { Own, SolderMask, Paste, DrillGuide };

// Where pads and vias go: "TL" pads (object layer 1), "BL" pads (6) and "AL" pads and vias
// (every copper layer). Nothing goes on the planes here: they are not written.
std::optional<PadRole> padRoleOn(int padLayer, int plotLayer, int holeSize) {
    const bool all = padLayer == kAllCopperLayers;
    switch (plotLayer) {
        case kTopCopper:
        case kBottomCopper:
            return all || padLayer == plotLayer ? std::optional(PadRole::Own) : std::nullopt;
        case 2:
        case 3:
        case 4:
        case 5:
            return all ? std::optional(PadRole::Own) : std::nullopt;
        case kDrillGuide:
            if (!all) {
                return std::nullopt;
            }
            return holeSize > 0 ? PadRole::DrillGuide : PadRole::Own;
        case 11:
            return all || padLayer == kTopCopper ? std::optional(PadRole::SolderMask)
                                                 : std::nullopt;
        case 12:
            return all || padLayer == kBottomCopper ? std::optional(PadRole::SolderMask)
                                                    : std::nullopt;
        case 15:
            return padLayer == kTopCopper ? std::optional(PadRole::Paste) : std::nullopt;
        case 16:
            return padLayer == kBottomCopper ? std::optional(PadRole::Paste) : std::nullopt;
        default:
            return std::nullopt;
    }
}

// Lines, outlines, arcs and texts go on the layer file their TANGO layer maps to. With
// `outlineOnProfile` the lines, outlines and arcs of the board-outline layer go on the outline
// file too (they stay on the top legend as well).
bool drawnOn(const PlotObject& o, int plotLayer, bool outlineOnProfile) {
    if (plotLayer == kProfile) {
        return outlineOnProfile && o.boardOutline && o.kind != ObjectKind::Text;
    }
    return o.layer != kNoLayer && o.layer == plotLayer &&
           (plotLayer == kTopCopper || plotLayer == kBottomCopper || plotLayer == kTopLegend);
}

// The extent of the board-outline layer's lines, outlines and arcs, along the centre of their
// lines.
class OutlineExtent {
public:
    void add(const PlotObject& o) {
        if (!o.boardOutline) {
            return;
        }
        switch (o.kind) {
            case ObjectKind::Line:
                extents.add(o.x, o.y);
                extents.add(o.x2, o.y2);
                break;
            case ObjectKind::PolylinePoint:
                extents.add(o.x, o.y);
                break;
            case ObjectKind::Arc:
                arc(o);
                break;
            default:
                break;
        }
    }
    board::Extents extents;

private:
    // the arc's ends and the axis points it passes, as writeTangoArc draws it
    void arc(const PlotObject& o) {
        int start = o.startAngle;
        int sweep = o.sweepAngle;
        if (sweep == 0) {
            return;  // not drawn
        }
        if (sweep < 0) {
            start += sweep;
            sweep = -sweep;
        }
        const int r = o.radius == 0 ? 1 : o.radius;
        auto at = [&](int degrees) {
            auto [dx, dy] = polarOffset(r, degrees);
            extents.add(o.x + dx, o.y + dy);
        };
        at(start);
        at(start + sweep);
        const int first = ((start / 90) + (start > 0 ? 1 : 0)) * 90;
        for (long long axis = first; axis < static_cast<long long>(start) + sweep && axis < first + 360;
             axis += 90) {
            at(static_cast<int>(axis % 360));
        }
    }
};

class TangoLayerPlotter {
public:
    TangoLayerPlotter(common::Host& host, const TangoBoard& board, const TangoSizes& sizes,
                      int layer, LayerFile& file, bool outlineOnProfile)
        : m_host(host),
          m_board(board),
          m_sizes(sizes),
          m_layer(layer),
          m_file(file),
          m_outlineOnProfile(outlineOnProfile) {}

    void run();

private:
    void padOrVia(const PlotObject& o);
    void point(const PlotObject& o);
    void text(const PlotObject& o);
    // The D-code of an aperture, or nullopt with a message when the table lacks it (the
    // board changed since the collection pass).
    std::optional<int> dcode(const ApertureKey& key, const PlotObject& o);

    common::Host& m_host;
    const TangoBoard& m_board;
    const TangoSizes& m_sizes;
    const int m_layer;
    LayerFile& m_file;
    const bool m_outlineOnProfile;
    long m_line = 0;
    plot::Point m_previousPoint;  // the outline's previous point
};

std::optional<int> TangoLayerPlotter::dcode(const ApertureKey& key, const PlotObject& o) {
    int d = findAperture(m_board.apertures, key);
    if (d == board::kNotFound) {
        m_host.addLine("Error: Apt not found: " + decimal(key.xSize) + "," + decimal(key.ySize) +
                       "," + decimal(key.shape) + " (at " + decimal(o.x) + "," + decimal(o.y) +
                       ", line " + decimal(m_line) + ")");
        return std::nullopt;
    }
    return d;
}

void TangoLayerPlotter::padOrVia(const PlotObject& o) {
    if (o.shape == kUnset) {
        return;  // a shape with no aperture, reported by the collection pass
    }
    auto role = padRoleOn(o.layer, m_layer, o.holeSize);
    if (!role) {
        return;
    }
    ApertureKey key = ownAperture(o);
    switch (*role) {
        case PadRole::SolderMask:
            key = enlargedAperture(o, m_sizes.solderMask);
            break;
        case PadRole::Paste:
            key = enlargedAperture(o, m_sizes.paste);
            break;
        case PadRole::DrillGuide: {
            const int guide = std::max(m_sizes.drillGuide, 0);
            key = {board::kCircular, guide, guide};
            break;
        }
        case PadRole::Own:
            break;
    }
    if (auto d = dcode(key, o)) {
        plot::plotStep(m_file, o.x, o.y, plot::kFlash, *d);
    }
}

void TangoLayerPlotter::point(const PlotObject& o) {
    auto d = dcode(ownAperture(o), o);  // the width of the outline's POLY record
    if (!d) {
        return;
    }
    if (o.firstPoint) {
        plot::plotStep(m_file, o.x, o.y, plot::kMove, *d);
    } else {
        // a pad or via flashed between two points has moved the position: go back to the
        // previous point, so no stroke runs from the pad across the outline
        if (m_file.currentPos != m_previousPoint) {
            plot::plotStep(m_file, m_previousPoint.x, m_previousPoint.y, plot::kMove, *d);
        }
        plot::plotStep(m_file, o.x, o.y, plot::kDraw, *d);
    }
    m_previousPoint = {o.x, o.y};
}

void TangoLayerPlotter::text(const PlotObject& o) {
    if (isHiddenText(o.text)) {
        return;  // an attribute name, not text on the board
    }
    const std::string& shown =
        isDesignatorText(o.text) ? m_board.componentNames[static_cast<size_t>(o.number)] : o.text;
    int rotation = o.orientation;
    if (m_layer == kBottomCopper) {
        rotation ^= kMirrorBit;  // bottom copper text reads mirrored from the top
    }
    if (auto d = dcode(ownAperture(o), o)) {
        writeTangoText(m_file, o.x, o.y, *d, shown, o.height, rotation);
    }
}

void TangoLayerPlotter::run() {
    TangoReader reader(m_board.path);
    while (reader.next()) {
        m_line = reader.lineNumber();
        const PlotObject& o = reader.object();
        switch (o.kind) {
            case ObjectKind::Pad:
            case ObjectKind::Via:
                padOrVia(o);
                break;
            case ObjectKind::Line:
                if (drawnOn(o, m_layer, m_outlineOnProfile)) {
                    if (auto d = dcode(ownAperture(o), o)) {
                        plot::plotStep(m_file, o.x, o.y, plot::kMove, *d);
                        plot::plotStep(m_file, o.x2, o.y2, plot::kDraw, *d);
                    }
                }
                break;
            case ObjectKind::PolylinePoint:
                if (drawnOn(o, m_layer, m_outlineOnProfile)) {
                    point(o);
                }
                break;
            case ObjectKind::Arc:
                if (drawnOn(o, m_layer, m_outlineOnProfile)) {
                    if (auto d = dcode(ownAperture(o), o)) {
                        writeTangoArc(m_file, o.x, o.y, o.radius, o.startAngle, o.sweepAngle, *d);
                    }
                }
                break;
            case ObjectKind::Text:
                // a ".REFDES" number outside the name table was refused by the collection pass
                if (drawnOn(o, m_layer, m_outlineOnProfile) && (!isDesignatorText(o.text) ||
                                            (o.number >= 0 && o.number <= kLastComponentNumber))) {
                    text(o);
                }
                break;
            default:
                break;
        }
    }
}

// The functions of the apertures of each ticked layer file, by the same layer rules and
// apertures as the layer plotter: pads and vias flashed with their own, mask or paste aperture
// take the pad's function; lines, outlines and arcs are conductors on copper, the profile on
// the outline file; texts conduct nothing (what each is on a layer that is not copper,
// functionOnLayer says). A drill guide's flashes have no function of their own. Returns the
// extent of the board outline the outline file draws.
board::Extents noteApertureFunctions(const TangoBoard& board, const TangoOptions& options,
                                     plot::X2Facts& facts) {
    using plot::AperFunction;
    auto note = [&](int layer, const ApertureKey& key, AperFunction f) {
        facts.functions[static_cast<size_t>(layer)].note(findAperture(board.apertures, key),
                                                         plot::functionOnLayer(layer, f));
    };
    if (options.layers[kDrillDrawing]) {
        note(kDrillDrawing, {board::kCircular, kDrillPenSize, kDrillPenSize},
             AperFunction::NonMaterial);
    }
    OutlineExtent outline;
    TangoReader reader(board.path);
    while (reader.next()) {
        const PlotObject& o = reader.object();
        if (options.layers[kProfile]) {
            outline.add(o);
        }
        for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
            if (!options.layers[static_cast<size_t>(layer)] || layer == kDrillDrawing) {
                continue;
            }
            switch (o.kind) {
                case ObjectKind::Pad:
                case ObjectKind::Via: {
                    auto role =
                        o.shape == kUnset ? std::nullopt : padRoleOn(o.layer, layer, o.holeSize);
                    if (!role) {
                        break;
                    }
                    const AperFunction f = o.kind == ObjectKind::Via ? AperFunction::ViaPad
                                           : o.layer == kAllCopperLayers
                                               ? AperFunction::ComponentPad
                                               : AperFunction::SmdPad;
                    if (layer == kDrillGuide) {
                        const int guide = std::max(options.sizes.drillGuide, 0);
                        note(layer,
                             *role == PadRole::DrillGuide
                                 ? ApertureKey{board::kCircular, guide, guide}
                                 : ownAperture(o),
                             AperFunction::None);
                    } else if (*role == PadRole::SolderMask) {
                        note(layer, enlargedAperture(o, options.sizes.solderMask), f);
                    } else if (*role == PadRole::Paste) {
                        note(layer, enlargedAperture(o, options.sizes.paste), f);
                    } else {
                        note(layer, ownAperture(o), f);
                    }
                    break;
                }
                case ObjectKind::Line:
                case ObjectKind::PolylinePoint:
                case ObjectKind::Arc:
                    if (drawnOn(o, layer, true)) {
                        note(layer, ownAperture(o),
                             layer == kProfile ? AperFunction::Profile : AperFunction::Conductor);
                    }
                    break;
                case ObjectKind::Text:
                    if (drawnOn(o, layer, true) && !isHiddenText(o.text)) {
                        note(layer, ownAperture(o), AperFunction::NonConductor);
                    }
                    break;
                default:
                    break;
            }
        }
    }
    return outline.extents;
}

struct Run {
    common::Host& host;
    const TangoOptions& options;
    const TangoBoard& board;
    std::string base;
    std::shared_ptr<const plot::X2Facts> x2;  // with X2 attributes

    std::string outputPath(std::string_view suffix) const {
        std::string path = base + std::string(suffix);
        common::refuseOverwritingInput(path, {board.path});
        return path;
    }

    void layerFile(int layer) {
        const std::string_view suffix = plot::layerExtension(layer);
        host.addLine(suffix);
        LayerFile file(outputPath(suffix));
        writeTangoHeader(file, layer, board.apertures, x2.get());
        TangoLayerPlotter(host, board, options.sizes, layer, file, x2 != nullptr).run();
        file.out.line("M02*");
        file.out.commit();
    }

    // Hole sizes in order of first appearance with their hit counts.
    std::vector<board::DrillTallyEntry> holeSizesCounted() const {
        std::vector<board::DrillTallyEntry> tally;
        std::unordered_map<int, size_t> index;
        for (int size : board.holeSizes) {
            index[size] = tally.size();
            tally.push_back({size, 0});
        }
        for (const auto& hit : board.drillHits) {
            if (auto it = index.find(hit.holeSize); it != index.end()) {
                ++tally[it->second].count;
            }
        }
        return tally;
    }

    void drillDrawing() {
        const std::string_view suffix = plot::layerExtension(kDrillDrawing);
        host.addLine(suffix);
        LayerFile file(outputPath(suffix));
        writeTangoHeader(file, kDrillDrawing, board.apertures, x2.get());
        const int pen =
            findAperture(board.apertures, {board::kCircular, kDrillPenSize, kDrillPenSize});
        // the marks follow the hole sizes in order of first appearance, each size's hits in
        // file order; a mark's figure is its size's position in that order
        const auto legend = holeSizesCounted();
        if (legend.size() > 64) {
            host.addLine("Drill drawing: tools 65 to " +
                         decimal(static_cast<long long>(legend.size())) +
                         " have no mark figure of their own; they are marked with a plain circle");
        }
        std::unordered_map<int, size_t> position;
        for (size_t i = 0; i < legend.size(); ++i) {
            position[legend[i].holeSize] = i;
        }
        std::vector<plot::DrillHit> marked;
        for (const auto& hit : board.drillHits) {
            if (position.count(hit.holeSize)) {
                marked.push_back(hit);
            }
        }
        std::stable_sort(marked.begin(), marked.end(),
                         [&](const plot::DrillHit& a, const plot::DrillHit& b) {
                             return position[a.holeSize] < position[b.holeSize];
                         });
        board::Extents marks;
        for (const auto& hit : marked) {
            plot::placeDrillMark(file, hit.x, hit.y, hit.holeSize, pen, legend);
            marks.add(hit.x, hit.y);
        }
        plot::drawDimensionsAndLegend(host, file, board.extents, marks, legend, pen);
        file.out.line("M02*");
        file.out.commit();
    }

    void ncDrill() {
        host.addLine("NC Drill");
        board::RunValues drill;
        drill.boardFile = board.path;
        drill.baseName = base;
        drill.drillTally = holeSizesCounted();
        std::stable_sort(drill.drillTally.begin(), drill.drillTally.end(),
                         [](const board::DrillTallyEntry& a, const board::DrillTallyEntry& b) {
                             return a.holeSize < b.holeSize;
                         });
        plot::PlotOptions format;
        format.drillFormat24 = options.drillFormat24;
        format.drillFormat = options.drillFormat;
        format.x2Facts = x2;
        plot::writeDrillFile(host, format, drill, board.drillHits, true);
    }

    void jobFile() {
        host.addLine("Job file");
        std::vector<plot::JobFile> files;
        for (const std::string& path : tangoOutputPaths(options, board.path)) {
            if (const plot::SetFile* set = plot::setFileNamed(path)) {
                files.push_back(plot::jobFileOf(*x2, *set, common::fileNameOf(path)));
            }
        }
        common::LineWriter out(outputPath(".gbrjob"));
        out.write(plot::gerberJobFile(*x2, files));
        out.commit();
    }
};

}  // namespace

std::string outputBaseName(const std::string& path) {
    return replacedInFileName(path, ".PCB", ".OUT");
}

std::string apertureNameShown(const std::string& path) {
    return replacedInFileName(path, ".PCB", ".APT");
}

bool isPlaneLayer(int plotLayer) {
    return plotLayer == 13 || plotLayer == 14;
}

void writeTangoHeader(LayerFile& file, int plotLayer, const board::ApertureTable& apertures,
                      const plot::X2Facts* x2) {
    auto& out = file.out;
    file.reset();
    file.currentSyntax = x2 != nullptr;
    out.line("G04 Format statement*");
    out.line("%FSLAX23Y23*%");
    out.line("%MOIN*%");
    if (x2) {
        out.write(plot::gerberFileAttributes(*x2, *plot::setFileOfLayer(plotLayer)));
    } else {
        out.line(isPlaneLayer(plotLayer) ? "%IPNEG*%" : "%IPPOS*%");
    }
    out.line("G04 Apeture information*");  // sic
    static const plot::ApertureFunctions kNoFunctions;
    plot::ApertureAttributeWriter attributes(
        out, x2 ? x2->functions[static_cast<size_t>(plotLayer)] : kNoFunctions);
    for (const auto& entry : apertures.entries()) {
        if (entry.shape == board::kCircular || entry.shape == board::kRectangular) {
            attributes.before(entry.dcode);
            out.write(plot::apertureDefinition(entry, 0));
        }
    }
    attributes.end();
    out.line("G04 End of apeture information*");  // sic
    if (file.currentSyntax) {
        out.line("G01*");
        out.line("G75*");
    }
}

std::pair<int, int> polarOffset(int radius, int degrees) {
    const int a = ((degrees % 360) + 360) % 360;
    switch (a) {
        case 0:
            return {radius, 0};
        case 90:
            return {0, radius};
        case 180:
            return {-radius, 0};
        case 270:
            return {0, -radius};
        default: {
            const double rad = a * std::numbers::pi / 180.0;
            return {snappedTruncation(radius * std::cos(rad)),
                    snappedTruncation(radius * std::sin(rad))};
        }
    }
}

bool writeTangoArc(LayerFile& file, int cx, int cy, int radius, int start, int sweep,
                   int aperture) {
    if (sweep == 0) {
        return false;
    }
    if (sweep < 0) {
        // drawn counter-clockwise from the other end, so it takes the short way it was meant
        start += sweep;
        sweep = -sweep;
    }
    auto& out = file.out;
    const int r = radius == 0 ? 1 : radius;
    auto [dxs, dys] = polarOffset(r, start);
    auto [dxe, dye] = polarOffset(r, start + sweep);
    if (file.currentSyntax) {
        // the file is in multi-quadrant mode from its header on
        if (aperture != file.currentAperture) {
            plot::selectAperture(out, aperture);
            file.currentAperture = aperture;
        }
        out.write("X").write(cx + dxs).write("Y").write(cy + dys).write("D02*G03*");
        out.write("X").write(cx + dxe).write("Y").write(cy + dye);
        out.write("I").write(-dxs).write("J").write(-dys).line("D01*G01*");
        file.forgetPosition();
        return true;
    }
    out.endLine();
    out.write("D").write(aperture).line("*");
    file.currentAperture = aperture;
    out.write("G75*");
    out.write("X").write(cx + dxs).write("Y").write(cy + dys).line("D02*");
    out.write("G03X").write(cx + dxe).write("Y").write(cy + dye);
    out.write("I").write(-dxs).write("J").write(-dys).write("D01*");
    out.write("D02*G01*");
    return true;
}

void writeTangoText(LayerFile& file, int x, int y, int aperture, std::string_view text, int height,
                    int rotation) {
    // the selection is written once, without a line end: the first character's strokes follow
    // it on the same line, and a text with no characters still selects its aperture
    if (aperture != file.currentAperture) {
        file.out.write("D").write(aperture).write("*");
        file.currentAperture = aperture;
    }
    for (char ch : text) {
        auto [dx, dy] =
            plot::plotGlyph(file, x, y, height, rotation, static_cast<unsigned char>(ch), aperture);
        file.out.endLine();
        x += dx;
        y += dy;
    }
}

common::Outcome plotTangoBoard(common::Host& host, const TangoOptions& options,
                               const std::string& path) {
    const std::string base = outputBaseName(path);
    host.addLine(path);
    host.addLine(apertureNameShown(path));
    host.addLine(base);
    TangoBoard board;
    if (collectBoard(host, path, options.sizes, board) != common::Outcome::Done) {
        return common::Outcome::Refused;
    }
    Run plotting{host, options, board, base, nullptr};
    if (options.x2) {
        // a TANGO board has its copper on the two sides only
        plot::CopperUse sides{};
        plot::X2Facts facts =
            plot::x2FactsFor(path, plot::CopperStack(sides), options.creationDate);
        // the board's size is that of the outline the outline file draws, and none without it
        const board::Extents e = noteApertureFunctions(board, options, facts);
        plot::dropFunctionsOfUnusedCopper(facts);
        if (!e.empty()) {
            facts.size = plot::BoardSize{(double(e.maxX) - e.minX) * 0.0254,
                                         (double(e.maxY) - e.minY) * 0.0254};
        }
        plotting.x2 = std::make_shared<const plot::X2Facts>(std::move(facts));
    }
    const board::Extents& e = board.extents;
    host.addLine("Dimentions are: " + decimal(e.minX) + " " + decimal(e.minY) + ", " +  // sic
                 decimal(e.maxX) + ", " + decimal(e.maxY));
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        if (!options.layers[layer]) {
            continue;
        }
        if (layer == kDrillDrawing) {
            plotting.drillDrawing();
        } else if (isPlaneLayer(layer)) {
            host.addLine(std::string(plot::layerExtension(layer)) +
                         " not written: a TANGO board has no plane layers");
        } else {
            plotting.layerFile(layer);
        }
        host.letMessagesRun();
    }
    if (options.ncDrill) {
        plotting.ncDrill();
    }
    if (options.bom) {
        host.addLine("BOM not written: a TANGO board has no component list");
    }
    if (plotting.x2) {
        plotting.jobFile();
    }
    host.addLine("Done");
    return common::Outcome::Done;
}

std::vector<std::string> tangoOutputPaths(const TangoOptions& options, const std::string& path) {
    const std::string base = outputBaseName(path);
    std::vector<std::string> paths;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        if (options.layers[layer] && !isPlaneLayer(layer)) {
            paths.push_back(base + std::string(plot::layerExtension(layer)));
        }
    }
    if (options.ncDrill) {
        paths.push_back(base + ".TXT");
    }
    return paths;
}

common::Outcome plotTango(common::Host& host, const TangoOptions& options,
                          std::string* chosenBoard) {
    auto chosen = host.askOpen(common::FileAsk{});  // any file: no filter, no title
    if (chosen.empty()) {
        return common::Outcome::Cancelled;
    }
    if (chosenBoard) {
        *chosenBoard = chosen.front();
    }
    return plotTangoBoard(host, options, chosen.front());
}

}  // namespace padloom::tango
