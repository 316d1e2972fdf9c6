#include "shell/ui/help_window.h"

#include <QDialogButtonBox>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace padloom::ui {

namespace {

QString anchorOf(int context) {
    return context == kHelpContents ? QString("contents") : "context" + QString::number(context);
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("HelpWindow");
    setWindowTitle("Padloom Help");
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName("HelpText");
    m_browser->setOpenExternalLinks(false);
    m_browser->setSource(QUrl("qrc:/help/cstv.html"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(620, 520);
}

bool HelpWindow::hasSection(int context) const {
    const QString anchor = anchorOf(context);
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(anchor)) {
                return true;
            }
        }
    }
    return false;
}

void HelpWindow::showContext(int context) {
    m_context = context;
    m_browser->setSource(QUrl("qrc:/help/cstv.html"));
    m_browser->scrollToAnchor(anchorOf(hasSection(context) ? context : kHelpContents));
}

}  // namespace padloom::ui
