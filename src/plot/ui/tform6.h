#pragma once

#include "plot/plot_run.h"
#include "shell/ui/plot_window.h"

class QCheckBox;
class QGroupBox;

namespace padloom::ui {

/// "Generate XGerbers": plots an Autotrax board into RS274X layer files, the NC drill file
/// and the bill of materials, after the aperture builder made the board's aperture file.
class TForm6 : public PlotWindow {
    Q_OBJECT
public:
    TForm6(Shell& shell, QWidget* parent);

    QGroupBox* GroupBox3;  // "Pours from .001 outline"
    QCheckBox* CheckBox20;
    QCheckBox* CheckBox22;
    QCheckBox* CheckBox23;

    void Button1Click();
    void FormCreate();

    /// The plot options as the controls set them.
    plot::PlotOptions plotOptions() const;

protected:
    void FormClose() override;
};

}  // namespace padloom::ui
