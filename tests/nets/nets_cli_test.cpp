#include <filesystem>

#include "support/test_support.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace padloom {
namespace {

using ::testing::HasSubstr;

// U1 and U2 of two pads each; U1-1 to U2-1 by a track, U1-2 and U2-2 apart; NETDEF says both
// pairs are nets.
const std::vector<std::string> kBoard = {"PCB FILE 4",
                                         "COMP",
                                         "U1",
                                         "DIP",
                                         "X",
                                         "0 0 60 0 8 7",
                                         "0 0 60 0 8 7",
                                         "0 0 2 2 0",
                                         "CP",
                                         "1000 1000 60 60 1 30 1 13",
                                         "1",
                                         "CP",
                                         "1000 1100 60 60 1 30 1 13",
                                         "2",
                                         "ENDCOMP",
                                         "COMP",
                                         "U2",
                                         "DIP",
                                         "X",
                                         "0 0 60 0 8 7",
                                         "0 0 60 0 8 7",
                                         "0 0 2 2 0",
                                         "CP",
                                         "2000 1000 60 60 1 30 1 13",
                                         "1",
                                         "CP",
                                         "2000 1100 60 60 1 30 1 13",
                                         "2",
                                         "ENDCOMP",
                                         "FT",
                                         "1000 1000 2000 1000 10 6",
                                         "ENDPCB",
                                         "NETDEF",
                                         "GND",
                                         "0",
                                         "(",
                                         "U1-1",
                                         "U2-1",
                                         ")",
                                         "{",
                                         "}",
                                         "NETDEF",
                                         "SIG",
                                         "0",
                                         "(",
                                         "U1-2",
                                         "U2-2",
                                         ")",
                                         "{",
                                         "}"};

TEST(NetsCommands, NetsNetcheckAndIpc356RunOnABoard) {
    testing::TempDir dir;
    const std::string board = dir.write("B.PCB", testing::crlf(kBoard));
    const std::string cli = testing::cliPath() + " ";
    std::string out;

    EXPECT_EQ(testing::runCommand(cli + "nets --json " + board, &out), 0);
    EXPECT_EQ(out,
              "{\"nets\": [{\"name\": \"GND\", \"pins\": [\"U1-1\", \"U2-1\"], \"objects\": 3}], "
              "\"unconnected\": [\"U1-2\", \"U2-2\"], \"possibleShorts\": []}\n");
    EXPECT_EQ(testing::runCommand(cli + "nets " + board, &out), 0);
    EXPECT_EQ(out,
              "GND (2 pins, 3 copper objects)\n  U1-1 U2-1\nUnconnected pads (2): U1-2 U2-2\n");

    // against its own NETDEF: SIG is open
    EXPECT_EQ(testing::runCommand(cli + "netcheck --json " + board, &out), 1);
    EXPECT_EQ(out,
              "{\"opens\": [{\"net\": \"SIG\", \"islands\": [[\"U1-2\"], [\"U2-2\"]], "
              "\"at\": [[1000, 1100], [2000, 1100]]}], \"shorts\": [], \"missing\": [], "
              "\"extra\": [], \"possibleShorts\": []}\n");
    // against a netlist that agrees with the copper: nothing, and exit 0
    const std::string net = dir.write("B.NET", "(\r\nGND\r\nU1-1\r\nU2-1\r\n)\r\n");
    EXPECT_EQ(testing::runCommand(cli + "netcheck " + board + " " + net, &out), 0);
    EXPECT_EQ(out, "No differences.\n");

    EXPECT_EQ(testing::runCommand(cli + "ipc356 " + board, &out), 0);
    EXPECT_EQ(out, "wrote " + dir.file("B.ipc") + "\n");
    EXPECT_THAT(testing::readFile(dir.file("B.ipc")), HasSubstr("317GND              U1    -1"));
    // never over the board
    EXPECT_NE(testing::runCommand(cli + "ipc356 " + board + " -o " + board + " 2>/dev/null"), 0);
    EXPECT_EQ(testing::readFile(board), testing::crlf(kBoard));
}

}  // namespace
}  // namespace padloom
