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
    using Files = std::vector<std::pair<std::string, std::string>>;
    const std::string noBoard =
        "not an Autotrax board file: its first line is not \"PCB FILE\" "
        "and it holds no board record";
    const std::string binaryBoard = "not an Autotrax board file: it holds binary data, not text";
    const std::string autotraxForTango =
        "an Autotrax board file (it begins with \"PCB FILE\"), not a TANGO board: plot it with "
        "the .PCB --> RS274 Gerber tool";
    std::string shortLibrary(3000, '\0');
    std::string emptyLibrary(6416, '\0');  // 200 free directory entries
    for (size_t entry = 16; entry < emptyLibrary.size(); entry += 32) {
        emptyLibrary[entry + 20] = emptyLibrary[entry + 21] = '\xff';
    }
    struct Case {
        const char* what;
        std::string file;  // the input that is not what it claims
        std::string bytes;
        std::string command;  // FILE and DIR stand for the input and the folder
        std::string said;     // the reason given after "FILE: "
        Files others = {};    // sound inputs the command also reads
    };
    // clang-format off
    const Case cases[] = {
        {"random bytes as a board", "junk.pcb", randomBytes(), "plot FILE --all-layers --nc-drill --bom", binaryBoard},
        {"a text that is no board", "notes.pcb", crlf({"Shopping list", "milk"}), "plot FILE --all-layers", noBoard},
        {"an empty file", "empty.pcb", "", "apt FILE --yes", noBoard},
        {"random bytes for the X/Y file", "junk.pcb", randomBytes(), "xy FILE", binaryBoard},
        {"random bytes for the DXF drawing", "junk.pcb", randomBytes(), "dxf FILE", binaryBoard},
        {"a text to resize", "notes.pcb", crlf({"Shopping list"}), "resize-text FILE", noBoard},
        {"random bytes as a DRC report", "junk.drc", randomBytes(), "drc2pcb FILE -o DIR/out.pcb",
         "not a design rule check report: it holds binary data, not text"},
        {"random bytes as an aperture matrix", "junk.MAT", randomBytes(), "mat2apt FILE --yes",
         "not an aperture matrix: it holds binary data, not text"},
        {"random bytes as an RS274D plot", "junk.gbr", randomBytes(), "rs274x --apt DIR/a.APT FILE",
         "not an RS274D plot: it holds binary data, not text", {{"a.APT", "D10 ROUND 5\r\n"}}},
        {"a plot without a data block", "notes.gbr", crlf({"Shopping list"}), "rs274x --apt DIR/a.APT FILE",
         "not an RS274D plot: no data block (ended by \"*\")", {{"a.APT", "D10 ROUND 5\r\n"}}},
        {"an aperture file without apertures", "a.APT", crlf({"; nothing", "Shopping list"}),
         "rs274x --apt FILE DIR/p.gbr", "not an aperture file: no line defines an aperture (a D-code, a shape and its size)",
         {{"p.gbr", "X1Y1D03*\r\n"}}},
        {"a board as the aperture file", "b.pcb", crlf({"PCB FILE 4", "CP", "1625 800 150 100 2 0 1 6", "VCC", "ENDPCB"}),
         "rs274x --apt FILE DIR/p.gbr", "not an aperture file: no line defines an aperture (a D-code, a shape and its size)",
         {{"p.gbr", "X1Y1D03*\r\n"}}},
        {"random bytes as a tool table", "junk.TOL", randomBytes(), "xln --tol FILE DIR/d.TXT",
         "not a drill tool table: it holds binary data, not text", {{"d.TXT", "M48\r\nT01\r\n%\r\nM30\r\n"}}},
        {"random bytes as a drill file", "junk.TXT", randomBytes(), "xln --tol DIR/d.TOL FILE",
         "not a drill file: it holds binary data, not text", {{"d.TOL", "T01 28\r\n"}}},
        {"random bytes as a netlist", "junk.NET", randomBytes(), "netlib FILE --lib DIR/a.LIB --auto -o DIR/out.lib",
         "not a Protel netlist: it holds binary data, not text", {{"a.LIB", emptyLibrary}}},
        {"a text that is no netlist", "notes.NET", crlf({"Shopping list"}), "netlib FILE --lib DIR/a.LIB --auto -o DIR/out.lib",
         "not a Protel netlist: it holds no component (\"[\" line) and no net (\"(\" line)",
         {{"a.LIB", emptyLibrary}}},
        {"a library shorter than its directory", "short.LIB", shortLibrary,
         "netlib DIR/n.NET --lib FILE --auto -o DIR/out.lib",
         "not a component library: 3000 bytes, shorter than the 6416 bytes of its header and directory",
         {{"n.NET", crlf({"(", ")"})}}},
        {"a text as a library", "notes.LIB", std::string(7000, 'x'), "netlib DIR/n.NET --lib FILE --auto -o DIR/out.lib",
         "not a component library: its header and directory are text", {{"n.NET", crlf({"(", ")"})}}},
        {"random bytes as a TANGO board", "JUNK.PCB", randomBytes(), "tango FILE --all-layers --nc-drill",
         "not a TANGO board file: it holds binary data, not text"},
        {"an Autotrax board as a TANGO board", "AUTO.PCB", crlf({"PCB FILE 4", "FV", "0 0 50 20", "ENDPCB"}),
         "tango FILE --all-layers", autotraxForTango},
        // its COMP record would read as a TANGO component without a number
        {"an Autotrax board with a component as a TANGO board", "AUTO.PCB",
         crlf({"PCB FILE 4", "COMP", "U1", "DIP8", "", "0 0 60 0 8 7", "0 0 60 0 8 7", "0 0 1 1 0",
               "ENDCOMP", "ENDPCB"}),
         "tango FILE --all-layers", autotraxForTango},
        {"a text that is no TANGO board", "NOTES.PCB", crlf({"Shopping list"}), "tango FILE --all-layers",
         "not a TANGO board file: it holds no TANGO record (LINE, POLY, PAD, VIA, ARC, TEXT or COMP)"},
        {"another program's .DAT beside the board", "b.DAT", crlf({"Settings of another program"}), "dxf DIR/b.pcb",
         "not a component height file: its 29 bytes are no whole number of 40-byte records",
         {{"b.pcb", crlf({"PCB FILE 4", "COMP", "U1", "DIP8", "", "0 0 60 0 8 7", "0 0 60 0 8 7",
                          "0 0 1 1 0", "ENDCOMP", "ENDPCB"})}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        for (const auto& [name, bytes] : c.others) {
            dir.write(name, bytes);
        }
        const std::string path = dir.write(c.file, c.bytes);
        std::string command = c.command;
        if (auto at = command.find("FILE"); at != std::string::npos) {
            command.replace(at, 4, path);
        }
        for (auto at = command.find("DIR"); at != std::string::npos; at = command.find("DIR")) {
            command.replace(at, 3, dir.path().string());
        }
        std::string err;
        EXPECT_EQ(runCommand(cli(command + " 2>&1 >/dev/null"), &err), 1);
        EXPECT_EQ(err, "padloom-cli " + command.substr(0, command.find(' ')) + ": " + path + ": " +
                           c.said + "\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  static_cast<long>(c.others.size() + 1))
            << "an output was left behind";
        EXPECT_EQ(testing::readFile(path), c.bytes);
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

    const std::string headless = dir.write("h.pcb", crlf({"FV", "0 0 50 20", "ENDPCB"}));
    EXPECT_EQ(runCommand(cli("plot " + headless + " --layers GTL 2>&1 >/dev/null"), &err), 0);
    // and, on standard error too, the layers the via is on that were not ticked
    EXPECT_EQ(err, headless +
                       ":1: the first line is not \"PCB FILE\"; read as an Autotrax board all the "
                       "same\nThe board has objects on layers that are not ticked, so they are "
                       "not plotted: Bottom copper (.GBL), Top solder mask (.GTS), Bottom solder "
                       "mask (.GBS)\n");
    EXPECT_TRUE(std::filesystem::exists(dir.file("h.GTL")));
}

}  // namespace
}  // namespace padloom
