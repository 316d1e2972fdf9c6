#include "convert/pcb_to_apt.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "board/board_reader.h"
#include "common/base_name.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::convert {

using board::enlarged;
using board::RecordKind;

namespace {

constexpr int kFirstDcode = 10;

bool isThermalCode(int planeCode) {
    return planeCode == 2 || planeCode == 4 || planeCode == 6 || planeCode == 7;
}

/// The aperture list being built: "add" appends an entry only when no equal one exists yet.
class ApertureList {
public:
    explicit ApertureList(std::vector<AptEntry>& entries) : m_entries(entries) {}

    /// Adds an entry unless an equal one exists; returns its D-code either way.
    int add(int shape, int xSize, int ySize) {
        int dcode = m_index.FindAperture(shape, xSize, ySize);
        if (dcode == board::kNotFound) {
            dcode = kFirstDcode + static_cast<int>(m_entries.size());
            m_index.add(board::ApertureEntry{shape, xSize, ySize, dcode});
            m_entries.push_back(AptEntry{shape, xSize, ySize});
        }
        return dcode;
    }
    void addRound(int size) { add(board::kCircular, size, size); }

private:
    std::vector<AptEntry>& m_entries;
    board::ApertureTable m_index;  // the same entries, for the lookup
};

void countHole(std::vector<board::DrillTallyEntry>& tally, int holeSize) {
    for (auto& entry : tally) {
        if (entry.holeSize == holeSize) {
            ++entry.count;
            return;
        }
    }
    tally.push_back({holeSize, 1});
}

void addPad(ApertureList& list, const board::CurrentRecord& r, const AptOptions& opt,
            const board::BoardReader& reader, std::vector<std::string>& problems) {
    const auto& e = opt.enlargements;
    const int x = r.xSize;
    const int y = r.ySize;
    if (r.shape < 1 || r.shape > 10) {
        problems.push_back(reader.path() + ":" + std::to_string(reader.recordLine()) +
                           ": pad shape " + std::to_string(r.shape) +
                           " is not an aperture shape; no aperture added for this pad");
        return;
    }
    list.add(r.shape, x, y);
    for (int by : {e.solderMask, e.paste, e.plane, e.pour}) {
        list.add(r.shape, enlarged(x, by), enlarged(y, by));
    }
    const bool thermal = isThermalCode(r.planeCode);
    const bool outer = r.layer == 1 || r.layer == 6;
    if (thermal && r.layer == board::kMultiLayer) {
        list.add(board::kRelief, x, y);
        list.add(board::kRelExtRound, x, y);
        list.add(board::kRelExtRect, x, y);
    }
    if (thermal && outer && r.shape == board::kRectangular) {
        list.add(board::kRelExtRect, x, y);
    }
    if (thermal && outer && r.shape == board::kRoundRect) {
        list.add(board::kRelExtRRect, x, y);
    }
    if (r.shape == board::kRoundRect) {
        int s = std::min(x, y);
        list.addRound(enlarged(s, e.solderMask));
        list.addRound(enlarged(s, e.pour));
    }
    if (r.shape == board::kRectangular && x != y) {
        int s = std::min(x, y);
        list.add(board::kRectangular, enlarged(s, e.solderMask), enlarged(s, e.solderMask));
        list.add(board::kRectangular, enlarged(s, e.pour), enlarged(s, e.pour));
    }

    // What the plotter looks up for this pad and the rules above miss: the plane clearance is
    // round whatever the pad's shape; the outer relief of a round or rounded-rectangle pad; the
    // plane relief of a pad that lies on a plane layer itself.
    list.add(board::kCircular, enlarged(x, e.plane), enlarged(y, e.plane));
    auto relief = board::outerReliefShape(r.shape);
    if (relief && ((thermal && r.layer == board::kMultiLayer) ||
                   (outer && (r.planeCode == 6 || r.planeCode == 7)))) {
        list.add(*relief, x, y);
    }
    if ((r.planeCode == 2 || r.planeCode == 4) && (r.layer == 9 || r.layer == 10)) {
        list.add(board::kRelief, x, y);
    }
}

}  // namespace

