#include "tools/ui/library_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCollator>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QVBoxLayout>

#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"
#include "tools/ui/package_choice_dialog.h"
#include "tools/ui/skipped_components_dialog.h"

namespace padloom::ui {

LibraryWindow::LibraryWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Protel Autotrax Combined Library Generation"),
      m_openDialog("LIB files|*.lib|All files|*.*|Net lists|*.net; *.asc"),
      m_saveDialog("Net list files|*.net|All files|*.*|Library Files|*.lib",
                   FileDialog::Mode::Save) {
    setObjectName("Form20");
    setHelpContext(kHelpLibrary);
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

    // the package choice list in the user's language order, without regard to case
    auto collator = std::make_shared<QCollator>(QLocale());
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    collator->setNumericMode(false);
    m_generator.compareText = [collator](std::string_view a, std::string_view b) {
        return collator->compare(fromBytes(a), fromBytes(b));
    };

    connect(m_readLibraryAction, &QAction::triggered, this, &LibraryWindow::onReadLibraryTriggered);
    connect(m_processNetlistAction, &QAction::triggered, this,
            &LibraryWindow::onProcessNetlistTriggered);
    connect(m_exitAction, &QAction::triggered, this, &LibraryWindow::close);
}

void LibraryWindow::onReadLibraryTriggered() {
    HostBinding binding;
    binding.window = this;
    binding.progress = m_progressBar;
    binding.openDialog = &m_openDialog;
    auto host = m_shell.makeHost(binding);
    m_shell.guarded(this, [&] {
        m_generator.readLibrary(*host);  // can throw
    });
}

void LibraryWindow::onProcessNetlistTriggered() {
    HostBinding binding;
    binding.window = this;
    binding.openDialog = &m_openDialog;
    binding.saveDialog = &m_saveDialog;
    binding.askPackage = [this](const common::PackageQuestion& question) {
        return m_shell.packageChoiceDialog->ask(question);
    };
    auto host = m_shell.makeHost(binding);
    const bool writeComponents = m_writeComponentsBox->isChecked();
    m_shell.guarded(this, [&] {
        m_generator.processNetlist(  // can throw
            *host, writeComponents, [this](const std::vector<tools::SkippedPackage>& skipped) {
                m_shell.skippedComponentsDialog->showSkipped(skipped);
            });
    });
}

}  // namespace padloom::ui
