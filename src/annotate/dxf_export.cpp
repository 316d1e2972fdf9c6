#include "annotate/dxf_export.h"

#include "annotate/height_file.h"
#include "board/aperture_table.h"
#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::annotate {

namespace {

using board::RecordKind;
using common::dxfInches;

constexpr int kTopLayer = 1;
constexpr int kBottomLayer = 6;
constexpr int kTopOverlay = 7;
constexpr int kBottomOverlay = 8;
constexpr int kBoardLayer = 11;

/// DXF layer of pads and arcs.
std::string_view padLayerName(int layer) {
    switch (layer) {
        case kTopLayer:
            return "T";
        case kBottomLayer:
            return "B";
        case board::kMultiLayer:
            return "MULTI";
        default:
            return "PCB";
    }
}

/// DXF layer of tracks and strings: Multi Layer objects are drawn on "PCB".
std::string_view trackLayerName(int layer) {
    switch (layer) {
        case kTopLayer:
            return "T";
        case kBottomLayer:
            return "B";
        default:
            return "PCB";
    }
}

/// Half a size, toward zero.
int half(int size) {
    return size / 2;
}

/// Extrusion of an overlay outline: up by the component height on the top overlay, down on
/// the bottom overlay. A component without a height (negative) stays flat.
std::optional<long long> thickness(int layer, int height) {
    const long long h = height < 0 ? 0 : height;
    if (layer == kTopOverlay) {
        return h;
    }
    if (layer == kBottomOverlay) {
        return -h;
    }
    return std::nullopt;
}

/// Groups of an ASCII DXF file: the group code on one line (two blanks in front), its value
/// on the next.
class DxfWriter {
public:
    explicit DxfWriter(common::LineWriter& out) : m_out(out) {}

    void group(int code, std::string_view value) {
        m_out.write("  ").write(code).endLine();
        m_out.line(value);
    }
    void inches(int code, long long mils) { group(code, dxfInches(mils)); }
    void integer(int code, long long value) { group(code, common::decimal(value)); }
    /// The vertices-follow flag of a POLYLINE, written with one blank before its code.
    void verticesFollow() {
        m_out.line(" 66");
        m_out.line("1");
    }

    void header() {
        group(0, "SECTION");
        group(2, "TABLES");
        group(0, "TABLE");
        group(2, "LAYER");
        group(70, "5");
        // "FR4" is declared for the mechanical drawing and left for the user. "PCB" gets colour
        // 7 (black on white, white on black): colour 0 means "by block", which no layer can
        // have, and viewers then draw the component outlines and texts in no colour at all.
        const std::pair<std::string_view, std::string_view> layers[] = {
            {"T", "1"}, {"B", "5"}, {"PCB", "7"}, {"MULTI", "3"}, {"FR4", "120"}};
        for (const auto& [name, colour] : layers) {
            group(0, "LAYER");
            group(2, name);
            group(70, "0");
            group(62, colour);
            group(6, "CONTINUOUS");
        }
        group(0, "ENDTAB");
        group(0, "ENDSEC");
        group(0, "SECTION");
        group(2, "ENTITIES");
    }

    void footer() {
        group(0, "ENDSEC");
        group(0, "EOF");
    }

    void circle(std::string_view layer, int x, int y, int radius) {
        group(0, "CIRCLE");
        group(8, layer);
        inches(10, x);
        inches(20, y);
        group(30, "0");
        inches(40, radius);
    }

    /// An open polyline of straight segments with zero width, as pad outlines are drawn.
    void outline(std::string_view layer, std::initializer_list<std::pair<int, int>> points) {
        group(0, "POLYLINE");
        group(8, layer);
        verticesFollow();
        group(40, "0");
        group(41, "0");
        for (const auto& [x, y] : points) {
            group(0, "VERTEX");
            group(8, layer);
            inches(10, x);
            inches(20, y);
        }
        group(0, "SEQEND");
    }

    void arc(std::string_view layer, int x, int y, int radius, int start, int end,
             std::optional<long long> thick = std::nullopt) {
        group(0, "ARC");
        group(8, layer);
        if (thick) {
            inches(39, *thick);
        }
        inches(10, x);
        inches(20, y);
        inches(40, radius);
        // angles are whole degrees, written as the lengths are: 90000 thousandths give "90"
        inches(50, start * 1000LL);
        inches(51, end * 1000LL);
    }

