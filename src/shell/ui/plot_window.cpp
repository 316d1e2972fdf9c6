#include "shell/ui/plot_window.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/text_io.h"
#include "shell/ui/controls.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

/// A layer box: its name (which tests look up) and its tag (which names its stored value).
struct LayerBoxName {
    const char* objectName;
    int tag;
};

// by plot layer, 1 to 17; the box numbers follow the order the boxes were added in, and the
// board layer box came last with tag 23
const LayerBoxName kLayerBoxNames[PlotWindow::kLayerCount] = {
    {"CheckBox1", 1},   {"CheckBox2", 2},   {"CheckBox3", 3},   {"CheckBox4", 4},
    {"CheckBox5", 5},   {"CheckBox6", 6},   {"CheckBox7", 7},   {"CheckBox8", 8},
    {"CheckBox9", 9},   {"CheckBox10", 10}, {"CheckBox11", 11}, {"CheckBox12", 12},
    {"CheckBox13", 13}, {"CheckBox14", 14}, {"CheckBox18", 15}, {"CheckBox19", 16},
    {"CheckBox24", 23},
};

}  // namespace

PlotWindow::PlotWindow(Shell& shell, QWidget* parent, const QString& caption,
                       const QString& drillCaption, std::initializer_list<int> disabledTags)
    : ToolWindow(shell, parent, caption) {
    auto box = [&](QGroupBox* group, const char* name, int tag) {
        bool enabled =
            std::find(disabledTags.begin(), disabledTags.end(), tag) == disabledTags.end();
        return plotCheckBox(group, name, tag, enabled);
    };
    m_layerGroup = new QGroupBox("Layers to plot", this);
    m_layerGroup->setObjectName("GroupBox1");
    for (int layer = 1; layer <= kLayerCount; ++layer) {
        const LayerBoxName& n = kLayerBoxNames[layer - 1];
        m_layerBoxes[layer] = box(m_layerGroup, n.objectName, n.tag);
    }
    m_ncDrillBox = box(m_layerGroup, "CheckBox17", 17);
    m_bomBox = box(m_layerGroup, "CheckBox21", 21);
    auto* layers = new QGridLayout(m_layerGroup);
    constexpr int kRows = 10;
    int cell = 0;
    auto place = [&](QCheckBox* b) {
        layers->addWidget(b, cell % kRows, cell / kRows);
        ++cell;
    };
    for (int layer = 1; layer <= kLayerCount; ++layer) {
        place(m_layerBoxes[layer]);
    }
    place(m_ncDrillBox);
    place(m_bomBox);

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
    pairGroup(m_includeGroup, "GroupBox2", "Include", m_includeBoardLayerBox, "CheckBox15", 18,
              m_includeKeepOutBox, "CheckBox16", 19);
    pairGroup(m_drillFormatGroup, "GroupBox4", drillCaption, m_drill23Box, "CheckBox25", 40,
              m_drill24Box, "CheckBox26", 41);
    pairGroup(m_fillModeGroup, "GroupBox5", "Fill mode", m_polygonFillBox, "CheckBox27", 30,
              m_flashFillBox, "CheckBox28", 31);

    m_x2Box = new QCheckBox("Gerber X2 attributes", this);
    m_x2Box->setObjectName("GerberX2Box");
    m_x2Box->setToolTip(
        "Each file says what it is (its layer, side and polarity) and what its apertures are "
        "for, and a Gerber job file (.gbrjob) lists the set, so that a board house's CAM "
        "software reads the files right by itself");
    m_noMacrosBox = new QCheckBox("No aperture macros", this);
    m_noMacrosBox->setObjectName("NoMacrosBox");
    m_noMacrosBox->setToolTip(
        "Thermal reliefs and targets drawn with standard apertures and regions that give the "
        "same picture, for board houses whose CAM software misreads aperture macros");

    m_plotButton = new QPushButton("Plot", this);
    m_plotButton->setObjectName("Button1");
    m_previewButton = new QPushButton("Preview", this);
    m_previewButton->setObjectName("PreviewButton");
    m_previewButton->setToolTip("Look at the files of the last plot run");
    m_previewButton->setEnabled(false);
    connect(m_previewButton, &QPushButton::clicked, this, &PlotWindow::onPreviewClicked);
    m_messageList = new QPlainTextEdit(this);
    m_messageList->setObjectName("Memo1");
    m_messageList->setPlainText(
        "Please selects layers and options.\nThen press the Plot button");  // sic
}

void PlotWindow::layOut(QLayout* sideTop, QWidget* sideMiddle, int width, int height) {
    auto* side = new QVBoxLayout;
    if (sideTop) {
        side->addLayout(sideTop);
    }
    side->addWidget(m_includeGroup);
    if (sideMiddle) {
        side->addWidget(sideMiddle);
    }
    auto* pairs = new QHBoxLayout;
    pairs->addWidget(m_drillFormatGroup);
    pairs->addWidget(m_fillModeGroup);
    side->addLayout(pairs);
    side->addWidget(m_x2Box);
    side->addWidget(m_noMacrosBox);
    side->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(m_layerGroup);
    top->addLayout(side);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_messageList, 1);
    m_buttonColumn = new QVBoxLayout;
    m_buttonColumn->addWidget(m_plotButton);
    m_buttonColumn->addWidget(m_previewButton);
    m_buttonColumn->addStretch();
    bottom->addLayout(m_buttonColumn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom, 1);
    resize(width, height);

    // each pair acts as two radio buttons that may both start unticked
    const std::pair<QCheckBox*, QCheckBox*> exclusivePairs[] = {{m_drill23Box, m_drill24Box},
                                                                {m_drill24Box, m_drill23Box},
                                                                {m_polygonFillBox, m_flashFillBox},
                                                                {m_flashFillBox, m_polygonFillBox}};
    for (auto [clicked, other] : exclusivePairs) {
        connect(clicked, &QCheckBox::toggled, this,
                [this, clicked, other] { tickExclusive(m_pairGuard, clicked, other); });
    }
    m_tagged = taggedControls(this);
}

void PlotWindow::setPreviewFiles(const std::vector<std::string>& candidates) {
    m_previewFiles.clear();
    m_previewBoard.clear();
    for (const std::string& path : candidates) {
        if (common::fileExists(path)) {
            m_previewFiles.push_back(path);
        }
    }
    m_previewButton->setEnabled(!m_previewFiles.empty());
}

void PlotWindow::setPreviewBoard(const std::string& board, const nets::CopperOptions& copper) {
    m_previewBoard = board;
    m_previewCopper = copper;
}

void PlotWindow::onPreviewClicked() {
    m_shell.guarded(this,
                    [&] { m_shell.showOutputs(m_previewFiles, m_previewBoard, m_previewCopper); });
}

QCheckBox* PlotWindow::layerBox(int plotLayer) const {
    return plotLayer >= 1 && plotLayer <= kLayerCount ? m_layerBoxes[plotLayer] : nullptr;
}

}  // namespace padloom::ui
