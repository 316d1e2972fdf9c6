#include "plot/drill_drawing.h"

#include <algorithm>
#include <optional>

#include "board/board_reader.h"
#include "common/number_format.h"
#include "plot/gerber_header.h"
#include "plot/layer_plot.h"
#include "plot/stroke_font.h"

namespace padloom::plot {

using common::decimal;

namespace {

constexpr int kPenDcode = 10;  // the 3-mil circle every aperture file made here begins with
constexpr int kFigureHeight = 48;

enum Pen : int { kPenDraw = 1, kPenMove = 2, kPenEnd = 3 };

struct Step {
    int dx, dy, pen;
};

// clang-format off
constexpr Step kSquare[6] = {
    {-1, 1, kPenMove}, {1, 1, kPenDraw}, {1, -1, kPenDraw}, {-1, -1, kPenDraw},
    {-1, 1, kPenDraw}, {0, 0, kPenEnd},
};

// Tool figures, drawn after the square or the circle; both end at their top-left corner.
constexpr Step kEnd{0, 0, kPenEnd};
constexpr Step kFan[3] = {{-1, -1, kPenDraw}, {0, 0, kPenDraw}, {1, -1, kPenDraw}};
constexpr Step kFigures[32][3] = {
    {kEnd, kEnd, kEnd},
    {{0, 1, kPenMove}, {0, 0, kPenDraw}, kEnd},
    {{0, 0, kPenMove}, {1, 0, kPenDraw}, kEnd},
    {{0, 0, kPenMove}, {0, -1, kPenDraw}, kEnd},
    {{0, 0, kPenMove}, {-1, 0, kPenDraw}, kEnd},
    {{0, 1, kPenMove}, {0, -1, kPenDraw}, kEnd},
    {{-1, 0, kPenMove}, {1, 0, kPenDraw}, kEnd},
    {{-1, 0, kPenMove}, {1, 0, kPenDraw}, {0, 1, kPenDraw}},
    {{1, 0, kPenMove}, {-1, 0, kPenDraw}, {0, 1, kPenDraw}},
    {{-1, -1, kPenMove}, {1, 1, kPenDraw}, kEnd},
    {{-1, 1, kPenMove}, {1, -1, kPenDraw}, kEnd},
    {{0, 0, kPenMove}, {1, 1, kPenDraw}, kEnd},
    {{0, 0, kPenMove}, {1, -1, kPenDraw}, kEnd},
    {{0, 0, kPenMove}, {-1, -1, kPenDraw}, kEnd},
    {{0, 0, kPenMove}, {-1, 1, kPenDraw}, kEnd},
    {{1, -1, kPenDraw}, {1, 1, kPenDraw}, {0, 0, kPenDraw}},
    {{1, -1, kPenDraw}, {-1, -1, kPenDraw}, {0, 0, kPenDraw}},
    {{0, 0, kPenDraw}, {-1, -1, kPenDraw}, {1, 1, kPenDraw}},
    {kEnd, kEnd, kEnd},
    {{0, 0, kPenDraw}, {1, 1, kPenDraw}, kEnd},
    {{1, 1, kPenDraw}, {0, 0, kPenDraw}, {1, -1, kPenDraw}},
    {{-1, -1, kPenDraw}, {0, 0, kPenDraw}, {1, -1, kPenDraw}},
    {{0, 0, kPenDraw}, {-1, -1, kPenDraw}, kEnd},
    {kFan[0], kFan[1], kFan[2]}, {kFan[0], kFan[1], kFan[2]}, {kFan[0], kFan[1], kFan[2]},
    {kFan[0], kFan[1], kFan[2]}, {kFan[0], kFan[1], kFan[2]}, {kFan[0], kFan[1], kFan[2]},
    {kFan[0], kFan[1], kFan[2]}, {kFan[0], kFan[1], kFan[2]}, {kFan[0], kFan[1], kFan[2]},
};
// clang-format on

// Writes the steps of one figure around (x, y), up to its first end step; the pen memory
// starts empty for every figure. In the current syntax every step carries its pen.
void writeFigure(LayerFile& file, long long x, long long y, const Step* steps, size_t count) {
    int pen = 0;
    for (size_t i = 0; i < count && steps[i].pen != kPenEnd; ++i) {
        const std::string_view code = steps[i].pen == kPenDraw ? "D01*" : "D02*";
        std::string_view penCode;
        if (steps[i].pen != pen) {
            penCode = code;
            pen = steps[i].pen;
        }
        const long long px = x + steps[i].dx * kMarkUnit;
        const long long py = y + steps[i].dy * kMarkUnit;
        file.out.piece(64, [&](common::LineWriter::Cursor& c) {
            if (file.currentSyntax) {
                c.text("X").number(px).text("Y").number(py).text(code);
            } else {
                c.text(penCode).text("X").number(px).text("Y").number(py).text("*");
            }
        });
    }
}

// One straight line from (x1, y1) to (x2, y2) in one line of the file.
void writeLine(LayerFile& file, long long x1, long long y1, long long x2, long long y2) {
    const bool current = file.currentSyntax;
    file.out.piece(96, [&](common::LineWriter::Cursor& c) {
        if (current) {
            c.text("X").number(x1).text("Y").number(y1).text("D02*");
            c.text("X").number(x2).text("Y").number(y2).text("D01*\r\n");
        } else {
            c.text("D02*X").number(x1).text("Y").number(y1).text("*D01*");
            c.text("X").number(x2).text("Y").number(y2).text("*D02*\r\n");
        }
    });
}

}  // namespace

MarkResult placeDrillMark(LayerFile& file, long long x, long long y, int holeSize, int pen,
                          const std::vector<board::DrillTallyEntry>& tally) {
    auto it = std::find_if(tally.begin(), tally.end(),
                           [&](const board::DrillTallyEntry& e) { return e.holeSize == holeSize; });
    if (it == tally.end()) {
        return MarkResult::NotInTally;
    }
    size_t i = static_cast<size_t>(it - tally.begin());
    auto& out = file.out;
    if (pen != file.currentAperture) {
        out.write("D").write(pen).write("*");
        file.currentAperture = pen;
    }
    const bool current = file.currentSyntax;
    if (i < 32) {
        writeFigure(file, x, y, kSquare, 6);
        out.line(current ? "" : "D02*");
    } else {
        // a full counter-clockwise circle from its leftmost point, then to the top-left corner
        const long long left = x - kMarkUnit;
        if (current) {
            out.write("X").write(left).write("Y").write(y).write("D02*G03*X").write(left);
            out.write("Y").write(y).write("I").write(kMarkUnit).write("J0D01*G01*X").write(left);
        } else {
            out.write("G75*G01X").write(left).write("Y").write(y).write("D02*G03X").write(left);
            out.write("Y").write(y).write("I").write(kMarkUnit).write("J0D01*G01X").write(left);
        }
        out.write("Y").write(y + kMarkUnit).write("D02*");
        i -= 32;
    }
    MarkResult result = MarkResult::Drawn;
    if (i < 32) {
        writeFigure(file, x, y, kFigures[i], 3);
    } else {
        result = MarkResult::NoFigure;  // tools above 64 have no figure of their own
    }
    out.line(current ? "" : "D02*");
    file.forgetPosition();
    return result;
}

void drawDimensionsAndLegend(common::Host& host, LayerFile& file, const board::Extents& extents,
                             const board::Extents& marks,
                             const std::vector<board::DrillTallyEntry>& tally, int pen) {
    auto& out = file.out;
    if (file.currentAperture != pen) {
        selectAperture(out, pen);
        file.currentAperture = pen;
    }
    const board::Extents& e = extents;
    board::Extents legendBox = e;
    if (e.empty()) {
        host.addLine("Drill drawing: the board has no tracks, so no dimensions are drawn");
        legendBox = marks.empty() ? board::Extents{0, 0, 0, 0} : marks;
    } else {
        const int top = e.maxY + 125;
        const int right = e.maxX + 125;
        writeLine(file, e.minX, top, e.maxX, top);
        writeLine(file, e.minX, top, e.minX + 50, top + 50);
        writeLine(file, e.minX, top, e.minX + 50, top - 50);
        writeLine(file, e.maxX, top, e.maxX - 50, top + 50);
        writeLine(file, e.maxX, top, e.maxX - 50, top - 50);
        writeLine(file, right, e.minY, right, e.maxY);
        writeLine(file, right, e.maxY, right - 50, e.maxY - 50);
        writeLine(file, right, e.maxY, right + 50, e.maxY - 50);
        writeLine(file, right, e.minY, right - 50, e.minY + 50);
        writeLine(file, right, e.minY, right + 50, e.minY + 50);
        const int width = e.maxX - e.minX;
        const int height = e.maxY - e.minY;
        plotText(file, e.minX + width / 2 - 50, e.maxY + 150, pen, common::inchText(width) + "\"",
                 kFigureHeight, 0);
        plotText(file, e.maxX + 150, e.minY + height / 2, pen, common::inchText(height) + "\"",
                 kFigureHeight, 0);
    }

    // the legend: one mark per tool with its size and count, in columns beside the board;
    // columns may run far to the right on a board with many hole sizes: taken wide
    long long column = legendBox.maxX + 625LL;
    long long row = legendBox.maxY - 50LL;
    for (const auto& entry : tally) {
        placeDrillMark(file, column, row, entry.holeSize, pen, tally);
        plotText(file, column + 100, row - 25, pen,
                 common::inchText(entry.holeSize) + "\"  " + decimal(entry.count), kFigureHeight,
                 0);
        row -= 150;
        if (row < 150) {
            row = legendBox.maxY - 50;
            column += 750;
        }
    }
}

namespace {

// The drill drawing in the parts a pass over the board gives it: the header and apertures when
// made, then the marks and the board outline record by record, then the dimensions and the
// legend.
class DrillDrawing : public PassOutput {
public:
    DrillDrawing(common::Host& host, const PlotOptions& options, const board::RunValues& rv,
                 int layer)
        : m_host(host), m_rv(rv) {
        const std::string extension(layerExtension(layer));
        host.addLine(extension);
        m_file.emplace(layerOutputPath(rv, extension));
        m_file->reset();
        writeApertureDefinitions(*m_file, layer, rv.aptFile, rv.enlargements.pour, m_table,
                                 fileStyleOf(options));
        m_defined.emplace(definedDcodes(m_table));
        m_penUsable = usableAperture(*m_defined, kPenDcode);
        if (!m_penUsable) {
            host.addLine("Error: Apt not found: the drill drawing pen D10 is not in " +
                         rv.aptFile + "; the drill drawing has no marks, dimensions or legend");
        }
        const auto& tally = rv.drillTally;
        if (tally.size() > 64) {
            host.addLine("Drill drawing: tools 65 to " +
                         decimal(static_cast<long long>(tally.size())) +
                         " have no mark figure of their own; they are marked with a plain circle");
        }
    }

