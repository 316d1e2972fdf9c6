#include "tools/ui/library_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QVBoxLayout>

#include "shell/ui/shell.h"

namespace padloom::ui {

LibraryWindow::LibraryWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Protel Autotrax Combined Library Generation"),
      m_openDialog("LIB files|*.lib|All files|*.*|Net lists|*.net; *.asc"),
      m_saveDialog("Net list files|*.net|All files|*.*|Library Files|*.lib",
                   FileDialog::Mode::Save) {
    setObjectName("Form20");
    m_openDialog.defaultExt = "*.lib";
    m_openDialog.multiple = true;

    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName("MainMenu1");
    QMenu* file = m_menuBar->addMenu("File");
    m_readLibraryAction = file->addAction("Read Library");
    m_readLibraryAction->setObjectName("ReadLibrary1");
    m_processNetlistAction = file->addAction("Process Netlist");
    m_processNetlistAction->setObjectName("ProcessNetlist1");
    file->addSeparator();
    m_exitAction = file->addAction("Exit");
    m_exitAction->setObjectName("Exit1");

    m_writeComponentsBox = new QCheckBox("Write Components", this);
    m_writeComponentsBox->setObjectName("CheckBox1");
    m_writeComponentsBox->setChecked(true);
    m_writeNetsBox = new QCheckBox("Write Nets", this);
    m_writeNetsBox->setObjectName("CheckBox2");
    m_writeNetsBox->hide();
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName("ProgressBar1");
    m_progressBar->setRange(0, 100);
    m_progressBar->hide();

    auto* hint = new QLabel(
        "Use File / Read Library to load component libraries, then File / Process Netlist.", this);
    hint->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(hint);
    layout->addWidget(m_writeComponentsBox);
    layout->addWidget(m_writeNetsBox);
    layout->addStretch();
    layout->addWidget(m_progressBar);
    resize(440, 180);

    connect(m_readLibraryAction, &QAction::triggered, this, &LibraryWindow::onReadLibraryTriggered);
    connect(m_processNetlistAction, &QAction::triggered, this,
            &LibraryWindow::onProcessNetlistTriggered);
    connect(m_exitAction, &QAction::triggered, this, &LibraryWindow::close);
}

void LibraryWindow::onReadLibraryTriggered() {
    m_shell.notAvailable(this);
}
void LibraryWindow::onProcessNetlistTriggered() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
