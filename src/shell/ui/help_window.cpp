#include "shell/ui/help_window.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace padloom::ui {

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

void HelpWindow::showContext(int context) {
    m_context = context;
    m_browser->setSource(QUrl("qrc:/help/cstv.html"));
    if (context == 100 || context == 5000 || context == 6000) {
        m_browser->scrollToAnchor("context" + QString::number(context));
    } else {
        m_browser->scrollToAnchor("contents");
    }
}

}  // namespace padloom::ui
