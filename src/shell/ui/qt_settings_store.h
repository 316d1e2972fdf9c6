#pragma once

#include <memory>

#include <QString>

#include "shell/settings_store.h"

class QSettings;

namespace padloom::ui {

/// The settings store of the desktop program, over QSettings. On Windows the keys are the
/// registry keys HKEY_CURRENT_USER\Software\Castorvane, ...\Castorvane-2 and so on; elsewhere
/// each key is one INI file named after it ("Castorvane-6.ini") in a folder, by default
/// "Castorvane" in the user's configuration folder (~/.config/Castorvane/ on Linux).
/// Value names are matched without regard to case on every platform.
class QtSettingsStore : public shell::SettingsStore {
public:
    /// `folder`: where the INI files go; empty for the default. Ignored on Windows unless
    /// `forceIni` is set (tests).
    explicit QtSettingsStore(QString folder = {}, bool forceIni = false);
    ~QtSettingsStore() override;

    bool keyExists(std::string_view key) const override;
    void createKey(std::string_view key) override;
    std::optional<shell::StoredValue> value(std::string_view key,
                                            std::string_view name) const override;
    void setValue(std::string_view key, std::string_view name,
                  const shell::StoredValue& v) override;

    /// The folder of the INI files (empty when the registry is used).
    const QString& folder() const { return m_folder; }

private:
    std::unique_ptr<QSettings> open(std::string_view key) const;
    QString m_folder;
    bool m_registry = false;
};

}  // namespace padloom::ui
