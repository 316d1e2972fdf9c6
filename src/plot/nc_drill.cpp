#include "plot/nc_drill.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <vector>

#include "board/board_reader.h"
#include "common/number_format.h"
#include "plot/layer_plot.h"
#include "plot/x2_attributes.h"

namespace padloom::plot {

using common::decimal;

namespace {

// A coordinate in the units of a drill format: thousandths or ten-thousandths of an inch, or
// micrometres (a mil is 25.4 of them), rounded to the nearest, halves away from zero.
long long drillUnits(int mils, const DrillFormat& format) {
    const long long m = mils;
    if (format.units == DrillUnits::Metric) {
        const long long tenths = m * 254;  // tenths of a micrometre
        return tenths >= 0 ? (tenths + 5) / 10 : -((-tenths + 5) / 10);
    }
    return format.decimalDigits == 4 ? m * 10 : m;
}

DrillFormat inchFormat(bool format24) {
    return DrillFormat{DrillUnits::Inch, 2, format24 ? 4 : 3, DrillZeros::Leading};
}

std::string upperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

}  // namespace

std::string drillCoordinate(int mils, bool format24) {
    return drillCoordinate(mils, inchFormat(format24));
}

std::string drillCoordinate(int mils, const DrillFormat& format) {
    // "-00950": every digit of the format after a sign
    return common::zeroPadded(drillUnits(mils, format),
                              format.integerDigits + format.decimalDigits);
}

std::optional<DrillFormat> parseDrillFormat(std::string_view text) {
    if (text == "2.3" || text == "2.4") {
        return inchFormat(text == "2.4");
    }
    std::vector<std::string> words;
    std::string word;
    for (char c : std::string(text) + " ") {
        if (c == ',' || c == ' ') {
            if (!word.empty()) {
                words.push_back(upperCase(word));
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (words.size() != 3 || (words[2] != "LZ" && words[2] != "TZ")) {
        return std::nullopt;
    }
    DrillFormat format;
    format.zeros = words[2] == "LZ" ? DrillZeros::Leading : DrillZeros::Trailing;
    if (words[0] == "INCH" && (words[1] == "2:3" || words[1] == "2:4")) {
        format.decimalDigits = words[1] == "2:4" ? 4 : 3;
    } else if (words[0] == "METRIC" && words[1] == "3:3") {
        format.units = DrillUnits::Metric;
        format.integerDigits = 3;
    } else {
        return std::nullopt;
    }
    return format;
}

std::string drillFormatText(const DrillFormat& format) {
    return std::string(format.units == DrillUnits::Inch ? "INCH," : "METRIC,") +
           decimal(format.integerDigits) + ":" + decimal(format.decimalDigits) +
           (format.zeros == DrillZeros::Leading ? ",LZ" : ",TZ");
}

DrillFormat drillFormatOf(const PlotOptions& options) {
    return options.drillFormat ? *options.drillFormat : inchFormat(options.drillFormat24);
}

std::string toolNumber(int tool) {
    return common::zeroPadded(tool, 2);
}

namespace {

// drillCoordinate(mils, format), written straight into a piece of output
void writeDrillCoordinate(common::LineWriter::Cursor& c, int mils, const DrillFormat& format) {
    const long long units = drillUnits(mils, format);
    const long long magnitude = units < 0 ? -units : units;
    if (units < 0) {
        c.text("-");
    }
    char digits[24];
    const auto size = static_cast<size_t>(
        std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
    for (size_t i = size; i < static_cast<size_t>(format.integerDigits + format.decimalDigits);
         ++i) {
        c.text("0");
    }
    c.text(std::string_view(digits, size));
}

// Tool size with three decimals, in inches ("0.032", "1.250") or millimetres ("0.813").
std::string toolSize(int mils, const DrillFormat& format) {
    const long long size = format.units == DrillUnits::Metric
                               ? drillUnits(mils, DrillFormat{DrillUnits::Metric, 3, 3, format.zeros})
                               : mils;
    return decimal(size / 1000) + "." + common::zeroPadded(size % 1000, 3);
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
    const DrillFormat format = drillFormatOf(options);
    // The format and zero mode are stated outright: a reader that falls back on its own default
    // (2:4 digits, leading zeros left out) would otherwise put every hole of the 2,3 form ten
    // times too close to the origin.
    out.line("M48");
    out.line(";FILE_FORMAT=" + decimal(format.integerDigits) + ":" +
             decimal(format.decimalDigits));
    out.line(std::string(format.units == DrillUnits::Inch ? "INCH" : "METRIC") +
             (format.zeros == DrillZeros::Leading ? ",LZ" : ",TZ"));
    // the units again as a mode: M72 inch, M71 metric (a reader takes the last it reads)
    out.line(format.units == DrillUnits::Inch ? "M72" : "M71");
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
        out.line("T" + toolNumber(static_cast<int>(i) + 1) + "C" + toolSize(tally[i].holeSize, format));
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
            writeDrillCoordinate(c, hit.x, format);
            c.text("Y");
            writeDrillCoordinate(c, hit.y, format);
            c.text("\r\n");
        });
    }
    out.line("T00");
    out.line("M30");
    out.commit();
}

}  // namespace padloom::plot
