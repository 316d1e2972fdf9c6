#include "plot/layer_plot.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "board/board_reader.h"
#include "common/number_format.h"
#include "plot/gerber_header.h"
#include "plot/plane_area.h"
#include "plot/pours.h"
#include "plot/stroke_font.h"

namespace padloom::plot {

using board::ApertureTable;
using board::CurrentRecord;
using board::enlarged;
using board::kNotFound;
using common::decimal;

namespace {

constexpr int kPolygonFillDcode = kOneMilDcode;

bool isMask(int p) {
    return p == 11 || p == 12 || p == 15 || p == 16;
}

// An aperture the plotter looked for: its shape and sizes, and what it is for.
struct Wanted {
    int shape = 0;
    int xSize = 0;
    int ySize = 0;
    // what it is for, in up to three pieces put together only when it is reported
    std::string_view role;
    std::string_view name = {};
    std::string_view after = {};
};

std::string sizes(const Wanted& w) {
    return decimal(w.xSize) + "," + decimal(w.ySize) + "," + decimal(w.shape);
}

std::string place(int x, int y) {
    return decimal(x) + "," + decimal(y);
}

class LayerPlotter {
public:
    /// With `messages`, the plotter's lines for the message list are kept there instead of
    /// going to the host, for a caller that plots several layers at once.
    LayerPlotter(common::Host& host, const PlotOptions& options, const board::RunValues& rv,
                 int layer, LayerFile& file, std::vector<std::string>* messages = nullptr)
        : m_host(host),
          m_messages(messages),
          m_options(options),
          m_rv(rv),
          m_e(rv.enlargements),
          m_layer(layer),
          m_file(file),
          m_pourLayer(isPourLayer(layer, rv)) {}

    /// The whole file in one pass of its own (pour layers make two more ahead of it).
    void run();
    /// The file in parts, for a pass over the board shared with other layers: the header,
    /// apertures and pour blocks; then each record in file order; then the end of the file.
    void begin();
    void record(board::RecordKind kind, const board::BoardReader& reader);
    void finish() { m_file.out.line("M02*"); }

private:
    void say(std::string text) {
        if (m_messages) {
            m_messages->push_back(std::move(text));
        } else {
            m_host.addLine(text);
        }
    }
    void layerName(std::string_view name);
    void positivePlane();
    void pours();
    void cutOuts();
    void rectangleRegion(int x1, int y1, int x2, int y2);
    void cutOutPad(const CurrentRecord& r);
    void cutOutVia(const CurrentRecord& r);
    void cutOutTrack(const CurrentRecord& r);
    void cutOutArc(const CurrentRecord& r);
    void cutOutFill(const CurrentRecord& r);
    bool onPourLayer(int boardLayer) const {
        return boardLayer == m_layer || boardLayer == board::kMultiLayer;
    }
    bool polygonApertureUsable();
    void pad(const CurrentRecord& r);
    void via(const CurrentRecord& r);
    void track(const CurrentRecord& r);
    void arc(const CurrentRecord& r);
    void fill(const CurrentRecord& r);
    void string(const CurrentRecord& r);
    void component(const board::ComponentHeader& c);
    void componentText(const std::string& text, const board::TextAttributes& a, int aperture,
                       std::string_view role, std::string_view name);

    // Whether `dcode` can be used; reports the wanted aperture when it cannot.
    bool check(int dcode, const Wanted& wanted, int x, int y);
    bool drillGuideUsable();