    unsigned kinds() const override {
        using board::RecordKind;
        return kindBit(RecordKind::Pad) | kindBit(RecordKind::Via) | kindBit(RecordKind::Track) |
               kindBit(RecordKind::Arc);
    }

    void record(board::RecordKind kind, const board::BoardReader& reader) override {
        const auto& r = reader.record();
        switch (kind) {
            case board::RecordKind::Pad:
                if (r.layer == board::kMultiLayer && r.holeSize >= 1) {
                    mark(r.x1, r.y1, r.holeSize);
                }
                break;
            case board::RecordKind::Via:
                if (r.holeSize >= 1) {
                    mark(r.x1, r.y1, r.holeSize);
                }
                break;
            case board::RecordKind::Track:
            case board::RecordKind::Arc: {
                if (r.layer != 11) {
                    break;
                }
                const int draw = board::resolveLine(m_table, r, m_rv.enlargements).draw;
                const bool isTrack = kind == board::RecordKind::Track;
                if (!usableAperture(*m_defined, draw)) {
                    m_host.addLine("Error: Apt not found: " + decimal(r.width) + "," +
                                   decimal(r.width) + ",1 (" + (isTrack ? "track" : "arc") +
                                   " at " + decimal(r.x1) + "," + decimal(r.y1) + ", line " +
                                   decimal(reader.recordLine()) + ")");
                    break;
                }
                if (isTrack) {
                    if (draw != m_file->currentAperture) {
                        selectAperture(m_file->out, draw);
                        m_file->currentAperture = draw;
                    }
                    writeLine(*m_file, r.x1, r.y1, r.x2, r.y2);
                } else {
                    plotArc(*m_file, r.x1, r.y1, r.radius, r.quadrantMask, draw);
                }
                break;
            }
            default:
                break;
        }
    }

