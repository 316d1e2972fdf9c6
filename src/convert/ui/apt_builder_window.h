#pragma once

#include <vector>

#include "board/aperture_table.h"
#include "convert/pcb_to_apt.h"
#include "shell/ui/tool_window.h"

class QCheckBox;
class QPushButton;

namespace padloom::ui {

class SpinEdit;

/// "PCB ---> APT": the aperture builder. Stand-alone it writes the .APT and .TOL files of a
/// board for Traxplot; in plot mode it is the first step of a plot run and leaves the board
/// facts for the plotter.
class AptBuilderWindow : public ToolWindow {
    Q_OBJECT
public:
    AptBuilderWindow(Shell& shell, QWidget* parent);

    /// Set by the plot window while it shows this window.
    bool plotMode = false;

    void onMakeAptClicked();
    /// The four enlargements as the plotter reads them from this window.
    board::Enlargements enlargements() const;
    /// The options "Make APT file" runs with.
    convert::AptOptions aptOptions() const;

protected:
    void onShown() override;
    void onClosedAfterShown() override;

private:
    void restoreSettings();
    /// In plot mode: takes the fill mode from the plot window and tells the user the steps.
    void showPlotInstructions();

    QPushButton* m_makeAptButton;
    SpinEdit* m_solderMaskSpin;  // "Solder mask enlargement"
    SpinEdit* m_pasteMaskSpin;   // "Paste mask enlarement"
    SpinEdit* m_planeSpin;       // "Plane enlargement"
    SpinEdit* m_drillGuideSpin;  // "Drill guide size"
    SpinEdit* m_pourSpin;        // "Pour enlargement"
    QCheckBox* m_fillAperturesBox;
    std::vector<QWidget*> m_tagged;
    bool m_instructionsShown = false;  // the plot-mode instructions were shown for this showing
};

}  // namespace padloom::ui
