#include <algorithm>
#include <iostream>

#include "cli/commands.h"
#include "common/text_io.h"
#include "fab/fab_profile.h"
#include <CLI/CLI.hpp>

namespace padloom::cli {
namespace {

struct FabsArgs {
    std::string show;
};

int runFabs(const FabsArgs& a) {
    const fab::ProfileFolders folders = fab::defaultProfileFolders();
    try {
        if (!a.show.empty()) {
            // the file as it is, comments and sources with it, once it reads as a profile
            const std::string path = fab::profilePath(a.show, folders);
            fab::loadProfile(path, folders);  // can throw
            common::LineReader reader(path);
            std::string line;
            while (reader.next(line)) {
                std::cout << line << "\n";
            }
            return 0;
        }
        std::vector<std::string> refused;
        const std::vector<fab::ProfileEntry> entries = fab::listProfiles(folders, &refused);
        for (const std::string& r : refused) {
            std::cerr << "padloom-cli fabs: " << r << "\n";
        }
        size_t width = 0;
        for (const fab::ProfileEntry& e : entries) {
            width = std::max(width, e.name.size());
        }
        std::cout << "Installed with the program, in " << folders.shipped << ":\n";
        bool userHeading = false;
        for (const fab::ProfileEntry& e : entries) {
            if (!e.shipped && !userHeading) {
                std::cout << "Your own, in " << folders.user << ":\n";
                userHeading = true;
            }
            const fab::FabProfile profile = fab::loadProfile(e.path, folders);
            std::cout << "  " << e.name << std::string(width - e.name.size() + 2, ' ')
                      << fab::changeSummary(profile) << "\n";
        }
        if (!userHeading && !folders.user.empty()) {
            std::cout << "Your own go in " << folders.user << " as NAME.fab: none there yet.\n";
        }
        return 0;
    } catch (const fab::UnknownProfile& e) {
        std::cerr << "padloom-cli fabs: " << e.what() << "\n";
        return 2;
    }
}

const RegisterCommand fabsCommand(
    "fabs",
    "the board-house profiles package --fab takes, each with what it changes; --show prints one",
    [](CLI::App& app, std::function<int()>& run) {
        auto a = std::make_shared<FabsArgs>();
        app.add_option("--show", a->show,
                       "print profile NAME (or the profile file given) in the text format "
                       "--fab FILE reads, to copy and edit")
            ->type_name("NAME");
        app.footer(
            "The profiles installed with the program come first, then your own: files NAME.fab "
            "in the fab folder of the settings folder (~/.config/Castorvane/fab on Linux, or "
            "$PADLOOM_SETTINGS_DIR/fab). A profile gives only what it changes from generic; "
            "the README lists the fields. Exit status 2 for a name no profile has.");
        run = [a] { return runFabs(*a); };
    });

}  // namespace
}  // namespace padloom::cli
