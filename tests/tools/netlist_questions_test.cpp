// The package questions of "Process Netlist" as a new user meets them: without a library, and
// for a footprint that nothing in the loaded libraries matches.
#include "common/scripted_host.h"
#include "support/test_support.h"
#include "tools/library_test_support.h"
#include "tools/netlist_library.h"
#include <gtest/gtest.h>

namespace padloom::tools {
namespace {

using common::PackageAction;
using testing::componentData;
using testing::handLibrary;
using testing::netlistText;

struct Netlist {
    testing::TempDir dir;
    common::ScriptedHost host;
    LibraryGenerator generator;

    NetlistRun process(const std::string& netlist, std::vector<common::PackageAnswer> answers,
                       bool components = true) {
        host.openAnswers.push_back({dir.write("BOARD.NET", netlist)});
        host.saveAnswers.push_back(dir.file("OUT.lib"));
        host.packageAnswers.assign(answers.begin(), answers.end());
        return generator.processNetlist(host, components, {});
    }
};

const std::string kNetlist = netlistText({{"U1", "DIP14"}, {"C1", "RAD0.2"}, {"Q1", "TO220"}});

// With nothing loaded there is nothing to choose from: the user is sent to "Read Library"
// instead of being asked for each footprint; an empty library may still be written without
// components.
TEST(NetlistQuestions, WithoutALibraryTheUserIsToldToReadOneFirst) {
    Netlist r;
    auto run = r.process(kNetlist, {});
    EXPECT_EQ(run.outcome, common::Outcome::Refused);
    EXPECT_EQ(r.host.transcript,
              (std::vector<std::string>{"open|3|Choose Source Net List",
                                        "save|3|Choose Output Net List file",
                                        "warning|No component library is loaded: read a library "
                                        "first (File / Read Library)."}));
    EXPECT_FALSE(std::filesystem::exists(r.dir.file("OUT.lib")));

    Netlist empty;
    EXPECT_EQ(empty.process(kNetlist, {}, false).outcome, common::Outcome::Done);
    EXPECT_EQ(testing::readFile(empty.dir.file("OUT.lib")), handLibrary({}));
}

// A footprint nothing matches is asked with an empty box, never with the answer given for the
// footprint before it; the next match is proposed again.
TEST(NetlistQuestions, NoEarlierAnswerStandsInForAFootprintNothingMatches) {
    Netlist r;
    const std::string lib = r.dir.write(
        "MAIN.LIB",
        handLibrary({{"DIP14", componentData(2, 'd')}, {"TO220", componentData(1, 't')}}));
    r.host.openAnswers.push_back({lib});
    r.generator.readLibrary(r.host);
    r.host.transcript.clear();
    const common::PackageAnswer ok{PackageAction::Accept, ""};  // the proposed text
    auto run = r.process(kNetlist, {ok, {PackageAction::Skip, ""}, ok});
    EXPECT_EQ(run.outcome, common::Outcome::Done);
    EXPECT_EQ(r.host.transcript,
              (std::vector<std::string>{"open|3|Choose Source Net List",
                                        "save|3|Choose Output Net List file",
                                        "package| Choose package for U1: DIP14|MAIN.LIB@DIP14",
                                        "package| Choose package for C1: RAD0.2|",
                                        "package| Choose package for Q1: TO220|MAIN.LIB@TO220",
                                        "warning|Some Components were skipped", "info|Done"}));
}

}  // namespace
}  // namespace padloom::tools