    void text(std::string_view layer, std::string_view text, int x, int y, int height,
              int rotation) {
        int angle = 0, generation = 0, vertical = 0;
        switch (rotation) {
            case 1:
                angle = 90;
                break;
            case 2:
                angle = 180;
                break;
            case 3:
                angle = 270;
                break;
            case 16:
                generation = 2;
                break;
            case 17:
                angle = 90;
                generation = 4;
                vertical = 1;
                break;
            case 18:
                angle = 180;
                generation = 2;
                break;
            case 19:
                angle = 270;
                generation = 4;
                break;
            default:
                break;
        }
        group(0, "TEXT");
        group(8, layer);
        group(1, text);
        inches(10, x);
        inches(20, y);
        inches(11, x);
        inches(21, y);
        inches(40, height);
        integer(50, angle);
        integer(71, generation);
        integer(72, 0);
        integer(73, vertical);
    }

private:
    common::LineWriter& m_out;
};

/// A pad on the top, bottom or Multi layer as its outline; the hole of a Multi Layer pad as a
/// circle. Octagonal and other pads give nothing.
void writePad(DxfWriter& dxf, const board::CurrentRecord& r) {
    if (r.layer != kTopLayer && r.layer != kBottomLayer && r.layer != board::kMultiLayer) {
        return;
    }
    const std::string_view layer = padLayerName(r.layer);
    const int x = r.x1;
    const int y = r.y1;
    const int a = half(r.xSize);
    const int b = half(r.ySize);
    switch (r.shape) {
        case board::kCircular:
            dxf.circle(layer, x, y, a);
            break;
        case board::kRectangular:
            dxf.outline(
                layer,
                {{x - a, y - b}, {x + a, y - b}, {x + a, y + b}, {x - a, y + b}, {x - a, y - b}});
            break;
        case board::kRoundRect:
            if (r.xSize > r.ySize) {
                dxf.outline(layer, {{x - a + b, y + b}, {x + a - b, y + b}});
                dxf.outline(layer, {{x - a + b, y - b}, {x + a - b, y - b}});
                dxf.arc(layer, x - a + b, y, b, 90, 270);
                dxf.arc(layer, x + a - b, y, b, 270, 90);
            } else {
                dxf.outline(layer, {{x - a, y + b - a}, {x - a, y - b + a}});
                dxf.outline(layer, {{x + a, y + b - a}, {x + a, y - b + a}});
                dxf.arc(layer, x, y + b - a, a, 0, 180);
                dxf.arc(layer, x, y - b + a, a, 180, 0);
            }
            break;
        default:
            return;
    }
    if (r.layer == board::kMultiLayer) {
        dxf.circle(layer, x, y, half(r.holeSize));
    }
}

/// A track as a polyline of its own, overlay tracks raised to the component height.
void writeTrack(DxfWriter& dxf, const board::CurrentRecord& r, int height) {
    const std::string_view layer = trackLayerName(r.layer);
    dxf.group(0, "POLYLINE");
    dxf.group(8, layer);
    dxf.verticesFollow();
    if (auto thick = thickness(r.layer, height)) {
        dxf.inches(39, *thick);
    }
    dxf.inches(40, r.width);
    dxf.inches(41, r.width);
    dxf.group(0, "VERTEX");
    dxf.group(8, layer);
    dxf.inches(10, r.x1);
    dxf.inches(20, r.y1);
    dxf.group(0, "VERTEX");
    dxf.group(8, layer);
    dxf.inches(40, r.width);
    dxf.inches(41, r.width);
    dxf.inches(10, r.x2);
    dxf.inches(20, r.y2);
    dxf.group(0, "SEQEND");
    dxf.group(8, layer);
}

/// An arc record as one ARC entity per quarter of its quadrant mask.
void writeArc(DxfWriter& dxf, const board::CurrentRecord& r, int height) {
    const int radius = r.radius == 0 ? 1 : r.radius;
    constexpr std::pair<int, int> kQuarters[] = {{0, 90}, {90, 180}, {180, 270}, {270, 360}};
    for (int bit = 0; bit < 4; ++bit) {
        if (r.quadrantMask & (1 << bit)) {
            dxf.arc(padLayerName(r.layer), r.x1, r.y1, radius, kQuarters[bit].first,
                    kQuarters[bit].second, thickness(r.layer, height));
        }
    }
}

/// A component text of the header, when it is shown and lies on the overlay or board layer.
void writeComponentText(DxfWriter& dxf, std::string_view text, const board::TextAttributes& a,
                        int shown) {
    if (shown == 1 && (a.layer == kTopOverlay || a.layer == kBoardLayer)) {
        dxf.text("PCB", text, a.x, a.y, a.height, a.rotation);
    }
}

/// Asks for the height of a pattern not in the height file and records the answer.
int askComponentHeight(common::Host& host, HeightFile& heights, std::string_view comment,
                       std::string_view pattern) {
    int height = -1;
    const std::string prompt = std::string(kHeightPromptPrefix) + std::string(pattern);
    auto answer = host.askLine(kHeightCaption, prompt, heightProposal(comment));
    // a cancelled or empty entry means no height
    if (answer && answer->find_first_not_of(" \t") != std::string::npos) {
        if (auto value = parseHeight(*answer)) {
            height = *value;
        } else {
            host.addLine(std::string(pattern) + ": \"" + *answer +
                         "\" is not a whole number of mils; no height");
        }
    }
    heights.append(pattern, height);
    return height;
}

bool refusesToOverwrite(common::Host& host, const std::string& output,
                        const std::string& boardPath) {
    try {
        common::refuseOverwritingInput(output, {boardPath});
    } catch (const common::IoError& e) {
        host.show(common::Box::Error, e.what(), common::Place::Screen);
        return true;
    }
    return false;
}

}  // namespace

