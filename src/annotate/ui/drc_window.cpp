#include "annotate/ui/drc_window.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "annotate/drc_to_pcb.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

DrcWindow::DrcWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "DRC --> PCB"),
      m_openDialog("drc files|*.drc|pcb files|*.pcb|all files|*.*"),
      m_saveDialog("pcb files|*.pcb|all files|*.*", FileDialog::Mode::Save) {
    setObjectName("Form5");
    setHelpContext(kHelpDrc);
    m_saveDialog.defaultExt = ".pcb";

    m_modeGroup = new RadioGroup("Mode", {"Create \"error.pcb\"", "Create new PCB file"}, 0, this);
    m_modeGroup->setObjectName("RadioGroup1");
    m_convertButton = new QPushButton("DRC --> PCB", this);
    m_convertButton->setObjectName("Button1");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_modeGroup);
    layout->addWidget(m_convertButton);
    setMinimumWidth(280);

    connect(m_convertButton, &QPushButton::clicked, this, &DrcWindow::onConvertClicked);
}

void DrcWindow::onConvertClicked() {
    const auto mode = m_modeGroup->itemIndex() == 1 ? annotate::DrcMode::HighlightedCopy
                                                    : annotate::DrcMode::ErrorBoard;
    auto host = m_shell.makeHost({this, nullptr, nullptr, nullptr, &m_openDialog, &m_saveDialog});
    m_shell.guarded(this, [&] {
        annotate::drcToPcb(*host, mode);  // can throw
    });
}

}  // namespace padloom::ui
