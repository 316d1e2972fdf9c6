#include "tools/ui/qfn_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/controls.h"
#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

namespace {

QLineEdit* edit(QWidget* parent, const char* name, const char* text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

}  // namespace

QfnWindow::QfnWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "Build  QFN (in new .PCB)"),
      m_saveDialog(".PCB Files|*.pcb|All Files|*.*") {
    setObjectName("Form11");
    setHelpContext(kHelpQfn);
    m_saveDialog.showPlacesBar = true;

    m_padXEdit = edit(this, "Edit1", "In Mills");  // sic
    m_padYEdit = edit(this, "Edit2", "In Mills");
    m_numXEdit = edit(this, "Edit3", "Num?");
    m_numYEdit = edit(this, "Edit4", "Num?");
    m_pitchEdit = edit(this, "Edit5", "In Mills");
    m_xSpacingEdit = edit(this, "Edit6", "In Mills");
    m_ySpacingEdit = edit(this, "Edit7", "In Mills");
    m_unitGroup = new RadioGroup("Unit of measure", {"Imperial", "Metric"}, 0, this);
    m_unitGroup->setObjectName("RadioGroup1");
    m_cautionLabel = new QLabel("Caution: rounding errors when changing UOM", this);
    m_cautionLabel->setObjectName("Label6");
    m_messageList = new QPlainTextEdit(this);
    m_messageList->setObjectName("Memo1");
    m_messageList->setPlainText("Memo1");
    m_messageList->setMaximumHeight(60);
    m_generateButton = new QPushButton("Generate", this);
    m_generateButton->setObjectName("Button1");

    auto* fields = new QFormLayout;
    fields->addRow("Pad X", m_padXEdit);
    fields->addRow("Pad Y", m_padYEdit);
    fields->addRow("Num X", m_numXEdit);
    fields->addRow("Num Y", m_numYEdit);
    fields->addRow("Pitch", m_pitchEdit);
    fields->addRow("X Spacing", m_xSpacingEdit);
    fields->addRow("Y Spacing", m_ySpacingEdit);

    auto* side = new QVBoxLayout;
    side->addWidget(m_unitGroup);
    side->addWidget(m_cautionLabel);
    side->addStretch();
    side->addWidget(m_generateButton);
    m_cautionLabel->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_messageList);
    resize(420, 330);

    connect(m_generateButton, &QPushButton::clicked, this, &QfnWindow::onGenerateClicked);
    connect(m_unitGroup, &RadioGroup::clicked, this, &QfnWindow::onUnitClicked);
}

namespace {
std::string textOf(const QLineEdit* edit) {
    return edit->text().toLatin1().toStdString();
}
}  // namespace

tools::QfnFields QfnWindow::fields() const {
    tools::QfnFields f;
    f.padX = textOf(m_padXEdit);
    f.padY = textOf(m_padYEdit);
    f.numX = textOf(m_numXEdit);
    f.numY = textOf(m_numYEdit);
    f.pitch = textOf(m_pitchEdit);
    f.xSpacing = textOf(m_xSpacingEdit);
    f.ySpacing = textOf(m_ySpacingEdit);
    f.unit = m_unit;
    return f;
}

void QfnWindow::onUnitClicked(int index) {
    const auto unit = index == 1 ? tools::QfnUnit::Metric : tools::QfnUnit::Imperial;
    if (unit == m_unit) {
        return;  // the same unit picked again converts nothing
    }
    m_unit = unit;
    // the texts are written and read with "." whatever the locale, so they always read back
    for (QLineEdit* e : {m_padXEdit, m_padYEdit, m_pitchEdit, m_xSpacingEdit, m_ySpacingEdit}) {
        e->setText(fromBytes(tools::convertSizeText(textOf(e), unit)));
    }
}

void QfnWindow::onGenerateClicked() {
    HostBinding binding;
    binding.window = this;
    binding.saveDialog = &m_saveDialog;
    auto host = m_shell.makeHost(binding);
    const tools::QfnFields f = fields();
    m_shell.guarded(this, [&] {
        tools::generateQfn(*host, f);  // can throw
    });
}

}  // namespace padloom::ui
