#include "annotate/ui/tform5.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/controls.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

TForm5::TForm5(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "DRC --> PCB"),
      OpenDialog1("drc files|*.drc|pcb files|*.pcb|all files|*.*"),
      SaveDialog1("pcb files|*.pcb|all files|*.*", FileDialog::Mode::Save) {
    setObjectName("Form5");
    SaveDialog1.defaultExt = ".pcb";

    RadioGroup1 = new RadioGroup("Mode", {"Create \"error.pcb\"", "Create new PCB file"}, 0, this);
    RadioGroup1->setObjectName("RadioGroup1");
    Button1 = new QPushButton("DRC --> PCB", this);
    Button1->setObjectName("Button1");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addWidget(Button1);
    setMinimumWidth(280);

    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
}

void TForm5::Button1Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
