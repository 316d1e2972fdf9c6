#include "tools/ui/tform22.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace padloom::ui {

TForm22::TForm22(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Select Matching Package from Library") {
    setObjectName("Form22");

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMinimumContentsLength(40);
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton("Stop", this);
    Button2->setObjectName("Button2");
    Button3 = new QPushButton("Skip", this);
    Button3->setObjectName("Button3");
    for (QPushButton* b : {Button1, Button2, Button3}) {
        b->setAutoDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ComboBox1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TForm22::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm22::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm22::Button3Click);
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, &TForm22::ComboBox1KeyPress);
}

void TForm22::Button1Click() {
    done(kOk);
}
void TForm22::Button2Click() {
    done(kStop);
}
void TForm22::Button3Click() {
    done(kSkip);
}
void TForm22::ComboBox1KeyPress() {
    done(kOk);
}
// closing the dialog by its title bar (or Escape) stops, as "Stop" does
void TForm22::reject() {
    done(kStop);
}

}  // namespace padloom::ui
