#pragma once

#include <vector>

#include "board/aperture_table.h"
#include "shell/ui/tool_window.h"

class QCheckBox;
class QPushButton;

namespace padloom::ui {

class SpinEdit;

/// "PCB ---> APT": the aperture builder. Stand-alone it writes the .APT and .TOL files of a
/// board for Traxplot; in plot mode it is the first step of a plot run and leaves the board
/// facts for the plotter.
class TForm3 : public ToolWindow {
    Q_OBJECT
public:
    TForm3(Shell& shell, QWidget* parent);

    QPushButton* Button1;
    SpinEdit* SpinEdit1;  // "Solder mask enlargement"
    SpinEdit* SpinEdit3;  // "Paste mask enlarement"
    SpinEdit* SpinEdit4;  // "Plane enlargement"
    SpinEdit* SpinEdit2;  // "Drill guide size"
    SpinEdit* SpinEdit5;  // "Pour enlargement"
    QCheckBox* CheckBox1;

    /// Set by the plot window while it shows this window.
    bool plotMode = false;

    void Button1Click();
    void FormActivate();
    void FormCreate();
    /// The four enlargements as the plotter reads them from this window.
    board::Enlargements enlargements() const;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    std::vector<QWidget*> m_tagged;
    bool m_activated = false;  // the plot-mode instructions were shown for this showing
};

}  // namespace padloom::ui
