#include "fab/ui/package_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

// The outline choices, in the order the box lists them.
constexpr plot::OutlineSource kOutlineChoices[] = {
    plot::OutlineSource::Auto, plot::OutlineSource::Board, plot::OutlineSource::KeepOut,
    plot::OutlineSource::None};

// The stored texts of the board house and the order choices, by value name.
constexpr const char* kBoardHouse = "BoardHouse";
constexpr const char* kThickness = "Thickness";
constexpr const char* kCopper = "Copper";
constexpr const char* kFinish = "Finish";
constexpr const char* kMaskColour = "MaskColour";
constexpr const char* kLegendColour = "LegendColour";

const shell::WindowRules& packageDialogRules() {
    static const shell::WindowRules rules{PackageDialog::kSettingsKey,
                                          {{shell::ControlKind::CheckBox}},
                                          "SpinEdit",
                                          "SpinEdit",
                                          {"Outline"},
                                          240,
                                          160};
    return rules;
}

// An order choice: a box the user types into or picks a usual value from; empty until chosen.
QComboBox* choiceBox(QWidget* parent, const char* name, const QStringList& usual) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItem(QString());
    box->addItems(usual);
    box->lineEdit()->setPlaceholderText("to be chosen when ordering");
    box->setMinimumContentsLength(24);
    return box;
}

std::optional<double> thicknessOf(const QString& text, bool& valid) {
    const QString t = text.trimmed();
    valid = true;
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool number = false;
    const double mm = t.toDouble(&number);
    valid = number && mm >= 0.1 && mm <= 10;
    return valid ? std::optional<double>(mm) : std::nullopt;
}

std::string textOf(const QComboBox* box) {
    return box->currentText().trimmed().toUtf8().toStdString();
}

}  // namespace

