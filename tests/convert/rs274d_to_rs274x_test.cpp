#include "convert/rs274d_to_rs274x.h"

#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::convert {
namespace {

using testing::crlf;
using testing::readFile;
using testing::TempDir;

std::string definitionOf(const std::string& line, bool metric = false) {
    auto a = parseConverterAptLine(line);
    return a ? converterApertureDefinition(*a, metric) : "(skipped)";
}

TEST(Rs274x, ApertureDefinitions) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"D10 ROUND 5", "%ADD10C,.005*%\r\n"},
        {"D11 SQUARE 60", "%ADD11R,.060X.060*%\r\n"},
        {"D12\tCIRCULAR   \t60\t60\t0\tMULTI", "%ADD12C,.060*%\r\n"},  // our own aperture file
        {"D13\tRECTANGULAR\t60\t80\t0\tFLASH", "%ADD13R,.060X.080*%\r\n"},
        {"D14 roundrect 50,70", "%ADD14O,.050X.070*%\r\n"},
        {"D15 octagonal 62", "%ADD15P,.062X8*%\r\n"},
        {"D16 RELIEF 60", "%AMTHERM60*7,0,0,.080,.060,.015,0*%\r\n%ADD16THERM60*%\r\n"},
        {"D17 round 1250", "%ADD17C,1.250*%\r\n"},
        {"D18 ROUND 99999999999", "%ADD18C,.010*%\r\n"},  // too long to be a size: 10
        {"D19 MOIRE 100", "%AMMOIRE100*6,0,0,.100,.010,.010,5,0,0,0*%\r\n%ADD19MOIRE100*%\r\n"},
        {"D25\tMOIRE      \t4\t4\t0\tFLASH", "%AMMOIRE4*6,0,0,.004,.001,.001,5,0,0,0*%\r\n"
                                                 "%ADD25MOIRE4*%\r\n"},
        {"D20 CIRCLE 10 X", ""},
        {"D21 RECTANGULAR 60", ""},                         // no y size
        {"D22 ROUND", "(skipped)"},                         // no size after the word
        {"D23 ROUND 5.5", "(skipped)"},                     // a point inside the number
        {"D2x ROUND 5", "(skipped)"},                       // a letter inside the D-code
        {"D24 RECTANGULAR 60 8O", "(skipped)"},
    };
    // clang-format on
    for (const auto& [line, out] : cases) {
        EXPECT_EQ(definitionOf(line), out) << line;
    }
}

TEST(Rs274x, MetricSizesAreMillimetres) {
    EXPECT_EQ(definitionOf("D10 ROUND 60", true), "%ADD10C,1.524*%\r\n");
    EXPECT_EQ(definitionOf("D11 RECTANGULAR 1 1000", true), "%ADD11R,0.0254X25.400*%\r\n");
    EXPECT_EQ(definitionOf("D16 RELIEF 60", true),
              "%AMTHERM60*7,0,0,2.032,1.524,0.381,0*%\r\n%ADD16THERM60*%\r\n");
}

TEST(Rs274x, FormatStatement) {
    Rs274xOptions o;
    EXPECT_EQ(formatStatement(o), "%FSLAX23Y23*%");
    o.digits = 3;
    o.precision = 5;
    o.incremental = true;
    o.zeros = ZeroSuppression::Trailing;
    EXPECT_EQ(formatStatement(o), "%FSTIX35Y35*%");
    o.zeros = ZeroSuppression::None;
    EXPECT_EQ(formatStatement(o), "%FSDIX35Y35*%");
}

struct ConvertRun {
    TempDir dir;
    common::ScriptedHost host;
    Rs274xOptions options;
    common::Outcome outcome = common::Outcome::Cancelled;

    ConvertRun() {
        options.aptFile = dir.write("B.APT", crlf({"; comment", "  D10 ROUND 5  ", "# more",
                                                   "D11\tCIRCULAR   \t60\t60\t0\tMULTI"}));
    }
    void run() { outcome = createExtendedGerbers(host, options); }
};

// clang-format off
const std::vector<std::string> kHeader = {
    "G04 Format statement*", "%FSLAX23Y23*%", "%MOIN*%", "G04 Apeture information*",
    "%ADD10C,.005*%", "%ADD11C,.060*%", "G04 End of aperture information*"};
// clang-format on

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Rs274x, MultipleOutputsOnePerPlot) {
    ConvertRun r;
    auto top = r.dir.write("top.gbr",
                           crlf({"G54D10*", "X100Y200D02*M02*", "\bnoise", "", "X300Y200D01*"}));
    auto bottom = r.dir.write("Bot%1.gbr", "X1Y1D03*\r\nM02*\r\n");
    r.options.plots = {top, bottom};
    r.run();
    EXPECT_EQ(r.outcome, common::Outcome::Done);
    EXPECT_EQ(readFile(top + ".xgerber"),
              crlf(kHeader + std::vector<std::string>{"G04 data from " + top + "*", "%INTOP.GBR*%",
                                                      "G54D10*", "X100Y200D02*    ", "X300Y200D01*",
                                                      "M02*"}));
    EXPECT_EQ(testing::crlfLines(readFile(bottom + ".xgerber"))[8], "%INBOT_1.GBR*%");
    EXPECT_EQ(r.host.transcript, (std::vector<std::string>{"plain|Done!"}));
}

