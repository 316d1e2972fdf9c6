#include "annotate/ui/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "board/board_reader.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

QComboBox* layerCombo(QWidget* parent, const char* name, int index) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (int layer = 0; layer <= 13; ++layer) {
        combo->addItem(fromBytes(board::boardLayerName(layer)));
    }
    combo->setCurrentIndex(index);
    return combo;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, bool ticked) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(ticked);
    return box;
}

}  // namespace

TForm1::TForm1(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Padloom"),
      OpenDialog1("PCB files|*.pcb|All files|*.*|MAT files|*.mat|APT files|*.apt") {
    setObjectName("Form1");
    setHelpContext(100);
    OpenDialog1.defaultExt = "pcb";

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    QMenu* file = MainMenu1->addMenu("File");
    Open1 = file->addAction("Open");
    Open1->setObjectName("Open1");
    MATAPT1 = file->addAction(".MAT --> .APT");
    MATAPT1->setObjectName("MATAPT1");

    Button1 = new QPushButton("Create XY file", this);
    Button1->setObjectName("Button1");
    Label2 = new QLabel("Ready", this);
    Label2->setObjectName("Label2");
    Label3 = new QLabel("x =", this);
    Label3->setObjectName("Label3");
    Label4 = new QLabel("y =", this);
    Label4->setObjectName("Label4");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();

    auto* layers = new QGroupBox("Layers", this);
    ComboBox1 = layerCombo(layers, "ComboBox1", 7);
    ComboBox2 = layerCombo(layers, "ComboBox2", 3);
    ComboBox3 = layerCombo(layers, "ComboBox3", 1);
    ComboBox4 = layerCombo(layers, "ComboBox4", 6);
    auto* form = new QFormLayout(layers);
    form->addRow("Top side legend layer", ComboBox1);
    form->addRow("Bottom side legend layer", ComboBox2);
    form->addRow("Top side fill layer", ComboBox3);
    form->addRow("Bottom side fill layer", ComboBox4);

    auto* options = new QGroupBox("Options", this);
    CheckBox1 = checkBox(options, "CheckBox1", "Ignore Robber Pads", false);
    CheckBox2 = checkBox(options, "CheckBox2", "Comma Delimited", false);
    CheckBox3 = checkBox(options, "CheckBox3", "Open notepad", true);
    CheckBox4 = checkBox(options, "CheckBox4", "Sort Results", false);
    auto* optionLayout = new QVBoxLayout(options);
    for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3, CheckBox4}) {
        optionLayout->addWidget(b);
    }
    optionLayout->addStretch();

    auto* size = new QHBoxLayout;
    size->addWidget(Label3);
    size->addSpacing(24);
    size->addWidget(Label4);
    size->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(layers, 1);
    top->addWidget(options);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Button1);
    bottom->addWidget(Label2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addLayout(top);
    layout->addLayout(size);
    layout->addWidget(ProgressBar1);
    layout->addLayout(bottom);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Open1, &QAction::triggered, this, &TForm1::Open1Click);
    connect(MATAPT1, &QAction::triggered, this, &TForm1::MATAPT1Click);

    // the creation event restores the settings, so the shared dialog has its folder before
    // any tool runs
    ReadRegistry();
}

void TForm1::FormShow() {
    // the menu of the resource is never shown
    if (MainMenu1) {
        layout()->setMenuBar(nullptr);
        MainMenu1->hide();
        MainMenu1->deleteLater();
        MainMenu1 = nullptr;
    }
}

void TForm1::FormClose() {
    SaveRegistry();
}

void TForm1::ReadRegistry() {
    shell::Form1Settings s;
    s.directory = toPath(OpenDialog1.initialDir);
    s.topLeg = ComboBox1->currentIndex();
    s.botLeg = ComboBox2->currentIndex();
    s.topFill = ComboBox3->currentIndex();
    s.botFill = ComboBox4->currentIndex();
    s.digits = Digits;
    s.precision = Precision;
    s.mode = Mode;
    s.suppression = Suppression;
    const auto messages = shell::ReadRegistry(m_shell.settings(), s);
    OpenDialog1.initialDir = QFile::decodeName(QByteArray::fromStdString(s.directory));
    const std::pair<QComboBox*, int> combos[] = {{ComboBox1, s.topLeg},
                                                 {ComboBox2, s.botLeg},
                                                 {ComboBox3, s.topFill},
                                                 {ComboBox4, s.botFill}};
    for (auto [combo, index] : combos) {
        if (index >= 0 && index < combo->count()) {
            combo->setCurrentIndex(index);
        }
    }
    Digits = s.digits;
    Precision = s.precision;
    Mode = s.mode;
    Suppression = s.suppression;
    for (const auto& m : messages) {
        m_shell.showBox(this, common::Box::Error, fromBytes(m));
    }
}

void TForm1::SaveRegistry() {
    shell::Form1Settings s;
    s.topLeg = ComboBox1->currentIndex();
    s.botLeg = ComboBox2->currentIndex();
    s.topFill = ComboBox3->currentIndex();
    s.botFill = ComboBox4->currentIndex();
    s.digits = Digits;
    s.precision = Precision;
    s.mode = Mode;
    s.suppression = Suppression;
    shell::SaveRegistry(m_shell.settings(), s, toPath(OpenDialog1.lastChosen()));
}

void TForm1::Button1Click() {
    Open1Click();
}

void TForm1::Open1Click() {
    m_shell.notAvailable(this);
}

void TForm1::MATAPT1Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
