// How long the viewer takes to draw a board anew after a zoom or pan step, at fit and zoomed
// in ten times, offscreen: the files are read and shown in a board view of a fixed size, then
// each step is taken several times and the picture drawn; the medians are printed.
// usage: padloom_viewer_bench [--size WxH] [--runs N] FILE...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>

#include "view/layer_image.h"
#include "view/ui/board_view.h"

using namespace padloom;

namespace {

double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Wall time of a step; its CPU time (all threads) is added to `cpu`.
double secondsOf(const std::function<void()>& step, double* cpu = nullptr) {
    const double cpuStart = cpuNow();
    const auto start = std::chrono::steady_clock::now();
    step();
    if (cpu) {
        *cpu += cpuNow() - cpuStart;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds of `runs` steps, each followed by drawing the picture: the median wall time
// and the mean CPU time.
struct Redraw {
    double wall = 0;
    double cpu = 0;
};
Redraw redraw(ui::BoardView& view, int runs, const std::function<void(int)>& step) {
    std::vector<double> times;
    double cpu = 0;
    for (int i = 0; i < runs; ++i) {
        step(i);
        times.push_back(secondsOf([&] { view.picture(); }, &cpu));
    }
    return {median(times) * 1000, cpu / runs * 1000};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    int width = 1200;
    int height = 800;
    int runs = 7;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            std::sscanf(argv[++i], "%dx%d", &width, &height);
        } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: padloom_viewer_bench [--size WxH] [--runs N] FILE...\n");
        return 2;
    }
    std::vector<view::LayerImage> images;
    const double load = secondsOf([&] {
        for (const std::string& f : files) {
            images.push_back(view::readLayerFile(f));
        }
    });
    ui::BoardView view;
    view.resize(width, height);
    view.setLayers(std::move(images));
    const double first = secondsOf([&] { view.picture(); });

    const QPointF middle(width / 2.0, height / 2.0);
    auto zoomSteps = [&](int i) { view.zoomAt(i % 2 ? 1 / 1.25 : 1.25, middle); };
    auto panSteps = [&](int i) { view.panBy(QPointF(i % 2 ? -60 : 60, i % 3 ? 40 : -40)); };
    const Redraw fitZoom = redraw(view, runs, zoomSteps);
    view.fit();
    view.picture();
    const Redraw fitPan = redraw(view, runs, panSteps);
    view.fit();
    view.zoomAt(10, middle);
    view.picture();
    const Redraw tenZoom = redraw(view, runs, zoomSteps);
    const Redraw tenPan = redraw(view, runs, panSteps);
    std::printf("viewer %dx%d: read %.2f s, first picture %.0f ms\n", width, height, load,
                first * 1000);
    for (const auto& [what, r] : {std::pair{"zoom step at fit", fitZoom},
                                  {"pan step at fit", fitPan},
                                  {"zoom step at 10x", tenZoom},
                                  {"pan step at 10x", tenPan}}) {
        std::printf("viewer redraw after a %s: %.0f ms (CPU %.0f ms)\n", what, r.wall, r.cpu);
    }
    return 0;
}
