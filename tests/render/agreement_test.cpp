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

// Whether some pixel within one pixel of (x, y) is lit (or dark, as `state` says).
bool near(const QImage& image, int x, int y, bool state) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int xx = x + dx;
            int yy = y + dy;
            if (xx >= 0 && yy >= 0 && xx < image.width() && yy < image.height() &&
                lit(image.pixel(xx, yy)) == state) {
                return true;
            }
        }
    }
    return false;
}

// Share of the pixels whose state (lit or not) the other picture does not have anywhere
// within one pixel; 1 when the sizes differ. gerbv snaps the ends and widths of strokes to
// whole pixels when it writes a PNG, so an edge may lie one pixel apart; anything further is a
// disagreement.
double differing(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 1.0;
    }
    long count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            bool la = lit(a.pixel(x, y));
            bool lb = lit(b.pixel(x, y));
            count += la != lb && (!near(b, x, y, la) || !near(a, x, y, lb));
        }
    }
    return static_cast<double>(count) / (a.width() * a.height());
}

// A board and how its outputs are plotted.
struct Board {
    std::string path;
    std::string command;  // padloom-cli arguments before the board's path
    std::string options;  // and after it
    size_t outputs;       // how many Gerber and drill files the run writes at least
};

// Every sample board and the examples, each plotted with every layer and the drill file; the
// pour example with its pours (regions in layer blocks of both polarities); the TANGO example
// through the TANGO plotter, the mid layers too (they carry the all-layer pads).
std::vector<Board> boards() {
    const std::string autotrax = " --all-layers --nc-drill --yes";
    std::vector<Board> all;
    for (const std::string& path : testing::sampleBoards()) {
        all.push_back({path, "plot", autotrax, 18});
    }
    for (const auto& entry : fs::recursive_directory_iterator(testing::sourceDir() + "/examples")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".pcb" && ext != ".PCB") {
            continue;
        }
        const std::string path = entry.path().string();
        if (entry.path().parent_path().filename() == "tango") {
            all.push_back({path, "tango",
                           " --layers GTL,GM1,GM2,GM3,GM4,GBL,GTO,GBO,GDD,GDG,GTS,GBS,GTP,GBP,GBD"
                           " --nc-drill",
                           16});
        } else if (entry.path().stem().string().starts_with("pours")) {
            all.push_back({path, "plot", autotrax + " --pours --thermals", 18});
        } else {
            all.push_back({path, "plot", autotrax, 18});
        }
    }
    std::sort(all.begin(), all.end(),
              [](const Board& a, const Board& b) { return a.path < b.path; });
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
    int boardNumber = 0;
    for (const Board& source : boards()) {
        // boards of the same name from different folders are plotted apart
        fs::path work = dir.path() / std::to_string(++boardNumber);
        fs::create_directories(work);
        std::string board = (work / fs::path(source.path).filename()).string();
        fs::copy_file(source.path, board);
        ASSERT_EQ(testing::runCommand(shellQuoted(testing::cliPath()) + " " + source.command + " " +
                                      shellQuoted(board) + source.options + " >/dev/null"),
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
        ASSERT_GE(outputs.size(), source.outputs) << board;

        // one window for the whole board: everything any output draws, and a margin
        std::vector<LayerImage> images;
        Box all;
        for (const std::string& f : outputs) {
            images.push_back(readLayerFile(f));
            all.add(images.back().extent);
        }
        all = all.grown(0.05);
        for (size_t i = 0; i < outputs.size(); ++i) {
            const std::string& f = outputs[i];
            // gerbv darkens the whole picture around a negative image (a plane); we darken
            // the file's extent, so a plane is compared just inside its own extent
            Box window = images[i].negative ? images[i].extent.grown(-2.0 / kDpi) : all;
            // a quarter pixel over whole pixels: gerbv cuts the picture size down to whole
            // pixels and we round it, so both come to the same size
            window.x1 = window.x0 + (std::ceil(window.width() * kDpi) + 0.25) / kDpi;
            window.y1 = window.y0 + (std::ceil(window.height() * kDpi) + 0.25) / kDpi;
            const std::string x0 = fixed(window.x0, 6);
            const std::string y0 = fixed(window.y0, 6);
            std::string ours = f + ".ours.png";
            std::string theirs = f + ".gerbv.png";
            ASSERT_EQ(testing::runCommand(shellQuoted(testing::cliPath()) + " render " +
                                          shellQuoted(f) + " -o " + shellQuoted(ours) + " --dpi " +
                                          std::to_string(kDpi) + " --window " + x0 + "," + y0 +
                                          "," + fixed(window.x1, 6) + "," + fixed(window.y1, 6) +
                                          " --colour '#FFFFFF' --background '#000000' 2>/dev/null"),
                      0)
                << f;
            ASSERT_EQ(testing::runCommand(
                          "gerbv -x png -a -B 0 -D " + std::to_string(kDpi) + " -O " + x0 + "x" +
                          y0 + " -W " + fixed(window.width(), 6) + "x" + fixed(window.height(), 6) +
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
