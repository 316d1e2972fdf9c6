#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace padloom::shell {

/// A stored value: a 32-bit integer (booleans are stored as 0 or 1) or a text.
using StoredValue = std::variant<int, std::string>;

/// The keys under the current user's hive, one per persisting window.
inline constexpr std::string_view kPlacementKey = "\\Software\\Castorvane";
inline constexpr std::string_view kRs274xKey = "\\Software\\Castorvane-2";
inline constexpr std::string_view kAptBuilderKey = "\\Software\\Castorvane-3";
inline constexpr std::string_view kGerberPlotKey = "\\Software\\Castorvane-6";
inline constexpr std::string_view kLauncherKey = "\\Software\\Castorvane-7";
inline constexpr std::string_view kTangoPlotKey = "\\Software\\Castorvane-9";

/// True when two key or value names are equal without regard to (ASCII) case, as the
/// registry compares them.
bool sameName(std::string_view a, std::string_view b);

/// Where window settings are kept. Key and value names are compared without regard to case
/// on every back end; a value written under a name that differs only in case replaces the
/// stored one.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual bool keyExists(std::string_view key) const = 0;
    /// Creates the key when it is missing.
    virtual void createKey(std::string_view key) = 0;
    /// The stored value, or nothing when the key or the value is missing.
    virtual std::optional<StoredValue> value(std::string_view key, std::string_view name) const = 0;
    /// Stores a value, creating the key when needed.
    virtual void setValue(std::string_view key, std::string_view name, const StoredValue& v) = 0;

    /// An integer value; nothing when missing or stored as a text.
    std::optional<int> readInt(std::string_view key, std::string_view name) const;
    /// A boolean: any non-zero integer is true; nothing when missing or stored as a text.
    std::optional<bool> readBool(std::string_view key, std::string_view name) const;
    void writeInt(std::string_view key, std::string_view name, int v) { setValue(key, name, v); }
    void writeBool(std::string_view key, std::string_view name, bool v) {
        setValue(key, name, v ? 1 : 0);
    }
    void writeText(std::string_view key, std::string_view name, std::string v) {
        setValue(key, name, std::move(v));
    }
};

/// A store held in memory, for tests and for runs that must not touch the user's settings.
class MemorySettingsStore : public SettingsStore {
public:
    bool keyExists(std::string_view key) const override;
    void createKey(std::string_view key) override;
    std::optional<StoredValue> value(std::string_view key, std::string_view name) const override;
    void setValue(std::string_view key, std::string_view name, const StoredValue& v) override;

    /// Removes one value (to set up damaged keys in tests).
    void removeValue(std::string_view key, std::string_view name);
    /// The value names of a key as they were written, in writing order.
    std::vector<std::string> valueNames(std::string_view key) const;
    /// Every key that exists.
    std::vector<std::string> keys() const;

private:
    struct Key {
        std::string name;
        std::vector<std::pair<std::string, StoredValue>> values;
    };
    Key* find(std::string_view key);
    const Key* find(std::string_view key) const;
    std::vector<Key> m_keys;
};

// ---------------------------------------------------------------------------------------------
// Windows whose values are named after their controls' kind and tag.

/// Kinds of persisted controls.
enum class ControlKind { CheckBox, SpinEdit, RadioGroup };

/// One control of a window as the settings see it.
struct ControlState {
    ControlKind kind = ControlKind::CheckBox;
    int tag = 0;                          // 0: not persisted
    int value = 0;                        // check box 0/1, spin edit value, radio item index
    std::optional<int> minimum, maximum;  // the control's range, where it has one
};

/// A window's persisted state: its controls in creation order, its position, and the named
/// integers some windows keep besides (the Tango window's "SE1" to "SE3"; the plot windows'
/// "GerberX2" and "NoMacros", 0 or 1, absent meaning off).
struct WindowState {
    std::vector<ControlState> controls;
    int x = 0;
    int y = 0;
    std::vector<int> extras;  // parallel to WindowRules::extraNames
};

/// How one window names and walks its values.
struct WindowRules {
    std::string_view key;
    /// The kinds each walk over the controls handles, walk by walk.
    std::vector<std::vector<ControlKind>> walks;
    std::string_view spinReadPrefix = "SpinEdit";
    std::string_view spinWritePrefix = "SpinEdit";
    std::vector<std::string_view> extraNames;
    int defaultX = 0;  // position before anything is stored
    int defaultY = 0;
};

const WindowRules& rs274xWindowRules();      // RS274D to RS274X
const WindowRules& aptBuilderWindowRules();  // PCB to APT
const WindowRules& gerberPlotWindowRules();  // Autotrax plotting
const WindowRules& launcherRules();          // launcher: position only
const WindowRules& tangoPlotWindowRules();   // Tango plotting

/// The value name of a control: kind prefix and tag ("CheckBox18", "RadioGroup3").
std::string valueName(ControlKind kind, int tag, std::string_view spinPrefix = "SpinEdit");

/// Restores a window from its key; a missing key or value leaves the control as it is. Spin
/// edits are limited to their range; values stored as text are ignored.
void readSettings(const SettingsStore& store, const WindowRules& rules, WindowState& state);
/// Writes every tagged control, the position and the extras under the window's key.
void saveSettings(SettingsStore& store, const WindowRules& rules, const WindowState& state);

// ---------------------------------------------------------------------------------------------
// The X/Y window: the shared dialog's folder, the four legend/fill layers, the format settings.

struct PlacementSettings {
    std::string directory;  // starting folder of the shared open dialog
    int topLeg = 7;
    int botLeg = 3;  // the "3 - 2nd mid" entry, as the window has always shipped
    int topFill = 1;
    int botFill = 6;
    int digits = 2;
    int precision = 4;
    int mode = 0;
    int suppression = 0;
};

/// Restores the X/Y window's settings. A missing key is created with the nine defaults (the
/// "DIRECTORY" written is `settings.directory`). Returns the messages to show the user: one
/// "Failed to get data for '...'" per missing integer and one "Invalid data type for '...'"
/// per integer stored as a text; such a value keeps its default and the others are still read.
std::vector<std::string> readSettings(SettingsStore& store, PlacementSettings& settings);

/// Saves the X/Y window's settings. `lastChosenFile` is the file last confirmed in the shared
/// open dialog during this run: "DIRECTORY" becomes its folder (empty for a name without a
/// folder); when no file was confirmed (all dialogs cancelled) the stored folder is kept.
void saveSettings(SettingsStore& store, const PlacementSettings& settings,
                  const std::string& lastChosenFile);

// ---------------------------------------------------------------------------------------------
// The plot windows' check boxes.

struct PlotCheckBox {
    int tag;
    std::string_view caption;
    bool ticked;  // default
};

/// The check boxes of the plot windows by tag, with captions and defaults, in tag order.
const std::vector<PlotCheckBox>& plotCheckBoxes();

}  // namespace padloom::shell
