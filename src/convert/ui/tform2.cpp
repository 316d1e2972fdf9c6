#include "convert/ui/tform2.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "annotate/ui/tform1.h"
#include "shell/ui/controls.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

TForm2::TForm2(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Gerber to xGerber RS274x converter "),
      SaveDialog1("XGerber files|*.gbx|All files|*.*", FileDialog::Mode::Save) {
    setObjectName("Form2");
    setHelpContext(5000);

    Button2 = new QPushButton("Choose aperture file", this);
    Button2->setObjectName("Button2");
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setEditText("Select file");
    ComboBox1->setMinimumContentsLength(30);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Button1 = new QPushButton("Add Gerber input files", this);
    Button1->setObjectName("Button1");
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSortingEnabled(true);
    Button3 = new QPushButton("Create eXtended Gerber(s)", this);
    Button3->setObjectName("Button3");

    auto* format = new QGroupBox("Format", this);
    Label1 = new QLabel("Digits", format);
    Label1->setObjectName("Label1");
    Label3 = new QLabel("2 and 3 for Protel", format);
    Label3->setObjectName("Label3");
    Label2 = new QLabel("Precision", format);
    Label2->setObjectName("Label2");
    SpinEdit1 = new SpinEdit(2, std::pair{1, 9}, format);
    SpinEdit1->setObjectName("SpinEdit1");
    setTag(SpinEdit1, 1);
    SpinEdit2 = new SpinEdit(3, std::pair{1, 9}, format);
    SpinEdit2->setObjectName("SpinEdit2");
    setTag(SpinEdit2, 2);
    auto* formatGrid = new QGridLayout(format);
    formatGrid->addWidget(Label1, 0, 0);
    formatGrid->addWidget(SpinEdit1, 0, 1);
    formatGrid->addWidget(Label3, 0, 2);
    formatGrid->addWidget(Label2, 1, 0);
    formatGrid->addWidget(SpinEdit2, 1, 1);
    formatGrid->setColumnStretch(2, 1);

    RadioGroup1 = new RadioGroup("Mode", {"Absoulte", "Incremental"}, 0, this);  // sic
    RadioGroup1->setObjectName("RadioGroup1");
    setTag(RadioGroup1, 3);
    RadioGroup2 = new RadioGroup("Suppression", {"Leading", "Trailing", "None"}, 0, this);
    RadioGroup2->setObjectName("RadioGroup2");
    setTag(RadioGroup2, 4);
    RadioGroup3 = new RadioGroup("Output Files", {"Single", "Multiple"}, 1, this);
    RadioGroup3->setObjectName("RadioGroup3");
    setTag(RadioGroup3, 5);
    RadioGroup4 = new RadioGroup("Units", {"Inches", "Metric"}, 0, this);
    RadioGroup4->setObjectName("RadioGroup4");
    setTag(RadioGroup4, 6);

    auto* aperture = new QHBoxLayout;
    aperture->addWidget(Button2);
    aperture->addWidget(ComboBox1, 1);

    auto* inputs = new QVBoxLayout;
    inputs->addWidget(Button1);
    inputs->addWidget(ListBox1, 1);

    auto* groups = new QGridLayout;
    groups->addWidget(format, 0, 0, 1, 2);
    groups->addWidget(RadioGroup1, 1, 0);
    groups->addWidget(RadioGroup2, 1, 1);
    groups->addWidget(RadioGroup3, 2, 0);
    groups->addWidget(RadioGroup4, 2, 1);
    groups->setRowStretch(3, 1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(inputs, 1);
    middle->addLayout(groups);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(aperture);
    layout->addLayout(middle, 1);
    layout->addWidget(Button3);
    resize(620, 420);

    connect(Button2, &QPushButton::clicked, this, &TForm2::Edit1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);

    m_tagged = taggedControls(this);
    FormCreate();
}

void TForm2::FormCreate() {
    const auto& rules = shell::form2Rules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    shell::ReadRegistry(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
}

void TForm2::FormClose() {
    shell::SaveRegistry(m_shell.settings(), shell::form2Rules(), collectState(this, m_tagged));
}

void TForm2::Edit1Change() {
    // "Choose aperture file": the shared open dialog on its "APT files" filter
    auto host = m_shell.makeHost(
        {this, nullptr, nullptr, nullptr, &m_shell.Form1->OpenDialog1, &SaveDialog1});
    m_shell.guarded(this, [&] {
        auto chosen = host->askOpen({4, {}, false, {}});
        if (chosen.empty()) {
            return;
        }
        QString path = QFile::decodeName(QByteArray::fromStdString(chosen.front()));
        ComboBox1->addItem(path);
        ComboBox1->setEditText(path);
    });
}

void TForm2::Button1Click() {
    // "Add Gerber input files": several files at once, "All files" filter
    auto host = m_shell.makeHost(
        {this, nullptr, nullptr, nullptr, &m_shell.Form1->OpenDialog1, &SaveDialog1});
    m_shell.guarded(this, [&] {
        for (const auto& path : host->askOpen({2, {}, true, {}})) {
            ListBox1->addItem(QFile::decodeName(QByteArray::fromStdString(path)));
        }
    });
}

void TForm2::Button3Click() {
    m_shell.notAvailable(this);
}

}  // namespace padloom::ui