TEST(Rs274x, SingleOutputHoldsEveryPlotAndOneEnd) {
    ConvertRun r;
    auto a = r.dir.write("a.gbr", "X1Y1D03*\r\nM02*\r\n");
    auto b = r.dir.write("b.gbr", "X2Y2D03*\r\nM02*\r\n");
    r.options.plots = {a, b};
    r.options.single = true;
    r.host.saveAnswers.push_back(r.dir.file("all.gbx"));
    r.run();
    EXPECT_EQ(
        readFile(r.dir.file("all.gbx")),
        crlf(kHeader + std::vector<std::string>{"G04 data from " + a + "*", "%INA.GBR*%",
                                                "X1Y1D03*", "    ", "G04 data from " + b + "*",
                                                "%INB.GBR*%", "X2Y2D03*", "    ", "M02*"}));
    EXPECT_FALSE(common::fileExists(a + ".xgerber"));
    EXPECT_EQ(r.host.transcript, (std::vector<std::string>{"save|1|", "plain|Done!"}));
}

TEST(Rs274x, DoneOnlyWhenSomethingWasWritten) {
    ConvertRun cancelled;
    cancelled.options.plots = {cancelled.dir.write("a.gbr", "")};
    cancelled.options.single = true;
    cancelled.run();
    EXPECT_EQ(cancelled.host.transcript, (std::vector<std::string>{"save|1|"}));

    ConvertRun noPlots;
    noPlots.run();
    EXPECT_EQ(noPlots.host.transcript, (std::vector<std::string>{"plain|No source files defined"}));

    ConvertRun noApertures;
    noApertures.options.aptFile.clear();
    noApertures.options.plots = {noApertures.dir.write("a.gbr", "")};
    noApertures.options.single = true;
    noApertures.host.saveAnswers.push_back(noApertures.dir.file("x.gbx"));
    noApertures.run();
    EXPECT_EQ(noApertures.outcome, common::Outcome::Refused);
    EXPECT_FALSE(common::fileExists(noApertures.dir.file("x.gbx")));
}

// A plot that selects apertures the header cannot define is written, but the run names each
// such D-code instead of saying "Done!"; the command line exits 1.
TEST(Rs274x, UndefinedDcodesAreNamed) {
    ConvertRun r;
    r.options.aptFile =
        r.dir.write("U.APT", crlf({"D10 ROUND 5", "D11 ROUND 5MIL", "D12 RECTANGULAR 60",
                                   "D13\tMOIRE      \t100\t100\t0\tFLASH", "D15 CROSSHAIR 40"}));
    auto top = r.dir.write("top.gbr", crlf({"G54D10*", "G04 D15 is named in a comment*", "D11*",
                                            "X1Y1D03*D12*", "X2Y2D03*", "D13*X3Y3D03*",
                                            "%ADD16C,.010*%", "D16*X4Y4D03*", "D14*M02*"}));
    auto bottom = r.dir.write("bot.gbr", crlf({"D12*", "D17*X1Y1D03*"}));
    r.options.plots = {top, bottom};
    std::vector<UndefinedDcode> undefined;
    EXPECT_EQ(createExtendedGerbers(r.host, r.options, &undefined), common::Outcome::Done);
    EXPECT_NE(readFile(top + ".xgerber").find("%ADD13MOIRE100*%"), std::string::npos);
    ASSERT_EQ(r.host.transcript.size(), 1u);
    EXPECT_EQ(r.host.transcript[0],
              "warning|Written, but not usable as it stands: 4 D-codes are selected and not "
              "defined. Define them in the aperture file and convert again.\n"
              "D11 (first selected in top.gbr, line 3): the aperture line \"D11 ROUND 5MIL\" "
              "defines no aperture\n"
              "D12 (first selected in top.gbr, line 4): the aperture line \"D12 RECTANGULAR "
              "60\" defines no aperture\n"
              "D14 (first selected in top.gbr, line 9): the aperture file has no line for it\n"
              "D17 (first selected in bot.gbr, line 2): the aperture file has no line for it");
    ASSERT_EQ(undefined.size(), 4u);
    EXPECT_EQ(undefined[3].firstUse.plot, bottom);

    std::string err;
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " rs274x --apt " + r.options.aptFile + " " +
                                      bottom + " 2>&1 >/dev/null",
                                  &err),
              1);
    EXPECT_EQ(err,
              "Written, but not usable as it stands: 2 D-codes are selected and not defined. "
              "Define them in the aperture file and convert again.\n"
              "D12 (first selected in bot.gbr, line 1): the aperture line \"D12 RECTANGULAR 60\" "
              "defines no aperture\n"
              "D17 (first selected in bot.gbr, line 2): the aperture file has no line for it\n");
}

TEST(Rs274x, NeverWritesOverAnInput) {
    ConvertRun r;
    auto a = r.dir.write("a.gbr", "X1Y1D03*\r\n");
    r.options.plots = {a};
    r.options.single = true;
    for (const std::string& target : {a, r.options.aptFile}) {
        std::string before = readFile(target);
        r.host.saveAnswers.push_back(target);
        EXPECT_THROW(r.run(), common::IoError) << target;
        EXPECT_EQ(readFile(target), before);
    }
    // one plot's output would be another plot: nothing at all is written
    auto b = r.dir.write("b.gbr", "X2Y2D03*\r\n");
    auto clash = r.dir.write("b.gbr.xgerber", "X3Y3D03*\r\n");
    r.options.plots = {b, clash};
    r.options.single = false;
    EXPECT_THROW(r.run(), common::IoError);
    EXPECT_EQ(readFile(clash), "X3Y3D03*\r\n");
}

TEST(Rs274x, InputListIsSortedWithoutRepeats) {
    std::vector<std::string> list = {"/p/b.gbr"};
    addPlotFiles(list, {"/p/C.gbr", "/p/a.gbr", "/p/b.gbr", "/p/B.gbr"});
    EXPECT_EQ(list, (std::vector<std::string>{"/p/a.gbr", "/p/B.gbr", "/p/b.gbr", "/p/C.gbr"}));
}

}  // namespace
}  // namespace padloom::convert
