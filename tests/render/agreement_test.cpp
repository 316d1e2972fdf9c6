#include <algorithm>
#include <cmath>
#include <filesystem>

#include <QImage>

#include "support/test_support.h"
#include "view/layer_image.h"
#include "view/layer_summary.h"
#include <gtest/gtest.h>

namespace padloom::view {
namespace {

namespace fs = std::filesystem;

constexpr int kDpi = 200;
constexpr double kMostDiffering = 0.005;

std::string shellQuoted(const std::string& s) {
    return "'" + s + "'";
}

// Whether a pixel is lit: more than half way from the black background to the white layer.
bool lit(QRgb p) {
    return qGray(p) > 127;
}

// Share of the pixels lit in one picture and not the other; 1 when the sizes differ.
double differing(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 1.0;
    }
    long count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += lit(a.pixel(x, y)) != lit(b.pixel(x, y));
        }
    }
    return static_cast<double>(count) / (a.width() * a.height());
}

std::vector<std::string> boards() {
    std::vector<std::string> all = testing::sampleBoards();
    for (const auto& entry : fs::directory_iterator(testing::sourceDir() + "/examples")) {
        std::string ext = entry.path().extension().string();
        if (ext == ".pcb" || ext == ".PCB") {
            all.push_back(entry.path().string());
        }
    }
    std::sort(all.begin(), all.end());
    return all;
}

// Every output of every sample and example board, drawn by `padloom-cli render` and by gerbv
// over the same window at the same resolution, white on black: the pictures agree but for a
// few edge pixels.
TEST(Agreement, RenderMatchesGerbvOnEveryOutput) {
    if (testing::runCommand("command -v gerbv >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "gerbv not installed";
    }
    testing::TempDir dir;
    int compared = 0;
    for (const std::string& source : boards()) {
        std::string name = fs::path(source).stem().string();
        fs::path work = dir.path() / name;
        fs::create_directories(work);
        std::string board = (work / fs::path(source).filename()).string();
        fs::copy_file(source, board);
        ASSERT_EQ(
            testing::runCommand(shellQuoted(testing::cliPath()) + " plot " + shellQuoted(board) +
                                " --all-layers --nc-drill --yes >/dev/null"),
            0)
            << board;
        std::vector<std::string> outputs;
        for (const auto& entry : fs::directory_iterator(work)) {
            std::string ext = entry.path().extension().string();
            if ((ext.size() == 4 && ext[1] == 'G') || ext == ".TXT") {
                outputs.push_back(entry.path().string());
            }
        }
        std::sort(outputs.begin(), outputs.end());
        ASSERT_GE(outputs.size(), 18u) << board;

        // one window for the whole board: everything any output draws, and a margin
        Box all;
        for (const std::string& f : outputs) {
            all.add(readLayerFile(f).extent);
        }
        all = all.grown(0.05);
        // whole pixels, so both programs map the same window onto the same grid
        all.x1 = all.x0 + std::ceil(all.width() * kDpi) / kDpi;
        all.y1 = all.y0 + std::ceil(all.height() * kDpi) / kDpi;
        const std::string window = fixed(all.x0, 4) + "," + fixed(all.y0, 4) + "," +
                                   fixed(all.x1, 4) + "," + fixed(all.y1, 4);
        for (const std::string& f : outputs) {
            std::string ours = f + ".ours.png";
            std::string theirs = f + ".gerbv.png";
            ASSERT_EQ(testing::runCommand(shellQuoted(testing::cliPath()) + " render " +
                                          shellQuoted(f) + " -o " + shellQuoted(ours) + " --dpi " +
                                          std::to_string(kDpi) + " --window " + window +
                                          " --colour '#FFFFFF' --background '#000000' 2>/dev/null"),
                      0)
                << f;
            ASSERT_EQ(
                testing::runCommand("gerbv -x png -a -B 0 -D " + std::to_string(kDpi) + " -O " +
                                    fixed(all.x0, 4) + "x" + fixed(all.y0, 4) + " -W " +
                                    fixed(all.width(), 4) + "x" + fixed(all.height(), 4) +
                                    " -f '#FFFFFFFF' -b '#000000' -o " + shellQuoted(theirs) + " " +
                                    shellQuoted(f) + " >/dev/null 2>&1"),
                0)
                << f;
            double share = differing(QImage(QString::fromStdString(ours)),
                                     QImage(QString::fromStdString(theirs)));
            EXPECT_LT(share, kMostDiffering) << fs::path(f).filename().string() << ": "
                                             << fixed(share * 100, 3) << "% of the pixels differ";
            ++compared;
        }
    }
    EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace padloom::view
