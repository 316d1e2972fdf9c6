#include <iostream>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "common/base_name.h"
#include "convert/mat_to_apt.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct MatArgs {
    std::string matrix;
    bool yes = false;
};

const RegisterCommand mat2aptCommand(
    "mat2apt", "turn an Autotrax aperture matrix (.MAT) into an aperture list (.APT)",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<MatArgs>();
        inputFiles(app.add_option("MATRIX", a->matrix, "Autotrax aperture matrix (.MAT)"))
            ->required();
        app.add_flag("--yes", a->yes, "replace an existing aperture file");
        run = [a] {
            CliHost host({a->matrix}, a->yes);
            auto outcome = convert::matToApt(host, {});
            const std::string apt = common::baseName(a->matrix) + ".APT";
            if (outcome == common::Outcome::Done) {
                std::cout << "wrote " << apt << "\n";
                return 0;
            }
            if (host.declined) {
                std::cout << "kept " << apt << "\n";
                return 0;
            }
            return 1;
        };
    });

}  // namespace
}  // namespace padloom::cli
