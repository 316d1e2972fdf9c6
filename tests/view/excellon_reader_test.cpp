#include "support/test_support.h"
#include "view/layer_image.h"
#include "view/layer_summary.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

constexpr double kEps = 1e-9;

std::string problems(const LayerImage& image) {
    std::string text;
    for (const auto& p : image.problems) {
        text += image.describe(p) + "\n";
    }
    return text;
}

// Number forms: the header lines, one hit, and where it lands in inches.
struct NumberCase {
    const char* name;
    std::vector<std::string> header;
    std::string hit;
    Point at;
};

class ExcellonNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ExcellonNumbers, LandWhereMeant) {
    const NumberCase& c = GetParam();
    std::vector<std::string> lines{"M48"};
    lines.insert(lines.end(), c.header.begin(), c.header.end());
    for (const std::string& l : {std::string("T01C0.032"), std::string("%"), std::string("T01"),
                                 c.hit, std::string("T00"), std::string("M30")}) {
        lines.push_back(l);
    }
    LayerImage image = readLayerBytes("d.TXT", testing::crlf(lines));
    EXPECT_EQ(image.format, FileFormat::Excellon);
    EXPECT_EQ(problems(image), "");
    ASSERT_EQ(image.objects.size(), 1u);
    EXPECT_NEAR(image.objects[0].from.x, c.at.x, kEps);
    EXPECT_NEAR(image.objects[0].from.y, c.at.y, kEps);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Excellon, ExcellonNumbers, ::testing::Values(
    // this program's drill files without a format line, in both digit forms
    NumberCase{"Ours23", {"M72"}, "X01500Y-00950", {1.5, -0.95}},
    NumberCase{"Ours24", {"M72"}, "X015000Y020000", {1.5, 2.0}},
    NumberCase{"OursWithFormat", {";FILE_FORMAT=2:3", "INCH,LZ"}, "X01500Y02000", {1.5, 2.0}},
    NumberCase{"InchTrailingZerosKept", {"INCH,TZ"}, "X15000Y500", {1.5, 0.05}},
    NumberCase{"FormatInUnitsLine", {"INCH,TZ,00.000"}, "X1500Y500", {1.5, 0.5}},
    NumberCase{"MetricLeadingZeros", {"METRIC,LZ,000.000"}, "X025400Y0127", {1.0, 0.5}},
    NumberCase{"MetricDefault", {"M71"}, "X0254Y0127", {1.0, 0.5}},
    NumberCase{"DecimalPoints", {"METRIC"}, "X25.4Y-12.7", {1.0, -0.5}},
    NumberCase{"FileFormatTrailing", {";FILE_FORMAT=3:3", "METRIC,TZ"}, "X25400Y12700", {1.0, 0.5}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(ExcellonReader, ToolsHitsSlotsAndRepeats) {
    LayerImage image = readLayerBytes(
        "d.TXT", testing::crlf({"M48", "INCH,LZ", "T1C.020", "T2C0.040F200S65", "%", "T01",
                                "X01000Y01000", "Y02000", "T2", "X03000Y01000G85X04000Y01000",
                                "R3X00100Y00000", "G91", "X00100", "M30"}));
    EXPECT_EQ(problems(image), "");
    ASSERT_EQ(image.tools.size(), 2u);
    EXPECT_EQ(image.tools[0].hits, 2);
    EXPECT_NEAR(image.tools[0].diameter, 0.02, kEps);
    EXPECT_EQ(image.tools[1].slotCount, 1);
    EXPECT_EQ(image.tools[1].hits, 4);  // three repeats and one incremental hit
    ASSERT_EQ(image.objects.size(), 7u);
    EXPECT_EQ(image.objects[2].kind, ObjectKind::Line);
    EXPECT_NEAR(image.objects[2].to.x, 4.0, kEps);
    EXPECT_NEAR(image.objects[5].from.x, 4.3, kEps);  // repeats step from the slot's end
    EXPECT_NEAR(image.objects[6].from.x, 4.4, kEps);
    EXPECT_NEAR(image.extent.x1, 4.42, kEps);
}

TEST(ExcellonReader, ProblemsCarryTheirLine) {
    LayerImage image = readLayerBytes("d.TXT", testing::crlf({"M48",           // 1
                                                              "T01",           // 2 no size
                                                              "%",             // 3
                                                              "X01000Y01000",  // 4 no tool yet
                                                              "T01",           // 5
                                                              "X0a00",         // 6
                                                              "X01000Y01000",  // 7
                                                              "G01X0Y0"}));    // 8
    EXPECT_EQ(problems(image),
              "d.TXT:4: error: hole with no tool selected\n"
              "d.TXT:6: warning: \"X0a00\" not understood; ignored\n"
              "d.TXT:8: warning: routing (G00 to G03) is not shown\n"
              "d.TXT:8: warning: no end of program (M30)\n"
              "d.TXT: warning: tool T01 has no diameter in the file; its hits are drawn 10 mils "
              "wide\n");
    EXPECT_EQ(image.tools[0].hits, 1);
}

TEST(LayerSummary, TextAndJsonTellTheSameFacts) {
    LayerImage drill = readLayerBytes(
        "/b/x\"y.TXT",
        testing::crlf({"M48", "M72", "T01C0.028", "T02C0.125", "%", "T01", "X01000Y01000",
                       "X02000Y01000", "T02", "X01500Y03000", "T00", "M30"}));
    std::string text = describeLayer(drill);
    EXPECT_NE(text.find("Excellon drill, inch, 2.4, leading zeros kept (LZ), absolute (assumed)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("3 hits with 2 tools"), std::string::npos) << text;
    EXPECT_NE(text.find("T01 0.0280 in (0.711 mm): 2 hits"), std::string::npos) << text;
    EXPECT_NE(text.find("size:       1.0280 x 2.0765 in"), std::string::npos) << text;
    std::string json = layersAsJson({drill});
    EXPECT_NE(json.find("\"path\": \"/b/x\\\"y.TXT\""), std::string::npos) << json;
    EXPECT_NE(json.find("{\"number\": 2, \"diameter\": 0.125, \"hits\": 1, \"slots\": 0}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"width\": 1.028"), std::string::npos) << json;
}

}  // namespace
}  // namespace padloom::view
