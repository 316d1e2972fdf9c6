#include "tango/ui/tango_plot_window.h"

#include <QFormLayout>
#include <QPushButton>

#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

SpinEdit* spin(QWidget* parent, const char* name, int value) {
    auto* s = new SpinEdit(value, std::nullopt, parent);  // no range
    s->setObjectName(name);
    return s;
}

}  // namespace

TangoPlotWindow::TangoPlotWindow(Shell& shell, QWidget* parent)
    // layers a TANGO board cannot have can be ticked only through stored settings
    : PlotWindow(shell, parent, "TANGO -> Generate XGerbers", "NC Drill",
                 {2, 3, 4, 5, 13, 14, 21}) {
    setObjectName("Form9");
    setHelpContext(kHelpTangoPlot);
    m_openDialog.showPlacesBar = true;

    // kept by name ("SE1" to "SE3"), not by tag
    m_solderMaskSpin = spin(this, "SpinEdit1", 6);
    m_pasteMaskSpin = spin(this, "SpinEdit2", 6);
    m_drillGuideSpin = spin(this, "SpinEdit3", 0);
    auto* sizes = new QFormLayout;
    sizes->addRow("Solder mask enlargement", m_solderMaskSpin);
    sizes->addRow("Paste mask enlarement", m_pasteMaskSpin);  // sic
    sizes->addRow("Drill guilde size", m_drillGuideSpin);     // sic

    layOut(sizes, nullptr, 620, 540);
    connect(m_plotButton, &QPushButton::clicked, this, &TangoPlotWindow::onPlotClicked);
    restoreSettings();
}

void TangoPlotWindow::restoreSettings() {
    const auto& rules = shell::tangoPlotWindowRules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    state.extras = {m_solderMaskSpin->toolValue(), m_pasteMaskSpin->toolValue(),
                    m_drillGuideSpin->toolValue(), m_x2Box->isChecked() ? 1 : 0,
                    m_noMacrosBox->isChecked() ? 1 : 0};
    shell::readSettings(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
    m_solderMaskSpin->setValue(state.extras[0]);
    m_pasteMaskSpin->setValue(state.extras[1]);
    m_drillGuideSpin->setValue(state.extras[2]);
    m_x2Box->setChecked(state.extras[3] != 0);
    m_noMacrosBox->setChecked(state.extras[4] != 0);
}

void TangoPlotWindow::onClosedAfterShown() {
    shell::WindowState state = collectState(this, m_tagged);
    state.extras = {m_solderMaskSpin->toolValue(), m_pasteMaskSpin->toolValue(),
                    m_drillGuideSpin->toolValue(), m_x2Box->isChecked() ? 1 : 0,
                    m_noMacrosBox->isChecked() ? 1 : 0};
    shell::saveSettings(m_shell.settings(), shell::tangoPlotWindowRules(), state);
}

tango::TangoOptions TangoPlotWindow::plotOptions() const {
    tango::TangoOptions o;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        o.layers[layer] = layerBox(layer)->isChecked();
    }
    o.ncDrill = m_ncDrillBox->isChecked();
    o.bom = m_bomBox->isChecked();
    o.drillFormat24 = m_drill24Box->isChecked();
    o.x2 = m_x2Box->isChecked();
    o.noMacros = m_noMacrosBox->isChecked();
    o.sizes = {m_solderMaskSpin->toolValue(), m_pasteMaskSpin->toolValue(),
               m_drillGuideSpin->toolValue()};
    return o;
}

void TangoPlotWindow::onPlotClicked() {
    const tango::TangoOptions options = plotOptions();
    auto host = m_shell.makeHost({this, m_messageList, nullptr, nullptr, &m_openDialog});
    std::string board;
    m_shell.guarded(this, [&] {
        tango::plotTango(*host, options, &board);  // can throw
    });
    // whatever the run finished, even if it stopped on an error, can be looked at; a cancelled
    // run leaves the last run's files
    if (!board.empty()) {
        setPreviewFiles(tango::tangoOutputPaths(options, board));
    }
}

}  // namespace padloom::ui
