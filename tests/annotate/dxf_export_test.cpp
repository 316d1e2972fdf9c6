#include "annotate/dxf_export.h"

#include <algorithm>
#include <filesystem>

#include "annotate/height_file.h"
#include "common/number_format.h"
#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::annotate {
namespace {

using common::ScriptedHost;
using testing::TempDir;
using Lines = std::vector<std::string>;

/// Position of `part` as a contiguous run of lines in `all`, or npos.
size_t find(const Lines& all, const Lines& part, size_t from = 0) {
    auto it =
        std::search(all.begin() + std::min(from, all.size()), all.end(), part.begin(), part.end());
    return it == all.end() ? std::string::npos : static_cast<size_t>(it - all.begin());
}

size_t count(const Lines& all, const std::string& line) {
    return static_cast<size_t>(std::count(all.begin(), all.end(), line));
}

/// The entity lines of a DXF (between "ENTITIES" and the closing "ENDSEC").
Lines entities(const Lines& dxf) {
    size_t start = find(dxf, {"  2", "ENTITIES"});
    EXPECT_NE(start, std::string::npos);
    EXPECT_GE(dxf.size(), 4u);
    return Lines(dxf.begin() + static_cast<long>(start) + 2, dxf.end() - 4);
}

/// The lines of a board file: the records given after the "PCB FILE 4" line and before the
/// "ENDPCB" line.
Lines withHeader(Lines lines) {
    if (lines.empty() || lines.front().rfind("PCB FILE", 0) != 0) {
        lines.insert(lines.begin(), "PCB FILE 4");
    }
    if (lines.back() != "ENDPCB") {
        lines.push_back("ENDPCB");
    }
    return lines;
}

struct Board {
    TempDir dir;
    std::string path;
    explicit Board(const Lines& lines, const std::string& name = "b.pcb")
        : path(dir.write(name, testing::crlf(withHeader(lines)))) {}
    Lines dxf() const { return testing::crlfLines(testing::readFile(dir.file("b.DXF"))); }
    std::string heights() const { return testing::readFile(dir.file("b.DAT")); }
};

Lines component(const std::string& pattern, const std::string& comment, const Lines& primitives) {
    Lines lines = {"COMP",     "U1", pattern, comment, "100 100 60 0 8 7", "100 200 60 0 8 7",
                   "0 0 2 2 2"};
    lines.insert(lines.end(), primitives.begin(), primitives.end());
    lines.push_back("ENDCOMP");
    return lines;
}

Lines concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

TEST(DxfInches, ShortestDecimalOfMils) {
    // clang-format off
    const std::pair<long long, const char*> cases[] = {
        {1500, "1.5"}, {2000, "2"}, {31, "0.031"}, {-1, "-0.001"}, {0, "0"}, {-2500, "-2.5"},
        {10, "0.01"}, {2147483647, "2147483.647"}, {-2147483648LL, "-2147483.648"}};
    // clang-format on
    for (const auto& [mils, text] : cases) {
        EXPECT_EQ(common::dxfInches(mils), text) << mils;
    }
}

TEST(DxfExport, HeaderDeclaresFiveLayersAndTheFileEnds) {
    Board board({"PCB FILE 4", "ENDPCB"});
    ScriptedHost host;
    ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
    Lines expected = {"  0",   "SECTION", "  2",   "TABLES", "  0",
                      "TABLE", "  2",     "LAYER", "  70",   "5"};
    for (auto [name, colour] :
         {std::pair{"T", "1"}, {"B", "5"}, {"PCB", "7"}, {"MULTI", "3"}, {"FR4", "120"}}) {
        Lines layer = {"  0", "LAYER", "  2",  name,  "  70",
                       "0",   "  62",  colour, "  6", "CONTINUOUS"};
        expected.insert(expected.end(), layer.begin(), layer.end());
    }
    Lines tail = {"  0", "ENDTAB",   "  0", "ENDSEC", "  0", "SECTION",
                  "  2", "ENTITIES", "  0", "ENDSEC", "  0", "EOF"};
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(board.dxf(), expected);
    EXPECT_EQ(host.lines, (Lines{".DXF", "Done"}));
    EXPECT_TRUE(std::filesystem::exists(board.dir.file("b.DAT"))) << "created empty";
    EXPECT_EQ(board.heights(), "");
}

TEST(DxfExport, PadsByShapeAndLayer) {
    Board board({"FP",    "1500 2000 60 60 1 0 1 1",    "1",  // free round pad, top
                 "FP",    "3000 3000 60 60 1 32 1 13",  "2",  // through hole
                 "FP",    "4000 4000 60 60 3 32 1 13",  "3",  // octagon: nothing
                 "FP",    "5000 5000 60 60 1 0 1 7",    "4",  // overlay: nothing
                 "FP",    "1000 1000 100 40 2 0 1 6",   "5",  // rectangle, bottom
                 "FP",    "2000 1000 100 40 4 0 1 1",   "6",  // rounded, wide
                 "FP",    "3000 1000 40 100 4 20 1 13", "7",  // rounded, tall, with hole
                 "ENDPCB"});
    ScriptedHost host;
    ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
    const Lines e = entities(board.dxf());
    // clang-format off
    const Lines expected = {
        "  0", "CIRCLE", "  8", "T", "  10", "1.5", "  20", "2", "  30", "0", "  40", "0.03",
        "  0", "CIRCLE", "  8", "MULTI", "  10", "3", "  20", "3", "  30", "0", "  40", "0.03",
        "  0", "CIRCLE", "  8", "MULTI", "  10", "3", "  20", "3", "  30", "0", "  40", "0.016",
        "  0", "POLYLINE", "  8", "B", " 66", "1", "  40", "0", "  41", "0",
        "  0", "VERTEX", "  8", "B", "  10", "0.95", "  20", "0.98",
        "  0", "VERTEX", "  8", "B", "  10", "1.05", "  20", "0.98",
        "  0", "VERTEX", "  8", "B", "  10", "1.05", "  20", "1.02",
        "  0", "VERTEX", "  8", "B", "  10", "0.95", "  20", "1.02",
        "  0", "VERTEX", "  8", "B", "  10", "0.95", "  20", "0.98",
        "  0", "SEQEND",
        // wide rounded rectangle: a = 50, b = 20
        "  0", "POLYLINE", "  8", "T", " 66", "1", "  40", "0", "  41", "0",
        "  0", "VERTEX", "  8", "T", "  10", "1.97", "  20", "1.02",
        "  0", "VERTEX", "  8", "T", "  10", "2.03", "  20", "1.02", "  0", "SEQEND",
        "  0", "POLYLINE", "  8", "T", " 66", "1", "  40", "0", "  41", "0",
        "  0", "VERTEX", "  8", "T", "  10", "1.97", "  20", "0.98",
        "  0", "VERTEX", "  8", "T", "  10", "2.03", "  20", "0.98", "  0", "SEQEND",
        "  0", "ARC", "  8", "T", "  10", "1.97", "  20", "1", "  40", "0.02", "  50", "90",
        "  51", "270",
        "  0", "ARC", "  8", "T", "  10", "2.03", "  20", "1", "  40", "0.02", "  50", "270",
        "  51", "90",
        // tall rounded rectangle: a = 20, b = 50, and its hole
        "  0", "POLYLINE", "  8", "MULTI", " 66", "1", "  40", "0", "  41", "0",
        "  0", "VERTEX", "  8", "MULTI", "  10", "2.98", "  20", "1.03",
        "  0", "VERTEX", "  8", "MULTI", "  10", "2.98", "  20", "0.97", "  0", "SEQEND",
        "  0", "POLYLINE", "  8", "MULTI", " 66", "1", "  40", "0", "  41", "0",
        "  0", "VERTEX", "  8", "MULTI", "  10", "3.02", "  20", "1.03",
        "  0", "VERTEX", "  8", "MULTI", "  10", "3.02", "  20", "0.97", "  0", "SEQEND",
        "  0", "ARC", "  8", "MULTI", "  10", "3", "  20", "1.03", "  40", "0.02", "  50", "0",
        "  51", "180",
        "  0", "ARC", "  8", "MULTI", "  10", "3", "  20", "0.97", "  40", "0.02", "  50", "180",
        "  51", "0",
        "  0", "CIRCLE", "  8", "MULTI", "  10", "3", "  20", "1", "  30", "0", "  40", "0.01",
    };
    // clang-format on
    EXPECT_EQ(e, expected);
}

TEST(DxfExport, ComponentTrackRaisedToTheHeightProposedByItsComment) {
    Board board(component("DIP8", "h=250", {"CT", "1000 1000 1200 1000 10 7"}));
    ScriptedHost host;
    host.lineAnswers.push_back("250");  // the user confirms the proposal
    ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
    EXPECT_EQ(host.transcript,
              (Lines{"memo|.DXF", "memo|U1\tDIP8",
                     "line|Component height entry|height for DIP8|250", "memo|Done"}));
    // clang-format off
    const Lines expected = {
        "  0", "POLYLINE", "  8", "PCB", " 66", "1", "  39", "0.25", "  40", "0.01", "  41", "0.01",
        "  0", "VERTEX", "  8", "PCB", "  10", "1", "  20", "1",
        "  0", "VERTEX", "  8", "PCB", "  40", "0.01", "  41", "0.01", "  10", "1.2", "  20", "1",
        "  0", "SEQEND", "  8", "PCB"};
    // clang-format on
    EXPECT_EQ(entities(board.dxf()), expected);
    EXPECT_EQ(HeightFile(board.dir.file("b.DAT")).lookup("DIP8"), 250);
}

TEST(DxfExport, OverlayOutlinesAndArcsOfBothSides) {
    Board board(component("SO8", "",
                          {"CT", "0 0 100 0 8 8",      // bottom overlay: downward
                           "CA", "500 500 0 5 8 7",    // radius 0 counts as 1 mil
                           "CA", "600 600 40 8 8 13",  // Multi Layer arc
                           "CT", "0 0 100 0 8 1"}));   // copper track of the part
    ScriptedHost host;
    host.lineAnswers.push_back("120");
    ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
    const Lines e = entities(board.dxf());
    EXPECT_NE(find(e, {"  8", "PCB", " 66", "1", "  39", "-0.12", "  40", "0.008"}),
              std::string::npos);
    EXPECT_NE(find(e, {"  0", "ARC", "  8", "PCB", "  39", "0.12", "  10", "0.5", "  20", "0.5",
                       "  40", "0.001", "  50", "0", "  51", "90"}),
              std::string::npos);
    EXPECT_NE(find(e, {"  0", "ARC", "  8", "PCB", "  39", "0.12", "  10", "0.5", "  20", "0.5",
                       "  40", "0.001", "  50", "180", "  51", "270"}),
              std::string::npos);
    EXPECT_NE(find(e, {"  0", "ARC", "  8", "MULTI", "  10", "0.6", "  20", "0.6", "  40", "0.04",
                       "  50", "270", "  51", "360"}),
              std::string::npos);
    EXPECT_EQ(count(e, "ARC"), 3u);
    EXPECT_NE(find(e, {"  0", "POLYLINE", "  8", "T", " 66", "1", "  40", "0.008"}),
              std::string::npos)
        << "a copper track of a component gets no thickness";
}

TEST(DxfExport, FreeObjectsOnlyOnTheBoardLayerAndStringsAnywhere) {
    Board board({"FT",
                 "0 0 1000 0 10 11",  // outline: PCB, no thickness
                 "FT",
                 "0 0 1000 0 10 1",  // free copper track: nothing
                 "FA",
                 "0 0 100 15 10 11",  // outline arc: four quarters
                 "FA",
                 "0 0 100 15 10 1",  // free copper arc: nothing
                 "FF",
                 "0 0 10 10 1",  // fills: nothing
                 "FV",
                 "10 10 50 28",  // vias: nothing
                 "CP",
                 "0 0 60 60 1 0 1 1",
                 "1",  // component pad outside a component: nothing
                 "FS",
                 "100 200 60 17 8 6",
                 "COMPONENT SIDE",  // the text is no header
                 "ENDPCB",
                 "FP",
                 "0 0 60 60 1 0 1 1",
                 "1"});  // after the end: not read
    ScriptedHost host;
    ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
    const Lines e = entities(board.dxf());
    // clang-format off
    const Lines track = {
        "  0", "POLYLINE", "  8", "PCB", " 66", "1", "  40", "0.01", "  41", "0.01",
        "  0", "VERTEX", "  8", "PCB", "  10", "0", "  20", "0",
        "  0", "VERTEX", "  8", "PCB", "  40", "0.01", "  41", "0.01", "  10", "1", "  20", "0",
        "  0", "SEQEND", "  8", "PCB"};
    const Lines text = {
        "  0", "TEXT", "  8", "B", "  1", "COMPONENT SIDE", "  10", "0.1", "  20", "0.2",
        "  11", "0.1", "  21", "0.2", "  40", "0.06", "  50", "90", "  71", "4", "  72", "0",
        "  73", "1"};
    // clang-format on
    EXPECT_EQ(find(e, track), 0u);
    EXPECT_EQ(count(e, "POLYLINE"), 1u);
    EXPECT_EQ(count(e, "ARC"), 4u);
    EXPECT_EQ(count(e, "CIRCLE"), 0u);
    EXPECT_EQ(find(e, text) + text.size(), e.size()) << "the string is the last entity";
    EXPECT_EQ(host.lines, (Lines{".DXF", "Done"})) << "no component was started";
}

TEST(DxfExport, TextRotationCodes) {
    // clang-format off
    struct Case { int code; const char* angle; const char* generation; const char* vertical; };
    const Case cases[] = {{0, "0", "0", "0"},   {1, "90", "0", "0"},   {2, "180", "0", "0"},
                          {3, "270", "0", "0"}, {16, "0", "2", "0"},   {17, "90", "4", "1"},
                          {18, "180", "2", "0"}, {19, "270", "4", "0"}, {5, "0", "0", "0"}};
    // clang-format on
    for (const auto& c : cases) {
        Board board({"FS", "0 0 50 " + std::to_string(c.code) + " 8 1", "X"});
        ScriptedHost host;
        ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
        EXPECT_NE(find(entities(board.dxf()), {"  40", "0.05", "  50", c.angle, "  71",
                                               c.generation, "  72", "0", "  73", c.vertical}),
                  std::string::npos)
            << "rotation code " << c.code;
    }
}

TEST(DxfExport, ComponentTextsOnlyWhenShownOnOverlayOrBoardLayer) {
    Lines lines = {"COMP",      "R7",     "RES", "10K", " 10 20 50 0 6 7", "30 40 60 1 8 11",
                   "0 0 1 2 0", "ENDCOMP"};
    Board board(lines);
    ScriptedHost host;
    host.lineAnswers.push_back("");  // nothing proposed ("10K"), nothing entered
    ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
    EXPECT_EQ(host.transcript[2], "line|Component height entry|height for RES|");
    const Lines e = entities(board.dxf());
    EXPECT_EQ(e, (Lines{"  0",  "TEXT", "  8",  "PCB",  "  1",  "R7",   "  10", "0.03",
                        "  20", "0.04", "  11", "0.03", "  21", "0.04", "  40", "0.06",
                        "  50", "90",   "  71", "0",    "  72", "0",    "  73", "0"}))
        << "designator shown on the board layer; comment flag 2 is not shown";
}

TEST(DxfExport, HeightQuestionsAndTheHeightFile) {
    const std::string longName(40, 'P');
    Board board(concat({component("A", "H=250", {"CT", "0 0 1 1 5 7"}),  // no proposal
                        component("A", "h=250", {"CT", "0 0 1 1 5 7"}),  // asked again
                        component("B", "h=12345678901234", {}),          // ten characters
                        component(longName, "", {}), component(longName, "", {})}));
    {
        ScriptedHost host;
        host.lineAnswers = {std::nullopt, "300", "2mm", "77"};
        ASSERT_EQ(createDxf(host, board.path), common::Outcome::Done);
        Lines asked;
        for (const auto& t : host.transcript) {
            if (t.rfind("line|", 0) == 0) {
                asked.push_back(t);
            }
        }
        EXPECT_EQ(asked, (Lines{"line|Component height entry|height for A|",
                                "line|Component height entry|height for A|250",
                                "line|Component height entry|height for B|1234567890",
                                "line|Component height entry|height for " + longName + "|"}))
            << "a cancelled answer asks again; a long pattern is found by its first 32";
        EXPECT_NE(std::find(host.lines.begin(), host.lines.end(),
                            "B: \"2mm\" is not a whole number of mils; no height"),
                  host.lines.end());
        const Lines e = entities(board.dxf());
        EXPECT_EQ(find(e, {"  39", "0", "  40", "0.005"}) != std::string::npos, true)
            << "no height gives thickness 0, not -0.001";
        EXPECT_NE(find(e, {"  39", "0.3", "  40", "0.005"}), std::string::npos);
    }
    HeightFile file(board.dir.file("b.DAT"));
    ASSERT_EQ(file.records().size(), 4u);
    EXPECT_EQ(file.records()[0].name, "A");
    EXPECT_EQ(file.records()[0].height, -1);
    EXPECT_EQ(file.records()[1].height, 300);
    EXPECT_EQ(file.records()[2].height, -1);
    EXPECT_EQ(file.records()[3].name, std::string(32, 'P'));
    EXPECT_EQ(file.records()[3].height, 77);

    // a second export asks only for B, whose earlier answer was no height
    ScriptedHost again;
    ASSERT_EQ(createDxf(again, board.path), common::Outcome::Done);
    EXPECT_EQ(count(again.transcript, "line|Component height entry|height for B|1234567890"), 1u);
    EXPECT_EQ(again.transcript.size(), 8u) << "memo .DXF, five components, one question, Done";
    EXPECT_EQ(std::filesystem::file_size(board.dir.file("b.DAT")), 4u * 40u)
        << "a second -1 for B adds nothing";
}

TEST(HeightFile, RecordBytes) {
    auto bytes = encodeHeightRecord("DIP14", 250);
    std::array<unsigned char, 40> expected{};
    expected[0] = 5;
    for (int i = 0; i < 5; ++i) {
        expected[1 + i] = static_cast<unsigned char>("DIP14"[i]);
    }
    expected[36] = 250;
    EXPECT_EQ(bytes, expected);

    bytes = encodeHeightRecord(std::string(35, 'x'), -1);
    EXPECT_EQ(bytes[0], 32);
    EXPECT_EQ(bytes[32], 'x');
    EXPECT_EQ(bytes[33], 0);
    EXPECT_EQ(bytes[35], 0);
    EXPECT_EQ((std::array{bytes[36], bytes[37], bytes[38], bytes[39]}),
              (std::array<unsigned char, 4>{0xFF, 0xFF, 0xFF, 0xFF}));

    bytes = encodeHeightRecord("Q", 0x01020304);
    EXPECT_EQ((std::array{bytes[36], bytes[37], bytes[38], bytes[39]}),
              (std::array<unsigned char, 4>{4, 3, 2, 1}))
        << "little-endian";
    auto back = decodeHeightRecord(bytes.data());
    EXPECT_EQ(back.name, "Q");
    EXPECT_EQ(back.height, 0x01020304);
}

TEST(HeightFile, LookupTakesTheLastRealHeight) {
    TempDir dir;
    std::string bytes;
    for (auto [name, height] : {std::pair{"DIP8", 100},
                                {"SO8", -1},
                                {"SO8", 60},
                                {"DIP8", 120},
                                {"SO8", -1},
                                {"dip8", 5}}) {
        auto r = encodeHeightRecord(name, height);
        bytes.append(r.begin(), r.end());
    }
    auto path = dir.write("h.DAT", bytes);
    {
        HeightFile file(path);
        EXPECT_EQ(file.lookup("DIP8"), 120);
        EXPECT_EQ(file.lookup("SO8"), 60) << "a -1 stored later does not hide the answer";
        EXPECT_EQ(file.lookup("dip8"), 5) << "case-sensitive";
        EXPECT_EQ(file.lookup("TO92"), -1);
        file.append("TO92", 200);
    }
    EXPECT_EQ(std::filesystem::file_size(path), 7u * 40u);
    EXPECT_EQ(HeightFile(path).lookup("TO92"), 200);
}

TEST(DxfExport, RefusesToWriteOverTheBoard) {
    for (const std::string name : {"x.DXF", "x.DAT"}) {
        TempDir dir;
        const std::string content = testing::crlf({"FP", "0 0 60 60 1 0 1 1", "1"});
        auto path = dir.write(name, content);
        ScriptedHost host;
        EXPECT_EQ(createDxf(host, path), common::Outcome::Refused) << name;
        ASSERT_FALSE(host.transcript.empty());
        EXPECT_EQ(host.transcript.back().rfind("error|", 0), 0u) << host.transcript.back();
        EXPECT_EQ(testing::readFile(path), content) << name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
            << "nothing else written";
    }
}

TEST(DxfExport, MakeDxfAsksForTheBoardAndChecksIt) {
    Board board({"FP", "0 0 60 60 1 0 1 1", "1"});
    ScriptedHost host;
    host.openAnswers.push_back({board.dir.file("missing.pcb")});
    EXPECT_EQ(makeDxf(host), common::Outcome::Refused);
    EXPECT_EQ(host.transcript, (Lines{"open|1|", "plain|Invalid file name!"}));
    ScriptedHost cancelled;
    EXPECT_EQ(makeDxf(cancelled), common::Outcome::Cancelled);
    ScriptedHost ok;
    ok.openAnswers.push_back({board.path});
    EXPECT_EQ(makeDxf(ok), common::Outcome::Done);
    EXPECT_EQ(ok.lines, (Lines{board.path, ".DXF", "Done"}));
}

}  // namespace
}  // namespace padloom::annotate
