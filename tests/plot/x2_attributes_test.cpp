#include "plot/x2_attributes.h"

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "common/content_id.h"
#include "common/scripted_host.h"
#include "common/version.h"
#include "convert/pcb_to_apt.h"
#include "plot/plot_run.h"
#include "support/test_support.h"
#include "view/layer_image.h"
#include <gtest/gtest.h>

namespace padloom::plot {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kDate = "2026-12-08T07:30:00+00:00";

// A plot run with X2 attributes, as the window makes it: the aperture file, then the plot.
struct X2Run {
    testing::TempDir dir;
    board::RunValues rv;
    common::ScriptedHost host;
    PlotOptions options;
    std::string board;

    explicit X2Run(const std::string& bytes, const std::string& name = "b.pcb") {
        board = dir.write(name, bytes);
        options.x2 = true;
        options.creationDate = kDate;
    }
    void plot() {
        rv.reset();
        convert::AptOptions apt;
        apt.plotMode = true;
        host.openAnswers.push_back({board});
        ASSERT_EQ(convert::makeAptFile(host, apt, rv), common::Outcome::Done);
        plotBoard(host, options, rv);
    }
    std::string file(const std::string& extension) const {
        return testing::readFile(rv.baseName + extension);
    }
};

// The function each aperture of a layer file is defined with: the attribute comment in force
// at its "%ADD" line; "" for none.
std::map<int, std::string> apertureFunctions(const std::string& file) {
    std::map<int, std::string> functions;
    std::string current;
    const std::regex ta("G04 #@! TA\\.AperFunction,(.*)\\*");
    const std::regex add("%ADD(\\d+)\\D.*");
    std::smatch m;
    for (const std::string& line : testing::crlfLines(file)) {
        if (std::regex_match(line, m, ta)) {
            current = m[1];
        } else if (line == "G04 #@! TD*") {
            current.clear();
        } else if (std::regex_match(line, m, add)) {
            functions[std::stoi(m[1])] = current;
        }
    }
    return functions;
}

TEST(X2Attributes, FileFunctionsCountTheCopperTheBoardUses) {
    struct Case {
        std::vector<int> used;  // copper plot layers besides top and bottom
        std::map<int, std::string> functions;
    };
    // clang-format off
    const Case cases[] = {
        {{}, {{1, "Copper,L1,Top"}, {6, "Copper,L2,Bot"}, {2, "Other,Unused copper layer"},
              {13, "Other,Unused copper layer"}, {0, "Plated,1,2,PTH"}}},
        // the usual four-layer board: the planes inside, ground under the top
        {{13, 14}, {{13, "Copper,L2,Inr,Plane"}, {14, "Copper,L3,Inr,Plane"}, {6, "Copper,L4,Bot"},
                    {0, "Plated,1,4,PTH"}}},
        // mid layers between the planes
        {{2, 5, 13, 14}, {{1, "Copper,L1,Top"}, {13, "Copper,L2,Inr,Plane"}, {2, "Copper,L3,Inr"},
                          {5, "Copper,L4,Inr"}, {14, "Copper,L5,Inr,Plane"}, {6, "Copper,L6,Bot"},
                          {3, "Other,Unused copper layer"}}},
        {{3}, {{3, "Copper,L2,Inr"}, {6, "Copper,L3,Bot"}, {7, "Legend,Top"}, {8, "Legend,Bot"},
               {9, "Drillmap"}, {10, "Other,Drillguide"}, {11, "Soldermask,Top"},
               {12, "Soldermask,Bot"}, {15, "Paste,Top"}, {16, "Paste,Bot"}, {17, "Profile,NP"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        CopperUse use{};
        for (int layer : c.used) {
            use[static_cast<size_t>(layer)] = true;
        }
        const CopperStack stack(use);
        for (const auto& [layer, function] : c.functions) {
            const SetFile& file = layer == 0 ? ncDrillSetFile() : *setFileOfLayer(layer);
            EXPECT_EQ(fileFunction(file, stack), function) << "layer " << layer;
        }
    }
    // the masks picture their openings; the planes are written positive with X2 attributes
    EXPECT_EQ(filePolarity(*setFileOfLayer(11)), "Negative");
    EXPECT_EQ(filePolarity(*setFileOfLayer(12)), "Negative");
    EXPECT_EQ(filePolarity(*setFileOfLayer(13)), "Positive");
    EXPECT_EQ(filePolarity(*setFileOfLayer(1)), "Positive");
}

TEST(X2Attributes, TwoLayerBoardGivesItsReferenceAttributes) {
    const std::string data = testing::sourceDir() + "/tests/data/x2/";
    X2Run run(testing::readFile(data + "two-layer.pcb"), "two-layer.pcb");
    run.options.layers.fill(true);
    run.options.ncDrill = true;
    run.plot();

    // the reference: "*" lines for every file, then each file's own, field by field
    std::vector<view::FileAttribute> common;
    std::map<std::string, std::vector<view::FileAttribute>> own;
    std::istringstream reference(testing::readFile(data + "two-layer-attributes.txt"));
    std::string line;
    while (std::getline(reference, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream words(line);
        std::string file, name, fields;
        words >> file >> name;
        std::getline(words >> std::ws, fields);
        view::FileAttribute a{name, {}, 0};
        std::istringstream split(fields);
        for (std::string field; std::getline(split, field, '|');) {
            a.fields.push_back(field == "<version>" ? common::programVersion() : field);
        }
        (file == "*" ? common : own[file]).push_back(a);
    }
    ASSERT_EQ(own.size(), 18u);
    for (const auto& [extension, attributes] : own) {
        const view::LayerImage image = view::readLayerFile(run.rv.baseName + "." + extension);
        std::vector<view::FileAttribute> expected = common;
        expected.insert(expected.end(), attributes.begin(), attributes.end());
        ASSERT_EQ(image.fileAttributes.size(), expected.size()) << extension;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(image.fileAttributes[i].name, expected[i].name) << extension;
            EXPECT_EQ(image.fileAttributes[i].fields, expected[i].fields)
                << extension << " " << expected[i].name;
        }
        EXPECT_TRUE(image.problems.empty()) << extension << " " << image.problems[0].message;
    }
}

TEST(X2Attributes, AperturesTakeTheFunctionOfWhatTheyDraw) {
    // a through-hole pad, a surface pad, a via, tracks on top, a text on copper and one on the
    // legend, and the board outline drawn with the width of one of the tracks
    X2Run run(testing::crlf({"PCB FILE 4", "FP", "1000 1000 60 60 1 32 2 13", "1", "FP",
                             "1500 1000 50 80 2 0 0 1", "2", "FV", "1250 1250 40 20", "FT",
                             "1000 1000 1250 1250 12 1", "FT", "1250 1250 1500 1250 10 1", "FT",
                             "500 500 2000 500 10 11", "FS", "600 1300 60 0 8 1", "X", "FS",
                             "600 1500 60 0 9 7", "Y", "ENDPCB"}));
    for (int layer : {1, 7, 9, 11, 13, 15}) {
        run.options.layers[static_cast<size_t>(layer)] = true;
    }
    run.plot();
    // the D-codes of the apertures as the aperture file lists them
    const std::string apt = testing::readFile(run.rv.aptFile);
    auto dcodeOf = [&](const std::string& shape, int x, int y) {
        std::smatch m;
        const std::string size = std::to_string(x) + "\t" + std::to_string(y) + "\t";
        EXPECT_TRUE(std::regex_search(apt, m, std::regex("D(\\d+)\t" + shape + " *\t" + size)))
            << shape << " " << size;
        return m.empty() ? -1 : std::stoi(m[1]);
    };
    const int thPad = dcodeOf("CIRCULAR", 60, 60);
    const int thMask = dcodeOf("CIRCULAR", 66, 66);
    const int smdPad = dcodeOf("RECTANGULAR", 50, 80);
    const int smdPaste = smdPad;  // a paste enlargement of 0
    const int via = dcodeOf("CIRCULAR", 40, 40);
    const int track = dcodeOf("CIRCULAR", 12, 12);
    const int shared = dcodeOf("CIRCULAR", 10, 10);
    const int text = dcodeOf("CIRCULAR", 8, 8);
    const int legendText = dcodeOf("CIRCULAR", 9, 9);
    const int relief = dcodeOf("RELIEF", 60, 60);
    const int viaClearance = dcodeOf("CIRCULAR", 46, 46);

    auto top = apertureFunctions(run.file(".GTL"));
    EXPECT_EQ(top[thPad], "ComponentPad");
    EXPECT_EQ(top[smdPad], "SMDPad,CuDef");
    EXPECT_EQ(top[via], "ViaPad");
    EXPECT_EQ(top[track], "Conductor");
    EXPECT_EQ(top[shared], "");  // a conductor and the profile: no one function is true of it
    EXPECT_EQ(top[text], "NonConductor");
    EXPECT_EQ(top[thMask], "");  // not drawn on copper
    // pad functions belong to copper: the masks and paste draw material
    auto mask = apertureFunctions(run.file(".GTS"));
    EXPECT_EQ(mask[thMask], "Material");
    EXPECT_EQ(mask[thPad], "");
    EXPECT_EQ(apertureFunctions(run.file(".GTP"))[smdPaste], "Material");
    auto ground = apertureFunctions(run.file(".GGD"));
    EXPECT_EQ(ground[relief], "ThermalReliefPad");
    EXPECT_EQ(ground[viaClearance], "AntiPad");
    auto drawing = apertureFunctions(run.file(".GDD"));
    EXPECT_EQ(drawing[10], "NonMaterial");  // the drill drawing's pen
    EXPECT_EQ(drawing[shared], "Profile");
    // copper text conducts nothing; printed text is the legend's material
    EXPECT_EQ(apertureFunctions(run.file(".GTO"))[legendText], "Material");

    // the attributes are comments, closed before the end of the definitions; no image
    // polarity, and linear multi-quadrant interpolation from the header on
    const Lines lines = testing::crlfLines(run.file(".GTL"));
    EXPECT_EQ(lines[3], "G04 #@! TF.GenerationSoftware,Padloom,padloom," +
                            std::string(common::programVersion()) + "*");
    EXPECT_EQ(lines[9], "G04 Apeture information*");
    auto end = std::find(lines.begin(), lines.end(), "G04 End of apeture information*");
    ASSERT_NE(end, lines.end());
    auto last = std::find_if(std::make_reverse_iterator(end), lines.rend(),
                             [](const std::string& l) { return l.starts_with("G04 #@! T"); });
    ASSERT_NE(last, lines.rend());
    EXPECT_EQ(*last, "G04 #@! TD*");
    EXPECT_EQ(Lines(end + 1, end + 3), (Lines{"G01*", "G75*"}));
}

TEST(X2Attributes, DrillFileAndJobFile) {
    X2Run run(testing::crlf({"PCB FILE 4", "FP", "1000 1000 60 60 1 32 0 13", "1", "FT",
                             "500 500 2000 500 10 11", "FT", "2000 500 2000 1500 10 11", "FT",
                             "2000 1500 500 1500 10 11", "FT", "500 1500 500 500 10 11",
                             "ENDPCB"}),
              "j,b.pcb");
    run.options.layers[1] = true;
    run.options.layers[17] = true;
    run.options.ncDrill = true;
    run.plot();
    EXPECT_EQ(run.host.lines.end()[-3], "Job file");  // then the unticked layers, "Done"
    const Lines drill = testing::crlfLines(run.file(".TXT"));
    ASSERT_GE(drill.size(), 10u);
    const std::string guid = common::projectUuid("j,b");
    EXPECT_EQ(
        Lines(drill.begin() + 3, drill.begin() + 10),
        (Lines{
            "M72",
            "; #@! TF.GenerationSoftware,Padloom,padloom," + std::string(common::programVersion()),
            std::string("; #@! TF.CreationDate,") + kDate,
            "; #@! TF.ProjectId,j\\u002Cb," + guid + ",rev?", "; #@! TF.SameCoordinates,j\\u002Cb",
            "; #@! TF.FileFunction,Plated,1,2,PTH", "; #@! TF.FilePolarity,Positive"}));
    // the board's size is the outline's extent along the centre of its lines: 1500 by 1000
    // mils, not 1510 by 1010 with the pen
    EXPECT_EQ(run.file(".gbrjob"),
              "{\r\n"
              "  \"Header\": {\r\n"
              "    \"GenerationSoftware\": {\"Vendor\": \"Padloom\", \"Application\": "
              "\"padloom\", \"Version\": \"" +
                  std::string(common::programVersion()) +
                  "\"},\r\n"
                  "    \"CreationDate\": \"2026-12-08T07:30:00+00:00\"\r\n"
                  "  },\r\n"
                  "  \"GeneralSpecs\": {\r\n"
                  "    \"ProjectId\": {\"Name\": \"j,b\", \"GUID\": \"" +
                  guid +
                  "\", \"Revision\": \"rev?\"},\r\n"
                  "    \"Size\": {\"X\": 38.1, \"Y\": 25.4},\r\n"
                  "    \"LayerNumber\": 2\r\n"
                  "  },\r\n"
                  "  \"FilesAttributes\": [\r\n"
                  "    {\"Path\": \"j,b.GTL\", \"FileFunction\": \"Copper,L1,Top\", "
                  "\"FilePolarity\": \"Positive\"},\r\n"
                  "    {\"Path\": \"j,b.GBD\", \"FileFunction\": \"Profile,NP\", "
                  "\"FilePolarity\": \"Positive\"},\r\n"
                  "    {\"Path\": \"j,b.TXT\", \"FileFunction\": \"Plated,1,2,PTH\", "
                  "\"FilePolarity\": \"Positive\"}\r\n"
                  "  ]\r\n"
                  "}\r\n");
}

TEST(X2Attributes, ProjectIdFollowsTheBoardsNameNotItsBytes) {
    std::vector<std::string> board = {"PCB FILE 4", "FV", "1000 1000 40 20", "ENDPCB"};
    X2Run first(testing::crlf(board), "job.pcb");
    first.plot();
    board[2] = "1100 1000 40 20";  // the board edited
    X2Run second(testing::crlf(board), "JOB.PCB");
    second.plot();
    const std::string id = "\"GUID\": \"" + common::projectUuid("job") + "\"";
    EXPECT_NE(first.file(".gbrjob").find(id), std::string::npos) << first.file(".gbrjob");
    EXPECT_NE(second.file(".gbrjob").find(id), std::string::npos) << second.file(".gbrjob");
}

TEST(X2Attributes, FieldsAndDates) {
    EXPECT_EQ(attributeField("board-2 rev.B"), "board-2 rev.B");
    EXPECT_EQ(attributeField("a,b*c%d\\e"), "a\\u002Cb\\u002Ac\\u0025d\\u005Ce");
    EXPECT_EQ(attributeField("\xB5V"), "\\u00B5V");  // Latin-1, as the board file holds it
    EXPECT_TRUE(std::regex_match(isoDateNow(),
                                 std::regex("20\\d\\d-[01]\\d-[0-3]\\dT[0-2]\\d:[0-5]\\d:[0-5]\\d"
                                            "\\+00:00")));
}

}  // namespace
}  // namespace padloom::plot
