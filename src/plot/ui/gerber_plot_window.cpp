#include "plot/ui/gerber_plot_window.h"

#include <QCheckBox>
#include <QCollator>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "annotate/ui/placement_window.h"
#include "convert/ui/apt_builder_window.h"
#include "fab/fab_package.h"
#include "nets/netlist_check.h"
#include "plot/layer_plot.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

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

void GerberPlotWindow::onPackageClicked() {
    if (!makeApertureFile()) {
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
    plot::PlotOptions options = plotOptions();
    options.x2 = true;  // a package always says what its files are
    const annotate::PlacementOptions placement = m_shell.placementWindow->placementOptions();
    m_shell.guarded(this, [&] {
        fab::PackageResult result =
            fab::makeFabPackage(*host, options, placement, run, *zip);  // can throw
        std::vector<std::string> files;
        for (const fab::PackageFile& f : result.files) {
            // the Gerber and drill files; the BOM, X/Y file, netlist and README are text
            if (!f.path.empty() && !f.path.ends_with(".csv") && !f.path.ends_with(".UCM") &&
                !f.path.ends_with(".ipc")) {
                files.push_back(f.path);
            }
        }
        setPreviewFiles(files);
        setPreviewBoard(run.boardFile, nets::copperOptionsOf(options, run.enlargements));
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
