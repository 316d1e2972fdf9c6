#include "plot/ui/gerber_plot_window.h"

#include <QCheckBox>
#include <QCollator>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "annotate/ui/placement_window.h"
#include "convert/pcb_to_apt.h"
#include "convert/ui/apt_builder_window.h"
#include "fab/fab_package.h"
#include "fab/ui/package_dialog.h"
#include "nets/netlist_check.h"
#include "plot/layer_plot.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

// The host of a package run's aperture step: the aperture builder's "Done" goes to the message
// list with the run's other lines, rather than into a box to be clicked away.
class ApertureStepHost : public common::Host {
public:
    explicit ApertureStepHost(common::Host& host) : m_host(host) {}
    std::vector<std::string> askOpen(const common::FileAsk& ask) override {
        common::FileAsk board = ask;
        board.title = "Choose the board to package";
        return m_host.askOpen(board);
    }
    std::optional<std::string> askSave(const common::FileAsk& ask) override {
        return m_host.askSave(ask);
    }
    bool askYesNo(std::string_view text, common::Place place) override {
        return m_host.askYesNo(text, place);
    }
    void show(common::Box box, std::string_view text, common::Place place) override {
        if (box == common::Box::Info) {
            m_host.addLine(text);
        } else {
            m_host.show(box, text, place);
        }
    }
    std::optional<std::string> askLine(std::string_view caption, std::string_view prompt,
                                       std::string_view initial) override {
        return m_host.askLine(caption, prompt, initial);
    }
    void addLine(std::string_view text) override { m_host.addLine(text); }
    void warn(std::string_view text) override { m_host.warn(text); }
    void setStatus(std::string_view text) override { m_host.setStatus(text); }
    void setProgress(int percent) override { m_host.setProgress(percent); }
    void letMessagesRun() override { m_host.letMessagesRun(); }
    void beep() override { m_host.beep(); }
    void openInViewer(const std::string& path) override { m_host.openInViewer(path); }

private:
    common::Host& m_host;
};

}  // namespace

GerberPlotWindow::GerberPlotWindow(Shell& shell, QWidget* parent)
    : PlotWindow(shell, parent, "Generate XGerbers", "NL Drill", {}),
      m_packageDialog("Zip files|*.zip|All files|*.*", FileDialog::Mode::Save) {
    setObjectName("Form6");
    setHelpContext(kHelpGerberPlot);

    m_poursGroup = new QGroupBox("Pours from .001 outline", this);
    m_poursGroup->setObjectName("GroupBox3");
    m_pourEnableBox = plotCheckBox(m_poursGroup, "CheckBox20", 20);
    m_justDrawOutlineBox = plotCheckBox(m_poursGroup, "CheckBox22", 22);
    m_thermalsBox = new QCheckBox("Thermals on external layers", m_poursGroup);  // no tag: not kept
    m_thermalsBox->setObjectName("CheckBox23");
    auto* pours = new QVBoxLayout(m_poursGroup);
    pours->addWidget(m_pourEnableBox);
    pours->addWidget(m_justDrawOutlineBox);
    pours->addWidget(m_thermalsBox);

    layOut(nullptr, m_poursGroup, 600, 560);
    connect(m_plotButton, &QPushButton::clicked, this, &GerberPlotWindow::onPlotClicked);

    m_packageButton = new QPushButton("Package...", this);
    m_packageButton->setObjectName("PackageButton");
    m_packageButton->setToolTip(
        "Plot the fab set of a board (copper, masks, legends, outline, drill, drill drawing, BOM "
        "and X/Y file) and put it with a README into one zip for the board house");
    m_buttonColumn->insertWidget(2, m_packageButton);
    connect(m_packageButton, &QPushButton::clicked, this, &GerberPlotWindow::onPackageClicked);
    m_packageDialog.defaultExt = "zip";
    restoreSettings();
}

void GerberPlotWindow::restoreSettings() {
    const auto& rules = shell::gerberPlotWindowRules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    state.extras = {m_x2Box->isChecked() ? 1 : 0, m_noMacrosBox->isChecked() ? 1 : 0};
    shell::readSettings(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
    m_x2Box->setChecked(state.extras[0] != 0);
    m_noMacrosBox->setChecked(state.extras[1] != 0);
}

void GerberPlotWindow::onClosedAfterShown() {
    shell::WindowState state = collectState(this, m_tagged);
    state.extras = {m_x2Box->isChecked() ? 1 : 0, m_noMacrosBox->isChecked() ? 1 : 0};
    shell::saveSettings(m_shell.settings(), shell::gerberPlotWindowRules(), state);
}

bool GerberPlotWindow::fillsByFlash() const {
    return m_flashFillBox->isChecked();
}

bool GerberPlotWindow::poursEnabled() const {
    return m_pourEnableBox->isChecked();
}

plot::PlotOptions GerberPlotWindow::plotOptions() const {
    plot::PlotOptions o;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        o.layers[layer] = layerBox(layer)->isChecked();
    }
    o.ncDrill = m_ncDrillBox->isChecked();
    o.bom = m_bomBox->isChecked();
    o.includeBoardLayer = m_includeBoardLayerBox->isChecked();
    o.includeKeepOut = m_includeKeepOutBox->isChecked();
    o.pourEnable = m_pourEnableBox->isChecked();
    o.justDrawOutline = m_justDrawOutlineBox->isChecked();
    o.thermalsOnExternalLayers = m_thermalsBox->isChecked();
    o.drillFormat24 = m_drill24Box->isChecked();
    o.fillMode = m_flashFillBox->isChecked() ? plot::FillMode::Flash : plot::FillMode::Polygon;
    o.x2 = m_x2Box->isChecked();
    o.noMacros = m_noMacrosBox->isChecked();
    // the bill of materials groups texts as the user's language orders them, ignoring case
    auto collator = std::make_shared<QCollator>(QLocale());
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    collator->setNumericMode(false);
    o.compareText = [collator](std::string_view a, std::string_view b) {
        return collator->compare(fromBytes(a), fromBytes(b));
    };
    return o;
}

