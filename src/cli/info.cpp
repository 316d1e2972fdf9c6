#include <iostream>

#include "cli/commands.h"
#include "common/errors.h"
#include "common/text_io.h"
#include "view/job_set_check.h"
#include "view/layer_image.h"
#include "view/layer_summary.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct InfoArgs {
    std::vector<std::string> files;
    bool json = false;
};

int runInfo(const InfoArgs& a) {
    std::vector<view::LayerImage> images;
    bool unreadable = false;
    for (const std::string& path : a.files) {
        try {
            common::requireInputFile(path);
            images.push_back(view::readLayerFile(path));
            if (images.back().format == view::FileFormat::GerberJob) {
                view::checkJobSet(images.back());  // a set left by other runs is told
            }
        } catch (const common::IoError& e) {
            std::cerr << "padloom-cli info: " << e.what() << "\n";
            unreadable = true;
        }
    }
    if (a.json) {
        std::cout << view::layersAsJson(images);
    } else {
        for (size_t i = 0; i < images.size(); ++i) {
            std::cout << (i ? "\n" : "") << view::describeLayer(images[i]);
        }
    }
    bool errors = false;
    for (const auto& image : images) {
        errors = errors || image.hasErrors();
    }
    return unreadable || errors ? 1 : 0;
}

const RegisterCommand infoCommand(
    "info", "format, units, extent, objects, apertures and problems of Gerber and drill files",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<InfoArgs>();
        app.add_option("FILE", a->files,
                       "Gerber (RS274X) or Excellon drill files, or Gerber job files (.gbrjob)")
            ->required();
        app.add_flag("--json", a->json, "one JSON document instead of text (sizes in inches)");
        app.footer(
            "Exit status 1 when a file cannot be read, has errors or is not a Gerber, drill or "
            "job file.");
        run = [a] { return runInfo(*a); };
    });

}  // namespace
}  // namespace padloom::cli
