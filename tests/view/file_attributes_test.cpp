#include "view/file_attributes.h"

#include "view/layer_image.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

const std::string kHeader = "G04 Format statement*\r\n%FSLAX23Y23*%\r\n%MOIN*%\r\n";
const std::string kBody = "%ADD10C,.010*%\r\nD10*\r\nX100Y100D03*\r\nM02*\r\n";

std::string problemsOf(const LayerImage& image) {
    std::string text;
    for (const auto& p : image.problems) {
        text += p.message + "\n";
    }
    return text;
}

// One attribute line of a Gerber file and what the reader makes of it.
struct AttributeCase {
    const char* name;
    std::string line;
    std::string function;  // the file's function as read
    std::string polarity;
    std::string problem;  // the one problem reported, "" for none
};

class Attributes : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(Attributes, AreReadOrReported) {
    const AttributeCase& c = GetParam();
    LayerImage image = readLayerBytes("t.gbr", kHeader + c.line + "\r\n" + kBody);
    EXPECT_EQ(image.fileFunction, c.function);
    EXPECT_EQ(image.filePolarity, c.polarity);
    EXPECT_EQ(problemsOf(image), c.problem.empty() ? "" : c.problem + "\n");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(View, Attributes, ::testing::Values(
    AttributeCase{"CommentForm", "G04 #@! TF.FileFunction,Copper,L2,Inr,Plane*", "Copper,L2,Inr,Plane", "", ""},
    AttributeCase{"CommandForm", "%TF.FileFunction,Soldermask,Bot*%", "Soldermask,Bot", "", ""},
    AttributeCase{"Polarity", "G04 #@! TF.FilePolarity,Negative*", "", "Negative", ""},
    AttributeCase{"OrdinaryComment", "G04 #@ TF.FileFunction,Nonsense*", "", "", ""},
    AttributeCase{"UserAttribute", "%TFMyTool,anything*%", "", "", ""},
    AttributeCase{"CopperWithoutSide", "%TF.FileFunction,Copper,L1*%", "", "",
        "malformed file attribute \".FileFunction,Copper,L1\": a copper layer needs its number and side (\"Copper,L1,Top\")"},
    AttributeCase{"MaskWithoutSide", "%TF.FileFunction,Soldermask*%", "", "",
        "malformed file attribute \".FileFunction,Soldermask\": Soldermask needs its side, Top or Bot"},
    AttributeCase{"DrillSpanBackwards", "%TF.FileFunction,Plated,2,1,PTH*%", "", "",
        "malformed file attribute \".FileFunction,Plated,2,1,PTH\": drill data needs the layers it spans and its kind (\"Plated,1,2,PTH\")"},
    AttributeCase{"MixedPlating", "%TF.FileFunction,MixedPlating,1,4*%", "MixedPlating,1,4", "", ""},
    AttributeCase{"MixedPlatingWithoutSpan", "%TF.FileFunction,MixedPlating*%", "", "",
        "malformed file attribute \".FileFunction,MixedPlating\": drill data needs the layers it spans (\"MixedPlating,1,2\")"},
    AttributeCase{"UnknownFunction", "%TF.FileFunction,Mystery*%", "", "",
        "malformed file attribute \".FileFunction,Mystery\": unknown file function \"Mystery\""},
    AttributeCase{"BadPolarity", "%TF.FilePolarity,positive*%", "", "",
        "malformed file attribute \".FilePolarity,positive\": the polarity is Positive or Negative"},
    AttributeCase{"BadDate", "%TF.CreationDate,8.12.2026*%", "", "",
        "malformed file attribute \".CreationDate,8.12.2026\": not an ISO 8601 date and time (\"2026-12-08T07:30:00+00:00\")"},
    AttributeCase{"OtherProgramsGuid", "%TF.ProjectId,b,6b69742d,2*%", "", "", ""},
    AttributeCase{"BadGuid", "%TF.ProjectId,b,rev 2*%", "", "",
        "malformed file attribute \".ProjectId,b,rev 2\": it needs a name, a GUID (\"8-4-4-4-12\" hex digits) and a revision"},
    AttributeCase{"ComponentLayer", "%TF.FileFunction,Component,L1,Top*%", "Component,L1,Top", "", ""},
    AttributeCase{"UnknownStandard", "%TF.Colour,Green*%", "", "",
        "malformed file attribute \".Colour,Green\": no such standard attribute"},
    AttributeCase{"UnknownAperture", "G04 #@! TA.AperFunction,Pad*", "", "",
        "malformed aperture attribute \".AperFunction,Pad\": unknown function"},
    AttributeCase{"SmdPadWithoutDefinition", "%TA.AperFunction,SMDPad*%", "", "",
        "malformed aperture attribute \".AperFunction,SMDPad\": a pad is defined by its copper or its mask (CuDef or SMDef)"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(FileAttributes, AreKeptInOrderAndAFunctionOnlyOnce) {
    LayerImage image = readLayerBytes(
        "t.gbr", kHeader + "G04 #@! TF.GenerationSoftware,Padloom,padloom,4.6*\r\n" +
                     "%TF.FileFunction,Legend,Top*%\r\nG04 #@! TF.FileFunction,Legend,Bot*\r\n" +
                     kBody);
    ASSERT_EQ(image.fileAttributes.size(), 3u);
    EXPECT_EQ(image.fileAttributes[0].name, ".GenerationSoftware");
    EXPECT_EQ(image.fileAttributes[0].fields,
              (std::vector<std::string>{"Padloom", "padloom", "4.6"}));
    EXPECT_EQ(image.fileAttributes[0].line, 4);
    EXPECT_EQ(image.fileFunction, "Legend,Top");
    EXPECT_EQ(problemsOf(image),
              "malformed file attribute \".FileFunction,Legend,Bot\": the file's function was "
              "given before (\"Legend,Top\")\n");
}

// A function against the extension of the file's name.
struct NameCase {
    const char* path;
    const char* function;
    bool agrees;
};

TEST(FileAttributes, AFunctionThatContradictsTheNameIsReported) {
    // clang-format off
    const NameCase cases[] = {
        {"b.GTL", "Copper,L1,Top", true},          {"b.GTL", "Copper,L4,Bot", false},
        {"b.GBL", "Copper,L4,Bot", true},          {"b.G2", "Copper,L3,Inr", true},
        {"b.GM2", "Other,Unused copper layer", true}, {"b.GP1", "Copper,L2,Inr,Plane", true},
        {"b.GGD", "Copper,L1,Top", false},         {"b.GTS", "Soldermask,Bot", false},
        {"b.GBO", "Legend,Bot", true},             {"b.GTP", "Soldermask,Top", false},
        {"b.GKO", "Profile,NP", true},             {"b.GBD", "Copper,L1,Top", false},
        {"b.GD1", "Drillmap", true},               {"B.OUT.GDG", "Other,Drillguide", true},
        {"b.gbr", "Copper,L1,Top", true},  // not one of our names: nothing to contradict
    };
    // clang-format on
    for (const NameCase& c : cases) {
        LayerImage image = readLayerBytes(
            c.path, kHeader + "G04 #@! TF.FileFunction," + c.function + "*\r\n" + kBody);
        EXPECT_EQ(problemsOf(image).empty(), c.agrees) << c.path << " " << problemsOf(image);
    }
    LayerImage gtl =
        readLayerBytes("b.GTL", kHeader + "G04 #@! TF.FileFunction,Copper,L4,Bot*\r\n" + kBody);
    EXPECT_EQ(problemsOf(gtl),
              "the file says it is \"Copper,L4,Bot\", but its extension .GTL is "
              "that of the top copper\n");
}

TEST(FileAttributes, DrillFilesGiveThemInHeaderComments) {
    LayerImage drill = readLayerBytes(
        "b.TXT",
        "M48\r\n;FILE_FORMAT=2:3\r\nINCH,LZ\r\n; #@! TF.FileFunction,Plated,1,2,PTH\r\n"
        "; #@! TF.FilePolarity,Positive\r\nT01C0.032\r\n%\r\nT01\r\nX01000Y01000\r\n"
        "M30\r\n");
    EXPECT_EQ(drill.format, FileFormat::Excellon);
    EXPECT_EQ(drill.fileFunction, "Plated,1,2,PTH");
    EXPECT_EQ(drill.filePolarity, "Positive");
    EXPECT_EQ(problemsOf(drill), "");
    LayerImage misnamed = readLayerBytes(
        "b.TXT", "M48\r\n; #@! TF.FileFunction,Legend,Top\r\nINCH,LZ\r\n%\r\nM30\r\n");
    EXPECT_EQ(problemsOf(misnamed),
              "the file says it is \"Legend,Top\", but its extension .TXT is "
              "that of the NC drill\n");
}

}  // namespace
}  // namespace padloom::view
