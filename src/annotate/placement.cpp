#include "annotate/placement.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>

#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/number_format.h"
#include "common/text_io.h"
#include "plot/stroke_font.h"

namespace padloom::annotate {

using board::RecordKind;

namespace {

constexpr long long kStartMin = 100000;
constexpr long long kStartMax = -100000;
constexpr int kLinesPerProgressStep = 250;
constexpr int kRobberPadMinFills = 8;  // more fills than this make a padless part a robber pad

struct Extents {
    long long minX = kStartMin, minY = kStartMin, maxX = kStartMax, maxY = kStartMax;
    void add(long long x, long long y) {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
};

/// Widens `e` by the box from (x0, y0) to (x1, y1) grown by `grow` on every side.
void addBox(Extents& e, long long x0, long long y0, long long x1, long long y1, long long grow) {
    e.add(std::min(x0, x1) - grow, std::min(y0, y1) - grow);
    e.add(std::max(x0, x1) + grow, std::max(y0, y1) + grow);
}

/// Widens `e` by the strokes of a text, each grown by half the text's line width.
void addText(Extents& e, const std::string& text, int x, int y, int height, int rotation,
             int width) {
    plot::forEachTextStroke(x, y, text, height, rotation,
                            [&](long long x1, long long y1, long long x2, long long y2) {
                                addBox(e, x1, y1, x2, y2, std::max(width, 0) / 2);
                            });
}

/// Widens `e` by what the record the reader holds covers on the board: a track or an arc
/// with its width, a pad, via or fill whole, the strokes of a string or of a component's
/// shown texts.
void addObject(Extents& e, RecordKind kind, const board::BoardReader& reader) {
    const board::CurrentRecord& r = reader.record();
    const long long halfWidth = std::max(r.width, 0) / 2;
    switch (kind) {
        case RecordKind::Track:
            addBox(e, r.x1, r.y1, r.x2, r.y2, halfWidth);
            break;
        case RecordKind::Fill:
            addBox(e, r.x1, r.y1, r.x2, r.y2, 0);
            break;
        case RecordKind::Pad:
            addBox(e, r.x1 - std::max(r.xSize, 0) / 2, r.y1 - std::max(r.ySize, 0) / 2,
                   r.x1 + std::max(r.xSize, 0) / 2, r.y1 + std::max(r.ySize, 0) / 2, 0);
            break;
        case RecordKind::Via:
            addBox(e, r.x1, r.y1, r.x1, r.y1, std::max(r.viaSize, 0) / 2);
            break;
        case RecordKind::Arc: {
            // each quarter drawn runs between two of the circle's axis points
            const long long x = r.x1, y = r.y1;
            const long long radius = r.radius == 0 ? 1 : std::llabs(r.radius);
            const int q = r.quadrantMask;
            const std::pair<long long, long long> top{x, y + radius}, left{x - radius, y},
                bottom{x, y - radius}, right{x + radius, y};
            const std::pair<int, std::pair<long long, long long>> axisPoints[] = {
                {1 | 2, top}, {2 | 4, left}, {4 | 8, bottom}, {8 | 1, right}};
            for (const auto& [quarters, p] : axisPoints) {
                if (q & quarters) {
                    addBox(e, p.first, p.second, p.first, p.second, halfWidth);
                }
            }
            break;
        }
        case RecordKind::String:
            addText(e, r.text, r.x1, r.y1, r.ySize, r.rotation, r.width);
            break;
        case RecordKind::Component: {
            const board::ComponentHeader& c = reader.component();
            if (c.designatorShown == 1) {
                const board::TextAttributes& t = c.designatorText;
                addText(e, c.designator, t.x, t.y, t.height, t.rotation, t.width);
            }
            if (c.commentShown == 1) {
                const board::TextAttributes& t = c.commentText;
                addText(e, c.comment, t.x, t.y, t.height, t.rotation, t.width);
            }
            break;
        }
    }
}

/// A fill of a part on the top or bottom fill layer, kept for the robber-pad rule.
struct StoredFill {
    long long x = 0, y = 0;           // lower-left corner
    long long width = 0, height = 0;  // exact
    long long roundedWidth = 0, roundedHeight = 0;
    bool excluded = false;
};

/// What one component block gives: its extents, side, pin-1 and marker points and fills.
struct Component {
    std::string designator;
    std::string pattern;
    std::string comment;
    Extents extents;
    char side = 'T';
    long long pin1X = -1, pin1Y = -1;
    long long markerX = -1, markerY = -1;
    int pads = 0;
    std::vector<StoredFill> fills;
};

/// One result line and its sort key.
struct ResultLine {
    std::string text;
    std::string prefix;
    long long number = -1;
};

bool isKeySeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ')';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

ResultLine keyed(std::string text) {
    ResultLine line;
    size_t i = 0;
    while (i < text.size() && !isDigit(text[i]) && !isKeySeparator(text[i])) {
        ++i;
    }
    line.prefix = text.substr(0, i);
    if (i < text.size() && isDigit(text[i])) {
        line.number = 0;
        constexpr long long kCap = std::numeric_limits<long long>::max() / 10 - 10;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            line.number = std::min(line.number * 10 + (text[i] - '0'), kCap);
        }
    }
    line.text = std::move(text);
    return line;
}

/// Applies the robber-pad rule to a padless part made of many fills: a few fills of another
/// size (thieving pads) are left out of its extents when the rest agree on a size.
void applyRobberPadRule(Component& c) {
    auto& fills = c.fills;
    const long long n = static_cast<long long>(fills.size());
    const long long w = fills.front().roundedWidth;
    const long long h = fills.front().roundedHeight;
    long long wider = 0, narrower = 0, taller = 0, shorter = 0;
    for (const auto& f : fills) {
        wider += f.roundedWidth > w;
        narrower += f.roundedWidth < w;
        taller += f.roundedHeight > h;
        shorter += f.roundedHeight < h;
    }
    std::function<bool(const StoredFill&)> exclude;
    if (wider == 2) {
        exclude = [w](const StoredFill& f) { return f.roundedWidth > w; };
    } else if (taller == 2) {
        exclude = [h](const StoredFill& f) { return f.roundedHeight > h; };
    } else if (narrower == n - 2) {
        exclude = [w](const StoredFill& f) { return f.roundedWidth == w; };
    } else if (shorter == n - 2) {
        exclude = [h](const StoredFill& f) { return f.roundedHeight == h; };
    } else {
        return;
    }
    Extents e;
    e.maxX = -1;
    e.maxY = -1;
    for (auto& f : fills) {
        f.excluded = exclude(f);
        if (!f.excluded && f.x > 0) {
            e.add(f.x, f.y);
            e.add(f.x + f.width, f.y + f.height);
        }
    }
    c.extents = e;
}

/// Rotation in degrees from the reference point P (pin 1 or the marker) and the centre M;
/// snapped coordinates decide "level", unsnapped ones "left of" and "above". -1 when unknown.
int rotationFrom(long long px, long long py, long long mx, long long my) {
    const long long spx = roundToMultiple(px, 25), spy = roundToMultiple(py, 25);
    const long long smx = roundToMultiple(mx, 25), smy = roundToMultiple(my, 25);
    if (px < mx && spy == smy) {
        return 0;
    }
    if (px > mx && spy == smy) {
        return 180;
    }
    if (spx == smx && py > my) {
        return 90;
    }
    if (spx == smx && py < my) {
        return 270;
    }
    if (px < mx && py < my) {
        return 0;
    }
    if (px < mx && py > my) {
        return 90;
    }
    if (px > mx && py > my) {
        return 180;
    }
    if (px > mx && py < my) {
        return 270;
    }
    return -1;
}

/// The centre of a finished component block, with the robber-pad rule applied when asked.
void centreOf(Component& c, const PlacementOptions& opt, long long& cx, long long& cy) {
    if (c.pads == 0 && opt.ignoreRobberPads && c.fills.size() > kRobberPadMinFills) {
        applyRobberPadRule(c);
    }
    const Extents& e = c.extents;
    cx = e.minX + (e.maxX - e.minX) / 2;
    cy = e.minY + (e.maxY - e.minY) / 2;
}

/// The rotation of a part with centre (cx, cy) and the given pin-1 and marker X (the part's
/// own, or mirrored): from pin 1, else from a marker apart from the centre, else from the
/// shape of its extents; -1 when unknown.
int rotationOf(const Component& c, long long cx, long long cy, long long pin1X, long long markerX) {
    const Extents& e = c.extents;
    const bool markerApart = roundToMultiple(markerX, 25) != roundToMultiple(cx, 25) ||
                             roundToMultiple(c.markerY, 25) != roundToMultiple(cy, 25);
    if (pin1X > 0) {
        return rotationFrom(pin1X, c.pin1Y, cx, cy);
    }
    if (markerX > 0 && markerApart) {
        return rotationFrom(markerX, c.markerY, cx, cy);
    }
    if (e.maxY - e.minY > e.maxX - e.minX) {
        return 90;
    }
    if (e.maxY - e.minY < e.maxX - e.minX) {
        return 0;
    }
    return -1;
}

/// The result line of a finished component block.
std::string resultLine(Component& c, const PlacementOptions& opt, long long boardMaxX) {
    long long cx = 0, cy = 0;
    centreOf(c, opt, cx, cy);
    long long pin1X = c.pin1X, markerX = c.markerX;
    if (c.side == 'B') {
        // bottom parts are seen from below: mirrored about the board's right edge
        cx = boardMaxX - cx;
        if (pin1X > 0) {
            pin1X = boardMaxX - pin1X;
        }
        if (markerX > 0) {
            markerX = boardMaxX - markerX;
        }
    }
    const int rotation = rotationOf(c, cx, cy, pin1X, markerX);
    // "." whenever commas delimit, or a locale's decimal comma would split the numbers
    const char separator = opt.commaDelimited ? '.' : opt.decimalSeparator;
    const char* d = opt.commaDelimited ? "," : "\t";
    return c.designator + d + placementNumber(cx, separator) + d + placementNumber(cy, separator) +
           d + c.side + d + (rotation < 0 ? std::string("?") : common::decimal(rotation));
}

/// Steps the progress bar once every 250 lines, wrapping from 100 to 0.
class ProgressSteps {
public:
    ProgressSteps(const PlacementProgress& p) : m_progress(p) {}
    void reset() {
        m_step = 0;
        report();
    }
    void atLine(long line) {
        const long step = line / kLinesPerProgressStep;
        if (step != m_step) {
            m_step = step;
            report();
        }
    }

private:
    void report() const {
        if (m_progress.progress) {
            m_progress.progress(static_cast<int>(m_step % 101));
        }
    }
    const PlacementProgress& m_progress;
    long m_step = 0;
};

void setStatus(const PlacementProgress& p, std::string_view text) {
    if (p.status) {
        p.status(text);
    }
}

/// Reads the component blocks of a board in file order and hands each finished one to `each`;
/// damaged records go to `problems`.
void readComponents(const std::string& boardPath, const PlacementOptions& opt,
                    std::vector<std::string>& problems, ProgressSteps* steps,
                    const std::function<void(Component&)>& each) {
    // the block being read; null outside a block
    std::unique_ptr<Component> current;
    long endsAtStart = 0;
    board::BoardReader reader(boardPath, [&](const std::string& p) { problems.push_back(p); });
    auto finish = [&] {
        if (current) {
            each(*current);
            current.reset();
        }
    };
    while (auto kind = reader.next()) {
        if (steps) {
            steps->atLine(reader.recordLine());
        }
        if (current && reader.componentEnds() != endsAtStart) {
            finish();  // an "ENDCOMP" line came before this record
        }
        if (*kind == RecordKind::Component) {
            finish();  // a block cut off without "ENDCOMP" ends at the next header
            current = std::make_unique<Component>();
            current->designator = reader.component().designator;
            current->pattern = reader.component().pattern;
            current->comment = reader.component().comment;
            endsAtStart = reader.componentEnds();
            continue;
        }
        if (!current) {
            continue;  // free primitives and anything outside a block
        }
        Component& c = *current;
        const auto& r = reader.record();
        const std::string_view k = reader.keyword();
        auto sideFromLegend = [&](int layer) {
            if (layer == opt.bottomLegendLayer) {
                c.side = 'B';
            }
            if (layer == opt.topLegendLayer) {
                c.side = 'T';
            }
        };
        if (k == "CP") {
            c.extents.add(r.x1, r.y1);
            if (r.text == "1") {
                c.pin1X = r.x1;
                c.pin1Y = r.y1;
            }
            ++c.pads;
        } else if (k == "CA") {
            c.markerX = r.x1;
            c.markerY = r.y1;
            sideFromLegend(r.layer);
        } else if (k == "CT") {
            sideFromLegend(r.layer);
        } else if (k == "CF") {
            if (r.layer == 1 || r.layer == 6) {
                c.extents.add(r.x1, r.y1);
                c.extents.add(r.x2, r.y2);
            }
            // each test overrides the one before
            if (r.layer == opt.bottomLegendLayer || r.layer == opt.bottomFillLayer) {
                c.side = 'B';
            }
            if (r.layer == opt.topLegendLayer || r.layer == opt.topFillLayer) {
                c.side = 'T';
            }
            if (r.layer == opt.topFillLayer || r.layer == opt.bottomFillLayer) {
                StoredFill f;
                f.x = std::min(r.x1, r.x2);
                f.y = std::min(r.y1, r.y2);
                f.width = std::llabs(static_cast<long long>(r.x1) - r.x2);
                f.height = std::llabs(static_cast<long long>(r.y1) - r.y2);
                f.roundedWidth = roundToMultiple(f.width, 5);
                f.roundedHeight = roundToMultiple(f.height, 5);
                c.fills.push_back(f);
            }
        }
    }
    finish();  // a block cut off by the end of the file is finished with what was read
}

}  // namespace

std::string placementNumber(long long mils, char separator) {
    const long long whole = std::llabs(mils / 1000);
    const long long thousandths = std::llabs(mils % 1000);
    return std::string(mils < 0 ? "-" : "") + common::decimal(whole) + separator +
           common::zeroPadded(thousandths, 3);
}

long long roundToMultiple(long long value, int m) {
    if (value < 0) {
        return m * (value / m);
    }
    const long long q = value / m;
    const long long r = value % m;
    return r > m / 2 ? m * (q + 1) : m * q;
}

PlacementResult writePlacementFile(const std::string& boardPath, const PlacementOptions& opt,
                                   const std::string& outputPath,
                                   const PlacementProgress& progress) {
    PlacementResult result;
    result.outputPath = outputPath.empty() ? common::baseName(boardPath) + ".UCM" : outputPath;
    common::refuseOverwritingInput(result.outputPath, {boardPath});
    ProgressSteps steps(progress);

    // pass 1: the board size from the free tracks of the overlay and board layers; a board
    // without such tracks takes the extents of all its objects, so that the corners and the
    // mirroring of bottom parts stand for the board rather than for the start values
    setStatus(progress, "pass 1.  Computing board size.");
    steps.reset();
    Extents board;
    bool outlined = false;
    constexpr long long kNone = std::numeric_limits<long long>::max();
    Extents objects{kNone, kNone, -kNone, -kNone};  // empty until an object widens it
    std::optional<common::LineWriter> out;
    {
        board::BoardReader reader(boardPath);
        out.emplace(result.outputPath);
        while (auto kind = reader.next()) {
            steps.atLine(reader.recordLine());
            const auto& r = reader.record();
            if (*kind == RecordKind::Track && reader.isFree() && (r.layer == 7 || r.layer == 11)) {
                board.add(r.x1, r.y1);
                board.add(r.x2, r.y2);
                outlined = true;
            }
            if (!outlined) {
                addObject(objects, *kind, reader);
            }
        }
        if (!reader.hasHeader()) {
            result.problems.push_back(board::missingHeaderWarning(boardPath));
        }
    }
    if (!outlined) {
        board = objects.minX <= objects.maxX ? objects : Extents{0, 0, 0, 0};
    }
    auto narrow = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
    };
    result.minX = narrow(board.minX);
    result.minY = narrow(board.minY);
    result.maxX = narrow(board.maxX);
    result.maxY = narrow(board.maxY);
    if (progress.boardSize) {
        progress.boardSize("x = " + placementNumber(board.maxX, opt.decimalSeparator),
                           "y = " + placementNumber(board.maxY, opt.decimalSeparator));
    }

