#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

class RadioGroup;

/// "Build  QFN (in new .PCB)": generates a QFN land pattern as a new board file.
class TForm11 : public ToolWindow {
    Q_OBJECT
public:
    TForm11(Shell& shell, QWidget* parent);

    QLineEdit* Edit1;  // "Pad X"
    QLineEdit* Edit2;  // "Pad Y"
    QLineEdit* Edit3;  // "Num X"
    QLineEdit* Edit4;  // "Num Y"
    QLineEdit* Edit5;  // "Pitch"
    QLineEdit* Edit6;  // "X Spacing"
    QLineEdit* Edit7;  // "Y Spacing"
    RadioGroup* RadioGroup1;
    QLabel* Label6;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
    TAgSaveDialog AgSaveDialog1;

    void Button1Click();
};

}  // namespace padloom::ui
