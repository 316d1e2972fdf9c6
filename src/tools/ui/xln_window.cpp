#include "tools/ui/xln_window.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/help_window.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

XlnWindow::XlnWindow(Shell& shell, QWidget* parent)
    : ToolWindow(shell, parent, "TXT+TOL --> XLN"),
      m_openDialog("TXT Files|*.txt|TOL FIles|*.tol|All files|*.*") {  // sic
    setObjectName("Form8");
    setHelpContext(kHelpXln);
    m_openDialog.showPlacesBar = true;

    m_selectTolButton = new QPushButton("Select TOL", this);
    m_selectTolButton->setObjectName("Button2");
    m_selectTxtButton = new QPushButton("Select TXT", this);
    m_selectTxtButton->setObjectName("Button1");
    m_selectTxtButton->setEnabled(false);  // until a tool table is loaded
    m_messageList = new QPlainTextEdit(this);
    m_messageList->setObjectName("Memo1");
    m_messageList->setPlainText("Memo1");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_selectTolButton);
    buttons->addWidget(m_selectTxtButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_messageList, 1);
    resize(420, 320);

    connect(m_selectTxtButton, &QPushButton::clicked, this, &XlnWindow::onSelectTxtClicked);
    connect(m_selectTolButton, &QPushButton::clicked, this, &XlnWindow::onSelectTolClicked);
}

void XlnWindow::onSelectTxtClicked() {
    auto host = m_shell.makeHost({this, m_messageList, nullptr, nullptr, &m_openDialog});
    m_shell.guarded(this, [&] { tools::mergeDrillFile(*host, m_toolTable); });  // can throw
}

void XlnWindow::onSelectTolClicked() {
    auto host = m_shell.makeHost({this, m_messageList, nullptr, nullptr, &m_openDialog});
    m_shell.guarded(this, [&] {
        if (tools::loadToolTable(*host, m_toolTable) == common::Outcome::Done) {  // can throw
            m_selectTxtButton->setEnabled(true);
        }
    });
}

}  // namespace padloom::ui
