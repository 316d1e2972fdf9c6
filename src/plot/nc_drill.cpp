#include "plot/nc_drill.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "board/board_reader.h"
#include "common/number_format.h"
#include "plot/layer_plot.h"
#include "plot/x2_attributes.h"

namespace padloom::plot {

using common::decimal;

std::string drillCoordinate(int mils, bool format24) {
    std::string text = common::zeroPadded(mils, 5);  // "-00950": five digits after a sign
    return format24 ? text + "0" : text;
}

std::string toolNumber(int tool) {
    return common::zeroPadded(tool, 2);
}

namespace {

// drillCoordinate(mils, format24), written straight into a piece of output
void writeDrillCoordinate(common::LineWriter::Cursor& c, int mils, bool format24) {
    const long long magnitude = mils < 0 ? -static_cast<long long>(mils) : mils;
    if (mils < 0) {
        c.text("-");
    }
    char digits[24];
    const auto size = static_cast<size_t>(
        std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
    for (size_t i = size; i < 5; ++i) {
        c.text("0");
    }
    c.text(std::string_view(digits, size));
    if (format24) {
        c.text("0");
    }
}

// Tool size in inches with three decimals: "0.032", "1.250".
std::string toolSize(int mils) {
    return decimal(mils / 1000) + "." + common::zeroPadded(mils % 1000, 3);
}

}  // namespace

namespace {

// Collects the hits: every via, and the pads of the Multi Layer; a hole of size 0 or less is
// not drilled and so is no hit.
class NcDrillOutput : public PassOutput {
public:
    NcDrillOutput(common::Host& host, const PlotOptions& options, const board::RunValues& rv)
        : m_host(host), m_options(options), m_rv(rv) {
        host.addLine("NC Drill");
    }

    unsigned kinds() const override {
        return kindBit(board::RecordKind::Pad) | kindBit(board::RecordKind::Via);
    }
    void record(board::RecordKind kind, const board::BoardReader& reader) override {
        const auto& r = reader.record();
        const bool drilled = kind == board::RecordKind::Via ||
                             (kind == board::RecordKind::Pad && r.layer == board::kMultiLayer);
        if (drilled && r.holeSize > 0) {
            m_hits.push_back({r.holeSize, r.x1, r.y1});
        }
    }
    void finish() override { writeDrillFile(m_host, m_options, m_rv, std::move(m_hits)); }

private:
    common::Host& m_host;
    const PlotOptions& m_options;
    const board::RunValues& m_rv;
    std::vector<DrillHit> m_hits;
};

}  // namespace

std::unique_ptr<PassOutput> ncDrillOutput(common::Host& host, const PlotOptions& options,
                                          const board::RunValues& runValues) {
    return std::make_unique<NcDrillOutput>(host, options, runValues);
}

void createNcDrillFile(common::Host& host, const PlotOptions& options,
                       const board::RunValues& runValues) {
    NcDrillOutput output(host, options, runValues);
    runPass(runValues, output);
}

void writeDrillFile(common::Host& host, const PlotOptions& options,
                    const board::RunValues& runValues, std::vector<DrillHit> hits,
                    bool listHoleSizes, const DrillFilePart* part) {
    common::LineWriter out(layerOutputPath(runValues, part ? part->ending : ".TXT"));

    // holes sharing a position are drilled as often as they stand, but reported
    std::stable_sort(hits.begin(), hits.end(), [](const DrillHit& a, const DrillHit& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
    for (size_t i = 1; i < hits.size(); ++i) {
        if (hits[i].x == hits[i - 1].x && hits[i].y == hits[i - 1].y) {
            host.addLine("WARNING: Multiple drill hits at " + decimal(hits[i].x) + "x" +
                         decimal(hits[i].y));
            host.beep();
        }
    }
    std::stable_sort(hits.begin(), hits.end(), [](const DrillHit& a, const DrillHit& b) {
        if (a.holeSize != b.holeSize) {
            return a.holeSize < b.holeSize;
        }
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
    if (listHoleSizes) {
        for (const DrillHit& hit : hits) {
            host.addLine(decimal(hit.holeSize));
        }
    }

    const auto& tally = runValues.drillTally;
    // The format and zero mode are stated outright: a reader that falls back on its own default
    // (2:4 digits, leading zeros left out) would otherwise put every hole of the 2,3 form ten
    // times too close to the origin.
    out.line("M48");
    out.line(options.drillFormat24 ? ";FILE_FORMAT=2:4" : ";FILE_FORMAT=2:3");
    out.line("INCH,LZ");
    out.line("M72");
    if (options.x2Facts) {
        for (const std::string& comment :
             drillFileAttributes(*options.x2Facts, part ? part->function : "")) {
            out.line(comment);
        }
    }
    for (size_t i = 0; i < tally.size(); ++i) {
        if (part && std::none_of(hits.begin(), hits.end(), [&](const DrillHit& h) {
                return h.holeSize == tally[i].holeSize;
            })) {
            continue;  // a tool of the other part
        }
        out.line("T" + toolNumber(static_cast<int>(i) + 1) + "C" + toolSize(tally[i].holeSize));
    }
    out.line("%");

    int currentSize = -1;
    bool currentKnown = false;  // whether the current hole size has a tool
    for (const DrillHit& hit : hits) {
        if (hit.holeSize <= 0) {
            continue;  // no hole to drill
        }
        if (hit.holeSize != currentSize) {
            currentSize = hit.holeSize;
            auto it = std::find_if(
                tally.begin(), tally.end(),
                [&](const board::DrillTallyEntry& e) { return e.holeSize == hit.holeSize; });
            currentKnown = it != tally.end();
            if (currentKnown) {
                out.line("T" + toolNumber(static_cast<int>(it - tally.begin()) + 1));
            }
        }
        if (!currentKnown) {
            host.addLine("Error: no drill tool for the hole size " + decimal(hit.holeSize) +
                         " at " + decimal(hit.x) + "," + decimal(hit.y) +
                         ": it is not in the drill tally; not drilled");
            continue;
        }
        out.piece(64, [&](common::LineWriter::Cursor& c) {
            c.text("X");
            writeDrillCoordinate(c, hit.x, options.drillFormat24);
            c.text("Y");
            writeDrillCoordinate(c, hit.y, options.drillFormat24);
            c.text("\r\n");
        });
    }
    out.line("T00");
    out.line("M30");
    out.commit();
}

}  // namespace padloom::plot
