#include <iostream>
#include <map>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "common/errors.h"
#include "common/number_format.h"
#include "common/text_io.h"
#include "tools/netlist_library.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct NetlibArgs {
    std::vector<std::string> libraries;
    std::string netlist;
    std::string output;
    bool automatic = false;
    std::string mapFile;
    bool noComponents = false;
};

// A package map: lines FOOTPRINT=LIBFILE@COMPONENT, FOOTPRINT=COMPONENT or FOOTPRINT=- (skip).
// Blank lines and lines starting with "#" are passed over.
std::vector<std::pair<std::string, std::string>> readPackageMap(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> map;
    common::LineReader reader(path);
    std::string line;
    while (reader.next(line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            throw common::IoError(path, "line " + common::decimal(reader.lineNumber()) +
                                            ": expected FOOTPRINT=LIBFILE@COMPONENT or "
                                            "FOOTPRINT=-");
        }
        map.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return map;
}

// The map's answer for a footprint: its exact entry, else one in another case.
const std::string* mapped(const std::vector<std::pair<std::string, std::string>>& map,
                          const std::string& footprint) {
    for (const auto& [key, value] : map) {
        if (key == footprint) {
            return &value;
        }
    }
    for (const auto& [key, value] : map) {
        if (tools::equalIgnoringCase(key, footprint)) {
            return &value;
        }
    }
    return nullptr;
}

int runNetlib(const NetlibArgs& a) {
    if (!a.noComponents && !a.automatic && a.mapFile.empty()) {
        std::cerr << "padloom-cli netlib: give --auto or --map FILE to choose the packages "
                     "(or --no-components)\n";
        return 2;
    }
    std::vector<std::pair<std::string, std::string>> map;
    if (!a.mapFile.empty()) {
        map = readPackageMap(a.mapFile);
    }

    tools::LibraryGenerator generator;
    if (!a.libraries.empty()) {
        CliHost libraryHost(a.libraries, false);
        generator.readLibrary(libraryHost);
    }

    CliHost host({a.netlist}, false);
    host.saveAnswers.push_back(a.output);
    host.packageAnswer = [&](const common::PackageQuestion& q) -> common::PackageAnswer {
        using common::PackageAction;
        if (!a.mapFile.empty()) {
            const std::string* answer = mapped(map, q.footprint);
            if (!answer) {
                std::cerr << q.footprint << " (" << q.designator << "): not in " << a.mapFile
                          << "; skipped\n";
                return {PackageAction::Skip, q.text};
            }
            if (*answer == "-") {
                return {PackageAction::Skip, q.text};
            }
            return {PackageAction::Accept, *answer};
        }
        std::vector<std::string> choices(q.choices.begin(), q.choices.end());
        if (auto i = tools::preselectPackage(choices, q.footprint)) {
            std::cout << q.footprint << ": " << choices[*i] << "\n";
            return {PackageAction::Accept, choices[*i]};
        }
        std::cerr << q.footprint << " (" << q.designator << "): no package matches; skipped\n";
        return {PackageAction::Skip, q.text};
    };
    auto showSkipped = [](const std::vector<tools::SkippedPackage>& skipped) {
        std::cout << "Package\tRef Designator(s)\n";
        for (const auto& s : skipped) {
            std::cout << s.footprint << "\t" << s.designators << "\n";
        }
    };
    auto run = generator.processNetlist(host, !a.noComponents, showSkipped);
    if (run.outcome != common::Outcome::Done) {
        std::cerr << "padloom-cli netlib: nothing written\n";
        return 1;
    }
    std::cout << "wrote " << run.outputPath << " (" << run.library.written.size()
              << " components)\n";
    return 0;
}

const RegisterCommand netlibCommand(
    "netlib", "copy the footprints a netlist uses from component libraries into one library",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<NetlibArgs>();
        inputFiles(app.add_option("--lib", a->libraries,
                                  "component library (.LIB), in the order to search"))
            ->allow_extra_args(false);
        inputFiles(app.add_option("NETLIST", a->netlist, "Protel netlist (.NET, .asc)"))
            ->required();
        app.add_option("-o,--output", a->output, "combined library to write (.lib)")->required();
        auto* automatic = app.add_flag(
            "--auto", a->automatic,
            "take the preselected package of every footprint; skip footprints with none");
        inputFiles(
            app.add_option("--map", a->mapFile,
                           "package map: lines FOOTPRINT=LIBFILE@COMPONENT or FOOTPRINT=- (skip)"))
            ->excludes(automatic);
        app.add_flag("--no-components", a->noComponents,
                     "write an empty library (\"Write Components\" unticked)");
        run = [a] { return runNetlib(*a); };
    });

}  // namespace
}  // namespace padloom::cli
