#include "convert/pcb_to_apt.h"

#include "board/aperture_table.h"
#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::convert {
namespace {

using testing::crlf;
using testing::readFile;
using testing::TempDir;

// clang-format off
const std::string kWorkedExample = crlf({
    "PCB FILE 4",
    "FP", "1000 1000 60 60 1 28 0 13", "1",
    "FT", "1000 1000 2000 1500 10 1",
    "ENDPCB"});
// clang-format on

struct AptRun {
    common::ScriptedHost host;
    board::RunValues values;
    common::Outcome outcome = common::Outcome::Cancelled;
};

void makeApt(AptRun& run, const std::string& board, const AptOptions& opt = {}) {
    run.host.openAnswers.push_back({board});
    run.outcome = makeAptFile(run.host, opt, run.values);
}

TEST(PcbToApt, WorkedExampleGivesD10ToD17AndOneTool) {
    TempDir dir;
    auto board = dir.write("x.pcb", kWorkedExample);
    AptRun run;
    makeApt(run, board);
    EXPECT_EQ(run.outcome, common::Outcome::Done);
    EXPECT_EQ(readFile(dir.file("x.APT")), crlf({
                                               "D10\tCIRCULAR   \t3\t3\t0\tMULTI",
                                               "D11\tCIRCULAR   \t5\t5\t0\tMULTI",
                                               "D12\tCIRCULAR   \t1\t1\t0\tMULTI",
                                               "D13\tCIRCULAR   \t6\t6\t0\tMULTI",
                                               "D14\tCIRCULAR   \t60\t60\t0\tMULTI",
                                               "D15\tCIRCULAR   \t66\t66\t0\tMULTI",
                                               "D16\tCIRCULAR   \t10\t10\t0\tMULTI",
                                               "D17\tCIRCULAR   \t16\t16\t0\tMULTI",
                                           }));
    EXPECT_EQ(readFile(dir.file("x.TOL")), "T01\t0.028\t1\r\n");
    EXPECT_EQ(run.host.transcript, (std::vector<std::string>{"open|1|", "info|Done"}));
    EXPECT_TRUE(run.values.aptMade);
    EXPECT_EQ(run.values.baseName, dir.file("x"));
    EXPECT_EQ(run.values.aptFile, dir.file("x.APT"));
    EXPECT_EQ(run.values.extents.minX, 1000);
    EXPECT_EQ(run.values.extents.maxY, 1500);
    EXPECT_EQ(run.values.drillGuideDCode, 13);
    ASSERT_EQ(run.values.drillTally.size(), 1u);
    EXPECT_EQ(run.values.drillTally[0].count, 1);
}

TEST(PcbToApt, EmptyBoardGivesTheFixedEntriesAndAnEmptyToolTable) {
    TempDir dir;
    auto board = dir.write("e.pcb", crlf({"PCB FILE 4", "ENDPCB"}));
    AptRun run;
    makeApt(run, board);
    EXPECT_EQ(readFile(dir.file("e.APT")), crlf({
                                               "D10\tCIRCULAR   \t3\t3\t0\tMULTI",
                                               "D11\tCIRCULAR   \t5\t5\t0\tMULTI",
                                               "D12\tCIRCULAR   \t1\t1\t0\tMULTI",
                                               "D13\tCIRCULAR   \t6\t6\t0\tMULTI",
                                           }));
    EXPECT_EQ(readFile(dir.file("e.TOL")), "");
    EXPECT_TRUE(run.values.extents.empty());
}

TEST(PcbToApt, DrillGuideSizeOfAFixedPenTakesThatPensDcode) {
    TempDir dir;
    auto board = dir.write("e.pcb", crlf({"PCB FILE 4", "ENDPCB"}));
    for (auto [size, dcode] :
         std::vector<std::pair<int, int>>{{3, 10}, {5, 11}, {1, 12}, {8, 13}}) {
        AptOptions opt;
        opt.drillGuideSize = size;
        auto build = buildApertureList(board, opt);
        EXPECT_EQ(build.drillGuideDCode, dcode) << size;
        EXPECT_EQ(build.apertures.size(), dcode == 13 ? 4u : 3u);
    }
}

TEST(PcbToApt, MultiOrFlash) {
    std::vector<AptEntry> list = {{1, 60, 80}, {2, 60, 60}, {2, 60, 100}, {7, 62, 62}};
    EXPECT_EQ(aptFileText(list), crlf({
                                     "D10\tCIRCULAR   \t60\t80\t0\tMULTI",
                                     "D11\tRECTANGULAR\t60\t60\t0\tMULTI",
                                     "D12\tRECTANGULAR\t60\t100\t0\tFLASH",
                                     "D13\tRELIEF     \t62\t62\t0\tMULTI",
                                 }));
}

TEST(PcbToApt, ToolTableSizes) {
    EXPECT_EQ(tolFileText({{5, 2}, {28, 40}, {1000, 1}}),
              crlf({"T01\t0.005\t2", "T02\t0.028\t40", "T03\t1.000\t1"}));
}

bool has(const AptBuild& build, int shape, int x, int y) {
    for (const auto& a : build.apertures) {
        if (a.shape == shape && a.xSize == x && a.ySize == y) {
            return true;
        }
    }
    return false;
}

TEST(PcbToApt, AdditionRules) {
    TempDir dir;
    auto board = dir.write("r.pcb", crlf({
                                        "FP", "0 0 60 100 2 0 1 1", "1",  // rectangle 60 x 100
                                        "FP", "0 0 60 60 1 0 1 1", "2",   // round 60
                                        "FP", "0 0 60 60 2 0 1 1", "3",   // square 60
                                        "FV", "0 0 50 20",                // via on any layer
                                        "FP", "0 0 50 50 1 20 1 1", "4",  // hole on top: no drill
                                        "FT", "5 6 7 8 0 1",              // width 0
                                    }));
    AptOptions opt;
    auto build = buildApertureList(board, opt);
    EXPECT_TRUE(has(build, 2, 66, 66)) << "square of the smaller side plus mask";
    EXPECT_TRUE(has(build, 1, 60, 60));
    EXPECT_TRUE(has(build, 2, 60, 60)) << "a round and a square pad of 60 give two apertures";
    EXPECT_FALSE(has(build, 2, 70, 70));
    ASSERT_EQ(build.drillTally.size(), 1u);
    EXPECT_EQ(build.drillTally[0].holeSize, 20) << "vias count on any layer, pads only on 13";
    EXPECT_FALSE(has(build, 1, 0, 0)) << "a width-0 track adds no aperture";
    EXPECT_EQ(build.extents.minX, 5) << "but still widens the extents";
    opt.enlargements.pour = 10;
    EXPECT_TRUE(has(buildApertureList(board, opt), 2, 70, 70));
}

TEST(PcbToApt, AddsWhatThePlotterLooksUpAndTheRulesMiss) {
    TempDir dir;
    auto board = dir.write("m.pcb", crlf({
                                        "FS", "0 0 60 0 15 7", "TEXT",     // string width 15
                                        "FP", "0 0 60 80 2 30 1 13", "1",  // rectangle: plane
                                        "FP", "0 0 60 80 4 30 2 13", "2",  // rounded rect relief
                                        "FP", "0 0 70 70 1 0 6 1", "3",    // round on top, pour
                                        "FP", "0 0 40 40 12 0 1 1", "4",   // no such shape
                                        "ENDPCB",
                                    }));
    auto build = buildApertureList(board, {});
    EXPECT_TRUE(has(build, 1, 15, 15)) << "stroke font aperture";
    EXPECT_TRUE(has(build, 1, 66, 86)) << "round plane clearance of a rectangle";
    EXPECT_TRUE(has(build, 10, 60, 80)) << "outer relief of a rounded rectangle";
    EXPECT_TRUE(has(build, 8, 70, 70)) << "outer relief of a round top pad";
    EXPECT_FALSE(has(build, 12, 40, 40));
    ASSERT_EQ(build.problems.size(), 1u);
    EXPECT_NE(build.problems[0].find("m.pcb:13:"), std::string::npos) << build.problems[0];
}

TEST(PcbToApt, NegativeEnlargementNeverGivesANegativeSize) {
    TempDir dir;
    auto board = dir.write("n.pcb", crlf({"FV", "0 0 4 0"}));
    AptOptions opt;
    opt.enlargements.paste = -10;
    opt.enlargements.plane = -10;
    for (const auto& a : buildApertureList(board, opt).apertures) {
        EXPECT_GE(a.xSize, 0);
        EXPECT_GE(a.ySize, 0);
    }
}

TEST(PcbToApt, AskBeforeReplacingAndStillReadTheBoard) {
    TempDir dir;
    auto board = dir.write("b.pcb", kWorkedExample);
    dir.write("b.APT", "old");
    AptRun run;
    run.host.yesNoAnswers.push_back(false);
    makeApt(run, board);
    EXPECT_EQ(run.host.transcript[1],
              "yesno|File " + dir.file("b.APT") + " exisits!  Replace this file?");
    EXPECT_EQ(readFile(dir.file("b.APT")), "old");
    EXPECT_FALSE(testing::runCommand("test -e " + dir.file("b.TOL")) == 0);
    EXPECT_TRUE(run.values.aptMade);
    ASSERT_EQ(run.values.drillTally.size(), 1u) << "the plot run still gets the drill tally";
    EXPECT_EQ(run.values.extents.maxX, 2000);

    AptRun again;
    again.host.yesNoAnswers.push_back(true);
    makeApt(again, board);
    EXPECT_NE(readFile(dir.file("b.APT")), "old");
}

TEST(PcbToApt, CancelledInvalidAndViewer) {
    TempDir dir;
    AptRun cancelled;
    cancelled.outcome = makeAptFile(cancelled.host, {}, cancelled.values);
    EXPECT_EQ(cancelled.outcome, common::Outcome::Cancelled);
    EXPECT_EQ(cancelled.host.transcript.size(), 1u);

    AptRun invalid;
    invalid.values.boardFile = "earlier.pcb";
    makeApt(invalid, dir.file("missing.pcb"));
    EXPECT_EQ(invalid.host.transcript.back(), "plain|Invalid file name!");
    EXPECT_EQ(invalid.values.boardFile, "earlier.pcb") << "names recorded only for a found file";
    EXPECT_FALSE(invalid.values.aptMade);

    auto board = dir.write("v.pcb", kWorkedExample);
    AptOptions opt;
    opt.openNotepad = true;
    AptRun standalone;
    makeApt(standalone, board, opt);
    EXPECT_EQ(standalone.host.viewed, std::vector<std::string>{dir.file("v.APT")});
    opt.plotMode = true;
    AptRun plot;
    plot.host.yesNoAnswers.push_back(true);
    makeApt(plot, board, opt);
    EXPECT_TRUE(plot.host.viewed.empty()) << "never the viewer in plot mode";
}

TEST(PcbToApt, ExtentsAndPourFlagsStartAfreshEachRun) {
    TempDir dir;
    auto wide = dir.write("w.pcb", crlf({"FT", "0 0 9000 9000 1 1"}));
    auto small = dir.write("s.pcb", crlf({"FT", "100 100 200 200 10 1"}));
    AptOptions opt;
    opt.pourEnable = true;
    AptRun run;
    makeApt(run, wide, opt);
    EXPECT_TRUE(run.values.pourOutline[1]);
    run.host.openAnswers.push_back({small});
    makeAptFile(run.host, opt, run.values);
    EXPECT_EQ(run.values.extents.maxX, 200);
    EXPECT_FALSE(run.values.pourOutline[1]);
}

// Every aperture the plotter looks up for a sample board is in the aperture file made for it,
// and the file reads back entry for entry.
TEST(PcbToApt, SampleBoardsHaveEveryApertureThePlotterLooksUp) {
    auto boards = testing::sampleBoards();
    if (boards.empty()) {
        GTEST_SKIP() << "shared samples absent";
    }
    for (const auto& path : boards) {
        for (bool flash : {false, true}) {
            AptOptions opt;
            opt.fillApertures = flash;
            auto build = buildApertureList(path, opt);
            EXPECT_TRUE(build.problems.empty()) << path;
            board::ApertureTable table;
            std::string text = aptFileText(build.apertures);
            size_t start = 0;
            while (start < text.size()) {
                size_t end = text.find("\r\n", start);
                table.addLine(board::ParseAptLine(text.substr(start, end - start)));
                start = end + 2;
            }
            ASSERT_EQ(table.size(), build.apertures.size()) << path;
            for (size_t i = 0; i < table.size(); ++i) {
                EXPECT_EQ(table.entries()[i].dcode, static_cast<int>(i) + 10);
                EXPECT_EQ(table.entries()[i].shape, build.apertures[i].shape);
                EXPECT_EQ(table.entries()[i].xSize, build.apertures[i].xSize);
                EXPECT_EQ(table.entries()[i].ySize, build.apertures[i].ySize);
            }
            board::BoardReader reader(path);
            board::Enlargements e;
            while (auto kind = reader.next()) {
                const auto& r = reader.record();
                std::string where = path + ":" + std::to_string(reader.recordLine());
                switch (*kind) {
                    case board::RecordKind::Pad: {
                        auto a = board::resolvePad(table, r, e);
                        EXPECT_NE(a.pad, -1) << where;
                        EXPECT_NE(a.solderMask, -1) << where;
                        EXPECT_NE(a.paste, -1) << where;
                        EXPECT_NE(a.planeClearance, -1) << where;
                        if (r.planeCode == 2 && r.layer == 13) {
                            EXPECT_NE(a.groundRelief, -1) << where;
                        }
                        if ((r.planeCode >= 6 && r.planeCode <= 7) && r.shape != 3) {
                            EXPECT_NE(a.outerRelief, -1) << where;
                        }
                        break;
                    }
                    case board::RecordKind::Via: {
                        auto a = board::resolveVia(table, r, e);
                        EXPECT_NE(a.pad, -1) << where;
                        EXPECT_NE(a.solderMask, -1) << where;
                        EXPECT_NE(a.planeClearance, -1) << where;
                        break;
                    }
                    case board::RecordKind::Track:
                    case board::RecordKind::Arc:
                        if (r.width > 0) {
                            EXPECT_NE(board::resolveLine(table, r, e).draw, -1) << where;
                        }
                        break;
                    case board::RecordKind::String:
                        EXPECT_NE(board::resolveString(table, r), -1) << where;
                        break;
                    case board::RecordKind::Fill:
                        if (flash) {
                            EXPECT_NE(board::resolveFill(table, r), -1) << where;
                        }
                        break;
                    case board::RecordKind::Component: {
                        auto a = board::resolveComponent(table, reader.component());
                        if (reader.component().designatorShown == 1) {
                            EXPECT_NE(a.designator, -1) << where;
                        }
                        if (reader.component().commentShown == 1) {
                            EXPECT_NE(a.comment, -1) << where;
                        }
                        break;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace padloom::convert

namespace padloom::convert {
namespace {

// A board large enough to be read in two halves at once gives the aperture list, drill tally,
// extents, pour flags and problems of one reading, with apertures, hole sizes and a pour outline
// first met in the second half; with damaged records in both halves (whose problems must carry
// the line numbers of the whole file) and in the first only.
TEST(PcbToApt, BoardReadInTwoHalvesBuildsTheSameList) {
    for (const bool damagedSecondHalf : {true, false}) {
        SCOPED_TRACE(damagedSecondHalf ? "damaged records in both halves" : "in the first only");
        std::string board = "PCB FILE 4\r\n";
        auto part = [&board](int from, int to, int seed, bool damaged) {
            for (int i = from; i < to; ++i) {
                const int x = 1000 + i % 500;
                const int y = 1000 + i / 500;
                board += "CP\r\n" + std::to_string(x) + " " + std::to_string(y) + " " +
                         std::to_string(40 + (i * seed) % 7) + " 60 " + std::to_string(1 + i % 4) +
                         " " + std::to_string(28 + (i * seed) % 5) + " 2 13\r\n1\r\n";
                board += "FT\r\n" + std::to_string(x) + " " + std::to_string(y) + " " +
                         std::to_string(x + 100) + " " + std::to_string(y) + " " +
                         std::to_string(8 + (i * seed) % 3) + " 6\r\n";
                if (damaged && i % 5000 == 7) {
                    board += "CP\r\n1 2 3 4 0 5 1 13\r\n1\r\nFV\r\n1 2 x 28\r\n";
                }
            }
        };
        part(0, 60000, 1, true);
        // the second half brings new sizes, new holes, a 1-mil outline on top copper and
        // far-off tracks
        part(60000, 120000, 3, damagedSecondHalf);
        board += "FT\r\n0 0 5 5 1 1\r\nFT\r\n-50 99999 99999 -50 12 6\r\nENDPCB\r\n";
        TempDir dir;
        const std::string path = dir.write("big.pcb", board);
        ASSERT_GE(board.size(), board::kHalvesFrom);
        AptOptions opt;
        opt.pourEnable = true;
        const AptBuild once = buildApertureList(path, opt);
        opt.plotMode = true;
        const AptBuild halves = buildApertureList(path, opt);
        ASSERT_TRUE(halves.boardImage);
        ASSERT_EQ(halves.boardImage->parts(), 2u);
        ASSERT_EQ(halves.apertures.size(), once.apertures.size());
        for (size_t i = 0; i < once.apertures.size(); ++i) {
            EXPECT_EQ(halves.apertures[i].shape, once.apertures[i].shape) << i;
            EXPECT_EQ(halves.apertures[i].xSize, once.apertures[i].xSize) << i;
            EXPECT_EQ(halves.apertures[i].ySize, once.apertures[i].ySize) << i;
        }
        ASSERT_EQ(halves.drillTally.size(), once.drillTally.size());
        for (size_t i = 0; i < once.drillTally.size(); ++i) {
            EXPECT_EQ(halves.drillTally[i].holeSize, once.drillTally[i].holeSize);
            EXPECT_EQ(halves.drillTally[i].count, once.drillTally[i].count);
        }
        EXPECT_EQ(halves.extents.minX, once.extents.minX);
        EXPECT_EQ(halves.extents.minY, once.extents.minY);
        EXPECT_EQ(halves.extents.maxX, once.extents.maxX);
        EXPECT_EQ(halves.extents.maxY, once.extents.maxY);
        EXPECT_EQ(halves.pourOutline, once.pourOutline);
        EXPECT_TRUE(once.pourOutline[1]);
        EXPECT_EQ(halves.problems, once.problems);
        EXPECT_EQ(once.problems.size(), (damagedSecondHalf ? 2u : 1u) * 24u);
        EXPECT_EQ(halves.drillGuideDCode, once.drillGuideDCode);
        EXPECT_EQ(halves.hasHeader, once.hasHeader);
    }
}

}  // namespace
}  // namespace padloom::convert
