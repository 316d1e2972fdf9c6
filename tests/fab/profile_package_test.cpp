// The package made for each board house, through padloom-cli as a user runs it.
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "support/test_support.h"
#include <gtest/gtest.h>

namespace padloom::fab {
namespace {

using testing::TempDir;
using Lines = std::vector<std::string>;

bool haveUnzip() {
    return testing::runCommand("command -v unzip >/dev/null 2>&1") == 0;
}

// Packages `board` (copied into `dir`) for a profile; the zip's path.
std::string package(const TempDir& dir, const std::string& board, const std::string& fab,
                    const std::string& zipName) {
    const std::string copy = dir.file(std::filesystem::path(board).filename().string());
    if (!std::filesystem::exists(copy)) {
        std::filesystem::copy_file(board, copy);
    }
    std::string out;
    EXPECT_EQ(testing::runCommand(testing::cliPath() + " package '" + copy + "' --fab '" + fab +
                                      "' -o '" + dir.file(zipName) + "' --yes 2>&1",
                                  &out),
              0)
        << out;
    return dir.file(zipName);
}

// The entries of a zip by name, with their bytes.
std::map<std::string, std::string> entries(const std::string& zip) {
    TempDir out;
    EXPECT_EQ(testing::runCommand("unzip -q '" + zip + "' -d '" + out.path().string() + "'"), 0);
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(out.path())) {
        files[entry.path().filename().string()] = testing::readFile(entry.path().string());
    }
    return files;
}

// Comma-separated fields of a CSV line that quotes only fields holding commas.
Lines fields(const std::string& line) {
    Lines out(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// JLCPCB's CPL and BOM on a sample with parts on both sides, against the X/Y tool's file of
// the same board (its sides told by the overlays, as the package tells them).
TEST(ProfilePackage, JlcpcbAssemblyFilesMatchTheXyTool) {
    const std::string sample = testing::sharedDir() + "/samples/autotrax/melody__melody.pcb";
    if (testing::sharedDir().empty() || !haveUnzip()) {
        GTEST_SKIP() << "no shared samples or no unzip";
    }
    TempDir dir;
    auto zip = entries(package(dir, sample, "jlcpcb", "jlc.zip"));
    ASSERT_EQ(testing::runCommand(testing::cliPath() + " xy '" + dir.file("melody__melody.pcb") +
                                  "' --top-legend 7 --bottom-legend 8 --comma >/dev/null"),
              0);
    const Lines xy = testing::crlfLines(testing::readFile(dir.file("melody__melody.UCM")));
    // "corners at 0.000, 0.000 x 0.700, 1.225": the X/Y file mirrors about the right edge
    const double right = std::stod(xy[0].substr(xy[0].rfind(" x ") + 3));

    const Lines cpl = testing::crlfLines(zip["melody__melody-CPL.csv"]);
    const Lines bom = testing::crlfLines(zip["melody__melody-BOM.csv"]);
    ASSERT_EQ(cpl.at(0), "Designator,Mid X,Mid Y,Layer,Rotation");
    ASSERT_EQ(bom.at(0), "Comment,Designator,Footprint");
    std::map<std::string, Lines> placed;
    for (size_t i = 1; i < cpl.size(); ++i) {
        placed[fields(cpl[i])[0]] = fields(cpl[i]);
    }
    ASSERT_EQ(placed.size() + 2, xy.size());
    int top = 0, bottom = 0;
    for (size_t i = 2; i < xy.size(); ++i) {
        const Lines x = fields(xy[i]);  // designator, x, y, side, rotation (inches)
        SCOPED_TRACE(xy[i]);
        ASSERT_EQ(placed.count(x[0]), 1u);
        const Lines& c = placed[x[0]];
        const bool onBottom = x[3] == "B";
        EXPECT_EQ(c[3], onBottom ? "Bottom" : "Top");
        const double xyX = onBottom ? right - std::stod(x[1]) : std::stod(x[1]);
        EXPECT_NEAR(std::stod(c[1]), xyX * 25.4, 0.01);
        EXPECT_NEAR(std::stod(c[2]), std::stod(x[2]) * 25.4, 0.01);
        if (!onBottom && x[4] != "?") {
            // the X/Y file counts clockwise, JLCPCB counter-clockwise
            EXPECT_EQ(std::stoi(c[4]), (360 - std::stoi(x[4])) % 360);
        }
        (onBottom ? bottom : top)++;
    }
    EXPECT_GT(top, 0);
    EXPECT_GT(bottom, 0);
    // the same designators in both files
    std::multiset<std::string> inBom, inCpl;
    for (size_t i = 1; i < bom.size(); ++i) {
        std::istringstream list(fields(bom[i])[1]);
        for (std::string d; std::getline(list, d, ',');) {
            inBom.insert(d);
        }
    }
    for (const auto& [designator, row] : placed) {
        inCpl.insert(designator);
    }
    EXPECT_EQ(inBom, inCpl);
    // no aperture macro and no X2 attribute in any Gerber or drill file, and no job file
    for (const auto& [name, bytes] : zip) {
        if (name.find(".G") != std::string::npos || name.ends_with(".TXT")) {
            EXPECT_FALSE(holds(bytes, "%AM")) << name;
            EXPECT_FALSE(holds(bytes, "#@!")) << name;
            EXPECT_FALSE(holds(bytes, "%TF")) << name;
        }
        EXPECT_FALSE(name.ends_with(".gbrjob"));
    }
    EXPECT_TRUE(holds(zip["README.md"], "rotation in degrees counter-clockwise, seen from the"));
    EXPECT_TRUE(holds(zip["README.md"], "    Board house:   jlcpcb ("));
}

// Each shipped profile printed by `fabs --show` and given back as a file makes the package the
// profile makes by name, creation dates aside; and what each house asks for is in its package.
TEST(ProfilePackage, EveryHouseAndItsCopy) {
    if (!haveUnzip()) {
        GTEST_SKIP() << "no unzip";
    }
    const std::string demo = testing::sourceDir() + "/examples/demo.pcb";
    std::map<std::string, std::map<std::string, std::string>> byHouse;
    for (const std::string house :
         {"generic", "jlcpcb", "pcbway", "oshpark", "aisler", "eurocircuits"}) {
        SCOPED_TRACE(house);
        TempDir dir;
        const std::string copy = dir.file("copy.fab");
        ASSERT_EQ(
            testing::runCommand(testing::cliPath() + " fabs --show " + house + " > '" + copy + "'"),
            0);
        auto named = entries(package(dir, demo, house, "named.zip"));
        auto copied = entries(package(dir, demo, copy, "copied.zip"));
        ASSERT_EQ(named.size(), copied.size());
        for (auto& [name, bytes] : named) {
            ASSERT_EQ(copied.count(name), 1u) << name;
            auto undated = [](const std::string& text) {
                std::string out;
                std::istringstream in(text);
                for (std::string line; std::getline(in, line);) {
                    if (!holds(line, "CreationDate")) {
                        out += line + "\n";
                    }
                }
                return out;
            };
            EXPECT_EQ(undated(bytes), undated(copied[name])) << name;
        }
        byHouse[house] = std::move(named);
    }
    auto names = [](const std::map<std::string, std::string>& zip) {
        std::string text;
        for (const auto& [name, bytes] : zip) {
            text += name + " ";
        }
        return text;
    };
    // OSH Park: one drill file, its inner layer names by place in the stack
    EXPECT_EQ(names(byHouse["oshpark"]),
              "README.md demo-CPL.csv demo.G2L demo.G3L demo.GBL demo.GBO demo.GBP demo.GBS "
              "demo.GD1 demo.GKO demo.GTL demo.GTO demo.GTP demo.GTS demo.UCM demo.XLN "
              "demo.csv demo.gbrjob demo.ipc ");
    // Aisler: its names and drill format
    EXPECT_EQ(
        names(byHouse["aisler"]),
        "README.md demo-CPL.csv demo.GD1 demo.UCM demo.boardoutline.ger "
        "demo.bottomlayer.ger demo.bottompaste.ger demo.bottomsilkscreen.ger "
        "demo.bottomsoldermask.ger demo.csv demo.drills_pth.xln demo.gbrjob demo.internalplane1.ger "
        "demo.internalplane2.ger demo.ipc demo.toplayer.ger demo.toppaste.ger "
        "demo.topsilkscreen.ger demo.topsoldermask.ger ");
    EXPECT_TRUE(holds(byHouse["aisler"]["README.md"],
                      "    [drill] format              2:4 (generic: plot)"));
    // PCBWay: the BOM with its item and quantity columns
    EXPECT_EQ(testing::crlfLines(byHouse["pcbway"]["demo-BOM.csv"]).at(0),
              "Item,Designator,Quantity,Value,Package");
    // the generic README names its profile
    EXPECT_TRUE(holds(byHouse["generic"]["README.md"],
                      "The generic profile: the package as it is made without a profile."));
}

}  // namespace
}  // namespace padloom::fab
