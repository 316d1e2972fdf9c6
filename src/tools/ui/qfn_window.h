#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"
#include "tools/qfn_builder.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

class RadioGroup;

/// "Build  QFN (in new .PCB)": generates a QFN land pattern as a new board file.
class QfnWindow : public ToolWindow {
    Q_OBJECT
public:
    QfnWindow(Shell& shell, QWidget* parent);

    void onGenerateClicked();
    /// Converts the five size fields when the unit of measure changes.
    void onUnitClicked(int index);

private:
    tools::QfnFields fields() const;

    QLineEdit* m_padXEdit;
    QLineEdit* m_padYEdit;
    QLineEdit* m_numXEdit;
    QLineEdit* m_numYEdit;
    QLineEdit* m_pitchEdit;
    QLineEdit* m_xSpacingEdit;
    QLineEdit* m_ySpacingEdit;
    RadioGroup* m_unitGroup;  // "Unit of measure"
    QLabel* m_cautionLabel;
    QPlainTextEdit* m_messageList;
    QPushButton* m_generateButton;
    PlacesSaveDialog m_saveDialog;
    tools::QfnUnit m_unit = tools::QfnUnit::Imperial;  // the unit the size fields hold
};

}  // namespace padloom::ui
