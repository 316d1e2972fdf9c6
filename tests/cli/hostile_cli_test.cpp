#include <filesystem>
#include <map>

#include "support/test_support.h"
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace padloom {
namespace {

namespace fs = std::filesystem;
using testing::crlf;

const std::string kGerber =
    "%FSLAX23Y23*%\r\n%MOIN*%\r\n%ADD10C,0.010*%\r\nD10*\r\n"
    "X0Y0D03*\r\nX1000Y1000D03*\r\nM02*\r\n";
const std::string kBoard = crlf({"PCB FILE 4", "FV", "1000 1000 50 20", "ENDPCB"});
constexpr std::uintmax_t k2GB = std::uintmax_t{1} << 31;
#ifdef __SANITIZE_ADDRESS__
const std::string kMemoryLimit;  // AddressSanitizer's shadow memory takes terabytes of addresses
#else
const std::string kMemoryLimit = "ulimit -v 1000000;";
#endif

// A folder as the run found it: each entry's kind, and the bytes of each small file (the size
// and time of a large one).
using Snapshot = std::map<std::string, std::string>;

Snapshot snapshot(const fs::path& dir) {
    Snapshot entries;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file()) {
            entries[name] = entry.is_directory() ? "folder" : "special";
        } else if (entry.file_size() > (1u << 20)) {
            entries[name] = std::to_string(entry.file_size()) + " bytes, written " +
                            std::to_string(entry.last_write_time().time_since_epoch().count());
        } else {
            entries[name] = testing::readFile(entry.path().string());
        }
    }
    return entries;
}

