#include <iostream>
#include <map>

#include "cli/commands.h"
#include "tools/qfn_builder.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct QfnArgs {
    std::string output;
    tools::QfnFields fields;
    bool metric = false;
};

int runQfn(QfnArgs& a) {
    a.fields.unit = a.metric ? tools::QfnUnit::Metric : tools::QfnUnit::Imperial;
    tools::QfnRefusal refusal;
    auto values = tools::readQfnFields(a.fields, &refusal);
    if (!values) {
        if (!refusal.field.empty()) {
            // the value is named by its option here, not by its field in the window
            static const std::map<std::string, std::string> kOptions = {
                {"Pad X", "--pad-x"},         {"Pad Y", "--pad-y"},
                {"Pitch", "--pitch"},         {"X Spacing", "--x-spacing"},
                {"Y Spacing", "--y-spacing"}};
            refusal.message = tools::negativeSizeMessage(kOptions.at(refusal.field));
        }
        std::cerr << "padloom-cli qfn: " << refusal.message << "\n";
        return 1;
    }
    tools::writeQfnBoard(a.output, *values);
    std::cout << "Done\n";
    return 0;
}

const RegisterCommand qfnCommand(
    "qfn", "generate a QFN land pattern as a new board file",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<QfnArgs>();
        auto& f = a->fields;
        app.add_option("-o,--output", a->output, "board file to write (.PCB)")->required();
        app.add_option("--pad-x", f.padX, "pad length along its side")->required();
        app.add_option("--pad-y", f.padY, "pad length across its side")->required();
        app.add_option("--num-x", f.numX, "pads on the bottom row and on the top row")->required();
        app.add_option("--num-y", f.numY, "pads on the right column and on the left column")
            ->required();
        app.add_option("--pitch", f.pitch, "centre-to-centre distance of neighbouring pads")
            ->required();
        app.add_option("--x-spacing", f.xSpacing, "between the left and right column centres")
            ->required();
        app.add_option("--y-spacing", f.ySpacing, "between the bottom and top row centres")
            ->required();
        app.add_flag("--metric", a->metric, "sizes in millimetres (default: mils)");
        run = [a] { return runQfn(*a); };
    });

}  // namespace
}  // namespace padloom::cli