    out->line("corners at " + placementNumber(board.minX, '.') + ", " +
              placementNumber(board.minY, '.') + " x " + placementNumber(board.maxX, '.') + ", " +
              placementNumber(board.maxY, '.'));

    // pass 2: one line per component block
    setStatus(progress, "pass 2.  Computing component centers.");
    steps.reset();
    out->line("Component ID, x position, y position, Side, Rotation");
    std::vector<ResultLine> lines;
    readComponents(boardPath, opt, result.problems, &steps,
                   [&](Component& c) { lines.push_back(keyed(resultLine(c, opt, board.maxX))); });
    result.components = lines.size();

    if (opt.sortResults) {
        setStatus(progress, "Sorting.                          ");
        steps.reset();
        std::stable_sort(lines.begin(), lines.end(), [](const ResultLine& a, const ResultLine& b) {
            if (a.prefix != b.prefix) {
                return a.prefix < b.prefix;
            }
            return a.number < b.number;
        });
    }
    for (const auto& line : lines) {
        out->line(line.text);
    }
    out->commit();
    setStatus(progress, "Ready");
    if (progress.progress) {
        progress.progress(-1);
    }
    return result;
}

std::vector<PlacedPart> placedParts(const std::string& boardPath, const PlacementOptions& opt,
                                    std::vector<std::string>& problems) {
    std::vector<PlacedPart> parts;
    readComponents(boardPath, opt, problems, nullptr, [&](Component& c) {
        PlacedPart part;
        centreOf(c, opt, part.x, part.y);
        part.rotation = rotationOf(c, part.x, part.y, c.pin1X, c.markerX);
        part.side = c.side;
        part.designator = std::move(c.designator);
        part.pattern = std::move(c.pattern);
        part.comment = std::move(c.comment);
        parts.push_back(std::move(part));
    });
    return parts;
}

