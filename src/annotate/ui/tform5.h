#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QPushButton;

namespace padloom::ui {

class RadioGroup;

/// "DRC --> PCB": draws the clearance errors of a design-rule report into a board file.
class TForm5 : public ToolWindow {
    Q_OBJECT
public:
    TForm5(Shell& shell, QWidget* parent);

    RadioGroup* RadioGroup1;
    QPushButton* Button1;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    void Button1Click();
};

}  // namespace padloom::ui
