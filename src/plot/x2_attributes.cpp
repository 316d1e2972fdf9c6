#include "plot/x2_attributes.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

#include "board/aperture_table.h"
#include "board/board_reader.h"
#include "board/plating.h"
#include "common/base_name.h"
#include "common/content_id.h"
#include "common/json_text.h"
#include "common/version.h"
#include "plot/board_outline.h"
#include "plot/layer_plot.h"
#include "plot/layer_use.h"
#include "plot/plot_run.h"
#include "plot/pours.h"

namespace padloom::plot {

using board::CurrentRecord;
using board::kMultiLayer;
using board::kNotFound;

std::string_view aperFunctionText(AperFunction function) {
    switch (function) {
        case AperFunction::ComponentPad:
            return "ComponentPad";
        case AperFunction::SmdPad:
            return "SMDPad,CuDef";
        case AperFunction::ViaPad:
            return "ViaPad";
        case AperFunction::Conductor:
            return "Conductor";
        case AperFunction::NonConductor:
            return "NonConductor";
        case AperFunction::Profile:
            return "Profile";
        case AperFunction::AntiPad:
            return "AntiPad";
        case AperFunction::ThermalReliefPad:
            return "ThermalReliefPad";
        case AperFunction::Material:
            return "Material";
        case AperFunction::NonMaterial:
            return "NonMaterial";
        case AperFunction::None:
            break;
    }
    return "";
}

AperFunction functionOnLayer(int plotLayer, AperFunction function) {
    if (function == AperFunction::None || function == AperFunction::Profile) {
        return function;
    }
    if (plotLayer >= 1 && plotLayer <= 6) {
        return function;
    }
    switch (plotLayer) {
        case 13:
        case 14:
            // a plane draws only what it clears
            return function == AperFunction::AntiPad || function == AperFunction::ThermalReliefPad
                       ? function
                       : AperFunction::None;
        case 7:
        case 8:
        case 11:
        case 12:
        case 15:
        case 16:
            return AperFunction::Material;
        case 9:
            return AperFunction::NonMaterial;
        default:
            return AperFunction::None;  // the drill guide and the outline file
    }
}

void ApertureFunctions::note(int dcode, AperFunction function) {
    if (dcode < 0) {
        return;  // not found: nothing is drawn with it
    }
    auto [it, added] = m_functions.emplace(dcode, function);
    if (!added && it->second != function) {
        it->second = AperFunction::None;
    }
}

AperFunction ApertureFunctions::of(int dcode) const {
    auto it = m_functions.find(dcode);
    return it == m_functions.end() ? AperFunction::None : it->second;
}

std::string isoDateNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    auto two = [](long long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return std::to_string(static_cast<int>(date.year())) + "-" +
           two(static_cast<unsigned>(date.month())) + "-" + two(static_cast<unsigned>(date.day())) +
           "T" + two(time.hours().count()) + ":" + two(time.minutes().count()) + ":" +
           two(time.seconds().count()) + "+00:00";
}

std::string attributeField(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string field;
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7f || c == ',' || c == '*' || c == '%' || c == '\\') {
            field += "\\u00";
            field += kHex[c >> 4];
            field += kHex[c & 15];
        } else {
            field += static_cast<char>(c);
        }
    }
    return field;
}

namespace {

// Attributes go in comments that readers knowing them take as attribute commands: a reader
// that does not know them (gerbv is one) reports an attribute command as an unknown extension,
// but passes over a comment.
constexpr std::string_view kAttributeComment = "G04 #@! ";

constexpr int kDrillDrawing = 9;
constexpr int kDrillGuide = 10;
constexpr int kDrillDrawingPen = 10;  // the 3-mil circle the drill drawing draws with

bool isMaskLayer(int p) {
    return p == 11 || p == 12;
}
bool isPlaneLayer(int p) {
    return p == 13 || p == 14;
}
bool isPasteLayer(int p) {
    return p == 15 || p == 16;
}

// What a pad is on the layers it is flashed on, by its board layer.
AperFunction padFunction(int boardLayer) {
    if (boardLayer == kMultiLayer) {
        return AperFunction::ComponentPad;
    }
    return boardLayer >= 1 && boardLayer <= 6 ? AperFunction::SmdPad : AperFunction::NonConductor;
}

// What a track, arc or flashed fill is, by its board layer: copper, the board outline, or a
// drawing. A drawing on a plane layer clears the plane, which the attribute has no word for.
AperFunction drawingFunction(int boardLayer) {
    if (boardLayer == 11) {
        return AperFunction::Profile;
    }
    if ((boardLayer >= 1 && boardLayer <= 6) || boardLayer == kMultiLayer) {
        return AperFunction::Conductor;
    }
    return boardLayer == 9 || boardLayer == 10 ? AperFunction::None : AperFunction::NonConductor;
}

// The extent of the board outline's tracks and arcs in mils, along the centre of their lines
// as a board house measures the profile.
struct MilBox {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty = true;
    void add(double x, double y) {
        if (empty) {
            x0 = x1 = x, y0 = y1 = y;
            empty = false;
            return;
        }
        x0 = std::min(x0, x), y0 = std::min(y0, y);
        x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
};

// One pass over the board noting the use of every aperture on every ticked layer file, with
// the same layer rules and aperture choices as the layer plotter.
class FunctionPass {
public:
    FunctionPass(const PlotOptions& options, const board::RunValues& rv, X2Facts& facts)
        : m_o(options), m_rv(rv), m_e(rv.enlargements), m_facts(facts) {
        for (int p = 1; p <= kPlotLayerCount; ++p) {
            if (options.layers[static_cast<size_t>(p)]) {
                m_layers.push_back(p);
            }
        }
        m_table.load(rv.aptFile);
        m_defined = definedDcodes(m_table);
        if (options.layers[kDrillDrawing]) {
            note(kDrillDrawing, kDrillDrawingPen, AperFunction::NonMaterial);
        }
    }

