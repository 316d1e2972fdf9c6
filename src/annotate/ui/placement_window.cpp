#include "annotate/ui/placement_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "annotate/placement.h"
#include "board/board_reader.h"
#include "convert/mat_to_apt.h"
#include "shell/ui/help_window.h"
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

PlacementWindow::PlacementWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Padloom"),
      m_openDialog("PCB files|*.pcb|All files|*.*|MAT files|*.mat|APT files|*.apt") {
    setObjectName("Form1");
    setHelpContext(kHelpPlacement);
    m_openDialog.defaultExt = "pcb";

    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName("MainMenu1");
    QMenu* file = m_menuBar->addMenu("File");
    m_openAction = file->addAction("Open");
    m_openAction->setObjectName("Open1");
    m_matToAptAction = file->addAction(".MAT --> .APT");
    m_matToAptAction->setObjectName("MATAPT1");

    m_createButton = new QPushButton("Create XY file", this);
    m_createButton->setObjectName("Button1");
    m_statusLabel = new QLabel("Ready", this);
    m_statusLabel->setObjectName("Label2");
    m_widthLabel = new QLabel("x =", this);
    m_widthLabel->setObjectName("Label3");
    m_heightLabel = new QLabel("y =", this);
    m_heightLabel->setObjectName("Label4");
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName("ProgressBar1");
    m_progressBar->setRange(0, 100);
    m_progressBar->hide();

    auto* layers = new QGroupBox("Layers", this);
    m_topLegendCombo = layerCombo(layers, "ComboBox1", 7);
    m_bottomLegendCombo = layerCombo(layers, "ComboBox2", 3);
    m_topFillCombo = layerCombo(layers, "ComboBox3", 1);
    m_bottomFillCombo = layerCombo(layers, "ComboBox4", 6);
    auto* form = new QFormLayout(layers);
    form->addRow("Top side legend layer", m_topLegendCombo);
    form->addRow("Bottom side legend layer", m_bottomLegendCombo);
    form->addRow("Top side fill layer", m_topFillCombo);
    form->addRow("Bottom side fill layer", m_bottomFillCombo);

    auto* options = new QGroupBox("Options", this);
    m_ignoreRobberPadsBox = checkBox(options, "CheckBox1", "Ignore Robber Pads", false);
    m_commaDelimitedBox = checkBox(options, "CheckBox2", "Comma Delimited", false);
    m_openNotepadBox = checkBox(options, "CheckBox3", "Open notepad", true);
    m_sortResultsBox = checkBox(options, "CheckBox4", "Sort Results", false);
    auto* optionLayout = new QVBoxLayout(options);
    for (QCheckBox* b :
         {m_ignoreRobberPadsBox, m_commaDelimitedBox, m_openNotepadBox, m_sortResultsBox}) {
        optionLayout->addWidget(b);
    }
    optionLayout->addStretch();

    auto* size = new QHBoxLayout;
    size->addWidget(m_widthLabel);
    size->addSpacing(24);
    size->addWidget(m_heightLabel);
    size->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(layers, 1);
    top->addWidget(options);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_createButton);
    bottom->addWidget(m_statusLabel, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_menuBar);
    layout->addLayout(top);
    layout->addLayout(size);
    layout->addWidget(m_progressBar);
    layout->addLayout(bottom);

    connect(m_createButton, &QPushButton::clicked, this, &PlacementWindow::onCreateClicked);
    connect(m_openAction, &QAction::triggered, this, &PlacementWindow::onOpenTriggered);
    connect(m_matToAptAction, &QAction::triggered, this, &PlacementWindow::runMatToApt);

    // the settings are restored as the window is created, so the shared dialog has its folder
    // before any tool runs
    restoreSettings();
}

bool PlacementWindow::openNotepad() const {
    return m_openNotepadBox->isChecked();
}

void PlacementWindow::onShown() {
    // the window's menu is never shown
    if (m_menuBar) {
        layout()->setMenuBar(nullptr);
        m_menuBar->hide();
        m_menuBar->deleteLater();
        m_menuBar = nullptr;
    }
}

void PlacementWindow::onClosedAfterShown() {
    saveSettings();
}

