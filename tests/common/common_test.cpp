#include <csignal>
#include <cstdlib>
#include <charconv>
#include <filesystem>
#include <limits>
#include <set>

#include "common/base_name.h"
#include "common/errors.h"
#include "common/number_format.h"
#include "common/text_io.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::common {
namespace {

TEST(NumberFormat, InchForms) {
    EXPECT_EQ(inchFormA(62), ".062");
    EXPECT_EQ(inchFormA(5), ".005");
    EXPECT_EQ(inchFormA(1500), "1.500");
    EXPECT_EQ(inchFormA(-4), ".000");
    EXPECT_EQ(inchFormB(15), "0.015");
    EXPECT_EQ(inchFormB(250), "0.250");
    EXPECT_EQ(inchFormB(2000), "2.000");
    EXPECT_EQ(inchFormF(100), "0.100");
    EXPECT_EQ(inchFormF(6.7), "0.007") << "a real division, then three significant digits";
    EXPECT_EQ(inchFormF(1234), "1.230");
    EXPECT_EQ(inchFormF(0), "0.000");
}

TEST(NumberFormat, InchTextOfTheDrillDrawing) {
    EXPECT_EQ(inchText(2500), "2.500");
    EXPECT_EQ(inchText(32), "0.032");
    EXPECT_EQ(inchText(9999), "9.999");
    EXPECT_EQ(inchText(12345), "12.350") << "ten inches and more: rounded to 10 mils";
    EXPECT_EQ(inchText(12344), "12.340");
}

TEST(NumberFormat, Padding) {
    EXPECT_EQ(zeroPadded(950, 5), "00950");
    EXPECT_EQ(zeroPadded(123456, 5), "123456");
    EXPECT_EQ(zeroPadded(-5, 3), "-005");
}

TEST(NumberFormat, DecimalWriterAgreesWithToChars) {
    // every digit count on both sides of its bounds, the short path's end, and the extremes
    std::vector<long long> values = {0, std::numeric_limits<long long>::min(),
                                     std::numeric_limits<long long>::max()};
    for (long long p = 1;; p *= 10) {
        for (long long v : {p - 1, p, p + 1, 2 * p - 1, 5 * p + 3}) {
            values.push_back(v);
            values.push_back(-v);
        }
        if (p == 1000000000000000000LL) {
            break;  // the largest power of ten a long long holds
        }
    }
    for (long long v : values) {
        char expected[24];
        char written[24];
        const std::string_view want(expected, std::to_chars(expected, expected + 24, v).ptr - expected);
        const std::string_view got(written, writeDecimal(written, v) - written);
        EXPECT_EQ(got, want) << v;
    }
}

TEST(BaseName, KeepsTheFolderAndCutsAtTheLastDot) {
    EXPECT_EQ(baseName("board.pcb"), "board");
    EXPECT_EQ(baseName("/home/me/proj.v2/board.pcb"), "/home/me/proj.v2/board");
    EXPECT_EQ(baseName("./board.pcb"), "./board");
    EXPECT_EQ(baseName("rev1.2.pcb"), "rev1.2");
    EXPECT_EQ(baseName("D:\\my.boards\\x.pcb"), "D:\\my.boards\\x");
    EXPECT_EQ(baseName("/tmp/board"), "/tmp/board") << "no dot: the extension is appended";
    EXPECT_EQ(baseName("/tmp/.hidden"), "/tmp/.hidden");
    EXPECT_EQ(withExtension("/a.b/x.pcb", ".APT"), "/a.b/x.APT");
    EXPECT_EQ(folderOf("D:\\jobs\\board.pcb"), "D:\\jobs\\");
    EXPECT_EQ(folderOf("board.pcb"), "");
    EXPECT_EQ(fileNameOf("/a/b.pcb"), "b.pcb");
}

TEST(TextIo, WriterCommitsAtomicallyWithCrLf) {
    testing::TempDir dir;
    auto path = dir.write("out.txt", "old");
    {
        LineWriter w(path);
        w.line("a").write("b").write(12).endLine();
        EXPECT_EQ(testing::readFile(path), "old") << "nothing replaced before commit";
        w.commit();
    }
    EXPECT_EQ(testing::readFile(path), "a\r\nb12\r\n");
    {
        LineWriter w(path);
        w.line("half");
    }  // dropped without commit, as when a run fails
    EXPECT_EQ(testing::readFile(path), "a\r\nb12\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
    dir.write("out.txt.tmp", "someone else's");
    LineWriter(path).line("x").commit();
    EXPECT_EQ(testing::readFile(dir.file("out.txt.tmp")), "someone else's");
}

std::set<std::string> namesIn(const testing::TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A run of an output removes the temporaries that ended runs of the same output left behind,
// and nothing else: not another output's, not names of another form, not one still written.
TEST(TemporaryFiles, ALaterRunRemovesOnlyStaleTemporariesOfItsOutput) {
    testing::TempDir dir;
    const std::string path = dir.file("out.txt");
    for (const char* name : {"out.txt.123456.tmp", "out.txt.7.tmp", "out.txt.notes.tmp",
                             "out.txt.1234567.tmp", "out.txt.tmp", "other.txt.5.tmp"}) {
        dir.write(name, "left");
    }
    std::filesystem::create_directory(dir.file("out.txt.9.tmp"));
    LineWriter live(path);  // still being written
    live.line("live");
    DeferredCommits pending;
    {
        DeferCommits defer(pending);
        LineWriter finished(path);  // finished, waiting to be put in place
        finished.line("finished");
        finished.commit();
    }
    LineWriter later(path);
    std::set<std::string> left = namesIn(dir);
    EXPECT_EQ(left.count("out.txt.123456.tmp") + left.count("out.txt.7.tmp"), 0u);
    for (const char* kept : {"out.txt.notes.tmp", "out.txt.1234567.tmp", "out.txt.tmp",
                             "other.txt.5.tmp", "out.txt.9.tmp"}) {
        EXPECT_EQ(left.count(kept), 1u) << kept;
    }
    EXPECT_EQ(left.size(), 5u + 3u) << "the three temporaries of this process stay";
    pending.apply();
    EXPECT_EQ(testing::readFile(path), "finished\r\n");
    live.commit();
    EXPECT_EQ(testing::readFile(path), "live\r\n");
    later.commit();
    EXPECT_EQ(namesIn(dir).size(), 5u + 1u);
}

// An interruption removes the temporaries: the runs that own them then cannot put them in
// place, and say so.
TEST(TemporaryFiles, RemovedWhenTheRunIsInterrupted) {
    testing::TempDir dir;
    LineWriter w(dir.file("out.txt"));
    w.line("half");
    removeListedTemporaries();
    EXPECT_TRUE(namesIn(dir).empty());
    EXPECT_THROW(w.commit(), IoError);
    LineWriter again(dir.file("out.txt"));  // the list has room again
    again.line("whole");
    again.commit();
    EXPECT_EQ(namesIn(dir), (std::set<std::string>{"out.txt"}));
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
// Ctrl-C, a termination signal or the program's exit in the middle of a run leaves nothing of
// the run behind; the signal still ends the program.
TEST(TemporaryFilesDeathTest, SignalsAndExitRemoveTheRunsTemporaries) {
    // the child forked, not started afresh: it writes into the folder the parent looks at
    GTEST_FLAG_SET(death_test_style, "fast");
    for (int signal : {SIGINT, SIGTERM, SIGHUP, 0}) {
        testing::TempDir dir;
        auto run = [&] {
            removeTemporariesOnInterrupt();
            LineWriter writing(dir.file("a.txt"));
            writing.line("half");
            DeferredCommits pending;
            DeferCommits defer(pending);
            LineWriter finished(dir.file("b.txt"));
            finished.line("whole");
            finished.commit();
            if (signal == 0) {
                std::exit(3);
            }
            std::raise(signal);
        };
        if (signal == 0) {
            EXPECT_EXIT(run(), ::testing::ExitedWithCode(3), "");
        } else {
            EXPECT_EXIT(run(), ::testing::KilledBySignal(signal), "") << signal;
        }
        EXPECT_TRUE(namesIn(dir).empty()) << signal;
    }
}
#endif

TEST(TextIo, ReaderKeepsEmptyLinesAndBytes) {
    testing::TempDir dir;
    auto path = dir.write("in.txt", "a\r\n\r\nb\xff\rc\n\nd");
    LineReader r(path);
    std::vector<std::string> lines;
    std::string line;
    while (r.next(line)) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b\xff", "c", "", "d"}));
    EXPECT_EQ(r.lineNumber(), 6);
}

TEST(TextIo, TellsBinaryDataFromDosText) {
    const std::string dosText =
        "PCB FILE 4\r\nFS\r\n0 0 60 0 8 7\r\n10\xb5"
        "F \xea\f\t\x1b\r\n\x1a";
    std::string manyControls(100, 'a');
    for (int i = 0; i < 9; ++i) {
        manyControls[i * 10] = '\x01';
    }
    // clang-format off
    const std::pair<std::string, bool> cases[] = {
        {dosText, false},
        {"", false},
        {std::string("PCB FILE 4\r\n\0", 13), true},  // a NUL byte
        {manyControls, true},
        {manyControls.substr(0, 80), false},            // eight stray control bytes are not enough
        {"x\x01y\x02" + std::string(400, 'z') + "\x03\x04\x05\x06\x07\x08\x0e", false},
    };
    // clang-format on
    for (const auto& [bytes, binary] : cases) {
        EXPECT_EQ(common::looksBinary(bytes), binary) << bytes;
    }
}

TEST(TextIo, RefusesToOverwriteAnInput) {
    testing::TempDir dir;
    auto in = dir.write("x.apt", "D10");
    EXPECT_THROW(refuseOverwritingInput(in, {in}), IoError);
    EXPECT_NO_THROW(refuseOverwritingInput(dir.file("y.apt"), {in}));
}

}  // namespace
}  // namespace padloom::common
