#include <filesystem>

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom {
namespace {

using testing::crlf;
using testing::runCommand;

std::string cli(const std::string& args) {
    return testing::cliPath() + " " + args;
}

std::string randomBytes() {
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 16));
    }
    return bytes;
}

// Files that are not what the command takes them for: one line on standard error naming the
// file, exit status 1, and not a single output file left behind.
TEST(CliFormats, InputsThatAreNotTheirFormatAreRefused) {
    const std::string board = crlf({"PCB FILE 4", "FT", "0 0 1000 0 10 11", "ENDPCB"});
    struct Case {
        const char* what;
        std::string file;  // the input that is not what it claims
        std::string bytes;
        std::string command;  // with FILE and DIR standing for the input and the folder
        std::string said;     // the reason given after "FILE: "
    };
    // clang-format off
    const Case cases[] = {
        {"random bytes as a board", "junk.pcb", randomBytes(), "plot FILE --all-layers --nc-drill --bom",
         "not an Autotrax board file: it holds binary data, not text"},
        {"a text that is no board", "notes.pcb", crlf({"Shopping list", "milk"}), "plot FILE --all-layers",
         "not an Autotrax board file: its first line is not \"PCB FILE\" and it holds no board record"},
        {"an empty file", "empty.pcb", "", "apt FILE --yes",
         "not an Autotrax board file: its first line is not \"PCB FILE\" and it holds no board record"},
        {"random bytes for the X/Y file", "junk.pcb", randomBytes(), "xy FILE",
         "not an Autotrax board file: it holds binary data, not text"},
        {"random bytes as a DRC report", "junk.drc", randomBytes(), "drc2pcb FILE -o DIR/out.pcb",
         "not a design rule check report: it holds binary data, not text"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const std::string path = dir.write(c.file, c.bytes);
        std::string command = c.command;
        command.replace(command.find("FILE"), 4, path);
        if (auto at = command.find("DIR"); at != std::string::npos) {
            command.replace(at, 3, dir.path().string());
        }
        std::string err;
        EXPECT_EQ(runCommand(cli(command + " 2>&1 >/dev/null"), &err), 1);
        EXPECT_EQ(err, "padloom-cli " + command.substr(0, command.find(' ')) + ": " + path + ": " +
                           c.said + "\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1)
            << "an output was left behind";
    }
}

// The board a DRC report is drawn into, and an aperture file kept from before, are checked too.
TEST(CliFormats, SecondInputsAreCheckedToo) {
    testing::TempDir dir;
    const std::string board = dir.write("b.pcb", crlf({"PCB FILE 4", "FV", "0 0 50 20", "ENDPCB"}));
    const std::string report = dir.write("r.drc", crlf({"Clearance Error", "(1,2)", "(3,4)"}));
    const std::string junk = dir.write("junk.pcb", randomBytes());
    std::string err;
    EXPECT_EQ(runCommand(cli("drc2pcb " + report + " --board " + junk + " -o " +
                             dir.file("out.pcb") + " 2>&1 >/dev/null"),
                         &err),
              1);
    EXPECT_EQ(err, "padloom-cli drc2pcb: " + junk +
                       ": not an Autotrax board file: it holds binary data, not text\n");

    dir.write("b.APT", crlf({"Apertures for the plotter", "none yet"}));
    EXPECT_EQ(runCommand(cli("plot " + board + " --layers GTL 2>&1 >/dev/null"), &err), 1);
    EXPECT_EQ(err, "padloom-cli plot: " + dir.file("b.APT") +
                       ": not an aperture file: no line defines an aperture (D-code, shape, "
                       "sizes)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.GTL")));
}

// What the format allows goes on: an empty board with its header is a board, and a board
// without its "PCB FILE" line but with records is plotted, with one line saying so.
TEST(CliFormats, WhatTheFormatAllowsGoesOn) {
    testing::TempDir dir;
    const std::string empty = dir.write("e.pcb", crlf({"PCB FILE 4", "ENDPCB"}));
    std::string err;
    EXPECT_EQ(runCommand(cli("plot " + empty + " --all-layers --nc-drill 2>&1 >/dev/null"), &err),
              0);
    EXPECT_EQ(err, "");
    EXPECT_TRUE(std::filesystem::exists(dir.file("e.GTL")));

    const std::string headless = dir.write("h.pcb", crlf({"FV", "0 0 50 20"}));
    EXPECT_EQ(runCommand(cli("plot " + headless + " --layers GTL 2>&1 >/dev/null"), &err), 0);
    EXPECT_EQ(err, headless +
                       ":1: the first line is not \"PCB FILE\"; read as an Autotrax board all the "
                       "same\n");
    EXPECT_TRUE(std::filesystem::exists(dir.file("h.GTL")));
}

}  // namespace
}  // namespace padloom
