#include "plot/ui/tform6.h"

#include <QCheckBox>
#include <QCollator>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "convert/ui/tform3.h"
#include "shell/ui/controls.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

TForm6::TForm6(Shell& shell, QWidget* parent) : ToolWindow(shell, parent, "Generate XGerbers") {
    setObjectName("Form6");

    GroupBox1 = new QGroupBox("Layers to plot", this);
    GroupBox1->setObjectName("GroupBox1");
    CheckBox1 = plotCheckBox(GroupBox1, "CheckBox1", 1);
    CheckBox2 = plotCheckBox(GroupBox1, "CheckBox2", 2);
    CheckBox3 = plotCheckBox(GroupBox1, "CheckBox3", 3);
    CheckBox4 = plotCheckBox(GroupBox1, "CheckBox4", 4);
    CheckBox5 = plotCheckBox(GroupBox1, "CheckBox5", 5);
    CheckBox6 = plotCheckBox(GroupBox1, "CheckBox6", 6);
    CheckBox7 = plotCheckBox(GroupBox1, "CheckBox7", 7);
    CheckBox8 = plotCheckBox(GroupBox1, "CheckBox8", 8);
    CheckBox9 = plotCheckBox(GroupBox1, "CheckBox9", 9);
    CheckBox10 = plotCheckBox(GroupBox1, "CheckBox10", 10);
    CheckBox11 = plotCheckBox(GroupBox1, "CheckBox11", 11);
    CheckBox12 = plotCheckBox(GroupBox1, "CheckBox12", 12);
    CheckBox13 = plotCheckBox(GroupBox1, "CheckBox13", 13);
    CheckBox14 = plotCheckBox(GroupBox1, "CheckBox14", 14);
    CheckBox18 = plotCheckBox(GroupBox1, "CheckBox18", 15);
    CheckBox19 = plotCheckBox(GroupBox1, "CheckBox19", 16);
    CheckBox24 = plotCheckBox(GroupBox1, "CheckBox24", 23);
    CheckBox17 = plotCheckBox(GroupBox1, "CheckBox17", 17);
    CheckBox21 = plotCheckBox(GroupBox1, "CheckBox21", 21);
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

    GroupBox3 = new QGroupBox("Pours from .001 outline", this);
    GroupBox3->setObjectName("GroupBox3");
    CheckBox20 = plotCheckBox(GroupBox3, "CheckBox20", 20);
    CheckBox22 = plotCheckBox(GroupBox3, "CheckBox22", 22);
    CheckBox23 = new QCheckBox("Thermals on external layers", GroupBox3);  // no tag: not kept
    CheckBox23->setObjectName("CheckBox23");
    auto* pours = new QVBoxLayout(GroupBox3);
    pours->addWidget(CheckBox20);
    pours->addWidget(CheckBox22);
    pours->addWidget(CheckBox23);

    GroupBox4 = new QGroupBox("NL Drill", this);
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

    Button1 = new QPushButton("Plot", this);
    Button1->setObjectName("Button1");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setPlainText("Please selects layers and options.\nThen press the Plot button");

    auto* side = new QVBoxLayout;
    side->addWidget(GroupBox2);
    side->addWidget(GroupBox3);
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
    resize(600, 560);

    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(CheckBox25, &QCheckBox::toggled, this, &TForm6::CheckBox25Click);
    connect(CheckBox26, &QCheckBox::toggled, this, &TForm6::CheckBox26Click);
    connect(CheckBox27, &QCheckBox::toggled, this, &TForm6::CheckBox27Click);
    connect(CheckBox28, &QCheckBox::toggled, this, &TForm6::CheckBox28Click);

    m_tagged = taggedControls(this);
    FormCreate();
}

void TForm6::FormCreate() {
    const auto& rules = shell::form6Rules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    shell::ReadRegistry(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
}

void TForm6::FormClose() {
    shell::SaveRegistry(m_shell.settings(), shell::form6Rules(), collectState(this, m_tagged));
}

void TForm6::CheckBox25Click() {
    tickExclusive(m_pairGuard, CheckBox25, CheckBox26);
}
void TForm6::CheckBox26Click() {
    tickExclusive(m_pairGuard, CheckBox26, CheckBox25);
}
void TForm6::CheckBox27Click() {
    tickExclusive(m_pairGuard, CheckBox27, CheckBox28);
}
void TForm6::CheckBox28Click() {
    tickExclusive(m_pairGuard, CheckBox28, CheckBox27);
}

QCheckBox* TForm6::layerBox(int plotLayer) const {
    QCheckBox* const boxes[] = {nullptr,    CheckBox1,  CheckBox2,  CheckBox3,  CheckBox4,
                                CheckBox5,  CheckBox6,  CheckBox7,  CheckBox8,  CheckBox9,
                                CheckBox10, CheckBox11, CheckBox12, CheckBox13, CheckBox14,
                                CheckBox18, CheckBox19, CheckBox24};
    return plotLayer >= 1 && plotLayer <= plot::kPlotLayerCount ? boxes[plotLayer] : nullptr;
}

plot::PlotOptions TForm6::plotOptions() const {
    plot::PlotOptions o;
    for (int layer = 1; layer <= plot::kPlotLayerCount; ++layer) {
        o.layers[layer] = layerBox(layer)->isChecked();
    }
    o.ncDrill = CheckBox17->isChecked();
    o.bom = CheckBox21->isChecked();
    o.includeBoardLayer = CheckBox15->isChecked();
    o.includeKeepOut = CheckBox16->isChecked();
    o.pourEnable = CheckBox20->isChecked();
    o.justDrawOutline = CheckBox22->isChecked();
    o.thermalsOnExternalLayers = CheckBox23->isChecked();
    o.drillFormat24 = CheckBox26->isChecked();
    o.fillMode = CheckBox28->isChecked() ? plot::FillMode::Flash : plot::FillMode::Polygon;
    // the bill of materials groups texts as the user's language orders them, ignoring case
    auto collator = std::make_shared<QCollator>(QLocale());
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    collator->setNumericMode(false);
    o.compareText = [collator](std::string_view a, std::string_view b) {
        return collator->compare(fromBytes(a), fromBytes(b));
    };
    return o;
}

void TForm6::Button1Click() {
    board::RunValues& run = m_shell.runValues;
    run.reset();
    // the aperture builder makes the aperture file and gathers the board's facts
    m_shell.Form3->plotMode = true;
    m_shell.showModal(*m_shell.Form3);
    m_shell.Form3->plotMode = false;
    QCoreApplication::processEvents();
    if (!run.aptMade) {
        return;  // closed without making an aperture file: nothing to plot, nothing to say
    }
    run.enlargements = m_shell.Form3->enlargements();
    const plot::PlotOptions options = plotOptions();
    auto host = m_shell.makeHost({this, Memo1});
    m_shell.guarded(this, [&] {
        plot::plotBoard(*host, options, run);  // can throw
    });
}

}  // namespace padloom::ui
