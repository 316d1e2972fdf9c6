#include "tango/ui/tform9.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/controls.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

SpinEdit* spin(QWidget* parent, const char* name, int value) {
    auto* s = new SpinEdit(value, std::nullopt, parent);  // no range
    s->setObjectName(name);
    return s;
}

}  // namespace

TForm9::TForm9(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "TANGO -> Generate XGerbers") {
    setObjectName("Form9");
    AgOpenDialog1.ShowPlacesBar = true;

    Button1 = new QPushButton("Plot", this);
    Button1->setObjectName("Button1");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setPlainText("Please selects layers and options.\nThen press the Plot button");
    SpinEdit1 = spin(this, "SpinEdit1", 6);
    SpinEdit2 = spin(this, "SpinEdit2", 6);
    SpinEdit3 = spin(this, "SpinEdit3", 0);

    // layers a TANGO board cannot have can be ticked only through stored settings
    GroupBox1 = new QGroupBox("Layers to plot", this);
    GroupBox1->setObjectName("GroupBox1");
    CheckBox1 = plotCheckBox(GroupBox1, "CheckBox1", 1);
    CheckBox2 = plotCheckBox(GroupBox1, "CheckBox2", 2, false);
    CheckBox3 = plotCheckBox(GroupBox1, "CheckBox3", 3, false);
    CheckBox4 = plotCheckBox(GroupBox1, "CheckBox4", 4, false);
    CheckBox5 = plotCheckBox(GroupBox1, "CheckBox5", 5, false);
    CheckBox6 = plotCheckBox(GroupBox1, "CheckBox6", 6);
    CheckBox7 = plotCheckBox(GroupBox1, "CheckBox7", 7);
    CheckBox8 = plotCheckBox(GroupBox1, "CheckBox8", 8);
    CheckBox9 = plotCheckBox(GroupBox1, "CheckBox9", 9);
    CheckBox10 = plotCheckBox(GroupBox1, "CheckBox10", 10);
    CheckBox11 = plotCheckBox(GroupBox1, "CheckBox11", 11);
    CheckBox12 = plotCheckBox(GroupBox1, "CheckBox12", 12);
    CheckBox13 = plotCheckBox(GroupBox1, "CheckBox13", 13, false);
    CheckBox14 = plotCheckBox(GroupBox1, "CheckBox14", 14, false);
    CheckBox18 = plotCheckBox(GroupBox1, "CheckBox18", 15);
    CheckBox19 = plotCheckBox(GroupBox1, "CheckBox19", 16);
    CheckBox24 = plotCheckBox(GroupBox1, "CheckBox24", 23);
    CheckBox17 = plotCheckBox(GroupBox1, "CheckBox17", 17);
    CheckBox21 = plotCheckBox(GroupBox1, "CheckBox21", 21, false);
    auto* layers = new QGridLayout(GroupBox1);
    QCheckBox* order[] = {CheckBox1,  CheckBox2,  CheckBox3,  CheckBox4,  CheckBox5,
                          CheckBox6,  CheckBox7,  CheckBox8,  CheckBox9,  CheckBox10,
                          CheckBox11, CheckBox12, CheckBox13, CheckBox14, CheckBox18,
                          CheckBox19, CheckBox24, CheckBox17, CheckBox21};
    constexpr int kRows = 10;
    for (int i = 0; i < static_cast<int>(std::size(order)); ++i) {
        layers->addWidget(order[i], i % kRows, i / kRows);
    }

    GroupBox2 = new QGroupBox("Include", this);
    GroupBox2->setObjectName("GroupBox2");
    CheckBox15 = plotCheckBox(GroupBox2, "CheckBox15", 18);
    CheckBox16 = plotCheckBox(GroupBox2, "CheckBox16", 19);
    auto* include = new QVBoxLayout(GroupBox2);
    include->addWidget(CheckBox15);
    include->addWidget(CheckBox16);

    GroupBox4 = new QGroupBox("NC Drill", this);
    GroupBox4->setObjectName("GroupBox4");
    CheckBox25 = plotCheckBox(GroupBox4, "CheckBox25", 40);
    CheckBox26 = plotCheckBox(GroupBox4, "CheckBox26", 41);
    auto* drill = new QVBoxLayout(GroupBox4);
    drill->addWidget(CheckBox25);
    drill->addWidget(CheckBox26);

    GroupBox5 = new QGroupBox("Fill mode", this);
    GroupBox5->setObjectName("GroupBox5");
    CheckBox27 = plotCheckBox(GroupBox5, "CheckBox27", 30);
    CheckBox28 = plotCheckBox(GroupBox5, "CheckBox28", 31);
    auto* fill = new QVBoxLayout(GroupBox5);
    fill->addWidget(CheckBox27);
    fill->addWidget(CheckBox28);

    auto* sizes = new QFormLayout;
    sizes->addRow("Solder mask enlargement", SpinEdit1);
    sizes->addRow("Paste mask enlarement", SpinEdit2);  // sic
    sizes->addRow("Drill guilde size", SpinEdit3);      // sic

    auto* side = new QVBoxLayout;
    side->addLayout(sizes);
    side->addWidget(GroupBox2);
    auto* pairs = new QHBoxLayout;
    pairs->addWidget(GroupBox4);
    pairs->addWidget(GroupBox5);
    side->addLayout(pairs);
    side->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(GroupBox1);
    top->addLayout(side);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Memo1, 1);
    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(Button1);
    buttonColumn->addStretch();
    bottom->addLayout(buttonColumn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom, 1);
    resize(620, 540);

    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(CheckBox25, &QCheckBox::toggled, this, &TForm9::CheckBox25Click);
    connect(CheckBox26, &QCheckBox::toggled, this, &TForm9::CheckBox26Click);
    connect(CheckBox27, &QCheckBox::toggled, this, &TForm9::CheckBox27Click);
    connect(CheckBox28, &QCheckBox::toggled, this, &TForm9::CheckBox28Click);

    m_tagged = taggedControls(this);
    FormCreate();
}

void TForm9::FormCreate() {
    const auto& rules = shell::form9Rules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    state.extras = {SpinEdit1->toolValue(), SpinEdit2->toolValue(), SpinEdit3->toolValue()};
    shell::ReadRegistry(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
    SpinEdit1->setValue(state.extras[0]);
    SpinEdit2->setValue(state.extras[1]);
    SpinEdit3->setValue(state.extras[2]);
}

void TForm9::FormClose() {
    shell::WindowState state = collectState(this, m_tagged);
    state.extras = {SpinEdit1->toolValue(), SpinEdit2->toolValue(), SpinEdit3->toolValue()};
    shell::SaveRegistry(m_shell.settings(), shell::form9Rules(), state);
}

void TForm9::CheckBox25Click() {
    tickExclusive(m_pairGuard, CheckBox25, CheckBox26);
}
void TForm9::CheckBox26Click() {
    tickExclusive(m_pairGuard, CheckBox26, CheckBox25);
}
void TForm9::CheckBox27Click() {
    tickExclusive(m_pairGuard, CheckBox27, CheckBox28);
}
void TForm9::CheckBox28Click() {
    tickExclusive(m_pairGuard, CheckBox28, CheckBox27);
}

void TForm9::Button1Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
