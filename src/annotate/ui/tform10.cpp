#include "annotate/ui/tform10.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/shell.h"

namespace padloom::ui {

TForm10::TForm10(Shell& shell, QWidget* parent) : ToolWindow(shell, parent, "PCB --> DXF") {
    setObjectName("Form10");

    Button1 = new QPushButton("Make DXF", this);
    Button1->setObjectName("Button1");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setPlainText(
        "Set comment field in Autotrax component to h=n\n"
        "where n is the height of the component in mills");  // sic

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Label1 = new QLabel("String Size", Panel1);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit("24", Panel1);
    Edit1->setObjectName("Edit1");
    Label2 = new QLabel("Line Width", Panel1);
    Label2->setObjectName("Label2");
    Edit2 = new QLineEdit("4", Panel1);
    Edit2->setObjectName("Edit2");
    Button2 = new QPushButton("Change Size", Panel1);
    Button2->setObjectName("Button2");
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->setMaximumWidth(80);
    }
    auto* panel = new QGridLayout(Panel1);
    panel->addWidget(Label1, 0, 0);
    panel->addWidget(Edit1, 0, 1);
    panel->addWidget(Label2, 1, 0);
    panel->addWidget(Edit2, 1, 1);
    panel->addWidget(Button2, 0, 2, 2, 1);
    panel->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
    layout->addWidget(Panel1);
    resize(480, 360);

    connect(Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm10::Button1Click);
}

void TForm10::FormShow() {
    // the launcher chose the tool: the resize panel or the export button
    Panel1->setVisible(mode == 1);
    Button1->setVisible(mode != 1);
}

void TForm10::Button1Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
