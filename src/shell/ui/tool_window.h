#pragma once

#include <QDialog>

namespace padloom::ui {

class Shell;

/// A tool window: created at start, shown modally from the launcher. `onShown` runs as it is
/// shown; `onClosedAfterShown` runs when it is closed after having been shown (by any means:
/// a button, Escape or the close box), so a window never shown saves nothing.
class ToolWindow : public QDialog {
    Q_OBJECT
public:
    ToolWindow(Shell& shell, QWidget* parent, const QString& caption);

    /// The help context F1 opens.
    virtual int helpContext() const { return m_helpContext; }
    void done(int result) override;

protected:
    virtual void onShown() {}
    virtual void onClosedAfterShown() {}
    void setHelpContext(int context);
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

    Shell& m_shell;

private:
    int m_helpContext = 0;
};

}  // namespace padloom::ui
