#include "tango/ui/tform9.h"

#include <QFormLayout>
#include <QPushButton>

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
    // layers a TANGO board cannot have can be ticked only through stored settings
    : PlotWindow(shell, parent, "TANGO -> Generate XGerbers", "NC Drill",
                 {2, 3, 4, 5, 13, 14, 21}) {
    setObjectName("Form9");
    AgOpenDialog1.ShowPlacesBar = true;

    SpinEdit1 = spin(this, "SpinEdit1", 6);
    SpinEdit2 = spin(this, "SpinEdit2", 6);
    SpinEdit3 = spin(this, "SpinEdit3", 0);
    auto* sizes = new QFormLayout;
    sizes->addRow("Solder mask enlargement", SpinEdit1);
    sizes->addRow("Paste mask enlarement", SpinEdit2);  // sic
    sizes->addRow("Drill guilde size", SpinEdit3);      // sic

    layOut(sizes, nullptr, 620, 540);
    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
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

void TForm9::Button1Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