std::string heightProposal(std::string_view comment) {
    if (comment.substr(0, 2) != "h=") {
        return {};
    }
    return std::string(comment.substr(2, 10));
}

std::optional<int> parseHeight(std::string_view text) {
    const std::string line = std::string(text) + " ";
    size_t pos = 1;
    bool ok = true;
    const int value = board::NextField(line, pos, &ok);
    // one field only: "2 5" is no height
    while (ok && pos <= line.size() && (line[pos - 1] == ' ' || line[pos - 1] == '\t')) {
        ++pos;
    }
    if (!ok || pos <= line.size()) {
        return std::nullopt;
    }
    return value;
}

common::Outcome createDxf(common::Host& host, const std::string& boardPath) {
    host.addLine(".DXF");
    const std::string dxfPath = common::withExtension(boardPath, ".DXF");
    const std::string heightPath = common::withExtension(boardPath, ".DAT");
    if (refusesToOverwrite(host, dxfPath, boardPath) ||
        refusesToOverwrite(host, heightPath, boardPath)) {
        return common::Outcome::Refused;
    }
    // a file that is no board is refused before its height file is created or asked into
    if (!board::checkBoardFile(boardPath)) {
        host.warn(board::missingHeaderWarning(boardPath));
    }
    board::BoardReader reader(boardPath, [&host](const std::string& m) { host.addLine(m); });
    common::LineWriter out(dxfPath);
    HeightFile heights(heightPath);
    DxfWriter dxf(out);
    dxf.header();

    bool inComponent = false;
    int height = 0;  // of the current component
    reader.onSkippedLine([&inComponent](const std::string& line) {
        if (line == "ENDCOMP") {
            inComponent = false;
        }
        return line != "ENDPCB";
    });
    while (auto kind = reader.next()) {
        const auto& r = reader.record();
        const std::string_view keyword = reader.keyword();
        if (*kind == RecordKind::Component) {
            inComponent = true;
            const auto& c = reader.component();
            host.addLine(c.designator + "\t" + c.pattern);
            height = heights.lookup(c.pattern);
            if (height == -1) {
                height = askComponentHeight(host, heights, c.comment, c.pattern);
            }
            writeComponentText(dxf, c.comment, c.commentText, c.commentShown);
            writeComponentText(dxf, c.designator, c.designatorText, c.designatorShown);
            continue;
        }
        // outside a component only free pads, strings, tracks and arcs count
        if (!inComponent && keyword != "FP" && keyword != "FS" && keyword != "FT" &&
            keyword != "FA") {
            continue;
        }
        switch (*kind) {
            case RecordKind::Pad:
                writePad(dxf, r);
                break;
            case RecordKind::Arc:
                if (keyword == "CA" || r.layer == kBoardLayer) {
                    writeArc(dxf, r, inComponent ? height : 0);
                }
                break;
            case RecordKind::Track:
                if (keyword == "CT" || r.layer == kBoardLayer) {
                    writeTrack(dxf, r, height);
                }
                break;
            case RecordKind::String:
                dxf.text(trackLayerName(r.layer), r.text, r.x1, r.y1, r.ySize, r.rotation);
                break;
            case RecordKind::Fill:
            case RecordKind::Via:
            case RecordKind::Component:
                break;
        }
    }
    dxf.footer();
    out.commit();
    host.addLine("Done");
    return common::Outcome::Done;
}

common::Outcome makeDxf(common::Host& host) {
    auto chosen = host.askOpen(common::FileAsk{1, "", false, ""});
    if (chosen.empty()) {
        return common::Outcome::Cancelled;
    }
    const std::string& boardPath = chosen.front();
    common::checkInputFile(boardPath);
    if (!common::fileExists(boardPath)) {
        host.show(common::Box::Plain, "Invalid file name!", common::Place::Screen);
        return common::Outcome::Refused;
    }
    host.addLine(boardPath);
    return createDxf(host, boardPath);
}

}  // namespace padloom::annotate
