#pragma once

#include <vector>

#include "plot/plot_run.h"
#include "shell/ui/tool_window.h"

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace padloom::ui {

/// "Generate XGerbers": plots an Autotrax board into RS274X layer files, the NC drill file
/// and the bill of materials, after the aperture builder made the board's aperture file.
class TForm6 : public ToolWindow {
    Q_OBJECT
public:
    TForm6(Shell& shell, QWidget* parent);

    QGroupBox* GroupBox1;  // "Layers to plot"
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QCheckBox* CheckBox6;
    QCheckBox* CheckBox7;
    QCheckBox* CheckBox8;
    QCheckBox* CheckBox9;
    QCheckBox* CheckBox10;
    QCheckBox* CheckBox11;
    QCheckBox* CheckBox12;
    QCheckBox* CheckBox13;
    QCheckBox* CheckBox14;
    QCheckBox* CheckBox18;
    QCheckBox* CheckBox19;
    QCheckBox* CheckBox24;
    QCheckBox* CheckBox17;
    QCheckBox* CheckBox21;
    QGroupBox* GroupBox2;  // "Include"
    QCheckBox* CheckBox15;
    QCheckBox* CheckBox16;
    QGroupBox* GroupBox3;  // "Pours from .001 outline"
    QCheckBox* CheckBox20;
    QCheckBox* CheckBox22;
    QCheckBox* CheckBox23;
    QGroupBox* GroupBox4;  // "NL Drill"
    QCheckBox* CheckBox25;
    QCheckBox* CheckBox26;
    QGroupBox* GroupBox5;  // "Fill mode"
    QCheckBox* CheckBox27;
    QCheckBox* CheckBox28;
    QPushButton* Button1;
    QPlainTextEdit* Memo1;

    void Button1Click();
    void CheckBox25Click();
    void CheckBox26Click();
    void CheckBox27Click();
    void CheckBox28Click();
    void FormCreate();

    /// The layer check box of a plot layer (1 to 17).
    QCheckBox* layerBox(int plotLayer) const;
    /// The plot options as the controls set them.
    plot::PlotOptions plotOptions() const;

protected:
    void FormClose() override;

private:
    std::vector<QWidget*> m_tagged;
    bool m_pairGuard = false;  // ignores the toggles the exclusive pairs cause themselves
};

}  // namespace padloom::ui
