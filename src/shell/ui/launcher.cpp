#include "shell/ui/launcher.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "annotate/ui/drc_window.h"
#include "annotate/ui/dxf_window.h"
#include "annotate/ui/placement_window.h"
#include "convert/ui/apt_builder_window.h"
#include "convert/ui/rs274x_window.h"
#include "plot/ui/gerber_plot_window.h"
#include "shell/settings_store.h"
#include "shell/ui/about_box.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"
#include "tango/ui/tango_plot_window.h"
#include "tools/ui/library_window.h"
#include "tools/ui/qfn_window.h"
#include "tools/ui/xln_window.h"
#include "view/ui/output_viewer.h"

namespace padloom::ui {

namespace {

struct LauncherButton {
    void (Launcher::*handler)();
    const char* name;
    const char* caption;
    const char* tooltip;
    int left, top, width;
};

// in tab order
// clang-format off
const LauncherButton kButtons[] = {
    {&Launcher::onAutotraxPlotClicked, "Button1", ".PCB --> RS274 Gerber", "Directly generate RS274X gerbers, NC drill files and BOMs from Protel Autotrax .PCB files.  Replaces Traxplot.", 8, 16, 153},
    {&Launcher::onPcbToAptClicked, "Button2", ".PCB --> .APT", "Create a .APT file from a .PCB file for use with Traxplot", 8, 88, 153},
    {&Launcher::onMatToAptClicked, "Button3", ".MAT --> .APT", "Create a .APT file from a .MAT file for use with Traxplot.", 8, 160, 153},
    {&Launcher::onRs274xClicked, "Button4", "RS274D --> RS274X", "Convert Traxplot generated RS274D gerbers files and aperture files into RS274X gerber files.", 176, 16, 145},
    {&Launcher::onDrcClicked, "Button5", "DRC --> .PCB", "Add hihlightinh information to a .PCB file to show DRC errors.", 352, 160, 153},  // sic: "hihlightinh"
    {&Launcher::onPlacementClicked, "Button6", ".PCB --> X/Y locations", "Create a X/Y coordinate file from a .PCB file for pick and place loading.", 176, 160, 145},
    {&Launcher::onLibraryClicked, "Button7", ".NET --> LIBRARY", "Build one Autotrax component library holding just the footprints a Protel netlist uses, copied from the libraries you load.", 176, 88, 145},
    {&Launcher::onXlnClicked, "Button8", ".TOL+.TXT  --> .XLN", "Merge an Autotrax NC drill file (.TXT) and its tool table (.TOL) into one Excellon drill file (.xln) that carries the tool sizes.", 178, 232, 145},
    {&Launcher::onTangoPlotClicked, "Button9", "TANGO --> RS274 Gerber", "Directly generate RS274X gerbers, an NC drill file and a drill drawing from TANGO ASCII .PCB files.", 8, 232, 153},
    {&Launcher::onDxfClicked, "Button10", ".PCB --> .DXF", "Export a Protel Autotrax .PCB file, with component heights, as a DXF drawing for mechanical design.", 352, 16, 153},
    {&Launcher::onTextResizeClicked, "Button11", "COMP TEXT RESIZE", "Set one text height and one line width for every component designator of a Protel Autotrax .PCB file.", 352, 88, 153},
    {&Launcher::onQfnClicked, "Button12", "Build QFP", "Generate the land pattern of a QFN package as a new Protel Autotrax .PCB file.", 8, 304, 153},
};
// clang-format on

}  // namespace

Launcher::Launcher(Shell& shell) : m_shell(shell) {
    setObjectName("Form7");
    setWindowTitle("Padloom");
    setWindowIcon(QIcon(":/icons/padloom.png"));
    QFont font("MS Sans Serif", 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    // the buttons keep their places on a panel of fixed size, which stays in the middle of
    // the window however large it is made; the panel's size is the window's least
    // where ".MAT --> .APT", which has no window of its own, says it is done
    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(false);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_buttonPanel = new QWidget(central);
    m_buttonPanel->setObjectName("ButtonPanel");
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_buttonPanel, 1, 1);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    QRect used;
    QPushButton* previous = nullptr;
    for (const auto& b : kButtons) {
        auto* button = new QPushButton(b.caption, m_buttonPanel);
        button->setObjectName(b.name);
        button->setToolTip(b.tooltip);
        button->setGeometry(b.left, b.top, b.width, 57);
        used |= button->geometry();
        // the last tool's completion line goes as another tool starts
        connect(button, &QPushButton::clicked, statusBar(), &QStatusBar::clearMessage);
        connect(button, &QPushButton::clicked, this, b.handler);
        if (previous) {
            setTabOrder(previous, button);
        }
        previous = button;
    }
    // as much room right of and under the buttons as left of and above them
    m_buttonPanel->setFixedSize(used.right() + 1 + used.left(), used.bottom() + 1 + used.top());

    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("File1");
    m_openOutputsAction = file->addAction("Open outputs...");
    m_openOutputsAction->setObjectName("OpenOutputs1");
    m_openOutputsAction->setToolTip(
        "Look at Gerber and drill files before they go to the board house");
    m_checkNetlistAction = file->addAction("Check against netlist...");
    m_checkNetlistAction->setObjectName("CheckNetlist1");
    m_checkNetlistAction->setToolTip(
        "Is the copper the circuit? Opens, shorts and missing pins of a board against its "
        "netlist, shown over its copper");
    file->addSeparator();
    m_exitAction = file->addAction("eXit");
    m_exitAction->setObjectName("eXit1");
    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("Help1");
    m_helpAction = help->addAction("Padloom Help");
    m_helpAction->setObjectName("PadloomHelp1");
    m_helpAction->setShortcut(QKeySequence(Qt::Key_F1));
    m_aboutAction = help->addAction("About");
    m_aboutAction->setObjectName("About1");
    connect(m_helpAction, &QAction::triggered, this, [this] { m_shell.showHelp(kHelpContents); });
    connect(m_openOutputsAction, &QAction::triggered, this, &Launcher::onOpenOutputsTriggered);
    connect(m_checkNetlistAction, &QAction::triggered, this, &Launcher::onCheckNetlistTriggered);
    connect(m_exitAction, &QAction::triggered, this, &Launcher::onExitTriggered);
    connect(m_aboutAction, &QAction::triggered, this, &Launcher::onAboutTriggered);

    resize(528, 432);
    restoreSettings();
}

void Launcher::restoreSettings() {
    const auto& rules = shell::launcherRules();
    shell::WindowState state;
    state.x = rules.defaultX;
    state.y = rules.defaultY;
    shell::readSettings(m_shell.settings(), rules, state);
    placeWindow(this, state.x, state.y);
}

void Launcher::saveSettings() {
    shell::WindowState state;
    state.x = x();
    state.y = y();
    shell::saveSettings(m_shell.settings(), shell::launcherRules(), state);
}

void Launcher::closeEvent(QCloseEvent* event) {
    saveSettings();
    event->accept();
}

void Launcher::onAutotraxPlotClicked() {
    m_shell.showModal(*m_shell.gerberPlotWindow);
}
void Launcher::onPcbToAptClicked() {
    m_shell.showModal(*m_shell.aptBuilderWindow);
}
void Launcher::onMatToAptClicked() {
    const QString written = m_shell.placementWindow->runMatToApt();
    if (!written.isEmpty()) {
        statusBar()->showMessage("Done: " + written + " written");
    }
}

void Launcher::onRs274xClicked() {
    m_shell.showModal(*m_shell.rs274xWindow);
    // however the window was closed, mirror its format controls into the X/Y window
    m_shell.placementWindow->gerberFormat = m_shell.rs274xWindow->gerberFormat();
}

void Launcher::onDrcClicked() {
    m_shell.showModal(*m_shell.drcWindow);
}
void Launcher::onPlacementClicked() {
    m_shell.showModal(*m_shell.placementWindow);
}
void Launcher::onLibraryClicked() {
    m_shell.showModal(*m_shell.libraryWindow);
}
void Launcher::onXlnClicked() {
    m_shell.showModal(*m_shell.xlnWindow);
}
void Launcher::onTangoPlotClicked() {
    m_shell.showModal(*m_shell.tangoPlotWindow);
}

void Launcher::onDxfClicked() {
    m_shell.dxfWindow->mode = DxfWindow::kDxfExport;
    m_shell.showModal(*m_shell.dxfWindow);
}

void Launcher::onTextResizeClicked() {
    m_shell.dxfWindow->mode = DxfWindow::kTextResize;
    m_shell.showModal(*m_shell.dxfWindow);
}

void Launcher::onQfnClicked() {
    m_shell.showModal(*m_shell.qfnWindow);
}

void Launcher::onOpenOutputsTriggered() {
    OutputViewer* viewer = m_shell.outputViewer();
    if (viewer->chooseFiles()) {
        m_shell.showModal(*viewer);
    }
}

void Launcher::onCheckNetlistTriggered() {
    OutputViewer* viewer = m_shell.outputViewer();
    if (viewer->chooseNetlistCheck()) {
        m_shell.showModal(*viewer);
    }
}

void Launcher::onExitTriggered() {
    // ends the program at once: no close handler runs, so nothing is saved
    QCoreApplication::exit(0);
}

void Launcher::onAboutTriggered() {
    m_shell.showModal(*m_shell.aboutBox);
}

}  // namespace padloom::ui
