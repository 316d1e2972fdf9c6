#include "convert/ui/tform3.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "annotate/ui/tform1.h"
#include "convert/pcb_to_apt.h"
#include "plot/ui/tform6.h"
#include "shell/ui/controls.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

SpinEdit* spin(QWidget* parent, const char* name, int value, int tag) {
    auto* s = new SpinEdit(value, std::nullopt, parent);  // no range
    s->setObjectName(name);
    setTag(s, tag);
    return s;
}

}  // namespace

TForm3::TForm3(Shell& shell, QWidget* parent) : ToolWindow(shell, parent, "PCB ---> APT") {
    setObjectName("Form3");
    setHelpContext(6000);

    Button1 = new QPushButton("Make APT file", this);
    Button1->setObjectName("Button1");
    SpinEdit1 = spin(this, "SpinEdit1", 6, 1);
    SpinEdit3 = spin(this, "SpinEdit3", 0, 2);
    SpinEdit4 = spin(this, "SpinEdit4", 6, 3);
    SpinEdit2 = spin(this, "SpinEdit2", 6, 4);
    SpinEdit5 = spin(this, "SpinEdit5", 6, 5);
    CheckBox1 = new QCheckBox("Apertures for fills", this);
    CheckBox1->setObjectName("CheckBox1");
    setTag(CheckBox1, 1);
    CheckBox1->setEnabled(false);  // set by the plot window's fill mode, not by the user

    auto* form = new QFormLayout;
    form->addRow("Solder mask enlargement", SpinEdit1);
    form->addRow("Paste mask enlarement", SpinEdit3);  // sic
    form->addRow("Plane enlargement", SpinEdit4);
    form->addRow("Drill guide size", SpinEdit2);
    form->addRow("Pour enlargement", SpinEdit5);
    form->addRow(QString(), CheckBox1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addWidget(Button1);
    layout->addStretch();
    setMinimumWidth(300);

    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);

    m_tagged = taggedControls(this);
    FormCreate();
}

void TForm3::FormCreate() {
    const auto& rules = shell::form3Rules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    shell::ReadRegistry(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
}

void TForm3::FormClose() {
    shell::SaveRegistry(m_shell.settings(), shell::form3Rules(), collectState(this, m_tagged));
}

void TForm3::FormShow() {
    m_activated = false;
    if (plotMode) {
        // once the window is on screen, not each time it gets the focus back from a dialog
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !m_activated) {
                m_activated = true;
                FormActivate();
            }
        });
    }
}

void TForm3::FormActivate() {
    if (!plotMode) {
        return;
    }
    QCoreApplication::processEvents();
    CheckBox1->setChecked(m_shell.Form6->CheckBox28->isChecked());
    auto host = m_shell.makeHost({this});
    host->show(common::Box::Info,
               "Set the desired spacing for mask and plane layers.\n\r"
               "Click of the \"Make APT file\" button.\n\r"
               "Select the PCB file to be plotted.\n\r"
               "Close this form when \"done\" is displayed.",
               common::Place::WindowPlus50);
}

board::Enlargements TForm3::enlargements() const {
    board::Enlargements e;
    e.solderMask = SpinEdit1->toolValue();
    e.paste = SpinEdit3->toolValue();
    e.plane = SpinEdit4->toolValue();
    e.pour = SpinEdit5->toolValue();
    return e;
}

void TForm3::Button1Click() {
    convert::AptOptions options;
    options.enlargements = enlargements();
    options.drillGuideSize = SpinEdit2->toolValue();
    options.fillApertures = CheckBox1->isChecked();
    options.pourEnable = m_shell.Form6->CheckBox20->isChecked();
    options.plotMode = plotMode;
    options.openNotepad = m_shell.Form1->CheckBox3->isChecked();
    auto host = m_shell.makeHost({this, nullptr, nullptr, nullptr, &m_shell.Form1->OpenDialog1});
    m_shell.guarded(this, [&] {
        convert::makeAptFile(*host, options, m_shell.runValues);  // can throw
    });
}

}  // namespace padloom::ui
