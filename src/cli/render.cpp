#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>

#include "cli/commands.h"
#include "common/errors.h"
#include "common/text_io.h"
#include "view/layer_image.h"
#include "view/render/layer_renderer.h"
#include "view/render/png_picture.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct RenderArgs {
    std::vector<std::string> files;
    std::string output;
    double dpi = 300;
    std::string window;
    std::string units = "inch";
    double border = 5;
    std::vector<std::string> colours;
    std::string background = "#000000";
    bool noAntialias = false;
};

bool parseNumbers(const std::string& text, std::vector<double>& values) {
    values.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string field =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double v = 0;
        const char* first = field.data();
        if (!field.empty() && field[0] == '+') {
            ++first;
        }
        auto [end, ec] = std::from_chars(first, field.data() + field.size(), v);
        if (field.empty() || ec != std::errc() || end != field.data() + field.size()) {
            return false;
        }
        values.push_back(v);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return true;
}

// "#RRGGBB" or "#RRGGBBAA"
std::optional<QColor> parseColour(const std::string& text) {
    if ((text.size() != 7 && text.size() != 9) || text[0] != '#') {
        return std::nullopt;
    }
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (text.size() == 7) {
        value = (value << 8) | 0xFF;
    }
    return QColor(static_cast<int>(value >> 24), static_cast<int>((value >> 16) & 255),
                  static_cast<int>((value >> 8) & 255), static_cast<int>(value & 255));
}

int usage(const std::string& text) {
    std::cerr << "padloom-cli render: " << text << "\n";
    return 2;
}

int runRender(const RenderArgs& a) {
    if (!(a.dpi > 0 && a.dpi <= 100000)) {
        return usage("--dpi must be above 0 and at most 100000");
    }
    std::vector<QColor> colours;
    for (const std::string& c : a.colours) {
        auto colour = parseColour(c);
        if (!colour) {
            return usage("--colour \"" + c + "\" is not #RRGGBB or #RRGGBBAA");
        }
        colours.push_back(*colour);
    }
    auto background = parseColour(a.background);
    if (!background) {
        return usage("--background \"" + a.background + "\" is not #RRGGBB or #RRGGBBAA");
    }
    std::optional<view::Box> window;
    if (!a.window.empty()) {
        std::vector<double> v;
        if (!parseNumbers(a.window, v) || v.size() != 4 ||
            !std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); }) ||
            v[2] <= v[0] || v[3] <= v[1]) {
            return usage("--window wants X0,Y0,X1,Y1 with X1 > X0 and Y1 > Y0");
        }
        double toInch = a.units == "mm" ? 1 / 25.4 : a.units == "mil" ? 0.001 : 1.0;
        window = view::Box{v[0] * toInch, v[1] * toInch, v[2] * toInch, v[3] * toInch};
    }
    common::refuseOverwritingInput(a.output, a.files);

    std::vector<view::LayerImage> images;
    auto read = [&](const std::string& path) {
        images.push_back(view::readLayerFile(path));  // can throw
        for (const auto& p : images.back().problems) {
            std::cerr << images.back().describe(p) << "\n";
        }
    };
    for (const std::string& path : a.files) {
        read(path);
        if (images.back().format == view::FileFormat::GerberJob) {
            // a job file stands for the set it lists
            const view::LayerImage job = std::move(images.back());
            images.pop_back();
            for (const std::string& listed : view::jobSetPaths(job)) {
                read(listed);
            }
        }
    }
    if (!window) {
        view::Box all;
        for (const auto& image : images) {
            all.add(image.extent);
        }
        if (all.empty()) {
            throw common::IoError(a.files.front(),
                                  "nothing drawn; give --window to render an empty picture");
        }
        double margin = std::max(all.width(), all.height()) * a.border / 100.0;
        window = all.grown(margin);
    }
    if (!view::pictureFits(*window, a.dpi)) {
        auto pixels = [](double d) {
            return std::isfinite(d) && d < 1e15 ? std::to_string(std::llround(d)) : "countless";
        };
        throw common::IoError(a.output,
                              "a picture of " + pixels(window->width() * a.dpi) + " x " +
                                  pixels(window->height() * a.dpi) + " pixels is more than the " +
                                  std::to_string(std::llround(view::kMaxPicturePixels / 1e6)) +
                                  " million a picture may have; lower --dpi or narrow "
                                  "--window");
    }
    view::ViewWindow view = view::ViewWindow::over(*window, a.dpi);

    std::vector<const view::LayerImage*> pointers;
    for (const auto& image : images) {
        pointers.push_back(&image);
    }
    std::vector<view::StyledLayer> layers;
    for (size_t i : view::stackOrder(pointers)) {
        QColor colour =
            i < colours.size() ? colours[i] : view::defaultColour(images[i], static_cast<int>(i));
        layers.push_back({&images[i], colour, true});
    }
    view::LayerRenderer renderer(!a.noAntialias);
    const std::string png = view::renderPng(renderer, layers, view, *background);
    common::LineWriter out(a.output);
    out.write(png);
    out.commit();
    return 0;
}

const RegisterCommand renderCommand(
    "render", "draw Gerber and drill files stacked in colour, as the viewer shows them, into a PNG",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<RenderArgs>();
        inputFiles(
            app.add_option("FILE", a->files,
                           "Gerber (RS274X) or Excellon drill files; a Gerber job file (.gbrjob) "
                           "stands for the files it lists"))
            ->required();
        app.add_option("-o,--output", a->output, "PNG file to write")->required();
        app.add_option("--dpi", a->dpi, "pixels per inch")->capture_default_str();
        app.add_option("--window", a->window,
                       "the part of the board to draw, X0,Y0,X1,Y1 (lower left, upper right); "
                       "default: everything drawn and a border");
        app.add_option("--units", a->units, "units of --window")
            ->check(CLI::IsMember({"inch", "mm", "mil"}))
            ->capture_default_str();
        app.add_option("--border", a->border, "border around everything drawn, percent")
            ->capture_default_str();
        app.add_option("--colour,--color", a->colours,
                       "#RRGGBB or #RRGGBBAA, one per FILE in the order given; default: by role");
        app.add_option("--background", a->background, "#RRGGBB or #RRGGBBAA")
            ->capture_default_str();
        app.add_flag("--no-antialias", a->noAntialias, "hard pixel edges");
        run = [a] { return runRender(*a); };
    });

}  // namespace
}  // namespace padloom::cli
