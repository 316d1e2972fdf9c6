#include "view/file_kind.h"

#include "common/errors.h"
#include "support/test_support.h"
#include "view/layer_image.h"
#include "view/layer_summary.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

struct KindCase {
    const char* name;
    std::string bytes;
    FileKind kind;
    const char* reason;  // for the files that are none of ours to read
};

class FileKinds : public ::testing::TestWithParam<KindCase> {};

// Gerber and drill files as CAD programs begin them are read; the other files of a fab folder
// are told apart with what they are.
TEST_P(FileKinds, FirstStatementDecides) {
    const KindCase& c = GetParam();
    const FileIdentity id = identifyFile(c.bytes);
    EXPECT_EQ(id.kind, c.kind);
    EXPECT_EQ(id.reason, c.reason);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(, FileKinds, ::testing::Values(
    KindCase{"FormatFirst", "%FSLAX23Y23*%\r\n%MOIN*%\r\n", FileKind::Gerber, ""},
    KindCase{"CommentFirst", "G04 made by hand*\r\n%FSLAX23Y23*%\r\n", FileKind::Gerber, ""},
    KindCase{"BlankLinesAndByteOrderMark", "\xEF\xBB\xBF\r\n\r\n  %FSLAX24Y24*%\n", FileKind::Gerber, ""},
    KindCase{"RS274DBlocks", "G54D10*\nX1000Y1000D02*\n", FileKind::Gerber, ""},
    KindCase{"Empty", "", FileKind::Gerber, ""},
    KindCase{"DrillHeaderFirst", "M48\r\nINCH,LZ\r\n", FileKind::Excellon, ""},
    KindCase{"DrillCommentsFirst", "; made by hand\r\n\r\nM48\r\n", FileKind::Excellon, ""},
    KindCase{"DrillRewindStopFirst", "%\r\nM48\r\nM72\r\nT01C0.0236\r\n", FileKind::Excellon, ""},
    KindCase{"DrillWithoutHeader", "T01\r\nX0100Y0100\r\n", FileKind::Excellon, ""},
    KindCase{"DrillUnitsFirst", "INCH,TZ\r\nT1C0.035\r\n", FileKind::Excellon, ""},
    KindCase{"JobFile", "{\n  \"Header\": {},\n  \"FilesAttributes\": []\n}\n", FileKind::GerberJob, ""},
    KindCase{"OtherJson", "{\"nets\": []}\n", FileKind::Other, "JSON text"},
    KindCase{"Board", "PCB FILE 4\r\nFT\r\n", FileKind::Other, "an Autotrax board file"},
    KindCase{"Dxf", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n", FileKind::Other, "a DXF drawing"},
    KindCase{"TestNetlist", "C  IPC-D-356A test netlist\r\nP  JOB   demo\r\n", FileKind::Other, "an IPC-D-356 test netlist"},
    KindCase{"ToolTable", "T01\t0.025\t18\r\n", FileKind::Other, "a drill tool table (tool, size, count), not a drill file"},
    KindCase{"ApertureList", "D10\tCIRCULAR   \t3\t3\t0\tMULTI\r\n", FileKind::Other, "an aperture list"},
    KindCase{"Bom", "\"100n\",1,\"C1\"\r\n", FileKind::Other, "it begins \"\"100n\",1,\"C1\"\", which is no Gerber or drill statement"},
    KindCase{"Placement", "corners at 1.000, 1.000 x 3.000, 2.500\r\n", FileKind::Other, "it begins \"corners at 1.000, 1.000 x 3.000, 2.500\", which is no Gerber or drill statement"},
    KindCase{"Readme", "# Fab package of demo.pcb\r\n", FileKind::Other, "it begins \"# Fab package of demo.pcb\", which is no Gerber or drill statement"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(FileKindRead, RefusalNamesTheFileAndWhatItIs) {
    testing::TempDir dir;
    const std::string board = dir.write("b.NEW", "PCB FILE 4\r\nENDPCB\r\n");
    try {
        readLayerFile(board);
        FAIL() << "a board read as a layer";
    } catch (const common::FormatError& e) {
        EXPECT_EQ(std::string(e.what()),
                  board + ": not a Gerber or drill file: an Autotrax board file");
    }
    // a zip, and the empty tool table of a board without holes
    for (const auto& [name, bytes] :
         {std::pair<std::string, std::string>{"b.zip", {"PK\x03\x04\x14\0\0\0", 8}},
          {"b.TOL", ""}}) {
        EXPECT_THROW(readLayerFile(dir.write(name, bytes)), common::FormatError) << name;
    }
}

TEST(FileKindRead, JobFileListsItsSetAndMissesWhatIsNotBesideIt) {
    testing::TempDir dir;
    dir.write("b.GTL", "%FSLAX23Y23*%\r\n%MOIN*%\r\nM02*\r\n");
    const std::string job = dir.write(
        "b.gbrjob",
        "{\n \"Header\": {\"GenerationSoftware\": {\"Vendor\": \"X\"}, \"Sizes\": [1, 2.5]},\n"
        " \"FilesAttributes\": [\n"
        "  {\"Path\": \"b.GTL\", \"FileFunction\": \"Copper,L1,Top\", \"FilePolarity\": "
        "\"Positive\"},\n"
        "  {\"FilePolarity\": \"Positive\", \"Extra\": {\"a\": [true, null]}, \"Path\": "
        "\"b.\\\"TXT\", \"FileFunction\": \"Plated,1,2,PTH\"}\n"
        " ]\n}\n");
    const LayerImage image = readLayerFile(job);
    ASSERT_EQ(image.format, FileFormat::GerberJob);
    ASSERT_EQ(image.jobFiles.size(), 2u);
    EXPECT_EQ(image.jobFiles[1].path, "b.\"TXT");
    EXPECT_EQ(image.jobFiles[1].fileFunction, "Plated,1,2,PTH");
    EXPECT_EQ(jobSetPaths(image).front(), dir.file("b.GTL"));
    EXPECT_EQ(describeLayer(image), job +
                                        "\n"
                                        "  format:     Gerber job file, 2 files\n"
                                        "    b.GTL: Copper,L1,Top, polarity Positive\n"
                                        "    b.\"TXT: Plated,1,2,PTH, polarity Positive\n"
                                        "  problems:   2\n"
                                        "    " +
                                        job +
                                        ": warning: b.\"TXT is listed but not beside it\n"
                                        "    " +
                                        job +
                                        ": warning: No board outline: no file of the set is the "
                                        "board outline (Profile); the board house must be told "
                                        "the board's shape and size\n");
    // no units nor image polarity for a list of files
    const std::string json = layersAsJson({image});
    EXPECT_NE(json.find("\"units\": null, \"coordinateFormat\": \"\", \"imagePolarity\": null"),
              std::string::npos)
        << json;
}

}  // namespace
}  // namespace padloom::view
