#include "shell/settings_store.h"

#include <algorithm>
#include <cctype>

#include "common/base_name.h"

namespace padloom::shell {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<int> SettingsStore::readInt(std::string_view key, std::string_view name) const {
    auto v = value(key, name);
    if (!v || !std::holds_alternative<int>(*v)) {
        return std::nullopt;
    }
    return std::get<int>(*v);
}

std::optional<bool> SettingsStore::readBool(std::string_view key, std::string_view name) const {
    auto v = readInt(key, name);
    if (!v) {
        return std::nullopt;
    }
    return *v != 0;
}

// --- MemorySettingsStore ----------------------------------------------------------------------

MemorySettingsStore::Key* MemorySettingsStore::find(std::string_view key) {
    for (auto& k : m_keys) {
        if (sameName(k.name, key)) {
            return &k;
        }
    }
    return nullptr;
}

const MemorySettingsStore::Key* MemorySettingsStore::find(std::string_view key) const {
    return const_cast<MemorySettingsStore*>(this)->find(key);
}

bool MemorySettingsStore::keyExists(std::string_view key) const {
    return find(key) != nullptr;
}

void MemorySettingsStore::createKey(std::string_view key) {
    if (!find(key)) {
        m_keys.push_back({std::string(key), {}});
    }
}

std::optional<StoredValue> MemorySettingsStore::value(std::string_view key,
                                                      std::string_view name) const {
    if (const Key* k = find(key)) {
        for (const auto& [n, v] : k->values) {
            if (sameName(n, name)) {
                return v;
            }
        }
    }
    return std::nullopt;
}

void MemorySettingsStore::setValue(std::string_view key, std::string_view name,
                                   const StoredValue& v) {
    createKey(key);
    Key* k = find(key);
    for (auto& [n, stored] : k->values) {
        if (sameName(n, name)) {
            stored = v;  // the registry keeps the name's first spelling
            return;
        }
    }
    k->values.emplace_back(std::string(name), v);
}

void MemorySettingsStore::removeValue(std::string_view key, std::string_view name) {
    if (Key* k = find(key)) {
        std::erase_if(k->values, [&](const auto& p) { return sameName(p.first, name); });
    }
}

std::vector<std::string> MemorySettingsStore::valueNames(std::string_view key) const {
    std::vector<std::string> names;
    if (const Key* k = find(key)) {
        for (const auto& p : k->values) {
            names.push_back(p.first);
        }
    }
    return names;
}

std::vector<std::string> MemorySettingsStore::keys() const {
    std::vector<std::string> names;
    for (const auto& k : m_keys) {
        names.push_back(k.name);
    }
    return names;
}

// --- tag-named windows ------------------------------------------------------------------------

const WindowRules& rs274xWindowRules() {
    // spin edits and radio groups in one walk
    static const WindowRules rules{kRs274xKey, {{ControlKind::SpinEdit, ControlKind::RadioGroup}},
                                   "SpinEdit", "SpinEdit",
                                   {},         200,
                                   108};
    return rules;
}

const WindowRules& aptBuilderWindowRules() {
    // check boxes first, spin edits second; written as "Spinedit", read as "SpinEdit", which
    // name the same value because names are compared without regard to case
    static const WindowRules rules{kAptBuilderKey,
                                   {{ControlKind::CheckBox}, {ControlKind::SpinEdit}},
                                   "SpinEdit",
                                   "Spinedit",
                                   {},
                                   200,
                                   108};
    return rules;
}

const WindowRules& gerberPlotWindowRules() {
    static const WindowRules rules{
        kGerberPlotKey, {{ControlKind::CheckBox}}, "SpinEdit", "SpinEdit", {"GerberX2", "NoMacros"},
        192,  114};
    return rules;
}

const WindowRules& launcherRules() {
    static const WindowRules rules{kLauncherKey, {}, "SpinEdit", "SpinEdit", {}, 192, 114};
    return rules;
}

const WindowRules& tangoPlotWindowRules() {
    static const WindowRules rules{kTangoPlotKey,
                                   {{ControlKind::CheckBox}},
                                   "SpinEdit",
                                   "SpinEdit",
                                   {"SE1", "SE2", "SE3", "GerberX2", "NoMacros"},
                                   192,
                                   114};
    return rules;
}

std::string valueName(ControlKind kind, int tag, std::string_view spinPrefix) {
    std::string prefix;
    switch (kind) {
        case ControlKind::CheckBox:
            prefix = "CheckBox";
            break;
        case ControlKind::SpinEdit:
            prefix = spinPrefix;
            break;
        case ControlKind::RadioGroup:
            prefix = "RadioGroup";
            break;
    }
    return prefix + std::to_string(tag);
}

namespace {

bool handledBy(const std::vector<ControlKind>& walk, ControlKind kind) {
    return std::find(walk.begin(), walk.end(), kind) != walk.end();
}

int limited(const ControlState& c, int v) {
    if (c.minimum && v < *c.minimum) {
        return *c.minimum;
    }
    if (c.maximum && v > *c.maximum) {
        return *c.maximum;
    }
    return v;
}

}  // namespace

void readSettings(const SettingsStore& store, const WindowRules& rules, WindowState& state) {
    if (!store.keyExists(rules.key)) {
        return;  // every control keeps its default
    }
    for (const auto& walk : rules.walks) {
        for (auto& c : state.controls) {
            if (c.tag == 0 || !handledBy(walk, c.kind)) {
                continue;
            }
            auto v = store.readInt(rules.key, valueName(c.kind, c.tag, rules.spinReadPrefix));
            if (!v) {
                continue;
            }
            c.value = c.kind == ControlKind::CheckBox ? (*v != 0 ? 1 : 0) : limited(c, *v);
        }
    }
    if (auto x = store.readInt(rules.key, "FormX")) {
        state.x = *x;
    }
    if (auto y = store.readInt(rules.key, "FormY")) {
        state.y = *y;
    }
    for (size_t i = 0; i < rules.extraNames.size() && i < state.extras.size(); ++i) {
        if (auto v = store.readInt(rules.key, rules.extraNames[i])) {
            state.extras[i] = *v;
        }
    }
}

void saveSettings(SettingsStore& store, const WindowRules& rules, const WindowState& state) {
    store.createKey(rules.key);
    for (const auto& walk : rules.walks) {
        for (const auto& c : state.controls) {
            if (c.tag == 0 || !handledBy(walk, c.kind)) {
                continue;
            }
            store.writeInt(rules.key, valueName(c.kind, c.tag, rules.spinWritePrefix), c.value);
        }
    }
    store.writeInt(rules.key, "FormX", state.x);
    store.writeInt(rules.key, "FormY", state.y);
    for (size_t i = 0; i < rules.extraNames.size() && i < state.extras.size(); ++i) {
        store.writeInt(rules.key, rules.extraNames[i], state.extras[i]);
    }
}

// --- the X/Y window ---------------------------------------------------------------------------

namespace {

struct PlacementInt {
    std::string_view name;
    int PlacementSettings::*field;
};

// clang-format off
constexpr PlacementInt kPlacementInts[] = {
    {"TopLeg", &PlacementSettings::topLeg},       {"BotLeg", &PlacementSettings::botLeg},
    {"TopFill", &PlacementSettings::topFill},     {"BotFill", &PlacementSettings::botFill},
    {"Digits", &PlacementSettings::digits},       {"Precision", &PlacementSettings::precision},
    {"Mode", &PlacementSettings::mode},           {"Suppression", &PlacementSettings::suppression},
};
// clang-format on

}  // namespace

std::vector<std::string> readSettings(SettingsStore& store, PlacementSettings& settings) {
    if (!store.keyExists(kPlacementKey)) {
        // first run: create the key with the defaults
        const PlacementSettings defaults;
        store.createKey(kPlacementKey);
        store.writeText(kPlacementKey, "DIRECTORY", settings.directory);
        for (const auto& v : kPlacementInts) {
            store.writeInt(kPlacementKey, v.name, defaults.*v.field);
        }
    }
    std::vector<std::string> messages;
    auto dir = store.value(kPlacementKey, "DIRECTORY");
    if (dir && std::holds_alternative<std::string>(*dir)) {
        settings.directory = std::get<std::string>(*dir);
    } else {
        settings.directory.clear();  // a missing text reads as empty
    }
    for (const auto& v : kPlacementInts) {
        auto stored = store.value(kPlacementKey, v.name);
        if (!stored) {
            messages.push_back("Failed to get data for '" + std::string(v.name) + "'");
        } else if (!std::holds_alternative<int>(*stored)) {
            messages.push_back("Invalid data type for '" + std::string(v.name) + "'");
        } else {
            settings.*v.field = std::get<int>(*stored);
        }
    }
    return messages;
}

void saveSettings(SettingsStore& store, const PlacementSettings& settings,
                  const std::string& lastChosenFile) {
    store.createKey(kPlacementKey);
    // a cancelled dialog leaves no file name; the stored folder then stays as it is
    if (!lastChosenFile.empty()) {
        store.writeText(kPlacementKey, "DIRECTORY", common::folderOf(lastChosenFile));
    }
    for (const auto& v : kPlacementInts) {
        store.writeInt(kPlacementKey, v.name, settings.*v.field);
    }
}

// --- plot window check boxes ------------------------------------------------------------------

const std::vector<PlotCheckBox>& plotCheckBoxes() {
    // clang-format off
    static const std::vector<PlotCheckBox> boxes{
        {1, "Top Copper", false},          {2, "Mid 1", false},
        {3, "Mid 2", false},               {4, "Mid 3", false},
        {5, "Mid 4", false},               {6, "Bottom Copper", false},
        {7, "Top legend", false},          {8, "Bottom Legend", false},
        {9, "Drill Drawing", false},       {10, "Drill Guide", false},
        {11, "Top Solder mask", false},    {12, "Bottom Solder mask", false},
        {13, "Ground plane", false},       {14, "Power plane", false},
        {15, "Top Paste mask", false},     {16, "Bottom Paste mask", false},
        {17, "NC Drill", false},           {18, "Board Layer", true},
        {19, "Keep out", false},           {20, "Enable", false},
        {21, "BOM", false},                {22, "Just draw outline", false},
        {23, "Board Layer", false},        {30, "G36/G37 polygon", false},
        {31, "D3 flash", false},           {40, "2,3", false},
        {41, "2,4", false},
    };
    // clang-format on
    return boxes;
}

}  // namespace padloom::shell
