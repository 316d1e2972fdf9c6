#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/plot_window.h"

namespace padloom::ui {

class SpinEdit;

/// "TANGO -> Generate XGerbers": plots a TANGO board into RS274X layer files, the NC drill
/// file and the drill drawing. Layers a TANGO board cannot have are shown disabled.
class TForm9 : public PlotWindow {
    Q_OBJECT
public:
    TForm9(Shell& shell, QWidget* parent);

    SpinEdit* SpinEdit1;  // "Solder mask enlargement"
    SpinEdit* SpinEdit2;  // "Paste mask enlarement"
    SpinEdit* SpinEdit3;  // "Drill guilde size"
    TAgOpenDialog AgOpenDialog1;

    void Button1Click();
    void FormCreate();

protected:
    void FormClose() override;
};

}  // namespace padloom::ui
