#include "fab/fab_profile.h"

#include <filesystem>

#include "common/errors.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::fab {
namespace {

using testing::TempDir;

const std::vector<std::string> kShipped = {"generic", "aisler",  "eurocircuits",
                                           "jlcpcb",  "oshpark", "pcbway"};

ProfileFolders shippedOnly() {
    return {testing::sourceDir() + "/data/fab", ""};
}

TEST(FabProfiles, ShippedProfilesReadAndNameThemselves) {
    std::vector<std::string> names;
    for (const ProfileEntry& e : listProfiles(shippedOnly())) {
        names.push_back(e.name);
        const FabProfile p = loadProfile(e.name, shippedOnly());
        EXPECT_EQ(p.name, e.name);
        EXPECT_TRUE(p.shipped);
        EXPECT_FALSE(p.description.empty()) << e.name;
        // a copy of the file read by its path is the same profile: its name line says so
        const FabProfile copy = loadProfile(e.path, shippedOnly());
        EXPECT_EQ(copy.name, e.name);
        EXPECT_EQ(changeSummary(copy), changeSummary(p));
        EXPECT_EQ(p.changes.empty(), e.name == "generic") << e.name;
    }
    EXPECT_EQ(names, kShipped);
}

// The generic limits are ones every shipped house accepts: no smaller than any house's
// minimum, no larger than its largest drill.
TEST(FabProfiles, GenericLimitsSuitEveryHouse) {
    const FabProfile generic = loadProfile("generic", shippedOnly());
    for (const std::string& name : kShipped) {
        const FabProfile house = loadProfile(name, shippedOnly());
        for (int layers : {1, 2, 4, 6}) {
            const FabLimits& g = generic.limitsFor(layers);
            const FabLimits& h = house.limitsFor(layers);
            SCOPED_TRACE(name + " at " + std::to_string(layers) + " layers");
            EXPECT_GE(g.track, h.track);
            EXPECT_GE(g.clearance, h.clearance);
            EXPECT_GE(g.drillMin, h.drillMin);
            EXPECT_LE(g.drillMax, h.drillMax);
            EXPECT_GE(g.annularRing, h.annularRing);
            EXPECT_GE(g.holeSpacing, h.holeSpacing);
            EXPECT_GE(g.copperToEdge, h.copperToEdge);
            EXPECT_GE(g.legendLine, h.legendLine);
            EXPECT_GE(g.legendHeight, h.legendHeight);
            EXPECT_GE(g.maskWeb, h.maskWeb);
        }
    }
    // boards of three copper layers and more are made as four-layer boards
    const FabProfile jlc = loadProfile("jlcpcb", shippedOnly());
    EXPECT_DOUBLE_EQ(jlc.limitsFor(2).track, 0.1);
    EXPECT_DOUBLE_EQ(jlc.limitsFor(3).track, 0.09);
}

TEST(FabProfiles, ChangesFromGeneric) {
    const FabProfile jlc = loadProfile("jlcpcb", shippedOnly());
    EXPECT_FALSE(jlc.x2);
    EXPECT_FALSE(jlc.apertureMacros);
    EXPECT_TRUE(jlc.upperCaseDesignators);
    EXPECT_EQ(changeSummary(jlc),
              "no X2 attributes, no job file, no aperture macros, assembly files: CPL, BOM "
              "(designators in capitals), its own limits");
    const FabProfile aisler = loadProfile("aisler", shippedOnly());
    EXPECT_EQ(aisler.changes.front().section, "drill");
    EXPECT_EQ(aisler.changes.front().key, "format");
    EXPECT_EQ(aisler.changes.front().value, "2:4");
    EXPECT_EQ(aisler.changes.front().genericValue, "plot");
    // names with the copper layer's place
    const FabProfile osh = loadProfile("oshpark", shippedOnly());
    EXPECT_EQ(osh.fileName("ground-plane", "amp", 2), "amp.G2L");
    EXPECT_EQ(osh.fileName("drill", "amp"), "amp.XLN");
    EXPECT_EQ(aisler.fileName("mid-1", "amp", 3), "amp.internalplane2.ger");
    EXPECT_EQ(aisler.fileName("top-copper", "amp"), "amp.toplayer.ger");
}

// A profile of one line changes that field and takes every other from generic.
TEST(FabProfiles, LeftOutFieldsAreGenerics) {
    TempDir dir;
    const std::string path =
        dir.write("mine.fab",
                  "# mine\r\n[gerber]\r\nx2 = no\r\n[cpl]\r\ncolumn = Ref: designator\r\n"
                  "column = Angle: rotation\r\n[limits 4+]\r\ntrack = 0.100\r\n");
    const FabProfile p = loadProfile(path, shippedOnly());
    const FabProfile generic = loadProfile("generic", shippedOnly());
    EXPECT_EQ(p.name, "mine");  // no name line: the file's name
    EXPECT_FALSE(p.shipped);
    EXPECT_FALSE(p.x2);
    EXPECT_EQ(p.jobFile, generic.jobFile);
    EXPECT_EQ(p.names, generic.names);
    // columns given replace generic's list as a whole
    ASSERT_EQ(p.cpl.columns.size(), 2u);
    EXPECT_EQ(p.cpl.columns[1].header, "Angle");
    EXPECT_EQ(p.cpl.columns[1].field, AssemblyField::Rotation);
    EXPECT_DOUBLE_EQ(p.limitsFor(4).track, 0.1);
    EXPECT_DOUBLE_EQ(p.limitsFor(2).track, generic.limitsFor(2).track);
    ASSERT_EQ(p.changes.size(), 3u);
    EXPECT_EQ(p.changes[2].section, "limits 4+");
    EXPECT_EQ(p.changes[2].value, "0.1");  // numbers compared as numbers
}

struct BadProfile {
    const char* name;
    std::string text;
    std::string message;  // after "PATH:"
};

class BadProfiles : public ::testing::TestWithParam<BadProfile> {};

TEST_P(BadProfiles, AreRefusedNamingTheLine) {
    TempDir dir;
    const std::string path = dir.write("bad.fab", GetParam().text);
    try {
        loadProfile(path, shippedOnly());
        FAIL() << "read";
    } catch (const common::IoError& e) {
        EXPECT_EQ(std::string(e.what()), path + ":" + GetParam().message);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fab, BadProfiles, ::testing::Values(
    BadProfile{"UnknownSection", "\n[gerbers]\n", "2: unknown section [gerbers]"},
    BadProfile{"UnknownField", "[gerber]\nx3 = no\n", "2: unknown field \"x3\" in [gerber]"},
    BadProfile{"NoEquals", "[gerber]\nx2 no\n",
               "2: expected \"field = value\", a [section] or a # comment"},
    BadProfile{"YesNo", "[gerber]\nx2 = off\n", "2: x2: yes or no, not \"off\""},
    BadProfile{"Choice", "[drill]\nzeros = LT\n", "2: zeros: LZ or TZ, not \"LT\""},
    BadProfile{"Twice", "[gerber]\nx2 = no\n\nx2 = yes\n", "4: x2 given twice (first on line 2)"},
    BadProfile{"Negative", "[limits 2]\ntrack = -0.1\n",
               "2: track: a length in millimetres above 0, not \"-0.1\""},
    BadProfile{"Digits", "[drill]\nformat = 2.4\n",
               "2: format: digits before and after the point as Excellon gives them (2:4, 2:3 "
               "or 3:3), or plot, not \"2.4\""},
    BadProfile{"FolderInName", "[names]\ntop-copper = ../{board}.GTL\n",
               "2: top-copper: a file name in the zip cannot hold '/' (folders, drive letters "
               "and wildcards are not allowed)"},
    BadProfile{"LayerOffCopper", "[names]\ntop-legend = {board}.G{layer}O\n",
               "2: top-legend: {layer} is the place of a copper layer; top-legend is not one"},
    BadProfile{"Column", "[bom]\ncolumn = X: x\n",
               "2: column: \"Header: field\", the field one of item, designators, quantity, "
               "comment or footprint, not \"X: x\""},
    BadProfile{"List", "[assembly]\nfiles = cpl, pnp\n",
               "2: files: \"pnp\" is none of xy, bill, cpl or bom (or none)"},
    BadProfile{"DrillRange", "[limits 4+]\ndrill-max = 0.1\n",
               "2: [limits 4+] drill-min is above drill-max"},
    BadProfile{"MetricAsPlotted", "[drill]\nunits = METRIC\n",
               "2: drills are written in INCH 2:3 or 2:4, METRIC 3:3, or as the plot's own "
               "(plot, INCH LZ), not METRIC plot LZ"},
    BadProfile{"InchThreeThree", "[drill]\nformat = 3:3\n",
               "2: drills are written in INCH 2:3 or 2:4, METRIC 3:3, or as the plot's own "
               "(plot, INCH LZ), not INCH 3:3 LZ"},
    BadProfile{"BadName", "name = my profile\n",
               "1: name: a profile name is letters, digits, '-' and '_'"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(FabProfiles, BinaryAndMissingFilesAreRefused) {
    TempDir dir;
    const std::string binary = dir.write("pic.fab", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11));
    EXPECT_THROW(loadProfile(binary, shippedOnly()), common::FormatError);
    EXPECT_THROW(loadProfile(dir.file("none.fab"), shippedOnly()), common::IoError);
    EXPECT_THROW(loadProfile(dir.path().string() + "/", shippedOnly()), common::IoError);
}

TEST(FabProfiles, UserFolder) {
    TempDir dir;
    const std::string user = dir.path().string();
    dir.write("zz-mine.fab", "description = mine\n[gerber]\naperture-macros = no\n");
    dir.write("JLCPCB.fab", "[gerber]\nx2 = no\n");     // a shipped name
    dir.write("other.fab", "name = generic\n");         // names itself so
    dir.write("broken.fab", "[gerber]\nx2 = maybe\n");  // cannot be read
    dir.write("notes.txt", "not a profile\n");          // not a .fab file
    const ProfileFolders folders{shippedOnly().shipped, user};
    std::vector<std::string> refused;
    std::vector<std::string> names;
    for (const ProfileEntry& e : listProfiles(folders, &refused)) {
        names.push_back(e.name);
    }
    std::vector<std::string> expected = kShipped;
    expected.push_back("zz-mine");
    EXPECT_EQ(names, expected);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0], dir.file("JLCPCB.fab") +
                              ": not taken: a shipped profile has the name jlcpcb; give this one "
                              "another name (its file name, or its name line)");
    EXPECT_EQ(refused[1],
              dir.file("broken.fab") + ":2: x2: yes or no, not \"maybe\" (profile not taken)");
    EXPECT_NE(refused[2].find("other.fab: not taken: a shipped profile has the name generic"),
              std::string::npos);

    const FabProfile mine = loadProfile("zz-mine", folders);
    EXPECT_FALSE(mine.apertureMacros);
    EXPECT_FALSE(mine.shipped);
    EXPECT_EQ(loadProfile("JLCPCB", folders).path, shippedOnly().shipped + "/jlcpcb.fab");

    try {
        loadProfile("nosuch", folders);
        FAIL() << "found";
    } catch (const UnknownProfile& e) {
        EXPECT_EQ(e.known(), expected);
        EXPECT_EQ(std::string(e.what()),
                  "no board-house profile \"nosuch\"; the profiles are: generic, aisler, "
                  "eurocircuits, jlcpcb, oshpark, pcbway, zz-mine");
    }
    EXPECT_TRUE(isProfilePath("my.fab"));
    EXPECT_TRUE(isProfilePath("profiles/mine"));
    EXPECT_FALSE(isProfilePath("zz-mine"));
    // the installed profiles missing altogether
    EXPECT_THROW(listProfiles({dir.file("nowhere"), ""}), common::IoError);
}

}  // namespace
}  // namespace padloom::fab