common::Outcome createXyFile(
    common::Host& host, const PlacementOptions& opt,
    const std::function<void(std::string_view x, std::string_view y)>& showBoardSize) {
    auto chosen = host.askOpen(common::FileAsk{1, "", false, ""});
    if (chosen.empty()) {
        return common::Outcome::Cancelled;
    }
    const std::string& boardPath = chosen.front();
    PlacementProgress progress;
    progress.status = [&](std::string_view text) {
        host.setStatus(text);
        host.letMessagesRun();
    };
    progress.progress = [&](int percent) {
        host.setProgress(percent);
        host.letMessagesRun();
    };
    progress.boardSize = showBoardSize;
    PlacementResult result;
    try {
        result = writePlacementFile(boardPath, opt, {}, progress);
    } catch (...) {
        host.setStatus("Ready");
        host.setProgress(-1);
        throw;
    }
    if (!result.problems.empty()) {
        std::string text = "Damaged records in the board:";
        for (const std::string& line : board::problemsShown(result.problems)) {
            text += "\n" + line;
        }
        host.show(common::Box::Plain, text, common::Place::Screen);
    }
    if (opt.openNotepad) {
        host.openInViewer(result.outputPath);
    }
    return common::Outcome::Done;
}

}  // namespace padloom::annotate
