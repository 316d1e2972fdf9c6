#include "tools/ui/tform20.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QVBoxLayout>

#include "shell/ui/shell.h"

namespace padloom::ui {

TForm20::TForm20(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Protel Autotrax Combined Library Generation"),
      OpenDialog1("LIB files|*.lib|All files|*.*|Net lists|*.net; *.asc"),
      SaveDialog1("Net list files|*.net|All files|*.*|Library Files|*.lib",
                  FileDialog::Mode::Save) {
    setObjectName("Form20");
    OpenDialog1.defaultExt = "*.lib";
    OpenDialog1.multiple = true;

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    QMenu* file = MainMenu1->addMenu("File");
    ReadLibrary1 = file->addAction("Read Library");
    ReadLibrary1->setObjectName("ReadLibrary1");
    ProcessNetlist1 = file->addAction("Process Netlist");
    ProcessNetlist1->setObjectName("ProcessNetlist1");
    file->addSeparator();
    Exit1 = file->addAction("Exit");
    Exit1->setObjectName("Exit1");

    CheckBox1 = new QCheckBox("Write Components", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox("Write Nets", this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->hide();
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();

    auto* hint = new QLabel(
        "Use File / Read Library to load component libraries, then File / Process Netlist.", this);
    hint->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(hint);
    layout->addWidget(CheckBox1);
    layout->addWidget(CheckBox2);
    layout->addStretch();
    layout->addWidget(ProgressBar1);
    resize(440, 180);

    connect(ReadLibrary1, &QAction::triggered, this, &TForm20::ReadLibrary1Click);
    connect(ProcessNetlist1, &QAction::triggered, this, &TForm20::ProcessNetlist1Click);
    connect(Exit1, &QAction::triggered, this, &TForm20::Exit1Click);
}

void TForm20::ReadLibrary1Click() {
    m_shell.notAvailable(this);
}
void TForm20::ProcessNetlist1Click() {
    m_shell.notAvailable(this);
}
void TForm20::Exit1Click() {
    close();
}

}  // namespace padloom::ui
