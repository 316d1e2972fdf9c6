#pragma once

#include <optional>

#include "fab/fab_package.h"
#include "shell/settings_store.h"
#include "shell/ui/tool_window.h"

class QCheckBox;
class QComboBox;
class QFormLayout;

namespace padloom::ui {

/// The choices of a fab package before it is made: the board house whose profile it follows,
/// where the board outline comes from, the
/// order choices a board cannot tell (thickness, copper, finish, mask and legend colours),
/// whether the board layer is drawn into every layer file, and whether the aperture file is
/// made in the aperture window first. Remembered in the settings store: its check boxes by
/// tag, the outline choice and position by name, the board house and the order choices as
/// texts.
class PackageDialog : public ToolWindow {
    Q_OBJECT
public:
    PackageDialog(Shell& shell, QWidget* parent);

    /// The package options these choices set (board house, outline, board layer, order
    /// choices) on top of `options`; nullopt when the thickness is not a number of millimetres
    /// from 0.1 to 10 or the board house's profile cannot be read.
    std::optional<fab::PackageOptions> apply(fab::PackageOptions options) const;
    /// Whether the user wants the aperture window to make the aperture file first.
    bool apertureWindowFirst() const;
    /// Stores the choices.
    void saveSettings();
    /// Whether the choices can be taken; when not, says why in a box and puts the focus on the
    /// choice to mend.
    bool checkChoices();

    /// The key the choices are stored under.
    static constexpr std::string_view kSettingsKey = "\\Software\\Castorvane-Package";

    /// The form the choices are laid out in, one row each: more choices are more rows.
    QFormLayout* form() const { return m_form; }

    void accept() override;

protected:
    void onClosedAfterShown() override;

private:
    void restoreSettings();
    shell::WindowState state() const;
    /// The chosen board house's profile; throws IoError when it cannot be read.
    fab::FabProfile chosenProfile() const;

    QFormLayout* m_form;
    QComboBox* m_boardHouseCombo;
    QComboBox* m_outlineCombo;
    QComboBox* m_thicknessCombo;
    QComboBox* m_copperCombo;
    QComboBox* m_finishCombo;
    QComboBox* m_maskColourCombo;
    QComboBox* m_legendColourCombo;
    QCheckBox* m_includeBoardBox;
    QCheckBox* m_apertureWindowBox;
    std::vector<QWidget*> m_tagged;
};

}  // namespace padloom::ui
