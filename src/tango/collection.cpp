#include "tango/collection.h"

#include <algorithm>

#include "common/number_format.h"

namespace padloom::tango {

using common::decimal;

namespace {

constexpr int kRound = board::kCircular;

int sizeOrZero(int size) {
    return std::max(size, 0);
}

std::string lineText(long line) {
    return "line " + decimal(line);
}

// Fills the tables of one board; stops at the first record that cannot be held.
class Collector {
public:
    Collector(common::Host& host, const TangoSizes& sizes, TangoBoard& board)
        : m_host(host), m_sizes(sizes), m_board(board) {}

    common::Outcome run(const std::string& path);

private:
    bool enter(const ApertureKey& key);
    bool record(const PlotObject& o);
    bool refuse(const std::string& what);
    void note(const std::string& what) { m_host.addLine(lineText(m_line) + ": " + what); }
    // a note that is also a warning: on standard error from the command line
    void warn(const std::string& what) { m_host.warn(lineText(m_line) + ": " + what); }

    common::Host& m_host;
    const TangoSizes& m_sizes;
    TangoBoard& m_board;
    long m_line = 0;
};

// Enters an aperture unless the table has it already; false when the table is full.
bool Collector::enter(const ApertureKey& key) {
    auto& table = m_board.apertures;
    if (findAperture(table, key) != board::kNotFound) {
        return true;
    }
    if (table.size() >= kApertureCapacity) {
        return refuse("the board needs more than " + decimal(kApertureCapacity) +
                      " apertures (D20 to D1019); nothing plotted");
    }
    table.add({key.shape, key.xSize, key.ySize, kFirstDcode + static_cast<int>(table.size())});
    return true;
}

bool Collector::refuse(const std::string& what) {
    const std::string message = m_board.path + ": " + lineText(m_line) + ": " + what;
    m_host.addLine(message);
    m_host.show(common::Box::Error, message, common::Place::Screen);
    return false;
}

bool Collector::record(const PlotObject& o) {
    if (o.outOfRangeField != 0) {
        warn("field " + decimal(o.outOfRangeField) + " is out of range (beyond " +
             decimal(kFieldLimit) + " mils either way); read as 0");
    }
    switch (o.kind) {
        case ObjectKind::Line:
            if (o.layer != kNoLayer) {
                m_board.extents.add(o.x, o.y);
                m_board.extents.add(o.x2, o.y2);
            }
            return enter(ownAperture(o));
        case ObjectKind::Polygon:
            return enter(ownAperture(o));
        case ObjectKind::Arc:
            if (o.sweepAngle == 0) {
                note("arc at " + decimal(o.x) + "," + decimal(o.y) +
                     " sweeps 0 degrees; not plotted (it would draw a full ring)");
            }
            return enter(ownAperture(o));
        case ObjectKind::Text:
            if (isDesignatorText(o.text) && (o.number < 0 || o.number > kLastComponentNumber)) {
                return refuse("the component number " + decimal(o.number) +
                              " of the .REFDES text is outside 0 to 1000; nothing plotted");
            }
            return enter(ownAperture(o));
        case ObjectKind::Pad:
        case ObjectKind::Via: {
            if (o.shape == kUnset) {
                note("pad shape \"" + o.keyword + "\" is unknown; the pad at " + decimal(o.x) +
                     "," + decimal(o.y) + " is not plotted" +
                     (o.layer == kAllCopperLayers && o.holeSize > 0 ? " (its hole is drilled)"
                                                                    : ""));
            } else {
                if (o.layer == kUnset) {
                    note("pad layer \"" + o.layerKeyword + "\" is unknown; the pad at " +
                         decimal(o.x) + "," + decimal(o.y) + " is not plotted");
                }
                if (!enter(ownAperture(o)) || !enter(enlargedAperture(o, m_sizes.solderMask)) ||
                    !enter(enlargedAperture(o, m_sizes.paste))) {
                    return false;
                }
            }
            if (o.layer == kAllCopperLayers) {
                m_board.drillHits.push_back({o.holeSize, o.x, o.y});
                auto& sizes = m_board.holeSizes;
                if (o.holeSize > 0 &&
                    std::find(sizes.begin(), sizes.end(), o.holeSize) == sizes.end()) {
                    sizes.push_back(o.holeSize);
                } else if (o.holeSize < 0) {
                    note("hole size " + decimal(o.holeSize) + " at " + decimal(o.x) + "," +
                         decimal(o.y) + " is negative; not drilled");
                }
            }
            return true;
        }
        case ObjectKind::Component:
            if (o.number < 0 || o.number > kLastComponentNumber) {
                return refuse("the component number " + decimal(o.number) + " of " + o.text +
                              " is outside 0 to 1000; nothing plotted");
            }
            m_board.componentNames[static_cast<size_t>(o.number)] = o.text;
            return true;
        default:
            return true;
    }
}

common::Outcome Collector::run(const std::string& path) {
    m_board = TangoBoard{};
    m_board.path = path;
    // the drill guide circle and the drawing pen come first, as D20 and D21 (one entry when
    // the guide is 6 mils too)
    const int guide = sizeOrZero(m_sizes.drillGuide);
    enter({kRound, guide, guide});
    enter({kRound, kDrillPenSize, kDrillPenSize});

    TangoReader reader(path);
    while (reader.next()) {
        m_line = reader.lineNumber();
        if (!record(reader.object())) {
            return common::Outcome::Refused;
        }
    }
    if (reader.records() == 0) {
        // random text, or a board of another format: plotting it would write only empty files
        throw common::FormatError(path,
                                  "not a TANGO board file: it holds no TANGO record (LINE, POLY, "
                                  "PAD, VIA, ARC, TEXT or COMP)");
    }
    m_host.addLine("");
    return common::Outcome::Done;
}

}  // namespace

ApertureKey ownAperture(const PlotObject& o) {
    if (o.kind == ObjectKind::Pad || o.kind == ObjectKind::Via) {
        return {o.shape, sizeOrZero(o.xSize), sizeOrZero(o.ySize)};
    }
    const int width = sizeOrZero(o.width);
    return {kRound, width, width};
}

ApertureKey enlargedAperture(const PlotObject& o, int enlargement) {
    return {o.shape, board::enlarged(o.xSize, enlargement), board::enlarged(o.ySize, enlargement)};
}

int findAperture(const board::ApertureTable& table, const ApertureKey& key) {
    return table.FindAperture(key.shape, key.xSize, key.ySize);
}

common::Outcome collectBoard(common::Host& host, const std::string& path, const TangoSizes& sizes,
                             TangoBoard& board) {
    return Collector(host, sizes, board).run(path);
}

}  // namespace padloom::tango
