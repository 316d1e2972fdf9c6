#include "shell/ui/shell.h"

#include <QDialog>

#include "annotate/ui/drc_window.h"
#include "annotate/ui/dxf_window.h"
#include "annotate/ui/placement_window.h"
#include "convert/ui/apt_builder_window.h"
#include "convert/ui/rs274x_window.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/ui/about_box.h"
#include "shell/ui/help_window.h"
#include "shell/ui/launcher.h"
#include "tango/ui/tango_plot_window.h"
#include "tools/ui/library_window.h"
#include "tools/ui/package_choice_dialog.h"
#include "tools/ui/qfn_window.h"
#include "tools/ui/skipped_components_dialog.h"
#include "tools/ui/xln_window.h"
#include "view/ui/output_viewer.h"

// Resources of a static library are registered by name from the global namespace.
static void initShellResources() {
    Q_INIT_RESOURCE(shell);
}

namespace padloom::ui {

Shell::Shell(shell::SettingsStore& store, ShellHooks hooks)
    : m_store(store), m_hooks(std::move(hooks)) {
    initShellResources();
    // the creation order is fixed; each window restores its settings as it is created
    m_main = std::make_unique<Launcher>(*this);
    launcher = m_main.get();
    placementWindow = new PlacementWindow(*this, launcher);
    rs274xWindow = new Rs274xWindow(*this, launcher);
    aptBuilderWindow = new AptBuilderWindow(*this, launcher);
    aboutBox = new AboutBox(launcher);
    drcWindow = new DrcWindow(*this, launcher);
    gerberPlotWindow = new GerberPlotWindow(*this, launcher);
    libraryWindow = new LibraryWindow(*this, launcher);
    packageChoiceDialog = new PackageChoiceDialog(*this, launcher);
    skippedComponentsDialog = new SkippedComponentsDialog(*this, launcher);
    xlnWindow = new XlnWindow(*this, launcher);
    tangoPlotWindow = new TangoPlotWindow(*this, launcher);
    dxfWindow = new DxfWindow(*this, launcher);
    qfnWindow = new QfnWindow(*this, launcher);
}

Shell::~Shell() = default;

std::vector<QWidget*> Shell::windows() const {
    return {launcher,
            placementWindow,
            rs274xWindow,
            aptBuilderWindow,
            aboutBox,
            drcWindow,
            gerberPlotWindow,
            libraryWindow,
            packageChoiceDialog,
            skippedComponentsDialog,
            xlnWindow,
            tangoPlotWindow,
            dxfWindow,
            qfnWindow};
}

int Shell::showModal(QDialog& window) {
    if (m_hooks.showModal) {
        return m_hooks.showModal(window);
    }
    return window.exec();
}

std::unique_ptr<common::Host> Shell::makeHost(const HostBinding& binding) {
    if (m_hooks.makeHost) {
        return m_hooks.makeHost(binding);
    }
    return std::make_unique<QtHost>(binding);
}

void Shell::showBox(QWidget* window, common::Box box, const QString& text) {
    if (m_hooks.showBox) {
        m_hooks.showBox(window, box, text);
        return;
    }
    showMessageBox(window, box, text, common::Place::Screen);
}

HelpWindow* Shell::helpWindow() {
    if (!m_help) {
        m_help = new HelpWindow(launcher);
    }
    return m_help;
}

OutputViewer* Shell::outputViewer() {
    if (!m_viewer) {
        m_viewer = new OutputViewer(*this, launcher);
    }
    return m_viewer;
}

void Shell::showOutputs(const std::vector<std::string>& paths, const std::string& board,
                        const nets::CopperOptions& copper) {
    OutputViewer* viewer = outputViewer();
    viewer->openFiles(paths);
    if (!board.empty()) {
        viewer->setNetsBoard(board, copper);
    }
    showModal(*viewer);
}

void Shell::showHelp(int context) {
    HelpWindow* help = helpWindow();
    help->showContext(context);
    showModal(*help);
}

void Shell::notAvailable(QWidget* window) {
    showBox(window, common::Box::Info, "This tool is not available yet.");
}

void Shell::reportError(QWidget* window, const char* what) noexcept {
    try {
        showBox(window, common::Box::Error, QString::fromLocal8Bit(what));
    } catch (...) {
        // nothing more can be done at the slot's edge
    }
}

}  // namespace padloom::ui
