#include "tools/ui/tform8.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/shell.h"

namespace padloom::ui {

TForm8::TForm8(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "TXT+TOL --> XLN"),
      AgOpenDialog1("TXT Files|*.txt|TOL FIles|*.tol|All files|*.*") {  // sic
    setObjectName("Form8");
    AgOpenDialog1.ShowPlacesBar = true;

    Button2 = new QPushButton("Select TOL", this);
    Button2->setObjectName("Button2");
    Button1 = new QPushButton("Select TXT", this);
    Button1->setObjectName("Button1");
    Button1->setEnabled(false);  // until a tool table is loaded
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setPlainText("Memo1");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Memo1, 1);
    resize(420, 320);

    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
}

void TForm8::Button1Click() {
    m_shell.notAvailable(this);
}
void TForm8::Button2Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
