#include "convert/ui/apt_builder_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "annotate/ui/placement_window.h"
#include "convert/pcb_to_apt.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

SpinEdit* spin(QWidget* parent, const char* name, int value, int tag) {
    auto* s = new SpinEdit(value, std::nullopt, parent);  // no range
    s->setObjectName(name);
    setTag(s, tag);
    return s;
}

}  // namespace

AptBuilderWindow::AptBuilderWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "PCB ---> APT") {
    setObjectName("Form3");
    setHelpContext(kHelpAptBuilder);

    m_makeAptButton = new QPushButton("Make APT file", this);
    m_makeAptButton->setObjectName("Button1");
    m_solderMaskSpin = spin(this, "SpinEdit1", 6, 1);
    m_pasteMaskSpin = spin(this, "SpinEdit3", 0, 2);
    m_planeSpin = spin(this, "SpinEdit4", 6, 3);
    m_drillGuideSpin = spin(this, "SpinEdit2", 6, 4);
    m_pourSpin = spin(this, "SpinEdit5", 6, 5);
    m_fillAperturesBox = new QCheckBox("Apertures for fills", this);
    m_fillAperturesBox->setObjectName("CheckBox1");
    setTag(m_fillAperturesBox, 1);
    m_fillAperturesBox->setEnabled(false);  // set by the plot window's fill mode, not by the user

    auto* form = new QFormLayout;
    form->addRow("Solder mask enlargement", m_solderMaskSpin);
    form->addRow("Paste mask enlarement", m_pasteMaskSpin);  // sic
    form->addRow("Plane enlargement", m_planeSpin);
    form->addRow("Drill guide size", m_drillGuideSpin);
    form->addRow("Pour enlargement", m_pourSpin);
    form->addRow(QString(), m_fillAperturesBox);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addWidget(m_makeAptButton);
    layout->addStretch();
    setMinimumWidth(300);

    connect(m_makeAptButton, &QPushButton::clicked, this, &AptBuilderWindow::onMakeAptClicked);

    m_tagged = taggedControls(this);
    restoreSettings();
}

void AptBuilderWindow::restoreSettings() {
    const auto& rules = shell::aptBuilderWindowRules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    shell::readSettings(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
}

void AptBuilderWindow::onClosedAfterShown() {
    shell::saveSettings(m_shell.settings(), shell::aptBuilderWindowRules(),
                        collectState(this, m_tagged));
}

void AptBuilderWindow::onShown() {
    m_instructionsShown = false;
    if (plotMode) {
        // once the window is on screen, not each time it gets the focus back from a dialog
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !m_instructionsShown) {
                m_instructionsShown = true;
                showPlotInstructions();
            }
        });
    }
}

void AptBuilderWindow::showPlotInstructions() {
    if (!plotMode) {
        return;
    }
    QCoreApplication::processEvents();
    m_fillAperturesBox->setChecked(m_shell.gerberPlotWindow->fillsByFlash());
    auto host = m_shell.makeHost({this});
    host->show(common::Box::Info,
               "Set the desired spacing for mask and plane layers.\n\r"
               "Click of the \"Make APT file\" button.\n\r"
               "Select the PCB file to be plotted.\n\r"
               "Close this form when \"done\" is displayed.",
               common::Place::WindowPlus50);
}

board::Enlargements AptBuilderWindow::enlargements() const {
    board::Enlargements e;
    e.solderMask = m_solderMaskSpin->toolValue();
    e.paste = m_pasteMaskSpin->toolValue();
    e.plane = m_planeSpin->toolValue();
    e.pour = m_pourSpin->toolValue();
    return e;
}

convert::AptOptions AptBuilderWindow::aptOptions() const {
    convert::AptOptions options;
    options.enlargements = enlargements();
    options.drillGuideSize = m_drillGuideSpin->toolValue();
    options.fillApertures = m_fillAperturesBox->isChecked();
    options.pourEnable = m_shell.gerberPlotWindow->poursEnabled();
    options.plotMode = plotMode;
    options.openNotepad = m_shell.placementWindow->openNotepad();
    return options;
}

void AptBuilderWindow::onMakeAptClicked() {
    const convert::AptOptions options = aptOptions();
    auto host =
        m_shell.makeHost({this, nullptr, nullptr, nullptr, &m_shell.placementWindow->openDialog()});
    m_shell.guarded(this, [&] {
        convert::makeAptFile(*host, options, m_shell.runValues);  // can throw
    });
}

}  // namespace padloom::ui