namespace padloom::fab {
namespace {

// fabs lists the shipped profiles then the user's, says which it refused, prints one as a file
// that reads back as the same profile, and names the profiles for a name it does not know.
TEST(FabsCommand, ListsShowsAndRefuses) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "fab");
    dir.write("fab/mine.fab", "[drill]\nfiles = one\n");
    dir.write("fab/oshpark.fab", "[drill]\nfiles = one\n");
    const std::string fabs =
        "PADLOOM_SETTINGS_DIR=" + dir.path().string() + " " + testing::cliPath() + " fabs";
    std::string out;
    ASSERT_EQ(testing::runCommand(fabs + " 2>&1", &out), 0);
    EXPECT_EQ(out.substr(0, out.find('\n') + 1),
              "padloom-cli fabs: " + dir.file("fab/oshpark.fab") +
                  ": not taken: a shipped profile has the name oshpark; give this one another "
                  "name (its file name, or its name line)\n");
    EXPECT_NE(out.find("  generic       the package as it is made without a profile\n"),
              std::string::npos);
    EXPECT_NE(out.find("Your own, in " + dir.file("fab") + ":\n  mine          one drill file\n"),
              std::string::npos)
        << out;

    ASSERT_EQ(testing::runCommand(fabs + " --show jlcpcb > " + dir.file("copy.fab")), 0);
    EXPECT_EQ(testing::readFile(dir.file("copy.fab")),
              testing::readFile(testing::sourceDir() + "/data/fab/jlcpcb.fab"));
    ASSERT_EQ(testing::runCommand(fabs + " --show mine", &out), 0);
    EXPECT_EQ(out, "[drill]\nfiles = one\n");

    ASSERT_EQ(testing::runCommand(fabs + " --show nosuch 2>&1", &out), 2);
    EXPECT_EQ(out,
              "padloom-cli fabs: no board-house profile \"nosuch\"; the profiles are: "
              "generic, aisler, eurocircuits, jlcpcb, oshpark, pcbway, mine\n");
    dir.write("bad.fab", "[drill]\nfiles = two\n");
    ASSERT_EQ(testing::runCommand(fabs + " --show " + dir.file("bad.fab") + " 2>&1", &out), 1);
    EXPECT_EQ(out, "padloom-cli fabs: " + dir.file("bad.fab") +
                       ":2: files: one or plated-apart, not \"two\"\n");
}

}  // namespace
}  // namespace padloom::fab