bool GerberPlotWindow::makeApertureFile() {
    board::RunValues& run = m_shell.runValues;
    run.reset();
    // the aperture builder makes the aperture file and gathers the board's facts
    AptBuilderWindow& builder = *m_shell.aptBuilderWindow;
    builder.plotMode = true;
    m_shell.showModal(builder);
    builder.plotMode = false;
    QCoreApplication::processEvents();
    if (!run.aptMade) {
        return false;  // closed without making an aperture file: nothing to say
    }
    run.enlargements = builder.enlargements();
    return true;
}

void GerberPlotWindow::onPlotClicked() {
    if (!makeApertureFile()) {
        return;
    }
    board::RunValues& run = m_shell.runValues;
    const plot::PlotOptions options = plotOptions();
    auto host = m_shell.makeHost({this, m_messageList});
    m_shell.guarded(this, [&] {
        plot::plotBoard(*host, options, run);  // can throw
    });
    run.boardImage.reset();  // the board kept for the run is not needed after it
    // whatever the run finished, even if it stopped on an error, can be looked at
    m_shell.guarded(this, [&] {
        std::vector<std::string> written;
        for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
            if (options.layers[layer]) {
                std::string extension(plot::layerExtension(layer));
                written.push_back(plot::layerOutputPath(run, extension));  // can throw
            }
        }
        if (options.ncDrill) {
            written.push_back(plot::layerOutputPath(run, ".TXT"));  // can throw
        }
        setPreviewFiles(written);
        setPreviewBoard(run.boardFile, nets::copperOptionsOf(options, run.enlargements));
    });
}

bool GerberPlotWindow::makePackageApertureFile() {
    board::RunValues& run = m_shell.runValues;
    run.reset();
    convert::AptOptions options = m_shell.aptBuilderWindow->aptOptions();
    options.plotMode = true;
    options.fillApertures = fillsByFlash();
    options.openNotepad = false;
    auto host = m_shell.makeHost(
        {this, m_messageList, nullptr, nullptr, &m_shell.placementWindow->openDialog()});
    ApertureStepHost step(*host);
    bool made = false;
    m_shell.guarded(this, [&] {
        made = convert::makeAptFile(step, options, run) == common::Outcome::Done;  // can throw
    });
    return made && run.aptMade;
}

PackageDialog* GerberPlotWindow::packageDialog() {
    if (!m_packageChoices) {
        m_packageChoices = new PackageDialog(m_shell, this);
    }
    return m_packageChoices;
}

void GerberPlotWindow::onPackageClicked() {
    if (m_shell.showModal(*packageDialog()) != QDialog::Accepted ||
        !m_packageChoices->checkChoices()) {
        return;
    }
    m_packageChoices->saveSettings();
    const bool aptMade =
        m_packageChoices->apertureWindowFirst() ? makeApertureFile() : makePackageApertureFile();
    if (!aptMade) {
        return;
    }
    board::RunValues& run = m_shell.runValues;
    HostBinding binding{this, m_messageList};
    binding.saveDialog = &m_packageDialog;
    auto host = m_shell.makeHost(binding);
    common::FileAsk ask;
    ask.title = "Save the fab package";
    ask.fileName = run.baseName + ".zip";
    const std::optional<std::string> zip = host->askSave(ask);
    if (!zip) {
        run.boardImage.reset();
        return;
    }
    fab::PackageOptions base;
    base.plot = plotOptions();
    base.plot.x2 = true;  // a package always says what its files are
    base.placement = m_shell.placementWindow->placementOptions();
    const fab::PackageOptions options = *m_packageChoices->apply(base);
    m_shell.guarded(this, [&] {
        fab::PackageResult result = fab::makeFabPackage(*host, options, run, *zip);  // can throw
        // the set as its job file lists it, whose reading tells what a board house would miss
        std::vector<std::string> files{result.jobFile};
        if (result.jobFile.empty()) {
            files.clear();
            for (const fab::PackageFile& f : result.files) {
                if (!f.function.empty()) {
                    files.push_back(f.path);
                }
            }
        }
        setPreviewFiles(files);
        setPreviewBoard(run.boardFile, nets::copperOptionsOf(options.plot, run.enlargements));
        if (result.hasErrors) {
            host->show(common::Box::Error,
                       "The package " + *zip +
                           " was written, but its files have errors; they are listed in the "
                           "message list and in its README.md.",
                       common::Place::Screen);
        }
    });
    run.boardImage.reset();  // the board kept for the run is not needed after it
}

}  // namespace padloom::ui
