#include "shell/settings_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace padloom::shell {
namespace {

using ::testing::ElementsAre;

// clang-format off
const char* const kNineNames[] = {"DIRECTORY", "TopLeg", "BotLeg", "TopFill", "BotFill",
                                  "Digits", "Precision", "Mode", "Suppression"};
// clang-format on

TEST(MemorySettingsStore, NamesMatchWithoutRegardToCaseAndKeepTheFirstSpelling) {
    MemorySettingsStore store;
    EXPECT_FALSE(store.keyExists("\\Software\\Castorvane-3"));
    store.writeInt("\\Software\\Castorvane-3", "Spinedit1", 7);
    EXPECT_TRUE(store.keyExists("\\SOFTWARE\\castorvane-3"));
    EXPECT_EQ(store.readInt("\\Software\\Castorvane-3", "SPINEDIT1"), 7);
    store.writeInt("\\Software\\Castorvane-3", "SpinEdit1", 9);
    EXPECT_EQ(store.valueNames("\\Software\\Castorvane-3"), std::vector<std::string>{"Spinedit1"});
    EXPECT_EQ(store.readInt("\\Software\\Castorvane-3", "spinedit1"), 9);
}

TEST(MemorySettingsStore, BooleansAreIntegersAndAnyNonZeroIsTrue) {
    MemorySettingsStore store;
    store.writeBool("\\Software\\Castorvane-6", "CheckBox1", true);
    EXPECT_EQ(store.value("\\Software\\Castorvane-6", "CheckBox1"), StoredValue(1));
    store.writeInt("\\Software\\Castorvane-6", "CheckBox2", -5);
    EXPECT_EQ(store.readBool("\\Software\\Castorvane-6", "CheckBox2"), true);
    store.writeText("\\Software\\Castorvane-6", "CheckBox3", "yes");
    EXPECT_EQ(store.readBool("\\Software\\Castorvane-6", "CheckBox3"), std::nullopt);
    EXPECT_EQ(store.readInt("\\Software\\Castorvane-6", "CheckBox4"), std::nullopt);
}

// --- the X/Y window's key ---------------------------------------------------------------------

TEST(PlacementSettings, FirstRunCreatesTheKeyWithTheNineDefaults) {
    MemorySettingsStore store;
    PlacementSettings s;
    EXPECT_TRUE(readSettings(store, s).empty());
    ASSERT_EQ(store.keys(), std::vector<std::string>{"\\Software\\Castorvane"});
    auto names = store.valueNames("\\Software\\Castorvane");
    EXPECT_EQ(names, std::vector<std::string>(std::begin(kNineNames), std::end(kNineNames)));
    const std::string key = "\\Software\\Castorvane";
    EXPECT_EQ(store.value(key, "DIRECTORY"), StoredValue(std::string()));
    const std::pair<const char*, int> defaults[] = {
        {"TopLeg", 7}, {"BotLeg", 3},    {"TopFill", 1}, {"BotFill", 6},
        {"Digits", 2}, {"Precision", 4}, {"Mode", 0},    {"Suppression", 0}};
    for (auto [name, v] : defaults) {
        EXPECT_EQ(store.readInt(key, name), v) << name;
    }
    EXPECT_EQ(s.botLeg, 3);
    EXPECT_EQ(s.precision, 4);
}

TEST(PlacementSettings, StoredValuesAreRead) {
    MemorySettingsStore store;
    const std::string key = "\\Software\\Castorvane";
    PlacementSettings first;
    readSettings(store, first);
    store.writeText(key, "directory", "/jobs/");
    store.writeInt(key, "TOPLEG", 8);
    store.writeInt(key, "Suppression", 2);
    PlacementSettings s;
    EXPECT_TRUE(readSettings(store, s).empty());
    EXPECT_EQ(s.directory, "/jobs/");
    EXPECT_EQ(s.topLeg, 8);
    EXPECT_EQ(s.suppression, 2);
}

struct DamagedCase {
    const char* what;
    const char* name;
    bool removeIt;  // else store a text under the name
    const char* message;
};

class PlacementSettingsDamaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(PlacementSettingsDamaged, ReportsTheValueAndKeepsItsDefault) {
    const auto& c = GetParam();
    MemorySettingsStore store;
    const std::string key = "\\Software\\Castorvane";
    PlacementSettings first;
    readSettings(store, first);
    store.writeInt(key, "TopLeg", 9);
    store.writeInt(key, "Suppression", 1);
    if (c.removeIt) {
        store.removeValue(key, c.name);
    } else {
        store.writeText(key, c.name, "abc");
    }
    PlacementSettings s;
    EXPECT_THAT(readSettings(store, s), ElementsAre(c.message));
    EXPECT_EQ(s.topFill, 1);      // the damaged value keeps its default
    EXPECT_EQ(s.topLeg, 9);       // read before it
    EXPECT_EQ(s.suppression, 1);  // read after it
}

INSTANTIATE_TEST_SUITE_P(
    Values, PlacementSettingsDamaged,
    ::testing::Values(DamagedCase{"missing", "TopFill", true, "Failed to get data for 'TopFill'"},
                      DamagedCase{"text", "TopFill", false, "Invalid data type for 'TopFill'"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(PlacementSettings, SavedFolderComesFromTheLastChosenFile) {
    const std::string key = "\\Software\\Castorvane";
    struct Case {
        const char* chosen;
        const char* stored;
    };
    const Case cases[] = {
        {"D:\\jobs\\board.pcb", "D:\\jobs\\"},
        {"/home/me/proj.v2/board.pcb", "/home/me/proj.v2/"},
        {"board.pcb", ""},  // no folder part
        {"", "/kept/"},     // every dialog cancelled: the stored folder stays
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        store.writeText(key, "DIRECTORY", "/kept/");
        PlacementSettings s;
        s.topLeg = 2;
        saveSettings(store, s, c.chosen);
        EXPECT_EQ(store.value(key, "DIRECTORY"), StoredValue(std::string(c.stored))) << c.chosen;
        EXPECT_EQ(store.readInt(key, "TopLeg"), 2);
        EXPECT_EQ(store.readInt(key, "BotLeg"), 3);
    }
}

// --- windows named by tag ---------------------------------------------------------------------

ControlState spin(int tag, int value, std::optional<int> lo = {}, std::optional<int> hi = {}) {
    return {ControlKind::SpinEdit, tag, value, lo, hi};
}
ControlState box(int tag, bool ticked) {
    return {ControlKind::CheckBox, tag, ticked ? 1 : 0, std::nullopt, std::nullopt};
}
ControlState radio(int tag, int index, int count) {
    return {ControlKind::RadioGroup, tag, index, 0, count - 1};
}

TEST(TaggedSettings, MissingKeyLeavesEveryControlAsItIs) {
    MemorySettingsStore store;
    WindowState state{{spin(1, 2, 1, 9), radio(3, 0, 2)}, 200, 108, {}};
    readSettings(store, rs274xWindowRules(), state);
    EXPECT_EQ(state.controls[0].value, 2);
    EXPECT_EQ(state.x, 200);
    EXPECT_FALSE(store.keyExists("\\Software\\Castorvane-2"));
}

TEST(TaggedSettings, SpinEditsAreLimitedToTheirRange) {
    MemorySettingsStore store;
    const std::string key = "\\Software\\Castorvane-2";
    store.writeInt(key, "SpinEdit1", 12);
    store.writeInt(key, "SpinEdit2", -3);
    store.writeInt(key, "RadioGroup5", 0);
    store.writeInt(key, "FormX", 5000);  // applied as stored, even off screen
    WindowState state{{spin(1, 2, 1, 9), spin(2, 3, 1, 9), radio(5, 1, 2)}, 200, 108, {}};
    readSettings(store, rs274xWindowRules(), state);
    EXPECT_EQ(state.controls[0].value, 9);
    EXPECT_EQ(state.controls[1].value, 1);
    EXPECT_EQ(state.controls[2].value, 0);
    EXPECT_EQ(state.x, 5000);
    EXPECT_EQ(state.y, 108);
}

TEST(TaggedSettings, ApertureBuilderWritesSpineditAndReadsSpinEdit) {
    MemorySettingsStore store;
    const std::string key = "\\Software\\Castorvane-3";
    WindowState state{
        {box(1, true), spin(1, 16), spin(2, 0), spin(3, -4), spin(4, 6), spin(5, 100000)},
        10,
        20,
        {}};
    saveSettings(store, aptBuilderWindowRules(), state);
    EXPECT_EQ(store.valueNames(key),
              (std::vector<std::string>{"CheckBox1", "Spinedit1", "Spinedit2", "Spinedit3",
                                        "Spinedit4", "Spinedit5", "FormX", "FormY"}));
    // no range: any stored integer is taken
    WindowState back{
        {box(1, false), spin(1, 6), spin(2, 0), spin(3, 6), spin(4, 6), spin(5, 6)}, 0, 0, {}};
    readSettings(store, aptBuilderWindowRules(), back);
    EXPECT_EQ(back.controls[0].value, 1);
    EXPECT_EQ(back.controls[1].value, 16);
    EXPECT_EQ(back.controls[3].value, -4);
    EXPECT_EQ(back.controls[5].value, 100000);
    EXPECT_EQ(back.x, 10);

    // a value stored as "SpinEdit3" by an earlier save is the same value
    MemorySettingsStore older;
    older.writeInt(key, "SpinEdit3", 11);
    WindowState fromOlder{{spin(3, 6)}, 0, 0, {}};
    readSettings(older, aptBuilderWindowRules(), fromOlder);
    EXPECT_EQ(fromOlder.controls[0].value, 11);
}

TEST(TaggedSettings, UntaggedControlsAndTextsAreNotTaken) {
    MemorySettingsStore store;
    const std::string key = "\\Software\\Castorvane-6";
    WindowState state{{box(18, true), box(23, true), box(0, true)}, 192, 114, {}};
    saveSettings(store, gerberPlotWindowRules(), state);
    EXPECT_EQ(store.valueNames(key),
              (std::vector<std::string>{"CheckBox18", "CheckBox23", "FormX", "FormY"}));
    store.writeText(key, "CheckBox18", "on");
    WindowState back{{box(18, false), box(23, false)}, 0, 0, {}};
    readSettings(store, gerberPlotWindowRules(), back);
    EXPECT_EQ(back.controls[0].value, 0);  // a text is not a boolean
    EXPECT_EQ(back.controls[1].value, 1);
}

TEST(TaggedSettings, TangoWindowKeepsItsSpinEditsByName) {
    MemorySettingsStore store;
    const std::string key = "\\Software\\Castorvane-9";
    WindowState state{{box(1, true)}, 1, 2, {7, -2, 1250}};
    saveSettings(store, tangoPlotWindowRules(), state);
    EXPECT_EQ(store.valueNames(key),
              (std::vector<std::string>{"CheckBox1", "FormX", "FormY", "SE1", "SE2", "SE3"}));
    WindowState back{{box(1, false)}, 0, 0, {6, 6, 0}};
    readSettings(store, tangoPlotWindowRules(), back);
    EXPECT_EQ(back.extras, (std::vector<int>{7, -2, 1250}));
}

TEST(TaggedSettings, LauncherKeepsOnlyItsPosition) {
    MemorySettingsStore store;
    saveSettings(store, launcherRules(), WindowState{{box(1, true)}, 300, 40, {}});
    EXPECT_EQ(store.valueNames("\\Software\\Castorvane-7"),
              (std::vector<std::string>{"FormX", "FormY"}));
}

TEST(PlotCheckBoxes, TagsCaptionsAndDefaults) {
    const auto& boxes = plotCheckBoxes();
    ASSERT_EQ(boxes.size(), 27u);
    int ticked = 0;
    for (const auto& b : boxes) {
        ticked += b.ticked ? 1 : 0;
        EXPECT_EQ(valueName(ControlKind::CheckBox, b.tag), "CheckBox" + std::to_string(b.tag));
    }
    EXPECT_EQ(ticked, 1);
    EXPECT_EQ(boxes[17].tag, 18);
    EXPECT_EQ(boxes[17].caption, "Board Layer");
    EXPECT_TRUE(boxes[17].ticked);
    EXPECT_EQ(boxes[22].tag, 23);
    EXPECT_EQ(boxes[22].caption, "Board Layer");
    EXPECT_EQ(boxes.back().tag, 41);
    EXPECT_EQ(boxes.back().caption, "2,4");
}

}  // namespace
}  // namespace padloom::shell
