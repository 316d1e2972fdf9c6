#include "annotate/ui/dxf_window.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "annotate/dxf_export.h"
#include "annotate/text_resize.h"
#include "annotate/ui/placement_window.h"
#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

DxfWindow::DxfWindow(Shell& shell, QWidget* parent) : ToolWindow(shell, parent, "PCB --> DXF") {
    setObjectName("Form10");
    setHelpContext(kHelpDxf);

    m_makeDxfButton = new QPushButton("Make DXF", this);
    m_makeDxfButton->setObjectName("Button1");
    m_messageList = new QPlainTextEdit(this);
    m_messageList->setObjectName("Memo1");
    startMessageList();

    m_resizePanel = new QFrame(this);
    m_resizePanel->setObjectName("Panel1");
    m_resizePanel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_stringSizeLabel = new QLabel("String Size", m_resizePanel);
    m_stringSizeLabel->setObjectName("Label1");
    m_stringSizeEdit = new QLineEdit("24", m_resizePanel);
    m_stringSizeEdit->setObjectName("Edit1");
    m_lineWidthLabel = new QLabel("Line Width", m_resizePanel);
    m_lineWidthLabel->setObjectName("Label2");
    m_lineWidthEdit = new QLineEdit("4", m_resizePanel);
    m_lineWidthEdit->setObjectName("Edit2");
    m_changeSizeButton = new QPushButton("Change Size", m_resizePanel);
    m_changeSizeButton->setObjectName("Button2");
    for (QLineEdit* e : {m_stringSizeEdit, m_lineWidthEdit}) {
        e->setMaximumWidth(80);
    }
    auto* panel = new QGridLayout(m_resizePanel);
    panel->addWidget(m_stringSizeLabel, 0, 0);
    panel->addWidget(m_stringSizeEdit, 0, 1);
    panel->addWidget(m_lineWidthLabel, 1, 0);
    panel->addWidget(m_lineWidthEdit, 1, 1);
    panel->addWidget(m_changeSizeButton, 0, 2, 2, 1);
    panel->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_makeDxfButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_messageList, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_resizePanel);
    resize(480, 360);

    connect(m_makeDxfButton, &QPushButton::clicked, this, &DxfWindow::onRunClicked);
    connect(m_changeSizeButton, &QPushButton::clicked, this, &DxfWindow::onRunClicked);
}

void DxfWindow::startMessageList() {
    if (mode == kTextResize) {
        m_messageList->setPlainText(
            "Type the designator text height and line width in mils,\n"
            "then press Change Size and choose the board.");
    } else {
        m_messageList->setPlainText(
            "Set comment field in Autotrax component to h=n\n"
            "where n is the height of the component in mills");  // sic
    }
}

void DxfWindow::onShown() {
    // the launcher chose the tool: the resize panel or the export button, and a title for it
    m_resizePanel->setVisible(mode == kTextResize);
    m_makeDxfButton->setVisible(mode != kTextResize);
    setWindowTitle(mode == kTextResize ? "COMP TEXT RESIZE" : "PCB --> DXF");
    // the other tool's log would read as this one's
    if (m_shownMode != -1 && m_shownMode != mode) {
        startMessageList();
    }
    m_shownMode = mode;
}

int DxfWindow::helpContext() const {
    return mode == kTextResize ? kHelpTextResize : kHelpDxf;
}

void DxfWindow::onRunClicked() {
    auto host = m_shell.makeHost(
        {this, m_messageList, nullptr, nullptr, &m_shell.placementWindow->openDialog()});
    m_shell.guarded(this, [&] {
        if (mode == kTextResize) {
            annotate::TextResizeOptions options;
            options.height = m_stringSizeEdit->text().toLatin1().toStdString();
            options.width = m_lineWidthEdit->text().toLatin1().toStdString();
            annotate::changeComponentTextSize(*host, options);  // can throw
        } else {
            annotate::makeDxf(*host);  // can throw
        }
    });
}

}  // namespace padloom::ui
