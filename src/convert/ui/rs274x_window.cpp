#include "convert/ui/rs274x_window.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "convert/rs274d_to_rs274x.h"
#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/qt_host.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

Rs274xWindow::Rs274xWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Gerber to xGerber RS274x converter "),
      m_saveDialog("XGerber files|*.gbx|All files|*.*", FileDialog::Mode::Save) {
    setObjectName("Form2");
    setHelpContext(kHelpRs274x);

    m_chooseApertureButton = new QPushButton("Choose aperture file", this);
    m_chooseApertureButton->setObjectName("Button2");
    m_apertureCombo = new QComboBox(this);
    m_apertureCombo->setObjectName("ComboBox1");
    m_apertureCombo->setEditable(true);
    m_apertureCombo->setEditText("Select file");
    m_apertureCombo->setMinimumContentsLength(30);
    m_apertureCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_addInputsButton = new QPushButton("Add Gerber input files", this);
    m_addInputsButton->setObjectName("Button1");
    m_inputList = new QListWidget(this);
    m_inputList->setObjectName("ListBox1");
    // kept in alphabetical order by the converter's own rule, shared with the command line
    m_inputList->setSortingEnabled(false);
    m_convertButton = new QPushButton("Create eXtended Gerber(s)", this);
    m_convertButton->setObjectName("Button3");

    auto* format = new QGroupBox("Format", this);
    m_digitsLabel = new QLabel("Digits", format);
    m_digitsLabel->setObjectName("Label1");
    m_digitsHint = new QLabel("2 and 3 for Protel", format);
    m_digitsHint->setObjectName("Label3");
    m_precisionLabel = new QLabel("Precision", format);
    m_precisionLabel->setObjectName("Label2");
    m_digitsSpin = new SpinEdit(2, std::pair{1, 9}, format);
    m_digitsSpin->setObjectName("SpinEdit1");
    setTag(m_digitsSpin, 1);
    m_precisionSpin = new SpinEdit(3, std::pair{1, 9}, format);
    m_precisionSpin->setObjectName("SpinEdit2");
    setTag(m_precisionSpin, 2);
    auto* formatGrid = new QGridLayout(format);
    formatGrid->addWidget(m_digitsLabel, 0, 0);
    formatGrid->addWidget(m_digitsSpin, 0, 1);
    formatGrid->addWidget(m_digitsHint, 0, 2);
    formatGrid->addWidget(m_precisionLabel, 1, 0);
    formatGrid->addWidget(m_precisionSpin, 1, 1);
    formatGrid->setColumnStretch(2, 1);

    m_modeGroup = new RadioGroup("Mode", {"Absoulte", "Incremental"}, 0, this);  // sic
    m_modeGroup->setObjectName("RadioGroup1");
    setTag(m_modeGroup, 3);
    m_suppressionGroup = new RadioGroup("Suppression", {"Leading", "Trailing", "None"}, 0, this);
    m_suppressionGroup->setObjectName("RadioGroup2");
    setTag(m_suppressionGroup, 4);
    m_outputFilesGroup = new RadioGroup("Output Files", {"Single", "Multiple"}, 1, this);
    m_outputFilesGroup->setObjectName("RadioGroup3");
    setTag(m_outputFilesGroup, 5);
    m_unitsGroup = new RadioGroup("Units", {"Inches", "Metric"}, 0, this);
    m_unitsGroup->setObjectName("RadioGroup4");
    setTag(m_unitsGroup, 6);

    auto* aperture = new QHBoxLayout;
    aperture->addWidget(m_chooseApertureButton);
    aperture->addWidget(m_apertureCombo, 1);

    auto* inputs = new QVBoxLayout;
    inputs->addWidget(m_addInputsButton);
    inputs->addWidget(m_inputList, 1);

    auto* groups = new QGridLayout;
    groups->addWidget(format, 0, 0, 1, 2);
    groups->addWidget(m_modeGroup, 1, 0);
    groups->addWidget(m_suppressionGroup, 1, 1);
    groups->addWidget(m_outputFilesGroup, 2, 0);
    groups->addWidget(m_unitsGroup, 2, 1);
    groups->setRowStretch(3, 1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(inputs, 1);
    middle->addLayout(groups);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(aperture);
    layout->addLayout(middle, 1);
    layout->addWidget(m_convertButton);
    resize(620, 420);

    connect(m_chooseApertureButton, &QPushButton::clicked, this,
            &Rs274xWindow::onChooseApertureClicked);
    connect(m_addInputsButton, &QPushButton::clicked, this, &Rs274xWindow::onAddInputsClicked);
    connect(m_convertButton, &QPushButton::clicked, this, &Rs274xWindow::onConvertClicked);

    m_tagged = taggedControls(this);
    restoreSettings();
}

GerberFormat Rs274xWindow::gerberFormat() const {
    return {m_digitsSpin->toolValue(), m_precisionSpin->toolValue(), m_modeGroup->itemIndex(),
            m_suppressionGroup->itemIndex()};
}

void Rs274xWindow::restoreSettings() {
    const auto& rules = shell::rs274xWindowRules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState state = collectState(this, m_tagged);
    shell::readSettings(m_shell.settings(), rules, state);
    applyState(this, m_tagged, state);
}

void Rs274xWindow::onClosedAfterShown() {
    shell::saveSettings(m_shell.settings(), shell::rs274xWindowRules(),
                        collectState(this, m_tagged));
}

void Rs274xWindow::onChooseApertureClicked() {
    // "Choose aperture file": the shared open dialog on its "APT files" filter
    auto host = m_shell.makeHost(
        {this, nullptr, nullptr, nullptr, &m_shell.placementWindow->openDialog(), &m_saveDialog});
    m_shell.guarded(this, [&] {
        auto chosen = host->askOpen({4, {}, false, {}});
        if (chosen.empty()) {
            return;
        }
        QString path = QFile::decodeName(QByteArray::fromStdString(chosen.front()));
        m_apertureCombo->addItem(path);
        m_apertureCombo->setEditText(path);
    });
}

void Rs274xWindow::onAddInputsClicked() {
    // "Add Gerber input files": several files at once, "All files" filter
    auto host = m_shell.makeHost(
        {this, nullptr, nullptr, nullptr, &m_shell.placementWindow->openDialog(), &m_saveDialog});
    m_shell.guarded(this, [&] {
        convert::addPlotFiles(m_plots, host->askOpen({2, {}, true, {}}));
        m_inputList->clear();
        for (const auto& path : m_plots) {
            m_inputList->addItem(QFile::decodeName(QByteArray::fromStdString(path)));
        }
    });
}

void Rs274xWindow::onConvertClicked() {
    convert::Rs274xOptions options;
    const QString aperture = m_apertureCombo->currentText().trimmed();
    if (aperture != "Select file") {  // the prompt the combo box starts with names no file
        options.aptFile = toPath(aperture);
    }
    options.plots = m_plots;
    options.digits = m_digitsSpin->toolValue();
    options.precision = m_precisionSpin->toolValue();
    options.incremental = m_modeGroup->itemIndex() == 1;
    const int zeros = m_suppressionGroup->itemIndex();
    options.zeros = zeros == 1   ? convert::ZeroSuppression::Trailing
                    : zeros == 2 ? convert::ZeroSuppression::None
                                 : convert::ZeroSuppression::Leading;
    options.single = m_outputFilesGroup->itemIndex() == 0;
    options.metric = m_unitsGroup->itemIndex() == 1;

    // the save dialog of the single output starts where the shared open dialog left off
    m_saveDialog.initialDir = m_shell.placementWindow->openDialog().initialDir;
    auto host = m_shell.makeHost({this, nullptr, nullptr, nullptr, nullptr, &m_saveDialog});
    m_shell.guarded(this, [&] { convert::createExtendedGerbers(*host, options); });  // can throw
}

}  // namespace padloom::ui
