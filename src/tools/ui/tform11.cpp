#include "tools/ui/tform11.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/controls.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

QLineEdit* edit(QWidget* parent, const char* name, const char* text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

}  // namespace

TForm11::TForm11(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Build  QFN (in new .PCB)"),
      AgSaveDialog1(".PCB Files|*.pcb|All Files|*.*") {
    setObjectName("Form11");
    AgSaveDialog1.ShowPlacesBar = true;

    Edit1 = edit(this, "Edit1", "In Mills");  // sic
    Edit2 = edit(this, "Edit2", "In Mills");
    Edit3 = edit(this, "Edit3", "Num?");
    Edit4 = edit(this, "Edit4", "Num?");
    Edit5 = edit(this, "Edit5", "In Mills");
    Edit6 = edit(this, "Edit6", "In Mills");
    Edit7 = edit(this, "Edit7", "In Mills");
    RadioGroup1 = new RadioGroup("Unit of measure", {"Imperial", "Metric"}, 0, this);
    RadioGroup1->setObjectName("RadioGroup1");
    Label6 = new QLabel("Caution: rounding errors when changing UOM", this);
    Label6->setObjectName("Label6");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setPlainText("Memo1");
    Memo1->setMaximumHeight(60);
    Button1 = new QPushButton("Generate", this);
    Button1->setObjectName("Button1");

    auto* fields = new QFormLayout;
    fields->addRow("Pad X", Edit1);
    fields->addRow("Pad Y", Edit2);
    fields->addRow("Num X", Edit3);
    fields->addRow("Num Y", Edit4);
    fields->addRow("Pitch", Edit5);
    fields->addRow("X Spacing", Edit6);
    fields->addRow("Y Spacing", Edit7);

    auto* side = new QVBoxLayout;
    side->addWidget(RadioGroup1);
    side->addWidget(Label6);
    side->addStretch();
    side->addWidget(Button1);
    Label6->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Memo1);
    resize(420, 330);

    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
}

void TForm11::Button1Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
