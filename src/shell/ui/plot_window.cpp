#include "shell/ui/plot_window.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/controls.h"

namespace padloom::ui {

PlotWindow::PlotWindow(Shell& shell, QWidget* parent, const QString& caption,
                       const QString& drillCaption, std::initializer_list<int> disabledTags)
    : ToolWindow(shell, parent, caption) {
    auto box = [&](QGroupBox* group, const char* name, int tag) {
        bool enabled =
            std::find(disabledTags.begin(), disabledTags.end(), tag) == disabledTags.end();
        return plotCheckBox(group, name, tag, enabled);
    };
    GroupBox1 = new QGroupBox("Layers to plot", this);
    GroupBox1->setObjectName("GroupBox1");
    CheckBox1 = box(GroupBox1, "CheckBox1", 1);
    CheckBox2 = box(GroupBox1, "CheckBox2", 2);
    CheckBox3 = box(GroupBox1, "CheckBox3", 3);
    CheckBox4 = box(GroupBox1, "CheckBox4", 4);
    CheckBox5 = box(GroupBox1, "CheckBox5", 5);
    CheckBox6 = box(GroupBox1, "CheckBox6", 6);
    CheckBox7 = box(GroupBox1, "CheckBox7", 7);
    CheckBox8 = box(GroupBox1, "CheckBox8", 8);
    CheckBox9 = box(GroupBox1, "CheckBox9", 9);
    CheckBox10 = box(GroupBox1, "CheckBox10", 10);
    CheckBox11 = box(GroupBox1, "CheckBox11", 11);
    CheckBox12 = box(GroupBox1, "CheckBox12", 12);
    CheckBox13 = box(GroupBox1, "CheckBox13", 13);
    CheckBox14 = box(GroupBox1, "CheckBox14", 14);
    CheckBox18 = box(GroupBox1, "CheckBox18", 15);
    CheckBox19 = box(GroupBox1, "CheckBox19", 16);
    CheckBox24 = box(GroupBox1, "CheckBox24", 23);
    CheckBox17 = box(GroupBox1, "CheckBox17", 17);
    CheckBox21 = box(GroupBox1, "CheckBox21", 21);
    auto* layers = new QGridLayout(GroupBox1);
    QCheckBox* order[] = {CheckBox1,  CheckBox2,  CheckBox3,  CheckBox4,  CheckBox5,
                          CheckBox6,  CheckBox7,  CheckBox8,  CheckBox9,  CheckBox10,
                          CheckBox11, CheckBox12, CheckBox13, CheckBox14, CheckBox18,
                          CheckBox19, CheckBox24, CheckBox17, CheckBox21};
    constexpr int kRows = 10;
    for (int i = 0; i < static_cast<int>(std::size(order)); ++i) {
        layers->addWidget(order[i], i % kRows, i / kRows);
    }

    auto pairGroup = [&](QGroupBox*& group, const char* groupName, const QString& title,
                         QCheckBox*& first, const char* firstName, int firstTag, QCheckBox*& second,
                         const char* secondName, int secondTag) {
        group = new QGroupBox(title, this);
        group->setObjectName(groupName);
        first = box(group, firstName, firstTag);
        second = box(group, secondName, secondTag);
        auto* column = new QVBoxLayout(group);
        column->addWidget(first);
        column->addWidget(second);
    };
    pairGroup(GroupBox2, "GroupBox2", "Include", CheckBox15, "CheckBox15", 18, CheckBox16,
              "CheckBox16", 19);
    pairGroup(GroupBox4, "GroupBox4", drillCaption, CheckBox25, "CheckBox25", 40, CheckBox26,
              "CheckBox26", 41);
    pairGroup(GroupBox5, "GroupBox5", "Fill mode", CheckBox27, "CheckBox27", 30, CheckBox28,
              "CheckBox28", 31);

    Button1 = new QPushButton("Plot", this);
    Button1->setObjectName("Button1");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setPlainText("Please selects layers and options.\nThen press the Plot button");  // sic
}

void PlotWindow::layOut(QLayout* sideTop, QWidget* sideMiddle, int width, int height) {
    auto* side = new QVBoxLayout;
    if (sideTop) {
        side->addLayout(sideTop);
    }
    side->addWidget(GroupBox2);
    if (sideMiddle) {
        side->addWidget(sideMiddle);
    }
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
    resize(width, height);

    connect(CheckBox25, &QCheckBox::toggled, this, &PlotWindow::CheckBox25Click);
    connect(CheckBox26, &QCheckBox::toggled, this, &PlotWindow::CheckBox26Click);
    connect(CheckBox27, &QCheckBox::toggled, this, &PlotWindow::CheckBox27Click);
    connect(CheckBox28, &QCheckBox::toggled, this, &PlotWindow::CheckBox28Click);
    m_tagged = taggedControls(this);
}

void PlotWindow::CheckBox25Click() {
    tickExclusive(m_pairGuard, CheckBox25, CheckBox26);
}
void PlotWindow::CheckBox26Click() {
    tickExclusive(m_pairGuard, CheckBox26, CheckBox25);
}
void PlotWindow::CheckBox27Click() {
    tickExclusive(m_pairGuard, CheckBox27, CheckBox28);
}
void PlotWindow::CheckBox28Click() {
    tickExclusive(m_pairGuard, CheckBox28, CheckBox27);
}

QCheckBox* PlotWindow::layerBox(int plotLayer) const {
    QCheckBox* const boxes[] = {nullptr,    CheckBox1,  CheckBox2,  CheckBox3,  CheckBox4,
                                CheckBox5,  CheckBox6,  CheckBox7,  CheckBox8,  CheckBox9,
                                CheckBox10, CheckBox11, CheckBox12, CheckBox13, CheckBox14,
                                CheckBox18, CheckBox19, CheckBox24};
    return plotLayer >= 1 && plotLayer < static_cast<int>(std::size(boxes)) ? boxes[plotLayer]
                                                                            : nullptr;
}

}  // namespace padloom::ui
