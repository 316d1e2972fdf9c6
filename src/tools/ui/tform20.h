#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/tool_window.h"

class QAction;
class QCheckBox;
class QMenuBar;
class QProgressBar;

namespace padloom::ui {

/// "Protel Autotrax Combined Library Generation": copies the footprints a netlist uses from
/// component libraries into one new library.
class TForm20 : public ToolWindow {
    Q_OBJECT
public:
    TForm20(Shell& shell, QWidget* parent);

    QMenuBar* MainMenu1;
    QAction* ReadLibrary1;
    QAction* ProcessNetlist1;
    QAction* Exit1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QProgressBar* ProgressBar1;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    void ReadLibrary1Click();
    void ProcessNetlist1Click();
    void Exit1Click();
};

}  // namespace padloom::ui
