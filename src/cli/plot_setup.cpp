#include "cli/plot_setup.h"

#include "cli/cli_host.h"
#include "plot/nc_drill.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {

void PlotSetup::addOptions(CLI::App& app) {
    auto& e = apt.enlargements;
    addDrillFormatOption(app, drillFormat);
    app.add_option("--fill-mode", fillMode, "fills as G36/G37 polygons or D3 flashes")
        ->check(CLI::IsMember({"polygon", "flash"}))
        ->capture_default_str();
    app.add_flag("--no-include-board", noIncludeBoard,
                 "do not plot the board layer (11) on every layer file");
    app.add_flag("--include-keepout", includeKeepOut,
                 "plot the keep-out layer (12) on every layer file");
    app.add_flag("--thermals", thermals, "thermals on external layers");
    app.add_flag("--pours", pours, "copper pours from 1-mil outlines");
    app.add_option("--planes", planes,
                   "the ground and power planes as negative images or positive ones (a dark "
                   "region over the board, clearances and reliefs cleared); with --x2 always "
                   "positive")
        ->check(CLI::IsMember({"negative", "positive"}))
        ->capture_default_str();
    addNoMacrosFlag(app, noMacros);
    app.add_option("--solder-mask", e.solderMask, "solder mask enlargement, mils")
        ->capture_default_str();
    app.add_option("--paste", e.paste, "paste mask enlargement, mils")->capture_default_str();
    app.add_option("--plane", e.plane, "plane enlargement, mils")->capture_default_str();
    app.add_option("--drill-guide", apt.drillGuideSize, "drill guide size, mils")
        ->capture_default_str();
    app.add_option("--pour", e.pour, "pour enlargement, mils")->capture_default_str();
    app.add_flag("--yes", yes, "replace an existing aperture file");
}

void addDrillFormatOption(CLI::App& app, std::string& drillFormat) {
    app.add_option("--drill-format", drillFormat,
                   "NC drill coordinates: 2.3 or 2.4 (inch, leading zeros kept), or units, "
                   "digits and zeros in Excellon's terms: INCH,2:3 INCH,2:4 or METRIC,3:3, then "
                   "LZ (leading zeros kept) or TZ (trailing zeros kept), e.g. METRIC,3:3,TZ")
        ->check([](const std::string& text) {
            return plot::parseDrillFormat(text)
                       ? std::string()
                       : "not a drill format: 2.3, 2.4, or INCH,2:3 INCH,2:4 METRIC,3:3 with "
                         ",LZ or ,TZ";
        })
        ->capture_default_str();
}

void addNoMacrosFlag(CLI::App& app, bool& noMacros) {
    app.add_flag("--no-macros", noMacros,
                 "no aperture macros (%AM) in any file, for CAM software that misreads them: "
                 "thermal reliefs and targets drawn with standard apertures and regions");
}

void PlotSetup::applyTo(plot::PlotOptions& options) const {
    options.drillFormat24 = drillFormat == "2.4";
    if (drillFormat != "2.3" && drillFormat != "2.4") {
        options.drillFormat = plot::parseDrillFormat(drillFormat);
    }
    options.positivePlanes = planes == "positive";
    options.noMacros = noMacros;
    options.fillMode = fillMode == "flash" ? plot::FillMode::Flash : plot::FillMode::Polygon;
    options.includeBoardLayer = !noIncludeBoard;
    options.includeKeepOut = includeKeepOut;
    options.thermalsOnExternalLayers = thermals;
    options.pourEnable = pours;
}

bool PlotSetup::makeApertures(CliHost& host, board::RunValues& runValues) const {
    convert::AptOptions options = apt;
    options.plotMode = true;
    options.fillApertures = fillMode == "flash";
    options.pourEnable = pours;
    runValues.reset();
    return convert::makeAptFile(host, options, runValues) == common::Outcome::Done &&
           runValues.aptMade;
}

}  // namespace padloom::cli