    void finish() override {
        if (m_penUsable) {
            drawDimensionsAndLegend(m_host, *m_file, m_rv.extents, m_marks, m_rv.drillTally,
                                    kPenDcode);
        }
        m_file->out.line("M02*");
        m_file->out.commit();
    }

private:
    void mark(int x, int y, int holeSize) {
        if (!m_penUsable) {
            return;
        }
        if (placeDrillMark(*m_file, x, y, holeSize, kPenDcode, m_rv.drillTally) ==
            MarkResult::NotInTally) {
            m_host.addLine("Error: the hole size " + decimal(holeSize) + " at " + decimal(x) +
                           "," + decimal(y) + " is not in the drill tally; no drill mark");
            return;
        }
        m_marks.add(x, y);
    }

    common::Host& m_host;
    const board::RunValues& m_rv;
    std::optional<LayerFile> m_file;
    board::ApertureTable m_table;
    std::optional<DefinedDcodes> m_defined;
    bool m_penUsable = false;
    board::Extents m_marks;  // extents of the marks, where the legend goes on a board without tracks
};

}  // namespace

std::unique_ptr<PassOutput> drillDrawingOutput(common::Host& host, const PlotOptions& options,
                                               const board::RunValues& runValues, int layer) {
    return std::make_unique<DrillDrawing>(host, options, runValues, layer);
}

void plotDrillDrawing(common::Host& host, const PlotOptions& options, const board::RunValues& rv,
                      int layer) {
    DrillDrawing output(host, options, rv, layer);
    runPass(rv, output);
}

}  // namespace padloom::plot