namespace {

// Adds a record of a board to the aperture list, the drill tally, the extents, the pour
// outline flags and the problems of `build`.
void collectRecord(RecordKind kind, const board::BoardReader& reader, ApertureList& list,
                   AptBuild& build, const AptOptions& opt) {
    const auto& e = opt.enlargements;
    const auto& r = reader.record();
    switch (kind) {
        case RecordKind::Pad:
            if (r.holeSize > 0 && r.layer == board::kMultiLayer) {
                countHole(build.drillTally, r.holeSize);
            }
            addPad(list, r, opt, reader, build.problems);
            break;
        case RecordKind::Via:
            list.addRound(r.viaSize);
            list.addRound(enlarged(r.viaSize, e.solderMask));
            list.addRound(enlarged(r.viaSize, e.plane));
            list.addRound(enlarged(r.viaSize, e.pour));
            if (r.holeSize > 0) {
                countHole(build.drillTally, r.holeSize);
            }
            break;
        case RecordKind::Track:
            build.extents.add(r.x1, r.y1);
            build.extents.add(r.x2, r.y2);
            if (r.width > 0) {
                list.addRound(r.width);
                list.addRound(enlarged(r.width, e.pour));
                if (opt.pourEnable && r.width == 1 && (r.layer == 1 || r.layer == 6)) {
                    build.pourOutline[r.layer] = true;
                }
            }
            break;
        case RecordKind::Arc:
            list.addRound(r.width);
            list.addRound(enlarged(r.width, e.pour));
            break;
        case RecordKind::Fill:
            if (opt.fillApertures) {
                list.add(board::kRectangular, std::abs(r.x1 - r.x2), std::abs(r.y1 - r.y2));
            }
            break;
        case RecordKind::String:
            // the stroke font draws with a round aperture of the string's width
            if (r.width > 0) {
                list.addRound(r.width);
            }
            break;
        case RecordKind::Component: {
            const auto& c = reader.component();
            if (c.designatorShown == 1) {
                list.addRound(c.designatorText.width);
            }
            if (c.commentShown == 1) {
                list.addRound(c.commentText.width);
            }
            break;
        }
    }
}

// Reads the records of a board (or of one part of a board image) into `build`.
void collectApertures(board::BoardReader& reader, ApertureList& list, AptBuild& build,
                      const AptOptions& opt) {
    while (auto kind = reader.next()) {
        collectRecord(*kind, reader, list, build, opt);
    }
}

// The fixed first entries of every list: the drawing pens and the drill-guide circle.
void startList(ApertureList& list, AptBuild& build, const AptOptions& opt) {
    list.addRound(3);
    list.addRound(5);
    list.addRound(1);
    build.drillGuideDCode = list.add(board::kCircular, opt.drillGuideSize, opt.drillGuideSize);
}

// Builds the list of one part of a board as the board is read into its image.
class Collector : public board::RecordVisitor {
public:
    Collector(AptBuild& build, const AptOptions& opt, bool fixedEntries)
        : m_build(build), m_opt(opt), m_fixedEntries(fixedEntries) {
        restart();
    }

    ApertureList& list() { return *m_list; }

    void problem(const std::string& message) override { m_build.problems.push_back(message); }
    void record(RecordKind kind, const board::BoardReader& reader) override {
        collectRecord(kind, reader, *m_list, m_build, m_opt);
    }
    void restart() override {
        m_build = AptBuild{};
        m_list.emplace(m_build.apertures);
        if (m_fixedEntries) {
            startList(*m_list, m_build, m_opt);
        }
    }

private:
    AptBuild& m_build;
    const AptOptions& m_opt;
    bool m_fixedEntries;
    std::optional<ApertureList> m_list;
};

// Adds what the second part of a board gave to what the first part gave, as one reading of
// the whole board would have found it: apertures and hole sizes first met in the second part
// follow those of the first, in their order.
void joinBuilds(ApertureList& list, AptBuild& build, const AptBuild& second) {
    for (const AptEntry& a : second.apertures) {
        list.add(a.shape, a.xSize, a.ySize);
    }
    for (const board::DrillTallyEntry& hole : second.drillTally) {
        auto same = std::find_if(build.drillTally.begin(), build.drillTally.end(),
                                 [&](const auto& t) { return t.holeSize == hole.holeSize; });
        if (same != build.drillTally.end()) {
            same->count += hole.count;
        } else {
            build.drillTally.push_back(hole);
        }
    }
    // both began from the same empty extents, so the smaller and the larger ends are those
    // of one pass
    build.extents.minX = std::min(build.extents.minX, second.extents.minX);
    build.extents.minY = std::min(build.extents.minY, second.extents.minY);
    build.extents.maxX = std::max(build.extents.maxX, second.extents.maxX);
    build.extents.maxY = std::max(build.extents.maxY, second.extents.maxY);
    for (size_t i = 0; i < build.pourOutline.size(); ++i) {
        build.pourOutline[i] = build.pourOutline[i] || second.pourOutline[i];
    }
    build.problems.insert(build.problems.end(), second.problems.begin(), second.problems.end());
}

void sortTally(std::vector<board::DrillTallyEntry>& tally) {
    std::stable_sort(tally.begin(), tally.end(),
                     [](const auto& a, const auto& b) { return a.holeSize < b.holeSize; });
}

}  // namespace

