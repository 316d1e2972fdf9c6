#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QPushButton;

namespace padloom::ui {

class RadioGroup;

/// "DRC --> PCB": draws the clearance errors of a design-rule report into a board file.
class DrcWindow : public ToolWindow {
    Q_OBJECT
public:
    DrcWindow(Shell& shell, QWidget* parent);

    void onConvertClicked();

private:
    RadioGroup* m_modeGroup;  // "error.pcb" or a new board file
    QPushButton* m_convertButton;
    FileDialog m_openDialog;
    FileDialog m_saveDialog;
};

}  // namespace padloom::ui