    void record(board::RecordKind kind, const board::BoardReader& reader) {
        const CurrentRecord& r = reader.record();
        switch (kind) {
            case board::RecordKind::Pad:
                pad(r);
                m_facts.nonPlatedHoles = m_facts.nonPlatedHoles || board::nonPlatedPad(r);
                break;
            case board::RecordKind::Via:
                via(r);
                break;
            case board::RecordKind::Track:
            case board::RecordKind::Arc:
                line(r, kind == board::RecordKind::Track);
                break;
            case board::RecordKind::Fill:
                fill(r);
                break;
            case board::RecordKind::String:
                if (!r.text.empty()) {
                    text(r.layer, board::resolveString(m_table, r));
                }
                break;
            case board::RecordKind::Component: {
                const board::ComponentHeader& c = reader.component();
                const board::ComponentApertures a = board::resolveComponent(m_table, c);
                if (c.commentShown == 1) {
                    text(c.commentText.layer, a.comment);
                }
                if (c.designatorShown == 1) {
                    text(c.designatorText.layer, a.designator);
                }
                break;
            }
        }
    }

    MilBox outline;

private:
    void note(int p, int dcode, AperFunction f) {
        m_facts.functions[static_cast<size_t>(p)].note(dcode, functionOnLayer(p, f));
    }
    bool pourLayer(int p) const { return isPourLayer(p, m_rv); }
    bool onPourLayer(int boardLayer, int p) const {
        return boardLayer == p || boardLayer == kMultiLayer;
    }

    void pad(const CurrentRecord& r) {
        const board::PadApertures a = board::resolvePad(m_table, r, m_e);
        const AperFunction f = padFunction(r.layer);
        for (int p : m_layers) {
            if (pourLayer(p) && onPourLayer(r.layer, p) && r.planeCode != 3 && r.planeCode != 5) {
                note(p, a.pourClearance, AperFunction::AntiPad);
            }
            if (p == kDrillDrawing || !onLayer(r.layer, p, m_o)) {
                continue;
            }
            if (p == kDrillGuide) {
                note(p, m_rv.drillGuideDCode, AperFunction::None);
            } else if (isMaskLayer(p)) {
                note(p, a.solderMask, f);
            } else if (isPasteLayer(p)) {
                note(p, a.paste, f);
            } else if (isPlaneLayer(p)) {
                const int relief = p == 13 ? a.groundRelief : a.powerRelief;
                if (relief != kNotFound && relief != 0) {
                    note(p, relief, AperFunction::ThermalReliefPad);
                } else if (relief != 0) {
                    note(p, a.planeClearance, AperFunction::AntiPad);
                }
            } else {
                int aperture = a.pad;
                const int c = r.planeCode;
                const bool throughHole =
                    r.layer == kMultiLayer && (c == 2 || c == 4 || c == 6 || c == 7);
                const bool onThisLayer = r.layer == p && (c == 6 || c == 7);
                if (m_o.thermalsOnExternalLayers && (p == 1 || p == 6) &&
                    (throughHole || onThisLayer) && usableAperture(m_defined, a.outerRelief)) {
                    aperture = a.outerRelief;
                }
                note(p, aperture, f);
            }
        }
    }

    void via(const CurrentRecord& r) {
        const board::ViaApertures a = board::resolveVia(m_table, r, m_e);
        for (int p : m_layers) {
            if (pourLayer(p)) {
                note(p, a.pourClearance, AperFunction::AntiPad);
            }
            if (p == kDrillDrawing || !onLayer(kMultiLayer, p, m_o)) {
                continue;
            }
            if (p == kDrillGuide) {
                note(p, m_rv.drillGuideDCode, AperFunction::None);
            } else if (isMaskLayer(p)) {
                note(p, a.solderMask, AperFunction::ViaPad);
            } else if (isPlaneLayer(p)) {
                note(p, a.planeClearance, AperFunction::AntiPad);
            } else {
                note(p, a.pad, AperFunction::ViaPad);
            }
        }
    }

