#include "shell/ui/tform7.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>

#include "annotate/ui/tform1.h"
#include "annotate/ui/tform10.h"
#include "annotate/ui/tform5.h"
#include "convert/ui/tform2.h"
#include "convert/ui/tform3.h"
#include "plot/ui/tform6.h"
#include "shell/ui/controls.h"
#include "shell/ui/shell.h"
#include "shell/ui/tabout_box.h"
#include "tango/ui/tform9.h"
#include "tools/ui/tform11.h"
#include "tools/ui/tform20.h"
#include "tools/ui/tform8.h"

namespace padloom::ui {

namespace {

struct LauncherButton {
    QPushButton* TForm7::*member;
    const char* name;
    const char* caption;
    const char* tooltip;
    int left, top, width;
};

// clang-format off
const LauncherButton kButtons[] = {
    {&TForm7::Button1, "Button1", ".PCB --> RS274 Gerber", "Directly generate RS274X gerbers, NC drill files and BOMs from Protel Autotrax .PCB files.  Replaces Traxplot.", 8, 16, 153},
    {&TForm7::Button2, "Button2", ".PCB --> .APT", "Create a .APT file from a .PCB file for use with Traxplot", 8, 88, 153},
    {&TForm7::Button3, "Button3", ".MAT --> .APT", "Create a .APT file from a .MAT file for use with Traxplot.", 8, 160, 153},
    {&TForm7::Button4, "Button4", "RS274D --> RS274X", "Convert Traxplot generated RS274D gerbers files and aperture files into RS274X gerber files.", 176, 16, 145},
    {&TForm7::Button5, "Button5", "DRC --> .PCB", "Add hihlightinh information to a .PCB file to show DRC errors.", 352, 160, 153},  // sic: "hihlightinh"
    {&TForm7::Button6, "Button6", ".PCB --> X/Y locations", "Create a X/Y coordinate file from a .PCB file for pick and place loading.", 176, 160, 145},
    {&TForm7::Button7, "Button7", ".NET --> LIBRARY", "Build one Autotrax component library holding just the footprints a Protel netlist uses, copied from the libraries you load.", 176, 88, 145},
    {&TForm7::Button8, "Button8", ".TOL+.TXT  --> .XLN", "Merge an Autotrax NC drill file (.TXT) and its tool table (.TOL) into one Excellon drill file (.xln) that carries the tool sizes.", 178, 232, 145},
    {&TForm7::Button9, "Button9", "TANGO --> RS274 Gerber", "Directly generate RS274X gerbers, an NC drill file and a drill drawing from TANGO ASCII .PCB files.", 8, 232, 153},
    {&TForm7::Button10, "Button10", ".PCB --> .DXF", "Export a Protel Autotrax .PCB file, with component heights, as a DXF drawing for mechanical design.", 352, 16, 153},
    {&TForm7::Button11, "Button11", "COMP TEXT RESIZE", "Set one text height and one line width for every component designator of a Protel Autotrax .PCB file.", 352, 88, 153},
    {&TForm7::Button12, "Button12", "Build QFP", "Generate the land pattern of a QFN package as a new Protel Autotrax .PCB file.", 8, 304, 153},
};
// clang-format on

}  // namespace

TForm7::TForm7(Shell& shell) : m_shell(shell) {
    setObjectName("Form7");
    setWindowTitle("Padloom");
    setWindowIcon(QIcon(":/icons/padloom.png"));
    QFont font("MS Sans Serif", 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    for (const auto& b : kButtons) {
        auto* button = new QPushButton(b.caption, central);
        button->setObjectName(b.name);
        button->setToolTip(b.tooltip);
        button->setGeometry(b.left, b.top, b.width, 57);
        this->*b.member = button;
    }
    // the tab order follows the button numbers
    QPushButton* order[] = {Button1, Button2, Button3, Button4,  Button5,  Button6,
                            Button7, Button8, Button9, Button10, Button11, Button12};
    for (int i = 0; i + 1 < 12; ++i) {
        setTabOrder(order[i], order[i + 1]);
    }

    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("File1");
    eXit1 = file->addAction("eXit");
    eXit1->setObjectName("eXit1");
    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("Help1");
    About1 = help->addAction("About");
    About1->setObjectName("About1");

    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm7::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm7::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm7::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm7::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TForm7::Button8Click);
    connect(Button9, &QPushButton::clicked, this, &TForm7::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TForm7::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TForm7::Button11Click);
    connect(Button12, &QPushButton::clicked, this, &TForm7::Button12Click);
    connect(eXit1, &QAction::triggered, this, &TForm7::eXit1Click);
    connect(About1, &QAction::triggered, this, &TForm7::About1Click);

    resize(528, 432);
    FormCreate();
}

void TForm7::FormCreate() {
    const auto& rules = shell::form7Rules();
    shell::WindowState state;
    state.formX = rules.defaultX;
    state.formY = rules.defaultY;
    shell::ReadRegistry(m_shell.settings(), rules, state);
    move(state.formX, state.formY);
}

void TForm7::FormClose() {
    shell::WindowState state;
    state.formX = x();
    state.formY = y();
    shell::SaveRegistry(m_shell.settings(), shell::form7Rules(), state);
}

void TForm7::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm7::Button1Click() {
    m_shell.showModal(*m_shell.Form6);
}
void TForm7::Button2Click() {
    m_shell.showModal(*m_shell.Form3);
}
void TForm7::Button3Click() {
    m_shell.Form1->MATAPT1Click();
}

void TForm7::Button4Click() {
    m_shell.showModal(*m_shell.Form2);
    // however the window was closed, mirror its format controls into the X/Y window
    m_shell.Form1->Digits = m_shell.Form2->SpinEdit1->toolValue();
    m_shell.Form1->Precision = m_shell.Form2->SpinEdit2->toolValue();
    m_shell.Form1->Mode = m_shell.Form2->RadioGroup1->itemIndex();
    m_shell.Form1->Suppression = m_shell.Form2->RadioGroup2->itemIndex();
}

void TForm7::Button5Click() {
    m_shell.showModal(*m_shell.Form5);
}
void TForm7::Button6Click() {
    m_shell.showModal(*m_shell.Form1);
}
void TForm7::Button7Click() {
    m_shell.showModal(*m_shell.Form20);
}
void TForm7::Button8Click() {
    m_shell.showModal(*m_shell.Form8);
}
void TForm7::Button9Click() {
    m_shell.showModal(*m_shell.Form9);
}

void TForm7::Button10Click() {
    m_shell.Form10->mode = 0;
    m_shell.showModal(*m_shell.Form10);
}

void TForm7::Button11Click() {
    m_shell.Form10->mode = 1;
    m_shell.showModal(*m_shell.Form10);
}

void TForm7::Button12Click() {
    m_shell.showModal(*m_shell.Form11);
}

void TForm7::eXit1Click() {
    // ends the program at once: no close handler runs, so nothing is saved
    QCoreApplication::exit(0);
}

void TForm7::About1Click() {
    m_shell.showModal(*m_shell.AboutBox);
}

}  // namespace padloom::ui
