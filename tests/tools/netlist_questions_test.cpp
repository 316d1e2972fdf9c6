#include "common/scripted_host.h"
#include "support/test_support.h"
#include "tools/library_test_support.h"
#include "tools/netlist_library.h"
#include <gtest/gtest.h>

namespace padloom::tools {
namespace {

// Process Netlist as a new user meets it: without a library the user is sent to "Read
// Library" instead of being asked for each footprint with nothing to choose from (an empty
// library may still be written); with one, a footprint nothing matches is asked with an empty
// box, never with the answer given for the footprint before it.
TEST(NetlistQuestions, NothingToChooseFromIsSaidAndNoEarlierAnswerIsProposed) {
    for (bool withLibrary : {false, true}) {
        testing::TempDir dir;
        common::ScriptedHost host;
        LibraryGenerator generator;
        if (withLibrary) {
            host.openAnswers.push_back({dir.write(
                "MAIN.LIB", testing::handLibrary({{"DIP14", testing::componentData(2, 'd')},
                                                  {"TO220", testing::componentData(1, 't')}}))});
            generator.readLibrary(host);
            host.transcript.clear();
        }
        host.openAnswers.push_back({dir.write(
            "BOARD.NET",
            testing::netlistText({{"U1", "DIP14"}, {"C1", "RAD0.2"}, {"Q1", "TO220"}}))});
        host.saveAnswers.push_back(dir.file("OUT.lib"));
        host.packageAnswers = {{common::PackageAction::Accept, ""},
                               {common::PackageAction::Skip, ""},
                               {common::PackageAction::Accept, ""}};
        auto run = generator.processNetlist(host, true, {});
        std::vector<std::string> expected = {"open|3|Choose Source Net List",
                                             "save|3|Choose Output Net List file"};
        if (withLibrary) {
            expected.insert(expected.end(), {"package| Choose package for U1: DIP14|MAIN.LIB@DIP14",
                                             "package| Choose package for C1: RAD0.2|",
                                             "package| Choose package for Q1: TO220|MAIN.LIB@TO220",
                                             "warning|Some Components were skipped", "info|Done"});
        } else {
            expected.push_back(
                "warning|No component library is loaded: read a library first (File / Read "
                "Library).");
            EXPECT_EQ(run.outcome, common::Outcome::Refused);
            EXPECT_FALSE(std::filesystem::exists(dir.file("OUT.lib")));
            host.openAnswers.push_back({dir.file("BOARD.NET")});
            host.saveAnswers.push_back(dir.file("EMPTY.lib"));
            EXPECT_EQ(generator.processNetlist(host, false, {}).outcome, common::Outcome::Done);
        }
        ASSERT_GE(host.transcript.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(host.transcript.begin(),
                                           host.transcript.begin() + expected.size()),
                  expected);
    }
}

}  // namespace
}  // namespace padloom::tools