    void line(const CurrentRecord& r, bool track) {
        const board::LineApertures a = board::resolveLine(m_table, r, m_e);
        if (r.layer == 11) {
            if (track) {
                outline.add(r.x1, r.y1);
                outline.add(r.x2, r.y2);
            } else {
                const double radius = r.radius == 0 ? 1 : r.radius;
                const double x = r.x1;
                const double y = r.y1;
                const int q = r.quadrantMask;
                // each quarter runs between two of the circle's axis points
                if (q & (1 | 2)) {
                    outline.add(x, y + radius);
                }
                if (q & (2 | 4)) {
                    outline.add(x - radius, y);
                }
                if (q & (4 | 8)) {
                    outline.add(x, y - radius);
                }
                if (q & (8 | 1)) {
                    outline.add(x + radius, y);
                }
            }
            if (m_o.layers[kDrillDrawing]) {
                note(kDrillDrawing, a.draw, AperFunction::Profile);
            }
        }
        const AperFunction f = drawingFunction(r.layer);
        for (int p : m_layers) {
            if (pourLayer(p) && onPourLayer(r.layer, p) &&
                (track ? a.draw != kOneMilDcode : r.width != 1)) {
                note(p, a.pourClearance, AperFunction::AntiPad);
            }
            if (p == kDrillDrawing || !onLayerAsDrawing(r.layer, p, m_o)) {
                continue;
            }
            if (track && pourLayer(p) && a.draw == kOneMilDcode && r.layer == p) {
                continue;  // a pour outline: the pour stands for it
            }
            if (track && p == kDrillGuide &&
                !((r.layer == 11 && m_o.includeBoardLayer) ||
                  (r.layer == 12 && m_o.includeKeepOut))) {
                continue;
            }
            note(p, a.draw, f);
        }
    }

    void fill(const CurrentRecord& r) {
        if (m_o.fillMode == FillMode::Polygon) {
            return;  // regions: no aperture of their own
        }
        const int aperture = board::resolveFill(m_table, r);
        for (int p : m_layers) {
            if (p != kDrillDrawing && onLayerAsDrawing(r.layer, p, m_o)) {
                note(p, aperture, drawingFunction(r.layer));
            }
        }
    }

    void text(int boardLayer, int aperture) {
        for (int p : m_layers) {
            if (p != kDrillDrawing && onLayerAsDrawing(boardLayer, p, m_o)) {
                note(p, aperture, AperFunction::NonConductor);
            }
        }
    }