    common::Host& m_host;
    std::vector<std::string>* m_messages;
    const PlotOptions& m_options;
    const board::RunValues& m_rv;
    const board::Enlargements m_e;
    const int m_layer;
    LayerFile& m_file;
    const bool m_pourLayer;
    ApertureTable m_table;
    DefinedDcodes m_defined{m_table};
    long m_line = 0;  // board line of the record being plotted
    bool m_guideReported = false;
    bool m_polygonReported = false;
};

void LayerPlotter::run() {
    begin();
    board::BoardReader reader(m_rv.boardFile, m_rv.boardImage);
    while (auto kind = reader.next()) {
        record(*kind, reader);
    }
    finish();
}

void LayerPlotter::begin() {
    m_file.reset();
    writeApertureDefinitions(m_file, m_layer, m_rv.aptFile, m_e.pour, m_table,
                             fileStyleOf(m_options));
    m_defined = definedDcodes(m_table);
    if (m_pourLayer) {
        pours();
    }
    if ((m_layer == 13 || m_layer == 14) && positivePlanes(m_options)) {
        positivePlane();
    }
    m_file.forgetPosition();
    m_file.currentAperture = LayerFile::kNoAperture;
    if (m_pourLayer) {
        layerName("Pads_and_tracks");
        m_file.out.line("%LPD*%");
    }
}

void LayerPlotter::layerName(std::string_view name) {
    // the current syntax has no layer names: a comment says where each part begins
    if (m_file.currentSyntax) {
        m_file.out.write("G04 ").write(name).line("*");
    } else {
        m_file.out.write("%LN").write(name).line("*%");
    }
}

// A positive plane: the plane dark over the board, then everything the negative image draws
// cleared from it.
void LayerPlotter::positivePlane() {
    m_file.out.line("%LPD*%");
    if (m_options.planeArea) {
        writeRegion(m_file, m_options.planeArea->contours);
    }
    m_file.out.line("%LPC*%");
}

void LayerPlotter::record(board::RecordKind kind, const board::BoardReader& reader) {
    m_line = reader.recordLine();
    const CurrentRecord& r = reader.record();
    switch (kind) {
        case board::RecordKind::Pad:
            pad(r);
            break;
        case board::RecordKind::Via:
            via(r);
            break;
        case board::RecordKind::Track:
            track(r);
            break;
        case board::RecordKind::Arc:
            arc(r);
            break;
        case board::RecordKind::Fill:
            fill(r);
            break;
        case board::RecordKind::String:
            string(r);
            break;
        case board::RecordKind::Component:
            component(reader.component());
            break;
    }
}

// The pour block (dark regions from the closed 1-mil outlines) and the cut-out block (clear
// clearances around every piece of copper of the layer that is not joined to the pour), each a
// layer of its own ahead of the pads and tracks.
void LayerPlotter::pours() {
    auto& out = m_file.out;
    // each extended command in a parameter block of its own: some readers take only the first
    // command of a block, and would keep the cut-outs below dark
    layerName("Copper_pours");
    out.line("%LPD*%");
    PourEdgeTable edges;
    collectPourPieces(edges, m_rv, m_layer, m_table);
    if (polygonApertureUsable()) {
        writePourRegions(m_file, edges, m_host, m_layer);
    }
    layerName("Copper_pour_cutouts");
    out.line("%LPC*%");
    cutOuts();
}

void LayerPlotter::cutOuts() {
    m_file.currentAperture = LayerFile::kNoAperture;
    m_file.forgetPosition();
    board::BoardReader reader(m_rv.boardFile, m_rv.boardImage);
    while (auto kind = reader.next()) {
        m_line = reader.recordLine();
        const CurrentRecord& r = reader.record();
        switch (*kind) {
            case board::RecordKind::Pad:
                cutOutPad(r);
                break;
            case board::RecordKind::Via:
                cutOutVia(r);
                break;
            case board::RecordKind::Track:
                cutOutTrack(r);
                break;
            case board::RecordKind::Arc:
                cutOutArc(r);
                break;
            case board::RecordKind::Fill:
                cutOutFill(r);
                break;
            case board::RecordKind::String:
                break;  // free strings cut no clearance
            case board::RecordKind::Component:
                // the component's texts are cleared as they are drawn, with no enlargement
                component(reader.component());
                break;
        }
    }
}

void LayerPlotter::cutOutPad(const CurrentRecord& r) {
    if (!onPourLayer(r.layer) || r.planeCode == 3 || r.planeCode == 5) {
        return;  // plane codes 3 and 5 connect directly: the pour runs into the pad
    }
    const int aperture = board::resolvePad(m_table, r, m_e, board::kPadPourClearance).pourClearance;
    const Wanted wanted{r.shape, enlarged(r.xSize, m_e.pour), enlarged(r.ySize, m_e.pour),
                        "pour clearance of the pad"};
    if (check(aperture, wanted, r.x1, r.y1)) {
        plotStep(m_file, r.x1, r.y1, kFlash, aperture);
    }
}

void LayerPlotter::cutOutVia(const CurrentRecord& r) {
    const int aperture = board::resolveVia(m_table, r, m_e, board::kViaPourClearance).pourClearance;
    const int s = enlarged(r.viaSize, m_e.pour);
    if (check(aperture, Wanted{board::kCircular, s, s, "pour clearance of the via"}, r.x1, r.y1)) {
        plotStep(m_file, r.x1, r.y1, kFlash, aperture);
    }
}

void LayerPlotter::cutOutTrack(const CurrentRecord& r) {
    if (!onPourLayer(r.layer)) {
        return;
    }
    const board::LineApertures a = board::resolveLine(m_table, r, m_e);
    if (a.draw == kOneMilDcode) {
        return;  // an outline piece, or a 1-mil track: no clearance
    }
    const int w = enlarged(r.width, m_e.pour);
    if (!check(a.pourClearance, Wanted{board::kCircular, w, w, "pour clearance of the track"}, r.x1,
               r.y1)) {
        return;
    }
    if (m_file.currentPos != Point{r.x1, r.y1}) {
        plotStep(m_file, r.x1, r.y1, kMove, a.pourClearance);
    }
    plotStep(m_file, r.x2, r.y2, kDraw, a.pourClearance);
}

void LayerPlotter::cutOutArc(const CurrentRecord& r) {
    if (!onPourLayer(r.layer) || r.width == 1) {
        return;
    }
    const int aperture = board::resolveLine(m_table, r, m_e).pourClearance;
    const int w = enlarged(r.width, m_e.pour);
    if (check(aperture, Wanted{board::kCircular, w, w, "pour clearance of the arc"}, r.x1, r.y1)) {
        plotArc(m_file, r.x1, r.y1, r.radius, r.quadrantMask, aperture);
    }
}

void LayerPlotter::cutOutFill(const CurrentRecord& r) {
    if (!onPourLayer(r.layer) || !polygonApertureUsable()) {
        return;
    }
    // each corner moves away from the opposite one, so the clearance is the same whichever
    // way round the corners are stored
    const int grow = m_e.pour / 2;
    const int x1 = r.x1 <= r.x2 ? r.x1 - grow : r.x1 + grow;
    const int x2 = r.x1 <= r.x2 ? r.x2 + grow : r.x2 - grow;
    const int y1 = r.y1 <= r.y2 ? r.y1 - grow : r.y1 + grow;
    const int y2 = r.y1 <= r.y2 ? r.y2 + grow : r.y2 - grow;
    rectangleRegion(x1, y1, x2, y2);
}

// A rectangle as a region, from corner (x1, y1) round to (x1, y1) by (x2, y1), (x2, y2) and
// (x1, y2). The older forms write it with the 1-mil aperture, selected in the region, and end
// it with a move.
void LayerPlotter::rectangleRegion(int x1, int y1, int x2, int y2) {
    if (m_file.currentSyntax) {
        const Contour rectangle{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
        writeRegion(m_file, std::span(&rectangle, 1));
        return;
    }
    m_file.out.write("G36*");
    plotStep(m_file, x1, y1, kMove, kPolygonFillDcode);
    plotStep(m_file, x2, y1, kDraw, kPolygonFillDcode);
    plotStep(m_file, x2, y2, kDraw, kPolygonFillDcode);
    plotStep(m_file, x1, y2, kDraw, kPolygonFillDcode);
    plotStep(m_file, x1, y1, kDraw, kPolygonFillDcode);
    plotStep(m_file, x1, y2, kMove, kPolygonFillDcode);
    m_file.out.line("G37*");
}

bool LayerPlotter::polygonApertureUsable() {
    if (usableAperture(m_defined, kPolygonFillDcode)) {
        return true;
    }
    if (!m_polygonReported) {
        say("Error: Apt not found: D12, the 1-mil circle of polygon fills and pours, "
            "is not in " +
            m_rv.aptFile + "; no fills or pours on " + std::string(layerExtension(m_layer)));
        m_polygonReported = true;
    }
    return false;
}

bool LayerPlotter::check(int dcode, const Wanted& wanted, int x, int y) {
    if (usableAperture(m_defined, dcode)) {
        return true;
    }
    std::string text = "Error: Apt not found: " + sizes(wanted);
    if (!wanted.role.empty()) {
        text += " (" + std::string(wanted.role) + std::string(wanted.name) +
                std::string(wanted.after) + " at " + place(x, y) + ", line " + decimal(m_line) + ")";
    }
    say(std::move(text));
    return false;
}

bool LayerPlotter::drillGuideUsable() {
    if (usableAperture(m_defined, m_rv.drillGuideDCode)) {
        return true;
    }
    if (!m_guideReported) {
        say("Error: Apt not found: the drill guide aperture D" + decimal(m_rv.drillGuideDCode) +
            " is not in " + m_rv.aptFile + "; no holes on " + std::string(layerExtension(m_layer)));
        m_guideReported = true;
    }
    return false;
}

void LayerPlotter::pad(const CurrentRecord& r) {
    const int p = m_layer;
    if (!onLayer(r.layer, p, m_options)) {
        return;
    }
    // only the apertures this layer may use are looked up
    unsigned needed = board::kPadOwn;
    if (p == 11 || p == 12) {
        needed = board::kPadSolderMask;
    } else if (p == 13 || p == 14) {
        needed = board::kPadPlaneClearance | board::kPadReliefs;
    } else if (p == 15 || p == 16) {
        needed = board::kPadPaste;
    } else if (m_options.thermalsOnExternalLayers && (p == 1 || p == 6)) {
        needed |= board::kPadReliefs;
    }
    const board::PadApertures a = board::resolvePad(m_table, r, m_e, needed);
    // the pad's own aperture; its missing-aperture line is the plain one
    int aperture = a.pad;
    Wanted wanted{r.shape, r.xSize, r.ySize, ""};
    auto wantEnlarged = [&](int shape, int by, const char* role) {
        wanted = Wanted{shape, enlarged(r.xSize, by), enlarged(r.ySize, by), role};
    };
    if (p == 10) {
        if (!drillGuideUsable()) {
            return;
        }
        aperture = m_rv.drillGuideDCode;
    } else if (p == 11 || p == 12) {
        aperture = a.solderMask;
        wantEnlarged(r.shape, m_e.solderMask, "solder mask of the pad");
    } else if (p == 13 || p == 14) {
        aperture = a.planeClearance;
        wantEnlarged(board::kCircular, m_e.plane, "plane clearance of the pad");
    } else if (p == 15 || p == 16) {
        aperture = a.paste;
        wantEnlarged(r.shape, m_e.paste, "paste mask of the pad");
    }

    if (p == 13 || p == 14) {
        const int relief = p == 13 ? a.groundRelief : a.powerRelief;
        const int reliefCode = p == 13 ? 2 : 4;
        if (relief == 0) {
            return;  // directly connected: the plane stays solid under the pad
        }
        if (relief != kNotFound) {
            aperture = relief;
            wanted = Wanted{board::kRelief, r.xSize, r.ySize,
                            p == 13 ? "ground relief of the pad" : "power relief of the pad"};
        } else if (r.planeCode == reliefCode) {
            // a relief pad whose relief is missing keeps its clearance, but the user must
            // know that it is not connected to the plane
            check(relief,
                  Wanted{board::kRelief, r.xSize, r.ySize,
                         p == 13 ? "ground relief of the pad" : "power relief of the pad"},
                  r.x1, r.y1);
        }
    }

    if (m_options.thermalsOnExternalLayers && (p == 1 || p == 6)) {
        const int c = r.planeCode;
        const bool throughHole =
            r.layer == board::kMultiLayer && (c == 2 || c == 4 || c == 6 || c == 7);
        const bool onThisLayer = r.layer == p && (c == 6 || c == 7);
        // a pad without an outer relief (an octagon has none) keeps its own aperture, so that
        // no copper pad ever vanishes
        if ((throughHole || onThisLayer) && usableAperture(m_defined, a.outerRelief)) {
            aperture = a.outerRelief;
        }
    }

    if (!check(aperture, wanted, r.x1, r.y1)) {
        return;
    }
    plotStep(m_file, r.x1, r.y1, kFlash, aperture);
}

void LayerPlotter::via(const CurrentRecord& r) {
    const int p = m_layer;
    if (!onLayer(board::kMultiLayer, p, m_options)) {
        return;
    }
    // only the aperture this layer uses is looked up
    const unsigned needed = p == 11 || p == 12   ? board::kViaSolderMask
                            : p == 13 || p == 14 ? board::kViaPlaneClearance
                                                 : board::kViaOwn;
    const board::ViaApertures a = board::resolveVia(m_table, r, m_e, needed);
    const int s = r.viaSize;
    int aperture = a.pad;
    Wanted wanted{board::kCircular, s, s, "via"};
    if (p == 10) {
        if (!drillGuideUsable()) {
            return;
        }
        aperture = m_rv.drillGuideDCode;
    } else if (p == 11 || p == 12) {
        aperture = a.solderMask;
        wanted = Wanted{board::kCircular, enlarged(s, m_e.solderMask), enlarged(s, m_e.solderMask),
                        "solder mask of the via"};
    } else if (p == 13 || p == 14) {
        aperture = a.planeClearance;
        wanted = Wanted{board::kCircular, enlarged(s, m_e.plane), enlarged(s, m_e.plane),
                        "plane clearance of the via"};
    }
    if (!check(aperture, wanted, r.x1, r.y1)) {
        return;
    }
    plotStep(m_file, r.x1, r.y1, kFlash, aperture);
}

void LayerPlotter::track(const CurrentRecord& r) {
    if (!onLayerAsDrawing(r.layer, m_layer, m_options)) {
        return;
    }
    const int draw = board::resolveLineDraw(m_table, r);
    if (m_pourLayer && draw == kPolygonFillDcode && r.layer == m_layer) {
        return;  // a pour outline: the pour itself stands for it
    }
    if (m_layer == 10) {
        const bool boardEdge = r.layer == 11 && m_options.includeBoardLayer;
        const bool keepOut = r.layer == 12 && m_options.includeKeepOut;
        if (!boardEdge && !keepOut) {
            return;
        }
    }
    if (!check(draw, Wanted{board::kCircular, r.width, r.width, "track"}, r.x1, r.y1)) {
        return;
    }
    if (m_file.currentPos != Point{r.x1, r.y1}) {
        plotStep(m_file, r.x1, r.y1, kMove, draw);
    }
    plotStep(m_file, r.x2, r.y2, kDraw, draw);
}

void LayerPlotter::arc(const CurrentRecord& r) {
    if (!onLayerAsDrawing(r.layer, m_layer, m_options)) {
        return;
    }
    const int draw = board::resolveLineDraw(m_table, r);
    if (!check(draw, Wanted{board::kCircular, r.width, r.width, "arc"}, r.x1, r.y1)) {
        return;
    }
    plotArc(m_file, r.x1, r.y1, r.radius, r.quadrantMask, draw);
}

void LayerPlotter::fill(const CurrentRecord& r) {
    if (!onLayerAsDrawing(r.layer, m_layer, m_options)) {
        return;
    }
    auto& out = m_file.out;
    if (m_options.fillMode == FillMode::Polygon) {
        if (!polygonApertureUsable()) {
            return;
        }
        rectangleRegion(r.x1, r.y1, r.x2, r.y2);
        return;
    }
    const int aperture = board::resolveFill(m_table, r);
    const Wanted wanted{board::kRectangular, std::abs(r.x2 - r.x1), std::abs(r.y2 - r.y1), "fill"};
    if (!check(aperture, wanted, r.x1, r.y1)) {
        return;
    }
    if (aperture != m_file.currentAperture) {
        out.write("D").write(aperture).write("*");
        m_file.currentAperture = aperture;
    }
    // centred from the lower corner, so a fill stored with its corners swapped flashes at
    // the same place
    const int cx = std::min(r.x1, r.x2) + std::abs(r.x2 - r.x1) / 2;
    const int cy = std::min(r.y1, r.y2) + std::abs(r.y2 - r.y1) / 2;
    out.write("X").write(cx).write("Y").write(cy).write("D03*");
    if (m_file.currentSyntax) {
        out.endLine();
    }
    m_file.forgetPosition();
}

void LayerPlotter::string(const CurrentRecord& r) {
    if (r.text.empty() || !onLayerAsDrawing(r.layer, m_layer, m_options)) {
        return;
    }
    const int aperture = board::resolveString(m_table, r);
    if (!check(aperture, Wanted{board::kCircular, r.width, r.width, "string \"", r.text, "\""},
               r.x1, r.y1)) {
        return;
    }
    plotText(m_file, r.x1, r.y1, aperture, r.text, r.ySize, r.rotation);
}

void LayerPlotter::component(const board::ComponentHeader& c) {
    const board::ComponentApertures a = board::resolveComponent(m_table, c);
    if (c.commentShown == 1) {
        componentText(c.comment, c.commentText, a.comment, "comment of ", c.designator);
    }
    if (c.designatorShown == 1) {
        componentText(c.designator, c.designatorText, a.designator, "designator ", c.designator);
    }
}

void LayerPlotter::componentText(const std::string& text, const board::TextAttributes& t,
                                 int aperture, std::string_view role, std::string_view name) {
    if (!onLayerAsDrawing(t.layer, m_layer, m_options)) {
        return;
    }
    if (!check(aperture, Wanted{board::kCircular, t.width, t.width, role, name}, t.x, t.y)) {
        return;
    }
    plotText(m_file, t.x, t.y, aperture, text, t.height, t.rotation);
    m_file.currentAperture = LayerFile::kNoAperture;
    m_file.forgetPosition();
}

}  // namespace

bool onLayer(int b, int p, const PlotOptions& options) {
    if (b >= 1 && b <= 8 && p == b) {
        return true;
    }
    switch (b) {
        case 1:
            return p == 11 || p == 15;
        case 6:
            return p == 12 || p == 16;
        case 9:
            return p == 13;
        case 10:
            return p == 14;
        case 11:
            return p == 17 || options.includeBoardLayer;
        case 12:
            return options.includeKeepOut;
        case 13:
            return (p >= 1 && p <= 6) || (p >= 10 && p <= 14);
        default:
            return false;
    }
}

bool onLayerAsDrawing(int boardLayer, int plotLayer, const PlotOptions& options) {
    return !isMask(plotLayer) && onLayer(boardLayer, plotLayer, options);
}

DefinedDcodes::DefinedDcodes(const ApertureTable& table) {
    for (const auto& entry : table.entries()) {
        if (entry.dcode >= 0 && entry.dcode < kDirect) {
            if (m_direct.size() <= static_cast<size_t>(entry.dcode)) {
                m_direct.resize(static_cast<size_t>(entry.dcode) + 1);
            }
            m_direct[static_cast<size_t>(entry.dcode)] = true;
        } else {
            m_others.push_back(entry.dcode);
        }
    }
    std::sort(m_others.begin(), m_others.end());
}

bool DefinedDcodes::contains(int dcode) const {
    if (dcode >= 0 && dcode < kDirect) {
        return static_cast<size_t>(dcode) < m_direct.size() && m_direct[static_cast<size_t>(dcode)];
    }
    return std::binary_search(m_others.begin(), m_others.end(), dcode);
}

DefinedDcodes definedDcodes(const ApertureTable& table) {
    return DefinedDcodes(table);
}

bool usableAperture(const DefinedDcodes& defined, int dcode) {
    return dcode >= 10 && defined.contains(dcode);
}

bool isPourLayer(int plotLayer, const board::RunValues& runValues) {
    return (plotLayer == 1 || plotLayer == 6) && runValues.pourOutline[plotLayer];
}

std::string layerOutputPath(const board::RunValues& runValues, const std::string& extension) {
    std::string path = runValues.baseName + extension;
    common::refuseOverwritingInput(path, {runValues.boardFile, runValues.aptFile});
    return path;
}

std::vector<PlottedLayer> openLayerFiles(const board::RunValues& runValues,
                                         const std::vector<int>& layers) {
    std::vector<PlottedLayer> opened(layers.size());
    for (size_t i = 0; i < layers.size(); ++i) {
        opened[i].layer = layers[i];
        try {
            opened[i].file = std::make_unique<LayerFile>(
                layerOutputPath(runValues, std::string(layerExtension(layers[i]))));
        } catch (...) {
            opened[i].error = std::current_exception();
        }
    }
    return opened;
}

void plotLayersTogether(common::Host& host, const PlotOptions& options,
                        const board::RunValues& runValues,
                        const std::vector<PlottedLayer*>& layers,
                        const std::vector<RidingOutput*>& riders) {
    std::vector<PlottedLayer*> mine;
    std::vector<std::unique_ptr<LayerPlotter>> plotters;
    for (PlottedLayer* p : layers) {
        if (p->error) {
            continue;
        }
        try {
            auto plotter = std::make_unique<LayerPlotter>(host, options, runValues, p->layer,
                                                          *p->file, &p->messages);
            plotter->begin();
            mine.push_back(p);
            plotters.push_back(std::move(plotter));
        } catch (...) {
            p->error = std::current_exception();
        }
    }
    if (mine.empty() && riders.empty()) {
        return;
    }
    // Which of the layers a record on each board layer can reach: its pads and vias by the
    // layer rule, its drawings and texts by the drawing rule. A record on no board layer of the
    // table reaches no layer file. Each plotter still applies the rules itself; this only
    // spares asking every layer about every record.
    constexpr int kBoardLayers = board::kMultiLayer + 1;
    std::array<std::uint32_t, kBoardLayers> flashesTo{};
    std::array<std::uint32_t, kBoardLayers> drawingsTo{};
    static_assert(kPlotLayerCount <= 32);
    for (size_t j = 0; j < mine.size(); ++j) {
        for (int b = 0; b < kBoardLayers; ++b) {
            if (onLayer(b, mine[j]->layer, options)) {
                flashesTo[static_cast<size_t>(b)] |= 1u << j;
            }
            if (onLayerAsDrawing(b, mine[j]->layer, options)) {
                drawingsTo[static_cast<size_t>(b)] |= 1u << j;
            }
        }
    }
    auto on = [](const std::array<std::uint32_t, kBoardLayers>& table, int layer) {
        return layer >= 0 && layer < kBoardLayers ? table[static_cast<size_t>(layer)] : 0u;
    };
    std::vector<unsigned> riderKinds;
    for (const RidingOutput* r : riders) {
        riderKinds.push_back(r->error ? 0u : r->output->kinds());
    }
    try {
        board::BoardReader reader(runValues.boardFile, runValues.boardImage);
        while (auto kind = reader.next()) {
            const CurrentRecord& r = reader.record();
            std::uint32_t to = 0;
            switch (*kind) {
                case board::RecordKind::Pad:
                    to = on(flashesTo, r.layer);
                    break;
                case board::RecordKind::Via:
                    to = on(flashesTo, board::kMultiLayer);
                    break;
                case board::RecordKind::Component: {
                    const board::ComponentHeader& c = reader.component();
                    to = (c.commentShown == 1 ? on(drawingsTo, c.commentText.layer) : 0u) |
                         (c.designatorShown == 1 ? on(drawingsTo, c.designatorText.layer) : 0u);
                    break;
                }
                default:
                    to = on(drawingsTo, r.layer);
                    break;
            }
            for (; to != 0; to &= to - 1) {
                const auto j = static_cast<size_t>(std::countr_zero(to));
                if (mine[j]->error) {
                    continue;
                }
                try {
                    plotters[j]->record(*kind, reader);
                } catch (...) {
                    mine[j]->error = std::current_exception();
                }
            }
            for (size_t i = 0; i < riders.size(); ++i) {
                if ((riderKinds[i] & kindBit(*kind)) != 0 && !riders[i]->error) {
                    try {
                        riders[i]->output->record(*kind, reader);
                    } catch (...) {
                        riders[i]->error = std::current_exception();
                    }
                }
            }
        }
    } catch (...) {
        // the board itself failed: every layer and rider still going stops with its error
        for (auto* p : mine) {
            if (!p->error) {
                p->error = std::current_exception();
            }
        }
        for (RidingOutput* r : riders) {
            if (!r->error) {
                r->error = std::current_exception();
            }
        }
    }
    for (size_t j = 0; j < mine.size(); ++j) {
        if (!mine[j]->error) {
            try {
                plotters[j]->finish();
            } catch (...) {
                mine[j]->error = std::current_exception();
            }
        }
    }
}

void plotLayerFile(common::Host& host, const PlotOptions& options,
                   const board::RunValues& runValues, int layer) {
    const std::string extension(layerExtension(layer));
    host.addLine(extension);
    LayerFile file(layerOutputPath(runValues, extension));
    LayerPlotter(host, options, runValues, layer, file).run();
    file.out.commit();
}

}  // namespace padloom::plot
