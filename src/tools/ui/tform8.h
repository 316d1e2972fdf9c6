#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

/// "TXT+TOL --> XLN": adds the tool sizes of a tool table to the header of an NC drill file.
class TForm8 : public ToolWindow {
    Q_OBJECT
public:
    TForm8(Shell& shell, QWidget* parent);

    QPushButton* Button2;
    QPushButton* Button1;
    QPlainTextEdit* Memo1;
    TAgOpenDialog AgOpenDialog1;

    void Button1Click();
    void Button2Click();
};

}  // namespace padloom::ui
