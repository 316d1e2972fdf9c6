#include "board/board_image.h"

#include <filesystem>
#include <sstream>

#include "board/board_reader.h"
#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::board {
namespace {

using testing::TempDir;

// Everything a reader tells, in the order it tells it: records with all their fields, the
// component header, the lines passed over and the problems.
std::string transcript(BoardReader& reader) {
    std::ostringstream out;
    reader.onSkippedLine([&out](const std::string& line) {
        out << "skip|" << line << "\n";
        return true;
    });
    while (auto kind = reader.next()) {
        const CurrentRecord& r = reader.record();
        out << static_cast<int>(*kind) << "|" << reader.keyword() << "|" << reader.recordLine()
            << "|" << reader.componentEnds();
        for (int v : {r.x1, r.y1, r.x2, r.y2, r.layer, r.ySize, r.xSize, r.width, r.viaSize,
                      r.radius, r.holeSize, r.padName, r.planeCode, r.shape, r.rotation,
                      r.quadrantMask}) {
            out << "," << v;
        }
        out << "|" << r.text;
        if (*kind == RecordKind::Component) {
            const ComponentHeader& c = reader.component();
            out << "|" << c.designator << "|" << c.pattern << "|" << c.comment;
            for (const TextAttributes& a : {c.commentText, c.designatorText}) {
                out << "|" << a.x << "," << a.y << "," << a.height << "," << a.rotation << ","
                    << a.width << "," << a.layer;
            }
            out << "|" << c.designatorShown << c.commentShown;
        }
        out << "\n";
    }
    out << "header " << reader.hasHeader() << "\n";
    return out.str();
}

std::string fromFile(const std::string& path, std::ostringstream& problems) {
    BoardReader reader(path, [&problems](const std::string& p) { problems << p << "\n"; });
    return transcript(reader);
}

std::string fromImage(const std::string& path, std::shared_ptr<const BoardImage> image,
                      std::ostringstream& problems) {
    BoardReader reader(path, std::move(image),
                       [&problems](const std::string& p) { problems << p << "\n"; });
    return transcript(reader);
}

// Every record kind, free and in components, damaged records, a component header with a bad
// attribute line, strings whose text reads like a keyword, stray lines, and CR LF, LF and lone
// CR line ends.
const std::string kBoard =
    "PCB FILE 4\r\n"
    "COMP\r\nU1\r\nDIP8\r\n10K\r\n100 180 60 0 8 7\r\n100 240 60 0 8 7\r\n0 0 1 1 0\r\n"
    "CP\r\n100 100 60 60 1 28 2 13\r\n1\r\n"
    "CP\r\n200 100 50 30 2 0 1 1\r\nA2\r\n"
    "CT\r\n100 100 200 100 8 1\r\n"
    "CA\r\n100 100 40 5 8 7\r\n"
    "CS\r\n100 300 48 0 8 7\r\nCP\r\n"
    "CF\r\n0 0 10 10 6\r\n"
    "CV\r\n50 50 40 20\r\n"
    "ENDCOMP\r\n"
    "FV\n150 150 40 20\n"
    "FT\n0 0 x 10 10 11\n"
    "FS\n10 10 48 1 8 7\nENDCOMP\n"
    "stray line\r"
    "FF\r0 0 60 60 1\r"
    "COMP\nR2\nR0805\nNo value\n1 2 3\n4 5 6 7 8 9\n0 0 0 1 0\n"
    "FA\r\n500 500 50 15 1 1\r\n"
    "FP\r\n300 300 70 70 4 35 7 13\r\nGND\r\n"
    "ENDPCB\r\n";

// The image of a board replays as the file reads, wherever the middle of the file falls when it
// is read in two halves (between records, inside a record, inside a line, between CR and LF),
// and its two parts replayed one after the other give the same as the whole.
TEST(BoardImage, ReplayGivesWhatTheFileGives) {
    TempDir dir;
    const std::string path = dir.file("b.pcb");
    int twoParts = 0;
    for (const std::string& board :
         {kBoard, kBoard.substr(12), std::string("PCB FILE 4\nFT\n1 2 3 4 5 6\nFT\n7 8")}) {
        // a passed-over line of growing length at the end moves the middle through the board
        for (size_t filler = 0; filler <= 2 * board.size() + 2; filler += 1) {
            dir.write("b.pcb", board + std::string(filler, 'x'));
            std::ostringstream fileProblems;
            const std::string expected = fromFile(path, fileProblems);
            for (std::uintmax_t halvesFrom : {kHalvesFrom, std::uintmax_t{0}}) {
                auto image = readBoardImage(path, halvesFrom);
                ASSERT_TRUE(image);
                std::ostringstream problems;
                EXPECT_EQ(fromImage(path, image, problems), expected) << filler;
                EXPECT_EQ(problems.str(), fileProblems.str()) << filler;
                if (image->parts() == 2) {
                    ++twoParts;
                    std::ostringstream partProblems;
                    BoardReader first(path, image, 0, [&](const std::string& p) {
                        partProblems << p << "\n";
                    });
                    BoardReader second(path, image, 1, [&](const std::string& p) {
                        partProblems << p << "\n";
                    });
                    std::string parts = transcript(first);
                    parts += transcript(second);
                    EXPECT_EQ(partProblems.str(), fileProblems.str()) << filler;
                    // each part ends with its own header line
                    const size_t cut = parts.find("header ");
                    std::string joined = parts.substr(0, cut) +
                                         parts.substr(parts.find('\n', cut) + 1);
                    EXPECT_EQ(joined, expected) << filler;
                }
            }
        }
    }
    EXPECT_GT(twoParts, 100);
}

TEST(BoardImage, CountsWhatTheBoardHolds) {
    TempDir dir;
    const std::string path = dir.write("b.pcb", kBoard);
    auto image = readBoardImage(path);
    ASSERT_TRUE(image);
    const BoardContents& c = image->contents();
    EXPECT_EQ(c.records, 15);
    EXPECT_EQ(c.components, 2);
    EXPECT_EQ(c.holes, 4) << "the two drilled Multi Layer pads and the two vias";
    EXPECT_EQ(c.layers[1].flashes, 1);
    EXPECT_EQ(c.layers[13].flashes, 4);
    EXPECT_EQ(c.layers[7].arcQuarters, 2);
    EXPECT_EQ(c.layers[1].arcQuarters, 4);
    // U1's "10K" and "U1", the strings "CP" and "ENDCOMP"; R2's comment alone, on layer 0
    EXPECT_EQ(c.layers[7].textChars, 3 + 2 + 2 + 7);
    EXPECT_EQ(c.layers[0].textChars, 8);
    EXPECT_EQ(c.layers[9].textChars, 0);
}

// A board changed after it was read is read again, not replayed.
TEST(BoardImage, ChangedFileIsReadAgain) {
    TempDir dir;
    const std::string path = dir.write("b.pcb", "PCB FILE 4\nFT\n1 2 3 4 5 6\n");
    auto image = readBoardImage(path);
    dir.write("b.pcb", "PCB FILE 4\nFT\n1 2 3 4 5 6\nFV\n7 8 40 20\n");
    std::ostringstream problems;
    EXPECT_NE(fromImage(path, image, problems).find("FV"), std::string::npos);
    EXPECT_FALSE(image->matches(path));
    EXPECT_FALSE(image->matches(dir.file("other.pcb")));
}

}  // namespace
}  // namespace padloom::board