// One hostile input and what the real subcommand must do with it: exit with `status`, say
// `said` (IN stands for the hostile input's path), and leave its folder as it
// found it: no output, no temporary, no input or earlier output changed. The command runs with
// at most 1 GB of address space (outside the sanitizer build) and 20 seconds.
struct HostileCase {
    std::string what;
    std::string command;  // IN stands for DIR/in.PCB, DIR for the case's folder
    int status;
    std::string said;
    std::vector<std::pair<std::string, std::string>> files = {};
    enum class Input { File, Folder, Fifo, Missing } input = Input::File;
    std::string inputBytes = {};     // the bytes of IN when it is a file
    std::uintmax_t inputLength = 0;  // IN grown to this length with NUL bytes (sparse)
    std::string limits = {};         // shell commands before the run
    std::pair<std::string, std::uintmax_t> grown = {};  // a file of `files` grown the same way
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<HostileCase> hostileCases() {
    using Input = HostileCase::Input;
    std::string emptyLibrary(6416, '\0');  // a library of 200 free directory entries
    for (size_t entry = 16; entry < emptyLibrary.size(); entry += 32) {
        emptyLibrary[entry + 20] = emptyLibrary[entry + 21] = '\xff';
    }
    const std::vector<std::pair<std::string, std::string>> sound = {
        {"b.pcb", kBoard},
        {"a.APT", "D10 ROUND 5\r\n"},
        {"p.gbr", "X1Y1D03*\r\n"},
        {"d.TOL", "T01 28\r\n"},
        {"d.TXT", "T01\r\n%\r\nM30\r\n"},
        {"n.NET", crlf({"(", ")"})},
        {"a.LIB", emptyLibrary},
        {"r.drc", crlf({"Clearance Error", "(1,2)", "(3,4)"})}};
    // every subcommand that reads a file, with IN as one of its inputs
    const std::vector<std::string> readers = {"dump IN",
                                              "apt IN --yes",
                                              "plot IN --all-layers --yes",
                                              "package IN -o DIR/x.zip",
                                              "tango IN --all-layers",
                                              "mat2apt IN --yes",
                                              "rs274x --apt DIR/a.APT IN",
                                              "rs274x --apt IN DIR/p.gbr",
                                              "xln --tol DIR/d.TOL IN",
                                              "xln --tol IN DIR/d.TXT",
                                              "xy IN",
                                              "drc2pcb IN -o DIR/o.pcb",
                                              "drc2pcb DIR/r.drc --board IN -o DIR/o.pcb",
                                              "dxf IN",
                                              "resize-text IN",
                                              "netlib IN --lib DIR/a.LIB --auto -o DIR/o.lib",
                                              "netlib DIR/n.NET --lib IN --auto -o DIR/o.lib",
                                              "info IN",
                                              "render IN -o DIR/o.png"};
    std::vector<HostileCase> cases;
    for (const auto& command : readers) {
        cases.push_back(
            {"a folder: " + command, command, 1, "IN: is a folder", sound, Input::Folder});
        cases.push_back({"a FIFO without a writer: " + command, command, 1,
                         "IN: is not a regular file", sound, Input::Fifo});
        // one message, the first and only one, whatever the subcommand
        cases.push_back(
            {"no such file: " + command, command, 1,
             "padloom-cli " + command.substr(0, command.find(' ')) + ": IN: no such file\n", sound,
             Input::Missing});
    }
    for (const auto& command :
         {"info /dev/zero", "render /dev/zero -o DIR/o.png", "dump /dev/zero"}) {
        cases.push_back(
            {std::string("a device: ") + command, command, 1, "/dev/zero: is not a regular file"});
    }
    const std::string oneLine =
        "PCB FILE 4 FT 1000 1000 2000 2000 10 1 FP 0 0 60 60 1 28 1 13 ENDPCB";
    const std::string lostLineEnds = "not an Autotrax board file: its first line holds more than";
    std::string longGerber = "%FSLAX23Y23*%\r\n%MOIN*%\r\n%ADD10C,0.010*%\r\nD10*\r\n";
    while (longGerber.size() < 70000) {
        longGerber += "X0Y0D03*\r\n";
    }
    // clang-format off
    std::vector<HostileCase> more = {
        {"a full disk under render's PNG", "render DIR/g.gbr -o DIR/O.png --dpi 1000", 1,
         "O.png: File too large", {{"g.gbr", kGerber}, {"O.png", "a good picture"}}, Input::File,
         "", 0, "ulimit -f 1; trap '' XFSZ;"},
        {"a window of no numbers", "render DIR/g.gbr -o DIR/O.png --window nan,nan,nan,nan", 2,
         "--window wants X0,Y0,X1,Y1", {{"g.gbr", kGerber}}},
        {"a picture larger than anyone looks at", "render IN -o DIR/O.png", 1,
         "more than the 64 million a picture may have; lower --dpi or narrow --window", {},
         Input::File, crlf({"M48", "INCH", "T01C0.020", "%", "T01", "X0.0Y0.0", "X60.0Y60.0", "M30"})},
        {"a PNG for info", "info IN", 1, "IN: not a Gerber or drill file: binary data at byte 8", {},
         Input::File, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"a good Gerber and 2 GB of NUL bytes", "info IN", 1,
         "IN: not a Gerber or drill file: binary data at byte " + std::to_string(kGerber.size()), {},
         Input::File, kGerber, k2GB},
        {"NUL bytes after the first block", "info IN", 1,
         "binary data at byte " + std::to_string(longGerber.size()) + "; the file is read no further",
         {}, Input::File, longGerber, longGerber.size() + 4096},
        {"2 GB of NUL bytes to render", "render IN -o DIR/o.png", 1,
         "IN: not a Gerber or drill file: binary data at byte 0", {}, Input::File, "", k2GB},
        {"a statement without an end", "info IN", 1,
         "a statement runs on past 65536 bytes without \"*\" or a line end at byte 0", {},
         Input::File, std::string(200000, 'A')},
        {"a matrix without an aperture line", "mat2apt IN --yes", 1,
         "IN: not an aperture matrix: no line gives a D-code after its \":\"",
         {{"in.APT", "D10 ROUND 5\r\n"}}, Input::File, "hello world\r\n"},
        {"an empty matrix", "mat2apt IN --yes", 1,
         "IN: not an aperture matrix: no line gives a D-code after its \":\"",
         {{"in.APT", "D10 ROUND 5\r\n"}}},
        {"a drill file without a tool table", "xln --tol DIR/d.TOL IN", 1,
         "IN: not a drill file: no tool line (\"T01\") before its \"%\" line",
         {{"d.TOL", "T01 28\r\n"}, {"in.PCB.xln", "a good drill file"}}, Input::File, "hello world\r\n"},
        {"an empty drill file", "xln --tol DIR/d.TOL IN", 1, "IN: not a drill file: it is empty",
         {{"d.TOL", "T01 28\r\n"}, {"in.PCB.xln", "a good drill file"}}},
        {"a board on its header line: dump", "dump IN", 1, lostLineEnds, {}, Input::File, oneLine},
        {"a board on its header line: plot", "plot IN --all-layers --yes", 1, lostLineEnds, {},
         Input::File, oneLine + "\r\n"},
        {"a board on its header line: package", "package IN -o DIR/x.zip", 1, lostLineEnds, {},
         Input::File, oneLine},
        {"a board, a long line and 2 GB of NUL bytes", "dump IN", 1,
         "IN: line 5 runs on past 16777216 bytes without a line end: not a text file", {},
         Input::File, kBoard + std::string(70000, 'A'), k2GB},
        {"2 GB of NUL bytes to plot", "plot IN --all-layers --yes", 1,
         "IN: not an Autotrax board file: it holds binary data, not text", {}, Input::File, "", k2GB},
        {"2 GB of NUL bytes to package", "package IN -o DIR/x.zip", 1,
         "IN: not an Autotrax board file: it holds binary data, not text", {}, Input::File, "", k2GB},
        {"a zip in a folder that is not there", "package DIR/b.pcb -o DIR/none/x.zip", 1,
         "/none: no such folder\n", {{"b.pcb", kBoard}}},
        {"a zip in a file", "package DIR/b.pcb -o DIR/b.pcb/x.zip", 1, "/b.pcb: not a folder\n",
         {{"b.pcb", kBoard}}},
        {"2 GB of NUL bytes as the height file", "dxf DIR/b.pcb", 1,
         "b.DAT: not a component height file: its 2147483648 bytes are no whole number of 40-byte "
         "records", {{"b.pcb", kBoard}, {"b.DAT", ""}}, Input::File, "", 0, "", {"b.DAT", k2GB}},
        {"a short note as the height file", "dxf DIR/b.pcb", 1,
         "b.DAT: not a component height file: its 20 bytes are no whole number of 40-byte records",
         {{"b.pcb", kBoard}, {"b.DAT", "\r\nshort note: keep\r\n"}}},
        {"a text of 40 bytes as the height file", "dxf DIR/b.pcb", 1,
         "b.DAT: not a component height file: record 1 is no pattern name of up to 32 printable "
         "characters and a height",
         {{"b.pcb", kBoard}, {"b.DAT", "\r\nshort note: keep it, it is all mine.\r\n"}}},
    };
    // clang-format on
    for (auto& c : more) {
        cases.push_back(std::move(c));
    }
    return cases;
}

TEST(CliHostile, RefusedWithTheReasonAndNothingChanged) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const std::string in = dir.file("in.PCB");
        for (const auto& [name, bytes] : c.files) {
            dir.write(name, bytes);
        }
        if (!c.grown.first.empty()) {
            fs::resize_file(dir.file(c.grown.first), c.grown.second);  // sparse: no disk taken
        }
        switch (c.input) {
            case HostileCase::Input::File:
                if (c.command.find("IN") != std::string::npos) {
                    dir.write("in.PCB", c.inputBytes);
                    if (c.inputLength > 0) {
                        fs::resize_file(in, c.inputLength);  // sparse
                    }
                }
                break;
            case HostileCase::Input::Folder:
                fs::create_directory(in);
                break;
            case HostileCase::Input::Fifo:
                ASSERT_EQ(::mkfifo(in.c_str(), 0600), 0);
                break;
            case HostileCase::Input::Missing:
                break;
        }
        const Snapshot before = snapshot(dir.path());
        const std::string command =
            replaced(replaced(c.command, "IN", in), "DIR", dir.path().string());
        std::string said;
        const int status =
            testing::runCommand("cd " + dir.path().string() + " && " + c.limits + kMemoryLimit +
                                    " timeout 20 " + testing::cliPath() + " " + command + " 2>&1",
                                &said);
        EXPECT_EQ(status, c.status) << said;
        if (c.input == HostileCase::Input::Missing) {
            EXPECT_EQ(said, replaced(c.said, "IN", in));
        } else {
            EXPECT_NE(said.find(replaced(c.said, "IN", in)), std::string::npos) << said;
        }
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

}  // namespace
}  // namespace padloom
