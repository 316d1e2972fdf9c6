#pragma once

#include <QDialog>

class QTextBrowser;

namespace padloom::ui {

/// The program's help, shipped inside the program: one section per help context.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);
    /// Scrolls to the section of a help context; an unknown context shows the contents.
    void showContext(int context);
    int context() const { return m_context; }
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
    int m_context = 0;
};

}  // namespace padloom::ui
