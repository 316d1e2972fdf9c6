#include "shell/ui/tool_window.h"

#include <QShortcut>
#include <QShowEvent>

#include "shell/ui/controls.h"
#include "shell/ui/shell.h"

namespace padloom::ui {

ToolWindow::ToolWindow(Shell& shell, QWidget* parent, const QString& caption)
    : QDialog(parent), m_shell(shell) {
    setWindowTitle(caption);
    setSizeGripEnabled(false);
    keepTitleVisible(this);
}

void ToolWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange) {
        keepTitleVisible(this);
    }
    QDialog::changeEvent(event);
}

void ToolWindow::setHelpContext(int context) {
    m_helpContext = context;
    setProperty("helpFile", "cstv.hlp");
    setProperty("helpContext", context);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setObjectName("HelpShortcut");
    connect(f1, &QShortcut::activated, this, [this] { m_shell.showHelp(helpContext()); });
}

void ToolWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        onShown();
    }
    QDialog::showEvent(event);
}

void ToolWindow::done(int result) {
    if (isVisible()) {
        onClosedAfterShown();
    }
    QDialog::done(result);
}

}  // namespace padloom::ui
