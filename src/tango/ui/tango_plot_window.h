#pragma once

#include "shell/ui/ag_dialogs.h"
#include "shell/ui/plot_window.h"
#include "tango/tango_plot.h"

namespace padloom::ui {

class SpinEdit;

/// "TANGO -> Generate XGerbers": plots a TANGO board into RS274X layer files, the NC drill
/// file and the drill drawing. Layers a TANGO board cannot have are shown disabled.
class TangoPlotWindow : public PlotWindow {
    Q_OBJECT
public:
    TangoPlotWindow(Shell& shell, QWidget* parent);

    /// "Plot": asks for the TANGO board and plots every ticked layer, the drill drawing and
    /// the NC drill file, reporting in the message list.
    void onPlotClicked();
    /// The options the controls hold now.
    tango::TangoOptions plotOptions() const;

protected:
    void onClosedAfterShown() override;

private:
    void restoreSettings();

    SpinEdit* m_solderMaskSpin;  // "Solder mask enlargement"
    SpinEdit* m_pasteMaskSpin;   // "Paste mask enlarement"
    SpinEdit* m_drillGuideSpin;  // "Drill guilde size"
    PlacesOpenDialog m_openDialog;
};

}  // namespace padloom::ui