void PlacementWindow::restoreSettings() {
    shell::PlacementSettings s;
    s.directory = toPath(m_openDialog.initialDir);
    s.topLeg = m_topLegendCombo->currentIndex();
    s.botLeg = m_bottomLegendCombo->currentIndex();
    s.topFill = m_topFillCombo->currentIndex();
    s.botFill = m_bottomFillCombo->currentIndex();
    s.digits = gerberFormat.digits;
    s.precision = gerberFormat.precision;
    s.mode = gerberFormat.mode;
    s.suppression = gerberFormat.suppression;
    const auto messages = shell::readSettings(m_shell.settings(), s);
    m_openDialog.initialDir = QFile::decodeName(QByteArray::fromStdString(s.directory));
    const std::pair<QComboBox*, int> combos[] = {{m_topLegendCombo, s.topLeg},
                                                 {m_bottomLegendCombo, s.botLeg},
                                                 {m_topFillCombo, s.topFill},
                                                 {m_bottomFillCombo, s.botFill}};
    for (auto [combo, index] : combos) {
        if (index >= 0 && index < combo->count()) {
            combo->setCurrentIndex(index);
        }
    }
    gerberFormat = {s.digits, s.precision, s.mode, s.suppression};
    for (const auto& m : messages) {
        m_shell.showBox(this, common::Box::Error, fromBytes(m));
    }
}

void PlacementWindow::saveSettings() {
    shell::PlacementSettings s;
    s.topLeg = m_topLegendCombo->currentIndex();
    s.botLeg = m_bottomLegendCombo->currentIndex();
    s.topFill = m_topFillCombo->currentIndex();
    s.botFill = m_bottomFillCombo->currentIndex();
    s.digits = gerberFormat.digits;
    s.precision = gerberFormat.precision;
    s.mode = gerberFormat.mode;
    s.suppression = gerberFormat.suppression;
    shell::saveSettings(m_shell.settings(), s, toPath(m_openDialog.lastChosen()));
}

void PlacementWindow::onCreateClicked() {
    onOpenTriggered();
}

annotate::PlacementOptions PlacementWindow::placementOptions() const {
    annotate::PlacementOptions options;
    options.topLegendLayer = m_topLegendCombo->currentIndex();
    options.bottomLegendLayer = m_bottomLegendCombo->currentIndex();
    options.topFillLayer = m_topFillCombo->currentIndex();
    options.bottomFillLayer = m_bottomFillCombo->currentIndex();
    options.ignoreRobberPads = m_ignoreRobberPadsBox->isChecked();
    options.commaDelimited = m_commaDelimitedBox->isChecked();
    options.sortResults = m_sortResultsBox->isChecked();
    options.openNotepad = openNotepad();
    // the numbers of a TAB-delimited file follow the user's locale
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 0x80) {
        options.decimalSeparator = static_cast<char>(point[0].unicode());
    }
    return options;
}

void PlacementWindow::onOpenTriggered() {
    const annotate::PlacementOptions options = placementOptions();
    auto host =
        m_shell.makeHost({this, nullptr, m_statusLabel, m_progressBar, &m_openDialog, nullptr});
    auto showBoardSize = [this](std::string_view x, std::string_view y) {
        m_widthLabel->setText(fromBytes(x));
        m_heightLabel->setText(fromBytes(y));
    };
    m_shell.guarded(this, [&] {
        annotate::createXyFile(*host, options, showBoardSize);  // can throw
    });
}

QString PlacementWindow::runMatToApt() {
    // this window's status label and progress bar show the run; run from the launcher, with
    // this window hidden, the dialogs open over the launcher
    QWidget* owner = isVisible() || !parentWidget() ? this : parentWidget();
    auto host = m_shell.makeHost({owner, nullptr, m_statusLabel, m_progressBar, &m_openDialog});
    convert::MatToAptOptions options;
    options.openNotepad = openNotepad();
    std::string written;
    m_shell.guarded(owner, [&] { convert::matToApt(*host, options, &written); });  // can throw
    return QFile::decodeName(QByteArray::fromStdString(written));
}

}  // namespace padloom::ui