PackageDialog::PackageDialog(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Fab package") {
    setObjectName("PackageDialog");
    setHelpContext(kHelpGerberPlot);

    m_boardHouseCombo = new QComboBox(this);
    m_boardHouseCombo->setObjectName("BoardHouseCombo");
    m_boardHouseCombo->setToolTip(
        "The board house's profile: the file names, Gerber and drill options and assembly files "
        "it asks for (padloom-cli fabs lists them; your own go in the fab folder of the "
        "settings folder)");
    const fab::ProfileFolders folders = fab::defaultProfileFolders();
    try {
        for (const fab::ProfileEntry& e : fab::listProfiles(folders)) {
            QString summary;
            try {
                summary = QString::fromStdString(
                    fab::changeSummary(fab::loadProfile(e.path, folders)));  // can throw
            } catch (const std::exception& error) {
                summary = QString::fromStdString(error.what());
            }
            m_boardHouseCombo->addItem(QString::fromStdString(e.name),
                                       QString::fromStdString(e.name));
            m_boardHouseCombo->setItemData(m_boardHouseCombo->count() - 1, summary,
                                           Qt::ToolTipRole);
        }
    } catch (const std::exception&) {
        // the installed profiles missing: the package says so when it is made
    }
    if (m_boardHouseCombo->count() == 0) {
        m_boardHouseCombo->addItem("generic", "generic");
    }

    m_outlineCombo = new QComboBox(this);
    m_outlineCombo->setObjectName("OutlineCombo");
    m_outlineCombo->addItems({"Board layer (11) when it has lines, else Keep Out (12)",
                              "Board layer (11)", "Keep Out layer (12)", "None"});
    m_outlineCombo->setToolTip(
        "Where the board's edge is drawn: the outline file holds only the closed loop of lines "
        "around every pad and hole");
    m_thicknessCombo = choiceBox(this, "ThicknessCombo", {"0.8", "1.0", "1.2", "1.6", "2.0"});
    m_copperCombo = choiceBox(this, "CopperCombo", {"1 oz (35 um)", "2 oz (70 um)"});
    m_finishCombo = choiceBox(this, "FinishCombo",
                              {"HASL", "Lead-free HASL", "ENIG", "OSP", "Immersion silver"});
    m_maskColourCombo =
        choiceBox(this, "MaskColourCombo", {"green", "red", "yellow", "blue", "white", "black"});
    m_legendColourCombo = choiceBox(this, "LegendColourCombo", {"white", "black", "yellow"});
    m_includeBoardBox = new QCheckBox("Draw the board layer (11) into every layer file", this);
    m_includeBoardBox->setObjectName("IncludeBoardBox");
    setTag(m_includeBoardBox, 1);
    m_apertureWindowBox =
        new QCheckBox("Make the aperture file in the aperture window first (enlargements)", this);
    m_apertureWindowBox->setObjectName("ApertureWindowBox");
    setTag(m_apertureWindowBox, 2);

    m_form = new QFormLayout;
    m_form->addRow("Board house:", m_boardHouseCombo);
    m_form->addRow("Board outline:", m_outlineCombo);
    m_form->addRow("Board thickness (mm):", m_thicknessCombo);
    m_form->addRow("Copper weight:", m_copperCombo);
    m_form->addRow("Surface finish:", m_finishCombo);
    m_form->addRow("Solder mask colour:", m_maskColourCombo);
    m_form->addRow("Legend colour:", m_legendColourCombo);
    m_form->addRow(QString(), m_includeBoardBox);
    m_form->addRow(QString(), m_apertureWindowBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("Buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &PackageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PackageDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addWidget(buttons);

    m_tagged = taggedControls(this);
    restoreSettings();
}

shell::WindowState PackageDialog::state() const {
    shell::WindowState s = collectState(const_cast<PackageDialog*>(this), m_tagged);
    s.extras = {m_outlineCombo->currentIndex()};
    return s;
}

void PackageDialog::restoreSettings() {
    const auto& rules = packageDialogRules();
    move(rules.defaultX, rules.defaultY);
    shell::WindowState s = state();
    shell::readSettings(m_shell.settings(), rules, s);
    applyState(this, m_tagged, s);
    if (s.extras[0] >= 0 && s.extras[0] < m_outlineCombo->count()) {
        m_outlineCombo->setCurrentIndex(s.extras[0]);
    }
    const shell::SettingsStore& store = m_shell.settings();
    if (auto v = store.value(kSettingsKey, kBoardHouse);
        v && std::holds_alternative<std::string>(*v)) {
        const int at =
            m_boardHouseCombo->findData(QString::fromStdString(std::get<std::string>(*v)));
        if (at >= 0) {
            m_boardHouseCombo->setCurrentIndex(at);
        }
    }
    for (auto [name, box] : {std::pair{kThickness, m_thicknessCombo},
                             {kCopper, m_copperCombo},
                             {kFinish, m_finishCombo},
                             {kMaskColour, m_maskColourCombo},
                             {kLegendColour, m_legendColourCombo}}) {
        if (auto v = store.value(kSettingsKey, name);
            v && std::holds_alternative<std::string>(*v)) {
            box->setEditText(QString::fromStdString(std::get<std::string>(*v)));
        }
    }
}

void PackageDialog::saveSettings() {
    shell::saveSettings(m_shell.settings(), packageDialogRules(), state());
    m_shell.settings().writeText(kSettingsKey, kBoardHouse,
                                 m_boardHouseCombo->currentData().toString().toStdString());
    for (auto [name, box] : {std::pair{kThickness, m_thicknessCombo},
                             {kCopper, m_copperCombo},
                             {kFinish, m_finishCombo},
                             {kMaskColour, m_maskColourCombo},
                             {kLegendColour, m_legendColourCombo}}) {
        m_shell.settings().writeText(kSettingsKey, name, textOf(box));
    }
}

void PackageDialog::onClosedAfterShown() {
    saveSettings();
}

std::optional<fab::PackageOptions> PackageDialog::apply(fab::PackageOptions options) const {
    bool valid = true;
    options.order.thickness = thicknessOf(m_thicknessCombo->currentText(), valid);
    if (!valid) {
        return std::nullopt;
    }
    try {
        options.profile = std::make_shared<const fab::FabProfile>(chosenProfile());
    } catch (const std::exception&) {
        return std::nullopt;
    }
    options.outline = kOutlineChoices[std::clamp(m_outlineCombo->currentIndex(), 0, 3)];
    options.includeBoardLayer = m_includeBoardBox->isChecked();
    options.order.copper = textOf(m_copperCombo);
    options.order.finish = textOf(m_finishCombo);
    options.order.maskColour = textOf(m_maskColourCombo);
    options.order.legendColour = textOf(m_legendColourCombo);
    return options;
}

bool PackageDialog::apertureWindowFirst() const {
    return m_apertureWindowBox->isChecked();
}

fab::FabProfile PackageDialog::chosenProfile() const {
    return fab::loadProfile(m_boardHouseCombo->currentData().toString().toStdString());
}

bool PackageDialog::checkChoices() {
    if (apply({})) {
        return true;
    }
    try {
        chosenProfile();  // can throw
    } catch (const std::exception& error) {
        m_shell.showBox(
            this, common::Box::Error,
            "The board house's profile cannot be read: " + QString::fromUtf8(error.what()));
        m_boardHouseCombo->setFocus();
        return false;
    }
    m_shell.showBox(this, common::Box::Error,
                    "The board thickness is a number of millimetres from 0.1 to 10, or empty "
                    "when it is to be chosen when ordering.");
    m_thicknessCombo->setFocus();
    return false;
}

void PackageDialog::accept() {
    if (checkChoices()) {
        ToolWindow::accept();
    }
}

}  // namespace padloom::ui
