#include "plot/ui/tform6.h"

#include <QCheckBox>
#include <QCollator>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "convert/ui/tform3.h"
#include "shell/ui/controls.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

TForm6::TForm6(Shell& shell, QWidget* parent)
    : PlotWindow(shell, parent, "Generate XGerbers", "NL Drill", {}) {
    setObjectName("Form6");

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

    layOut(nullptr, GroupBox3, 600, 560);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
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
