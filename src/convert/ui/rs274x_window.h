#pragma once

#include <string>
#include <vector>

#include "annotate/ui/placement_window.h"
#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace padloom::ui {

class RadioGroup;
class SpinEdit;

/// "Gerber to xGerber RS274x converter": Traxplot RS274D plots and their aperture file into
/// RS274X files.
class Rs274xWindow : public ToolWindow {
    Q_OBJECT
public:
    Rs274xWindow(Shell& shell, QWidget* parent);

    /// The number format as the "Format", "Mode" and "Suppression" controls set it.
    GerberFormat gerberFormat() const;

    void onChooseApertureClicked();
    void onAddInputsClicked();
    void onConvertClicked();

    /// The input plots, in the order the list shows them.
    const std::vector<std::string>& plots() const { return m_plots; }

protected:
    void onClosedAfterShown() override;

private:
    void restoreSettings();

    QPushButton* m_chooseApertureButton;
    QComboBox* m_apertureCombo;
    QPushButton* m_addInputsButton;
    QListWidget* m_inputList;
    QPushButton* m_convertButton;
    QLabel* m_digitsLabel;
    QLabel* m_precisionLabel;
    QLabel* m_digitsHint;  // "2 and 3 for Protel"
    SpinEdit* m_digitsSpin;
    SpinEdit* m_precisionSpin;
    RadioGroup* m_modeGroup;
    RadioGroup* m_suppressionGroup;
    RadioGroup* m_outputFilesGroup;
    RadioGroup* m_unitsGroup;
    FileDialog m_saveDialog;
    std::vector<QWidget*> m_tagged;
    std::vector<std::string> m_plots;  // every plot added while the program runs
};

}  // namespace padloom::ui