AptBuild buildApertureList(const std::string& boardPath, const AptOptions& opt) {
    AptBuild build;
    if (opt.plotMode) {
        // for a plot run the board is read into an image that the plot run replays, and the
        // list built as it is read; a board read in two halves at once builds two lists at
        // once, the second joined to the first
        AptBuild second;
        Collector first(build, opt, true);
        Collector rest(second, opt, false);
        std::shared_ptr<const board::BoardImage> image =
            board::readBoardImage(boardPath, board::kHalvesFrom, &first, &rest);
        if (image) {
            if (image->parts() == 2) {
                if (!second.problems.empty()) {
                    // their line numbers count from the middle of the file: the second half
                    // is gone through again as part of the whole
                    rest.restart();
                    board::BoardReader reader(boardPath, image, 1, [&second](const std::string& p) {
                        second.problems.push_back(p);
                    });
                    collectApertures(reader, rest.list(), second, opt);
                }
                joinBuilds(first.list(), build, second);
            }
            build.hasHeader = image->hasHeader();
            build.cutShort = image->cutShort();
            build.boardImage = std::move(image);
            sortTally(build.drillTally);
            return build;
        }
        // too large for an image (a text line of more than a gigabyte): read the usual way
        build = AptBuild{};
    }
    ApertureList list(build.apertures);
    startList(list, build, opt);
    // damaged records are read as well as they go, and reported with the other problems
    board::BoardReader reader(boardPath,
                              [&build](const std::string& p) { build.problems.push_back(p); });
    collectApertures(reader, list, build, opt);
    build.hasHeader = reader.hasHeader();
    build.cutShort = reader.cutShort();
    sortTally(build.drillTally);
    return build;
}

std::string aptFileText(const std::vector<AptEntry>& apertures) {
    std::string text;
    int dcode = kFirstDcode;
    for (const auto& a : apertures) {
        bool multi = a.shape == board::kCircular || a.xSize == a.ySize;
        text += "D" + common::decimal(dcode++) + "\t" +
                std::string(board::shapeNameWritten(a.shape)) + "\t" + common::decimal(a.xSize) +
                "\t" + common::decimal(a.ySize) + "\t0\t" + (multi ? "MULTI" : "FLASH") + "\r\n";
    }
    return text;
}

std::string tolFileText(const std::vector<board::DrillTallyEntry>& tally) {
    std::string text;
    for (size_t i = 0; i < tally.size(); ++i) {
        int s = tally[i].holeSize;
        text += "T" + common::zeroPadded(static_cast<long long>(i) + 1, 2) + "\t" +
                common::decimal(s / 1000) + "." + common::zeroPadded(s % 1000, 3) + "\t" +
                common::decimal(tally[i].count) + "\r\n";
    }
    return text;
}

void takeBuild(board::RunValues& rv, AptBuild&& build, const std::string& boardPath,
               const board::Enlargements& enlargements) {
    rv.boardCutShort = build.cutShort;
    rv.boardFile = boardPath;
    rv.baseName = common::baseName(boardPath);
    rv.aptFile = rv.baseName + ".APT";
    rv.extents = build.extents;
    rv.pourOutline = build.pourOutline;
    rv.drillTally = std::move(build.drillTally);
    rv.drillGuideDCode = build.drillGuideDCode;
    rv.enlargements = enlargements;
    rv.boardImage = std::move(build.boardImage);
}

common::Outcome makeAptFile(common::Host& host, const AptOptions& opt, board::RunValues& rv) {
    using common::Box;
    using common::Place;
    // a wrong board picked first must not widen the next one's extents
    rv.extents = board::Extents{};
    rv.pourOutline.fill(false);

    auto chosen = host.askOpen(common::FileAsk{1, "", false, ""});
    if (chosen.empty()) {
        return common::Outcome::Cancelled;
    }
    const std::string& boardPath = chosen.front();
    common::checkInputFile(boardPath);
    if (!common::fileExists(boardPath)) {
        host.show(Box::Plain, "Invalid file name!", Place::Screen);
        return common::Outcome::Refused;
    }
    const std::string base = common::baseName(boardPath);
    const std::string aptPath = base + ".APT";
    const std::string tolPath = base + ".TOL";

    bool write = true;
    if (common::fileExists(aptPath)) {
        write = host.askYesNo("File " + aptPath + " exisits!  Replace this file?",  // sic
                              Place::WindowPlus50);
    }
    // the reading pass runs even when the existing aperture file is kept, so the plot run
    // has the board's extents and drill tally
    AptBuild build = buildApertureList(boardPath, opt);
    if (!build.hasHeader) {
        host.warn(board::missingHeaderWarning(boardPath));
    }
    if (write) {
        common::refuseOverwritingInput(aptPath, {boardPath});
        common::refuseOverwritingInput(tolPath, {boardPath});
        common::LineWriter apt(aptPath);
        apt.write(aptFileText(build.apertures));
        apt.commit();
        common::LineWriter tol(tolPath);
        tol.write(tolFileText(build.drillTally));
        tol.commit();
    }
    if (opt.plotMode) {
        // the plot run reports them in its message list, with what it made of the board
        rv.boardProblems = build.problems;
    } else if (!build.problems.empty()) {
        std::string text;
        for (const std::string& line : board::problemsShown(build.problems)) {
            text += line + "\n";
        }
        host.show(Box::Plain, text, Place::WindowPlus50);
    }
    takeBuild(rv, std::move(build), boardPath, opt.enlargements);
    if (write && !opt.plotMode && opt.openNotepad) {
        host.openInViewer(aptPath);
    }
    host.show(Box::Info, "Done", Place::WindowPlus50);
    rv.aptMade = true;
    return common::Outcome::Done;
}

}  // namespace padloom::convert