    const PlotOptions& m_o;
    const board::RunValues& m_rv;
    const board::Enlargements m_e;
    X2Facts& m_facts;
    std::vector<int> m_layers;
    board::ApertureTable m_table;
    DefinedDcodes m_defined{m_table};
};

std::string millimetres(double mm) {
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, mm, std::chars_format::fixed, 3).ptr;
    std::string text(buffer, end);
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

}  // namespace

void dropFunctionsOfUnusedCopper(X2Facts& facts) {
    for (int p : {2, 3, 4, 5, 13, 14}) {
        if (facts.stack.position(p) == 0) {
            facts.functions[static_cast<size_t>(p)] = ApertureFunctions();
        }
    }
}

X2Facts x2FactsFor(const std::string& boardFile, const CopperStack& stack,
                   const std::string& creationDate) {
    X2Facts facts;
    facts.version = common::programVersion();
    facts.creationDate = creationDate.empty() ? isoDateNow() : creationDate;
    facts.projectName = common::baseName(common::fileNameOf(boardFile));
    // the board's name names the project: every plot of the board, edited or not, is of it
    facts.projectGuid = common::projectUuid(facts.projectName);
    facts.stack = stack;
    return facts;
}

X2Facts gatherX2Facts(const PlotOptions& options, const board::RunValues& rv) {
    X2Facts facts = x2FactsFor(rv.boardFile, CopperStack(), options.creationDate);
    FunctionPass pass(options, rv, facts);
    LayerUse use;
    board::BoardReader reader(rv.boardFile, rv.boardImage);
    while (auto kind = reader.next()) {
        use.add(*kind, reader);
        pass.record(*kind, reader);
    }
    facts.stack = CopperStack(use.copper());
    dropFunctionsOfUnusedCopper(facts);
    constexpr double kMillimetresPerMil = 0.0254;
    if (options.outline) {
        if (!options.outline->empty()) {
            const OutlineExtent e = options.outline->extent();
            facts.size = BoardSize{e.width() * kMillimetresPerMil, e.height() * kMillimetresPerMil};
        }
    } else if (!pass.outline.empty) {
        facts.size = BoardSize{(pass.outline.x1 - pass.outline.x0) * kMillimetresPerMil,
                               (pass.outline.y1 - pass.outline.y0) * kMillimetresPerMil};
    } else if (!rv.extents.empty()) {
        const board::Extents& e = rv.extents;
        facts.size = BoardSize{(double(e.maxX) - e.minX) * kMillimetresPerMil,
                               (double(e.maxY) - e.minY) * kMillimetresPerMil};
    }
    return facts;
}

namespace {

// The function of a file of the set; an NC drill file with non-plated holes holds both kinds.
std::string functionOf(const X2Facts& f, const SetFile& file) {
    if (file.kind == FileKind::Drill && f.nonPlatedHoles) {
        return "MixedPlating,1," + std::to_string(f.stack.count());
    }
    return fileFunction(file, f.stack);
}

// The attributes every file of the set shares, then its function and polarity.
std::vector<std::string> fileAttributes(const X2Facts& f, const SetFile& file,
                                        const std::string& function) {
    const std::string name = attributeField(f.projectName);
    return {"TF.GenerationSoftware,Padloom,padloom," + attributeField(f.version),
            "TF.CreationDate," + f.creationDate,
            "TF.ProjectId," + name + "," + f.projectGuid + "," + attributeField(f.projectRevision),
            "TF.SameCoordinates," + name,
            "TF.FileFunction," + function,
            "TF.FilePolarity," + std::string(filePolarity(file))};
}

}  // namespace

std::string gerberFileAttributes(const X2Facts& facts, const SetFile& file) {
    std::string text;
    for (const std::string& a : fileAttributes(facts, file, functionOf(facts, file))) {
        text += std::string(kAttributeComment) + a + "*\r\n";
    }
    return text;
}

std::vector<std::string> drillFileAttributes(const X2Facts& facts, std::string function) {
    if (function.empty()) {
        function = functionOf(facts, ncDrillSetFile());
    }
    std::vector<std::string> lines;
    for (const std::string& a : fileAttributes(facts, ncDrillSetFile(), function)) {
        lines.push_back("; #@! " + a);
    }
    return lines;
}

void ApertureAttributeWriter::before(int dcode) {
    const AperFunction f = m_functions.of(dcode);
    if (f == m_current) {
        return;
    }
    if (f == AperFunction::None) {
        m_out.write(kAttributeComment).line("TD*");
    } else {
        m_out.write(kAttributeComment)
            .write("TA.AperFunction,")
            .write(aperFunctionText(f))
            .line("*");
    }
    m_current = f;
}

void ApertureAttributeWriter::end() {
    if (m_current != AperFunction::None) {
        m_out.write(kAttributeComment).line("TD*");
        m_current = AperFunction::None;
    }
}

JobFile jobFileOf(const X2Facts& facts, const SetFile& file, const std::string& name) {
    return {name, functionOf(facts, file), std::string(filePolarity(file))};
}

std::string gerberJobFile(const X2Facts& f, const std::vector<JobFile>& files) {
    using common::jsonString;
    std::string j = "{\r\n";
    j += "  \"Header\": {\r\n";
    j += "    \"GenerationSoftware\": {\"Vendor\": \"Padloom\", \"Application\": \"padloom\", "
         "\"Version\": " +
         jsonString(f.version) + "},\r\n";
    j += "    \"CreationDate\": " + jsonString(f.creationDate) + "\r\n";
    j += "  },\r\n";
    j += "  \"GeneralSpecs\": {\r\n";
    j += "    \"ProjectId\": {\"Name\": " + jsonString(f.projectName) +
         ", \"GUID\": " + jsonString(f.projectGuid) +
         ", \"Revision\": " + jsonString(f.projectRevision) + "},\r\n";
    if (f.size) {
        j += "    \"Size\": {\"X\": " + millimetres(f.size->x) +
             ", \"Y\": " + millimetres(f.size->y) + "},\r\n";
    }
    if (f.boardThickness) {
        j += "    \"BoardThickness\": " + millimetres(*f.boardThickness) + ",\r\n";
    }
    j += "    \"LayerNumber\": " + std::to_string(f.stack.count()) + "\r\n";
    j += "  },\r\n";
    j += "  \"FilesAttributes\": [";
    for (size_t i = 0; i < files.size(); ++i) {
        j += i == 0 ? "\r\n" : ",\r\n";
        j += "    {\"Path\": " + jsonString(files[i].path) +
             ", \"FileFunction\": " + jsonString(files[i].function) +
             ", \"FilePolarity\": " + jsonString(files[i].polarity) + "}";
    }
    j += files.empty() ? "]\r\n" : "\r\n  ]\r\n";
    j += "}\r\n";
    return j;
}

}  // namespace padloom::plot
