#include "tools/netlist_library.h"

#include "common/base_name.h"
#include "common/scripted_host.h"
#include "support/test_support.h"
#include "tools/library_test_support.h"
#include <gtest/gtest.h>

namespace padloom::tools {
namespace {

using common::PackageAction;
using testing::componentData;
using testing::handLibrary;
using testing::netlistText;
using testing::readFile;
using testing::TempDir;

// Blocks from a pattern: "E" a block that ends a run (bytes 11 to 15 zero), "n" one that
// does not; every block filled with `fill`.
std::string blocks(const std::string& pattern, char fill) {
    std::string data;
    for (char p : pattern) {
        std::string block(16, fill);
        if (p == 'E') {
            block.replace(11, 5, 5, '\0');
        }
        data += block;
    }
    return data;
}

unsigned word(const std::string& bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

struct Netlib {
    TempDir dir;
    std::string main =
        dir.write("MAIN.LIB", handLibrary({{"DIP14W", blocks("nE", 'w')},
                                           {"DIP14", blocks("EnE", 'd')},  // two run ends, 48 bytes
                                           {"AXIAL0.4", blocks("nnE", 'a')}}));
    std::string other = dir.write("OTHER.LIB", handLibrary({{"DIP14", blocks("E", 'o')}}));
    common::ScriptedHost host;
    LibraryGenerator generator;
    std::vector<std::string> grid;  // what the skipped-components window showed

    void read(const std::vector<std::string>& libraries) {
        host.openAnswers.push_back(libraries);
        generator.readLibrary(host);
    }
    NetlistRun process(const std::string& netlist, const std::string& output,
                       std::vector<common::PackageAnswer> answers, bool components = true) {
        host.openAnswers.push_back({dir.write("BOARD.NET", netlist)});
        host.saveAnswers.push_back(dir.file(output));
        host.packageAnswers.assign(answers.begin(), answers.end());
        return generator.processNetlist(host, components,
                                        [this](const std::vector<SkippedPackage>& skipped) {
                                            for (const auto& s : skipped) {
                                                grid.push_back(s.footprint + "|" + s.designators);
                                            }
                                        });
    }
};

const common::PackageAnswer kOk{PackageAction::Accept, ""};  // takes the preselected text
const common::PackageAnswer kSkip{PackageAction::Skip, ""};

// The layout the writer makes is the layout laid out by hand, and reads back unchanged.
TEST(ComponentLibrary, WriterLayoutAndReadBack) {
    TempDir dir;
    std::string d1 = blocks("EnnE", 'x');
    std::string d2 = blocks("E", 'y');
    std::string written = libraryBytes({{"DIP14", 2, d1}, {"R", 1, d2}});
    EXPECT_EQ(written, handLibrary({{"DIP14", d1}, {"R", d2}}));
    EXPECT_EQ(written.substr(0, 16), std::string("\0\0\rPCB 4 LIBRARY", 16));
    EXPECT_EQ(word(written, 16 + 20), 401u);
    EXPECT_EQ(word(written, 48 + 20), 401u + 64 / 16);
    EXPECT_EQ(written.substr(16 + 32 * 2, 32),
              std::string(18, '\0') + "\xFF\xFF\xFF\xFF" + std::string(10, '\0'));

    auto dirRead = readLibraryDirectory(dir.write("L.LIB", written + blocks("nn", 'z')));
    ASSERT_EQ(dirRead.components.size(), 2u);
    EXPECT_TRUE(dirRead.problems.empty());
    EXPECT_EQ(dirRead.components[0].dataLength, 64u);
    EXPECT_EQ(readComponentData(dirRead.components[0]), d1);
    EXPECT_EQ(readComponentData(dirRead.components[1]), d2);
}

TEST(ComponentLibrary, DamagedLibrariesAreReportedByName) {
    TempDir dir;
    try {
        readLibraryDirectory(dir.write("SHORT.LIB", std::string(6415, '\0')));
        FAIL() << "a file shorter than its directory loaded";
    } catch (const common::IoError& e) {
        EXPECT_NE(std::string(e.what()).find("SHORT.LIB"), std::string::npos);
    }
    auto lib = readLibraryDirectory(
        dir.write("BAD.LIB", handLibrary({{"GOOD", blocks("E", 'g')},
                                          {"SIXTEEN_LETTERS_", blocks("E", 's')},
                                          {"RUNAWAY", blocks("nE", 'r'), 5},
                                          {"HUGE", componentData(6251, 'h')}})));  // 100016 bytes
    ASSERT_EQ(lib.components.size(), 1u);
    EXPECT_EQ(lib.components[0].name, "GOOD");
    ASSERT_EQ(lib.problems.size(), 3u);
    EXPECT_EQ(lib.problems[0],
              "BAD.LIB: directory entry 2: a name of 16 characters (an entry holds 1 to 15); "
              "entry left out");
    EXPECT_EQ(lib.problems[1],
              "BAD.LIB: directory entry 3 (RUNAWAY): its data runs past the end of the file; "
              "the library is damaged; entry left out");
    EXPECT_EQ(lib.problems[2],
              "BAD.LIB: directory entry 4 (HUGE): its data runs over 100001 bytes, more than a "
              "component may hold; the library is damaged; entry left out");
}

// Offsets reach 0xFFFE blocks: what lies beyond is left out, never pointed at.
TEST(ComponentLibrary, OffsetsBeyondTheDirectoryReachAreLeftOut) {
    TempDir dir;
    std::vector<testing::HandComponent> big;
    std::vector<PackageChoice> chosen;
    for (int i = 0; i < 6; ++i) {
        big.push_back({"BIG" + std::to_string(i), componentData(6250, 'b')});  // 100000 bytes
    }
    std::vector<LibraryComponent> loaded;
    for (const char* name : {"A.LIB", "B.LIB"}) {
        auto lib = readLibraryDirectory(dir.write(name, handLibrary(big)));
        ASSERT_EQ(lib.components.size(), 6u) << name;
        loaded.insert(loaded.end(), lib.components.begin(), lib.components.end());
        for (int i = 0; i < 6; ++i) {
            chosen.push_back({name, "BIG" + std::to_string(i)});
        }
    }
    // choices name different libraries, so the names may repeat here
    auto result = writeCombinedLibrary(chosen, loaded, dir.file("OUT.lib"));
    EXPECT_EQ(result.written.size(), 11u);
    ASSERT_EQ(result.leftOut.size(), 1u);
    EXPECT_EQ(result.leftOut[0].choice, "B.LIB@BIG5");
    auto out = readLibraryDirectory(dir.file("OUT.lib"));
    EXPECT_EQ(out.components.size(), 11u);
    EXPECT_TRUE(out.problems.empty());
}

TEST(NetlistLibrary, EachFootprintAskedOnceOffsetsFollowTheData) {
    Netlib t;
    t.read({t.main});
    auto run = t.process(netlistText({{"U1", "DIP14"}, {"U2", "DIP14"}, {"R1", "AXIAL0.4"}}),
                         "BOARD.lib", {kOk, kOk});
    EXPECT_EQ(run.outcome, common::Outcome::Done);
    EXPECT_EQ(t.host.transcript,
              (std::vector<std::string>{
                  "open|1|Choose Component library", "info|3 components loaded",
                  "open|3|Choose Source Net List", "save|3|Choose Output Net List file",
                  "package| Choose package for U1: DIP14|MAIN.LIB@DIP14",  // rule (a) over DIP14W
                  "package| Choose package for R1: AXIAL0.4|MAIN.LIB@AXIAL0.4", "info|Done"}));
    std::string out = readFile(t.dir.file("BOARD.lib"));
    ASSERT_EQ(out.size(), 6416u + 48 + 48);
    EXPECT_EQ(out.substr(16 + 2, 6),
              "\x05"
              "DIP14");
    EXPECT_EQ(word(out, 16 + 18), 2u);
    EXPECT_EQ(word(out, 16 + 20), 401u);
    EXPECT_EQ(word(out, 48 + 20), 401u + 48 / 16);
    EXPECT_EQ(out.substr(6416), blocks("EnE", 'd') + blocks("nnE", 'a'));
}

TEST(NetlistLibrary, WithoutComponentsTheLibraryIsEmpty) {
    Netlib t;
    t.read({t.main});
    t.process(netlistText({{"U1", "DIP14"}}), "E.lib", {}, false);
    EXPECT_EQ(readFile(t.dir.file("E.lib")), handLibrary({}));
    EXPECT_EQ(t.host.transcript.back(), "info|Done");
}

TEST(NetlistLibrary, ChoiceListCountsDuplicatesThenShowsEachOnce) {
    Netlib t;
    t.read({t.other, t.main, t.main});
    EXPECT_EQ(t.host.transcript.back(), "info|7 components loaded");
    EXPECT_EQ(t.generator.choices(),
              (std::vector<std::string>{"MAIN.LIB@AXIAL0.4", "MAIN.LIB@DIP14", "MAIN.LIB@DIP14W",
                                        "OTHER.LIB@DIP14"}));
    EXPECT_EQ(t.generator.choiceText(), "OTHER.LIB@DIP14");  // the first loaded, not sorted

    Netlib none;
    none.read({none.dir.write("EMPTY.LIB", handLibrary({}))});
    EXPECT_EQ(none.host.transcript.back(), "info|0 components loaded");
    EXPECT_EQ(none.generator.choiceText(), "");
}

TEST(NetlistLibrary, Preselection) {
    const std::vector<std::string> items = {"A.LIB@DIP14W", "MAIN.LIB@DIP14", "MAIN.LIB@SO8"};
    struct Case {
        const char* footprint;
        int expected;  // -1: none
    };
    // clang-format off
    const Case cases[] = {
        {"DIP14", 1},        // (a) the exact name, though DIP14W stands before it
        {"DIP1", 0},         // (b) contained in an item
        {"MAIN", 1},         // (b) the file name counts too
        {"SO8_WIDE", 2},     // (c) a component name inside the footprint
        {"dip14", -1},       // case-sensitive
        {"", -1},            // an empty footprint preselects nothing
    };
    // clang-format on
    for (const auto& c : cases) {
        auto found = preselectPackage(items, c.footprint);
        EXPECT_EQ(found ? static_cast<int>(*found) : -1, c.expected) << c.footprint;
    }
}

// The library chosen is the one copied; a name typed in another case still matches; what is
// not found is listed instead of a plain "Done".
TEST(NetlistLibrary, ChoicesKeepTheirLibraryAndNothingIsLostInSilence) {
    Netlib t;
    t.read({t.main, t.other});
    auto run = t.process(netlistText({{"U1", "DIP14"}, {"R1", "AXIAL0.4"}, {"X1", "XTAL"}}), "C",
                         {{PackageAction::Accept, "OTHER.LIB@DIP14"},
                          {PackageAction::Accept, "axial0.4"},
                          {PackageAction::Accept, "MAIN.LIB@XTAL"}});
    EXPECT_EQ(run.outputPath, t.dir.file("C.lib"));
    std::string out = readFile(t.dir.file("C.lib"));
    EXPECT_EQ(out.substr(6416), blocks("E", 'o') + blocks("nnE", 'a'));
    EXPECT_EQ(out.substr(48 + 2, 9),
              "\x08"
              "AXIAL0.4");  // the library's own spelling
    EXPECT_EQ(t.host.transcript.back(),
              "warning|Done, but 1 chosen component(s) are not in C.lib:\n"
              "MAIN.LIB@XTAL: not in MAIN.LIB");
}

TEST(NetlistLibrary, AtMost200ComponentsTheRestListed) {
    Netlib t;
    std::vector<testing::HandComponent> a, b;
    std::vector<std::pair<std::string, std::string>> parts;
    for (int i = 0; i < 202; ++i) {
        std::string name = "P" + std::to_string(1000 + i);
        (i < 101 ? a : b).push_back({name, blocks("E", 'p')});
        parts.emplace_back("U" + std::to_string(i), name);
    }
    t.read({t.dir.write("A.LIB", handLibrary(a)), t.dir.write("B.LIB", handLibrary(b))});
    auto run =
        t.process(netlistText(parts), "BIG.lib", std::vector<common::PackageAnswer>(202, kOk));
    EXPECT_EQ(run.library.written.size(), 200u);
    ASSERT_EQ(run.library.leftOut.size(), 2u);
    EXPECT_EQ(run.library.leftOut[1].choice, "B.LIB@P1201");
    EXPECT_EQ(run.library.leftOut[1].reason, "past the 200 components a library holds");
    EXPECT_EQ(readLibraryDirectory(t.dir.file("BIG.lib")).components.size(), 200u);
}

TEST(NetlistLibrary, OutputNeverReplacesAnInput) {
    Netlib t;
    t.read({t.main});
    const std::string before = readFile(t.main);
    EXPECT_THROW(t.process(netlistText({{"U1", "DIP14"}}), "MAIN.LIB", {kOk}), common::IoError);
    EXPECT_EQ(readFile(t.main), before);
    EXPECT_EQ(t.host.transcript.back(), "save|3|Choose Output Net List file");  // nothing asked
}

TEST(NetlistLibrary, OutputNames) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"/d/out", "/d/out.lib"},          // no "." : ".lib" appended to the whole name
        {"/d/out.LIB", "/d/out.LIB"},
        {"/d/out.net", "/d/out.lib"},
        {"/d.v2/board", "/d.v2/board.lib"},
    };
    // clang-format on
    for (const auto& [saved, expected] : cases) {
        EXPECT_EQ(combinedLibraryPath(saved), expected);
    }
}

TEST(NetlistLibrary, NetlistReading) {
    TempDir dir;
    auto parts = readNetlist(
        dir.write("n.net", netlistText({{"U1", "DIP14"}}) + "[\r\nU9\r\nLOST\r\n]\r\n"));
    ASSERT_EQ(parts.size(), 1u);  // reading stops where the nets begin
    EXPECT_EQ(parts[0].footprint, "DIP14");
    try {
        readNetlist(dir.write("cut.net", "[\r\nU1\r\n"));
        FAIL() << "a cut block was read";
    } catch (const common::IoError& e) {
        EXPECT_NE(std::string(e.what()).find("cut.net: line 1:"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace padloom::tools
