#include "tools/qfn_builder.h"

#include "board/board_reader.h"
#include "common/scripted_host.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::tools {
namespace {

using testing::crlf;
using testing::readFile;
using testing::TempDir;

QfnFields fields(const char* padX, const char* padY, const char* numX, const char* numY,
                 const char* pitch, const char* xs, const char* ys,
                 QfnUnit unit = QfnUnit::Imperial) {
    return {padX, padY, numX, numY, pitch, xs, ys, unit};
}

// The whole board file of the 8-pad footprint, counter-clockwise from the rounded pad 1.
TEST(QfnBuilder, EightPadFootprintWritesTheWholeBoardFile) {
    TempDir dir;
    common::ScriptedHost host;
    host.saveAnswers.push_back(dir.file("qfn8"));
    EXPECT_EQ(generateQfn(host, fields("12", "30", "2", "2", "20", "100", "100")),
              common::Outcome::Done);
    // clang-format off
    EXPECT_EQ(readFile(dir.file("qfn8")), crlf({
        "PCB FILE 4", "COMP", "U1", "NEW_QFP", "NEW_COMMENT",
        "5000 5000 60 1 8 7", "5000 5040 60 1 8 7", "4000 4000 1 2 2",
        "CP", "5990 5950 12 30 4 0 1 1", "1",
        "CP", "6010 5950 12 30 2 0 1 1", "2",
        "CP", "6050 5990 30 12 2 0 1 1", "3",
        "CP", "6050 6010 30 12 2 0 1 1", "4",
        "CP", "6010 6050 12 30 2 0 1 1", "5",
        "CP", "5990 6050 12 30 2 0 1 1", "6",
        "CP", "5950 6010 30 12 2 0 1 1", "7",
        "CP", "5950 5990 30 12 2 0 1 1", "8",
        "ENDCOMP", "ENDPCB"}));
    // clang-format on
    EXPECT_EQ(host.transcript, (std::vector<std::string>{"save|1|", "plain|Done"}));
}

TEST(QfnBuilder, FieldChecks) {
    struct Case {
        QfnFields f;
        const char* message;  // "" when accepted
    };
    const char* kNotAll = "Not all parameters are entered";
    const char* kCounts = "Num X and Num Y must be whole numbers from 0 to 1000";
    const char* kZeroPitch = "Pitch must be more than 0 when a side has more than one pad";
    // clang-format off
    const Case cases[] = {
        {fields("In Mills", "30", "2", "2", "20", "100", "100"), kNotAll},
        {fields("12", "", "2", "2", "20", "100", "100"), kNotAll},
        {fields("12", "30", "Num?", "2", "20", "100", "100"), kNotAll},
        {fields("12", "30", "2", "-1", "20", "100", "100"), kNotAll},
        // a negative size is named; its text is still checked after those of the counts
        {fields("12", "30", "2", "2", "-20", "100", "100"), "Pitch must be 0 or more"},
        {fields("-10", "30", "8", "8", "20", "200", "200"), "Pad X must be 0 or more"},
        {fields("12", "-0.6", "", "8", "20", "200", "200"), kNotAll},
        {fields("12", "30", "8", "8", "", "200", "-1"), kNotAll},
        {fields("12", "30", "8", "8", "20", "200", "-1"), "Y Spacing must be 0 or more"},
        {fields("12", "30", "2", "2", "20", "100", "1,5"), kNotAll},
        // pad counts are read once, as whole numbers: no "1e3" passing the check as 1000
        {fields("12", "30", "1e3", "2", "20", "100", "100"), kNotAll},
        {fields("12", "30", "8.5", "2", "20", "100", "100"), kNotAll},
        {fields("0", "0", "0", "0", "0", "0", "0"), ""},
        {fields(" 12 ", "3e1", "+2", "2", "20.4", "1E2", ".1e3"), ""},
        {fields("3e9", "30", "2", "2", "20", "100", "100"),
         "Pad X is too large: a board file holds at most 2147483647 mils"},
        {fields("12", "30", "99999999999", "2", "20", "100", "100"), kCounts},
        // a count in the millions would write gigabytes before anyone noticed
        {fields("12", "30", "2147483647", "0", "0", "100", "100"), kCounts},
        {fields("12", "30", "2", "1001", "20", "100", "100"), kCounts},
        {fields("12", "30", "1000", "1000", "1", "100", "100"), ""},
        // a zero pitch stacks the pads of a side on each other; with one pad a side it is moot
        {fields("12", "30", "2", "0", "0", "100", "100"), kZeroPitch},
        {fields("12", "30", "0", "2", "0", "100", "100"), kZeroPitch},
        {fields("12", "30", "1", "1", "0", "100", "100"), ""},
        {fields("12", "30", "3", "2", "2147483647", "100", "100"),
         "The footprint is too large: its pad centres must lie within -2147483648 to "
         "2147483647 mils"},
        {fields("12", "30", "2", "2", "20", "4294967294", "100"),
         "X Spacing is too large: a board file holds at most 2147483647 mils"},
    };
    // clang-format on
    for (const auto& c : cases) {
        QfnRefusal refusal;
        auto values = readQfnFields(c.f, &refusal);
        EXPECT_EQ(values.has_value(), *c.message == 0) << c.f.padX << " " << c.f.numX;
        EXPECT_EQ(refusal.message, c.message);
        EXPECT_EQ(refusal.field.empty(), std::string(c.message).find(" must be 0 or more") ==
                                             std::string::npos);
    }
    // nothing is asked or written for a refused footprint
    common::ScriptedHost host;
    EXPECT_EQ(generateQfn(host, fields("12", "30", "2", "", "20", "100", "100")),
              common::Outcome::Refused);
    EXPECT_EQ(host.transcript, (std::vector<std::string>{"plain|" + std::string(kNotAll)}));
    host.transcript.clear();
    EXPECT_EQ(generateQfn(host, fields("12", "30", "2147483647", "0", "0", "100", "100")),
              common::Outcome::Refused);
    EXPECT_EQ(host.transcript, (std::vector<std::string>{"plain|" + std::string(kCounts)}));
}

TEST(QfnBuilder, MetricValuesAndUnitChanges) {
    EXPECT_EQ(sizeInMils("0.3", QfnUnit::Metric), 12);  // 11.81 rounded
    EXPECT_EQ(sizeInMils("1.00E+003", QfnUnit::Metric), 39370);
    EXPECT_EQ(sizeInMils("12.5", QfnUnit::Imperial), 12);  // halves to the even neighbour
    EXPECT_EQ(sizeInMils("13.5", QfnUnit::Imperial), 14);
    struct Case {
        const char* text;
        QfnUnit to;
        const char* expected;
    };
    // clang-format off
    const Case cases[] = {
        {"60", QfnUnit::Metric, "1.520000"},
        {"1.520000", QfnUnit::Imperial, "60"},
        {"20", QfnUnit::Metric, "0.508000"},
        {"8", QfnUnit::Metric, "0.203000"},
        {"0", QfnUnit::Metric, "0.000000"},
        {"1", QfnUnit::Metric, "0.025400"},
        {"0.01", QfnUnit::Metric, "0.000254"},
        {"39370", QfnUnit::Metric, "1.00E+003"},  // 999.998 mm: three digits make 1000
        {"400000", QfnUnit::Metric, "1.02E+004"},
        {"39330", QfnUnit::Metric, "999.000000"},
        {"In Mills", QfnUnit::Metric, "In mm"},
        {"In mm", QfnUnit::Imperial, "In Mills"},
        {"", QfnUnit::Imperial, "In Mills"},
        {"1e300", QfnUnit::Imperial, "3.94E+301"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(convertSizeText(c.text, c.to), c.expected) << c.text;
    }
}

// A side whose span is odd cannot be centred on whole mils: the pitch stays exact and the
// side's middle lands half a mil from the footprint centre; opposite pads stay face to face.
TEST(QfnBuilder, OddSpansKeepThePitchAndStayCentred) {
    QfnValues v;
    v.padX = 10;
    v.padY = 20;
    v.numX = 4;  // span 3 x 15 = 45
    v.numY = 0;
    v.pitch = 15;
    v.xSpacing = 101;
    v.ySpacing = 101;
    std::vector<QfnPad> pads;
    forEachQfnPad(v, [&pads](const QfnPad& p) { pads.push_back(p); });
    ASSERT_EQ(pads.size(), 8u);  // two rows, numbered 1 to 8
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(pads[k].y, 5950);  // 101 / 2 truncated
        EXPECT_EQ(pads[7 - k].y, 6050);
        EXPECT_EQ(pads[k].x, pads[7 - k].x);
        EXPECT_EQ(pads[k].number, k + 1);
        if (k > 0) {
            EXPECT_EQ(pads[k].x - pads[k - 1].x, 15);
        }
    }
    double middle = (pads[0].x + pads[3].x) / 2.0;
    EXPECT_LE(std::abs(middle - kQfnCentre), 0.5);
}

// The written board reads back as one component with every pad where it was placed.
TEST(QfnBuilder, BoardReadsBack) {
    TempDir dir;
    QfnValues v{12, 30, 5, 3, 20, 140, 100};
    writeQfnBoard(dir.file("q.pcb"), v);
    std::vector<QfnPad> expected;
    forEachQfnPad(v, [&expected](const QfnPad& p) { expected.push_back(p); });
    board::BoardReader reader(dir.file("q.pcb"), [](const std::string& m) { FAIL() << m; });
    size_t pad = 0;
    while (auto kind = reader.next()) {
        if (*kind == board::RecordKind::Component) {
            EXPECT_EQ(reader.component().designator, "U1");
            EXPECT_EQ(reader.component().designatorText.y, 5040);
            continue;
        }
        ASSERT_EQ(*kind, board::RecordKind::Pad);
        ASSERT_LT(pad, expected.size());
        const auto& r = reader.record();
        EXPECT_EQ(r.x1, expected[pad].x);
        EXPECT_EQ(r.y1, expected[pad].y);
        EXPECT_EQ(r.xSize, expected[pad].xSize);
        EXPECT_EQ(r.shape, pad == 0 ? 4 : 2);
        EXPECT_EQ(r.layer, 1);
        EXPECT_EQ(r.padName, static_cast<int>(pad + 1));
        ++pad;
    }
    EXPECT_EQ(pad, 16u);
}

}  // namespace
}  // namespace padloom::tools
