#pragma once

#include "plot/plot_run.h"
#include "shell/ui/ag_dialogs.h"
#include "shell/ui/plot_window.h"

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace padloom::ui {

class PackageDialog;

/// "Generate XGerbers": plots an Autotrax board into RS274X layer files, the NC drill file
/// and the bill of materials, after the aperture builder made the board's aperture file.
class GerberPlotWindow : public PlotWindow {
    Q_OBJECT
public:
    GerberPlotWindow(Shell& shell, QWidget* parent);

    void onPlotClicked();
    /// "Package...": asks the package's choices, makes the board's aperture file (in the
    /// aperture window only when the choices ask for it), plots the board's fab set and puts
    /// it, with a README, into one zip.
    void onPackageClicked();
    /// The package's choices, made when first wanted.
    PackageDialog* packageDialog();

    /// The plot options as the controls set them.
    plot::PlotOptions plotOptions() const;
    /// "D3 flash" is ticked: fills are flashed, so the aperture file needs their apertures.
    bool fillsByFlash() const;
    /// "Enable" of "Pours from .001 outline" is ticked.
    bool poursEnabled() const;

protected:
    void onClosedAfterShown() override;

private:
    void restoreSettings();
    /// Runs the aperture builder in plot mode; false when it made no aperture file.
    bool makeApertureFile();
    /// Makes the aperture file as the command line does, with the aperture window's settings
    /// but without showing it: asks for the board, and before replacing an aperture file.
    bool makePackageApertureFile();

    QGroupBox* m_poursGroup;  // "Pours from .001 outline"
    QCheckBox* m_pourEnableBox;
    QCheckBox* m_justDrawOutlineBox;
    QCheckBox* m_thermalsBox;  // "Thermals on external layers"
    QPushButton* m_packageButton;
    FileDialog m_packageDialog;  // where the zip goes
    PackageDialog* m_packageChoices = nullptr;
};

}  // namespace padloom::ui
